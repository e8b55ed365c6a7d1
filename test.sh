#!/usr/bin/env bash
# Installs what is missing, builds everything (debug) for Linux and runs every
# test, then builds the same for 64-bit and for 32-bit Windows and runs every
# test again under Wine, once for each. Exits non-zero when any suite fails;
# all three run. Ends with the time each took.
set -uo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh all || exit 1
failed=()
times=()
# shellcheck source=tools/wine-prefix.sh
source tools/wine-prefix.sh
# suite NAME PRESET: configure, build and test one preset, timed. A machine
# whose kernel runs no 32-bit programs builds the x86 suite and says that it
# could not run it.
suite() {
  local start=$SECONDS outcome=passed
  echo "== the $1 suite (preset $2)"
  if [[ $2 == windows-x86-* ]] && ! wine_runs_32_bit; then
    if cmake --preset "$2" >/dev/null && cmake --build --preset "$2"; then
      outcome="built; NOT RUN: this machine's kernel runs no 32-bit programs"
      echo "test.sh: the $1 suite is built, but cannot run here: this machine's kernel runs no 32-bit programs"
    else
      outcome=FAILED
      failed+=("$1")
    fi
  elif ! { cmake --preset "$2" >/dev/null && cmake --build --preset "$2" && ctest --preset "$2" -j2; }; then
    outcome=FAILED
    failed+=("$1")
  fi
  times+=("$(printf '%-12s %4d s  %s' "$1" $((SECONDS - start)) "$outcome")")
}
suite Linux debug
suite "Windows x64" windows-debug
suite "Windows x86" windows-x86-debug
echo "== time each suite took"
printf '%s\n' "${times[@]}"
if ((${#failed[@]})); then
  list=$(printf ', %s' "${failed[@]}")
  echo "test.sh: the suites that failed: ${list:2}"
  exit 1
fi
