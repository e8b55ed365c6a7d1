#!/usr/bin/env bash
# Installs what is missing, builds everything (debug) for Linux and runs every
# test, then builds the same for Windows and runs every test again under Wine.
# Exits non-zero when either suite fails; both run. Ends with the time each took.
set -uo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh all || exit 1
failed=()
times=()
# suite NAME PRESET: configure, build and test one preset, timed.
suite() {
  local start=$SECONDS outcome=passed
  echo "== the $1 suite (preset $2)"
  if ! { cmake --preset "$2" >/dev/null && cmake --build --preset "$2" && ctest --preset "$2" -j2; }; then
    outcome=FAILED
    failed+=("$1")
  fi
  times+=("$(printf '%-8s %4d s  %s' "$1" $((SECONDS - start)) "$outcome")")
}
suite Linux debug
suite Windows windows-debug
echo "== time each suite took"
printf '%s\n' "${times[@]}"
if ((${#failed[@]})); then
  echo "test.sh: failed: the ${failed[*]} suite"
  exit 1
fi
