#!/usr/bin/env bash
# Line and branch coverage of the component and of the window toolkit, each
# against its bar: configures and builds the preset coverage (build/coverage),
# runs every test once, then reads the counts with gcovr.
#   tools/coverage.sh          the per-file tables and the two summaries
#   tools/coverage.sh --html   also build/coverage/html/index.html, file by file
# Exits non-zero when the build or a test fails or a figure is below its bar.
#
# The component is boundary/ config/ integration/ window/ support/ (their
# headers too, which the build reaches through build/coverage/include); the
# toolkit is forms/ less the Windows-only Win32 backend (win32_backend.*,
# own_backend_win32.cpp), which a Linux build never compiles. Branches thrown
# by the compiler for exceptions and those it proves unreachable are left out:
# they are not decisions of the code.
set -uo pipefail
cd "$(dirname "$0")/.."
html=0
case "${1:-}" in
  "") ;;
  --html) html=1 ;;
  *) echo "usage: $0 [--html]" >&2; exit 2 ;;
esac
component_bar=95
toolkit_bar=90
build=build/coverage

cmake --preset coverage >/dev/null || exit 1
cmake --build --preset coverage || exit 1
# Counts add up across runs: start from none, so the figures are this run's.
find "$build" -name '*.gcda' -delete
tests=passed
ctest --preset coverage -j2 || tests=FAILED

# report NAME BAR FILTERS...: one part's table and summary, checked against BAR.
failed=0
report() {
  local name=$1 bar=$2 out
  shift 2
  echo "== coverage of the $name (bar: ${bar}% of lines)"
  # The headers show by their path in the build's include roots; the sed puts
  # them back at the folder they live in.
  if ! out=$(gcovr --root . --object-directory "$build" -j2 \
                   --exclude-unreachable-branches --exclude-throw-branches \
                   "$@" --txt - --print-summary --fail-under-line "$bar"); then
    failed=1
  fi
  sed -E "s#$build/include/[a-z_]+/##" <<<"$out"
}
report component $component_bar \
  --filter 'boundary/' --filter 'config/' --filter 'integration/' --filter 'window/' --filter 'support/'
report toolkit $toolkit_bar --filter 'forms/' --exclude 'forms/(win32_backend|own_backend_win32)\.'

if ((html)); then
  mkdir -p "$build/html"
  gcovr --root . --object-directory "$build" -j2 --exclude-unreachable-branches --exclude-throw-branches \
        --filter 'boundary/' --filter 'config/' --filter 'integration/' --filter 'window/' --filter 'support/' \
        --filter 'forms/' --exclude 'forms/(win32_backend|own_backend_win32)\.' \
        --html-details "$build/html/index.html" && echo "html report: $build/html/index.html"
fi

if [[ $tests != passed ]]; then
  echo "coverage.sh: a test failed"
  exit 1
fi
if ((failed)); then
  echo "coverage.sh: a figure is below its bar"
  exit 1
fi
