#!/usr/bin/env bash
# Builds the component and the stand-in host, and has the host load it and run
# a short session with the queue window. The host keeps the component's
# configuration in build/release/demo-config, so a second run shows what the
# first one saved, and the window opens where the first run left it.
# Options are passed to the host (./demo.sh --help lists them); the demo
# session runs unless --run or --script gives another one.
set -euo pipefail
cd "$(dirname "$0")"
tools/ensure-packages.sh
# The build reports its progress (and any error) on standard error, so that
# standard output holds the session alone.
echo "building the component and the host (release)..." >&2
if ! { cmake --preset release >/dev/null && cmake --build --preset release; } >&2; then
  echo "demo: the build failed (its errors are above)" >&2
  exit 1
fi
session="menu; open View/Sorvale; show; line 2; line 3 shift; key Delete; show; play; enqueue 9 10; show"
session+="; move 40 30; resize 240 260; key Escape; queue"
own_session=no
for arg in "$@"; do
  case "$arg" in
    --run | --script | -h | --help) own_session=yes ;;
  esac
done
if [ "$own_session" = no ]; then
  set -- "$@" --run "$session"
fi
exec build/release/out/sorvale-host --config-dir build/release/demo-config "$@" build/release/out/foo_sorvale.so
