#!/usr/bin/env bash
# Builds the component and the stand-in host, and has the host load it and run
# a short session with the queue window. The host keeps the component's
# configuration in build/release/demo-config, so a second run shows what the
# first one saved, and the window opens where the first run left it.
# Arguments, if any, replace the session (./demo.sh --help lists the options).
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
session="menu; open View/Sorvale; show; line 2; line 3 shift; key Delete; show; play; enqueue 9 10; show"
session+="; move 40 30; resize 240 260; key Escape; queue"
if [ $# -eq 0 ]; then
  set -- --run "$session"
fi
exec build/release/out/sorvale-host --config-dir build/release/demo-config "$@" build/release/out/foo_sorvale.so
