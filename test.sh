#!/usr/bin/env bash
# Installs what is missing, builds everything (debug) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug -j2
