#!/usr/bin/env bash
# The test host's window checks (msvc_test_host --window) under Wine, on a
# virtual X display of their own with a window manager, as the real-window
# tests run (tests/desktop): the same Wine prefix, made the same way.
#
#   window_test.sh MSVC_TEST_HOST.exe COMPONENT.dll [MSAA_CLIENT.exe]
#
# With MSAA_CLIENT.exe (tests/desktop/msaa_client.cpp) a screen reader reads
# and drives the window from a process of its own too.
#
# The exit status is the test host's: 77 when no window appeared to check.
set -euo pipefail
(($# == 2 || $# == 3)) || { echo "usage: $0 MSVC_TEST_HOST.exe COMPONENT.dll [MSAA_CLIENT.exe]" >&2; exit 2; }
host=$1
component=$2
source=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$(dirname "$host")" && pwd)
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ "$build" = / ] && build=$(cd "$(dirname "$host")" && pwd)

export WINEPREFIX="$build/wine-prefix-desktop"
# shellcheck source=tools/wine-prefix.sh
source "$source/tools/wine-prefix.sh"
wine_environment
tmp=$(mktemp -d)
xvfb=
wm=
# shellcheck source=tests/desktop/harness.sh
source "$source/tests/desktop/harness.sh"
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

# The prefix, made once (and again when the installed Wine changes), with no display.
ensure_wine_prefix
env -u DISPLAY "$source/tools/wine-fonts.sh"
wineserver --wait || true

start_display
if command -v openbox >/dev/null; then
  # Openbox with its defaults, ready once it has claimed the screen.
  HOME=$tmp openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
fi

if (($# == 3)); then export SORVALE_MSAA_CLIENT="Z:$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"; fi
status=0
wine "$host" --window "Z:$(cd "$(dirname "$component")" && pwd)/$(basename "$component")" | tr -d '\r' || status=$?
exit "$status"
