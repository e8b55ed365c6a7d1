#!/usr/bin/env bash
# Installs what is missing, builds everything (debug) for Linux and runs every
# test, then builds the same for Windows and runs every test again under Wine.
# Exits non-zero when either suite fails; both run.
set -uo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh all || exit 1
failed=()
# suite NAME PRESET: configure, build and test one preset.
suite() {
  echo "== the $1 suite (preset $2)"
  if cmake --preset "$2" >/dev/null && cmake --build --preset "$2" && ctest --preset "$2" -j2; then
    return 0
  fi
  failed+=("$1")
}
suite Linux debug
suite Windows windows-debug
if ((${#failed[@]})); then
  echo "test.sh: failed: the ${failed[*]} suite"
  exit 1
fi
