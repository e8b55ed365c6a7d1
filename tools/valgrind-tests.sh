#!/usr/bin/env bash
# The tests that load the component library through the host, under valgrind's
# memcheck: host_tests (loading and refusing libraries, the client object and
# services, configuration save and restore, the sorvale-host program and its
# sessions) and window_tests (the queue window of the loaded component). The
# sorvale-host programs these tests start are checked too, each its own
# valgrind process; shells and other system programs are not.
#   tools/valgrind-tests.sh [BUILD]    BUILD: a Linux debug build folder (default
#                                      build/debug, which ./test.sh has built)
# Builds what is missing there, then runs each program; exits non-zero on any
# memcheck error (invalid access, use of uninitialised memory, a leak) or a
# failing test. tools/valgrind.supp holds the system libraries' known noise.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/debug}
if [[ ! -f $build/CMakeCache.txt ]]; then
  echo "valgrind-tests.sh: $build is not a configured build folder (cmake --preset debug)" >&2
  exit 2
fi
if grep -q '^SORVALE_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "valgrind-tests.sh: $build is a sanitizer build, which valgrind cannot run" >&2
  exit 2
fi
cmake --build "$build" --target host_tests window_tests || exit 1

# Each process writes its own log, so that the hosts' reports never mix with
# the output the tests read; a log whose summary counts an error is shown
# (a forked child that runs another program leaves a log without a summary).
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
start=$SECONDS
failed=()
for program in host_tests window_tests; do
  echo "== $program under memcheck"
  # The host tests start the host without a display (as CTest does for them).
  env -u DISPLAY valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,possible \
      --suppressions=tools/valgrind.supp --num-callers=30 \
      --trace-children=yes --trace-children-skip='/bin/*,/usr/*,*/sh,*/bash' \
      --log-file="$logs/$program.%p.log" \
      "$build/out/$program" --gtest_brief=1
  status=$?
  for log in "$logs/$program".*.log; do
    if grep -q 'ERROR SUMMARY: [1-9]' "$log"; then
      echo "-- memcheck: $(grep -m1 -o 'Command: .*' "$log")"
      grep -v '^==[0-9]*== *$' "$log" | sed -n '/Command:/,$p' | tail -n +2
      status=1
    fi
  done
  ((status == 0)) || failed+=("$program")
done
echo "== memcheck took $((SECONDS - start)) s"
if ((${#failed[@]})); then
  echo "valgrind-tests.sh: memcheck errors or failed tests in: ${failed[*]}"
  exit 1
fi
echo "valgrind-tests.sh: no memcheck error"
