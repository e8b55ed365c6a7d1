#!/usr/bin/env bash
# Builds the component and the stand-in host, and has the host load it.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
exec build/release/out/sorvale-host build/release/out/foo_sorvale.so "$@"
