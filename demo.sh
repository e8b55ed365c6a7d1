#!/usr/bin/env bash
# Builds the component and the stand-in host, and has the host load it and run
# a short session with the queue window. The host keeps the component's
# configuration in build/release/demo-config, so a second run shows what the
# first one saved, and the window opens where the first run left it.
# Options are passed to the host (./demo.sh --help lists them); the demo
# session runs unless --run or --script gives another one. The demo session
# draws no window on the desktop and writes the window's picture, after the
# deletion, to build/release/demo-queue.png.
#
# ./demo.sh --window, on a desktop (DISPLAY set), opens the real queue window
# instead and then prompts for session commands (help lists them) until quit
# or Ctrl-D; the window follows every command and answers the mouse and keys.
#
# ./demo.sh --windows runs the same through the Windows build under Wine, with
# a real window (on a virtual display when there is no DISPLAY), keeps its
# configuration in build/windows-release/demo-config and, in the demo session,
# writes the window's picture to build/windows-release/demo-queue.png. The
# host loads foo_sorvale_shared_toolkit.dll there, the component linked
# against the toolkit's DLL, whose windows the session's commands drive.
set -euo pipefail
cd "$(dirname "$0")"
platform=linux
window=no
args=()
for arg in "$@"; do
  case "$arg" in
    --windows) platform=windows ;;
    --window) window=yes ;;
    *) args+=("$arg") ;;
  esac
done
if [ "$window" = yes ]; then
  if [ "$platform" = windows ]; then echo "demo: --window is for the Linux demo (--windows always opens a window)" >&2; exit 2; fi
  if [ -z "${DISPLAY:-}" ]; then echo "demo: --window needs a desktop, and DISPLAY is not set" >&2; exit 2; fi
  if [ ! -t 0 ]; then echo "demo: --window prompts for commands, and standard input is not a terminal" >&2; exit 2; fi
fi
set -- ${args[@]+"${args[@]}"}
if [ "$platform" = windows ]; then
  # The host and the component only: the Windows test programs take long to build.
  preset=windows-release
  targets=(--target sorvale-host foo_sorvale_shared_toolkit)
  tools/ensure-packages.sh windows
else
  preset=release
  targets=()
  tools/ensure-packages.sh
fi
build=build/$preset
# The build reports its progress (and any error) on standard error, so that
# standard output holds the session alone.
echo "building the component and the host ($preset)..." >&2
if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" ${targets[@]+"${targets[@]}"}; } >&2; then
  echo "demo: the build failed (its errors are above)" >&2
  exit 1
fi
session="menu; open View/Sorvale; show; line 2; line 3 shift; key Delete; show; play; enqueue 9 10; show"
session+="; screenshot $build/demo-queue.png; move 40 30; resize 240 260; key Escape; queue"
own_session=no
for arg in "$@"; do
  case "$arg" in
    --run | --script | -h | --help) own_session=yes ;;
  esac
done
if [ "$window" = yes ]; then
  if [ "$own_session" = no ]; then set -- "$@" --run "menu; open View/Sorvale; show; help"; fi
  exec "$build/out/sorvale-host" --config-dir "$build/demo-config" "$@" --prompt "$build/out/foo_sorvale.so"
fi
if [ "$own_session" = no ]; then
  set -- "$@" --run "$session"
fi
if [ "$platform" = linux ]; then
  # The picture is drawn off-screen: the demo opens nothing on a desktop.
  set -- --headless "$@"
  exec "$build/out/sorvale-host" --config-dir "$build/demo-config" "$@" "$build/out/foo_sorvale.so"
fi
run=(tools/wine-run "$build/out/sorvale-host.exe" --config-dir "$build/demo-config" "$@" "$build/out/foo_sorvale_shared_toolkit.dll")
if [ -z "${DISPLAY:-}" ]; then
  # No display of our own: a virtual one for the window, as large as a common
  # desktop. Wine's server (tools/wine-run keeps its prefix in the build
  # folder) goes before the display does, so that nothing of Wine's complains.
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
    bash -c '"$@"; status=$?; WINEPREFIX=$0 wineserver -k 2>/dev/null; exit $status' "$PWD/$build/wine-prefix" "${run[@]}"
fi
exec "${run[@]}"
