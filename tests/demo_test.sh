#!/usr/bin/env bash
# Runs the real demo.sh in a copy of the tree whose build, installer and host
# are stand-ins, and checks what a newcomer sees: the build's progress and
# errors, and the demo session kept unless another session is asked for.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/tools" "$tree/bin" "$tree/build/release/out"
cp "$source/demo.sh" "$tree/"
printf '#!/bin/sh\nexit 0\n' >"$tree/tools/ensure-packages.sh"
cat >"$tree/bin/cmake" <<'STUB'
#!/bin/sh
echo "cmake $*"
case "$*" in *--build*) echo "[1/1] Linking CXX executable out/sorvale-host"
  [ -n "${FAIL_BUILD:-}" ] && { echo "host/main.cpp:1:1: error: stand-in failure"; exit 1; } ;; esac
exit 0
STUB
printf '#!/bin/sh\nfor a in "$@"; do echo "arg: $a"; done\n' >"$tree/build/release/out/sorvale-host"
# The Windows host runs through tools/wine-run, inside xvfb-run when there is no display.
printf '#!/bin/sh\necho "wine-run $1"\nshift\nfor a in "$@"; do echo "arg: $a"; done\n' >"$tree/tools/wine-run"
printf '#!/bin/sh\necho "xvfb-run"\nshift 3\nexec "$@"\n' >"$tree/bin/xvfb-run"
chmod +x "$tree/demo.sh" "$tree/tools/ensure-packages.sh" "$tree/bin/cmake" "$tree/build/release/out/sorvale-host" \
  "$tree/tools/wine-run" "$tree/bin/xvfb-run"
export PATH="$tree/bin:$PATH"

failures=0
check() {  # check NAME EXPECTED-GREP OUTPUT
  if grep -q -- "$2" <<<"$3"; then echo "ok: $1"; else echo "FAILED: $1 (no '$2' in:)"; echo "$3"; failures=$((failures + 1)); fi
}
check_not() {
  if grep -q -- "$2" <<<"$3"; then echo "FAILED: $1 ('$2' in:)"; echo "$3"; failures=$((failures + 1)); else echo "ok: $1"; fi
}

out=$("$tree/demo.sh" 2>&1)
check "the build's progress shows" "\[1/1\] Linking" "$out"
check "no options: the demo session runs" "arg: menu; open View/Sorvale" "$out"

out=$("$tree/demo.sh" --queue 3 2>&1)
check "an option keeps the demo session" "arg: menu; open View/Sorvale" "$out"
check "the option reaches the host" "arg: --queue" "$out"

out=$("$tree/demo.sh" --run "queue" 2>&1)
check_not "--run replaces the session" "open View/Sorvale" "$out"
out=$("$tree/demo.sh" --help 2>&1)
check_not "--help runs no session" "arg: --run" "$out"

out=$(DISPLAY= "$tree/demo.sh" --windows 2>&1)
check "--windows builds the Windows release" "cmake --build --preset windows-release" "$out"
check "--windows runs the Windows host under Wine" "wine-run build/windows-release/out/sorvale-host.exe" "$out"
check "--windows loads the component built for the host" "arg: build/windows-release/out/foo_sorvale_shared_toolkit.dll" "$out"
check "--windows writes the window's picture in the session" "screenshot build/windows-release/demo-queue.png; move" "$out"
check "--windows with no display makes a virtual one" "xvfb-run" "$out"
check_not "--windows is the demo's, not the host's" "arg: --windows" "$out"
out=$(DISPLAY=:5 "$tree/demo.sh" --windows --queue 3 2>&1)
check_not "--windows on a display uses it" "xvfb-run" "$out"
check "--windows passes the other options" "arg: --queue" "$out"
out=$("$tree/demo.sh" 2>&1)
check "the Linux demo writes the window's picture" "screenshot build/release/demo-queue.png; move" "$out"
check "the Linux demo draws off-screen" "arg: --headless" "$out"
out=$(DISPLAY=:5 "$tree/demo.sh" --window --library /music 2>&1 </dev/null || true)
check "--window needs a terminal to prompt at" "standard input is not a terminal" "$out"
out=$(DISPLAY= "$tree/demo.sh" --window 2>&1 || true)
check "--window needs a desktop" "DISPLAY is not set" "$out"
if out=$(DISPLAY=:5 script -qec "$tree/demo.sh --window --library /music" /dev/null 2>&1); then
  check "--window opens the real window" "arg: menu; open View/Sorvale" "$out"
  check "--window then prompts" "arg: --prompt" "$out"
  check "--window passes the other options" "arg: /music" "$out"
  check_not "--window draws on the desktop" "arg: --headless" "$out"
else
  echo "FAILED: --window on a terminal: $out"; failures=$((failures + 1))
fi

set +e
out=$(FAIL_BUILD=1 "$tree/demo.sh" 2>&1)
status=$?
set -e
check "a failing build shows its errors" "error: stand-in failure" "$out"
check "a failing build says so" "build failed" "$out"
check_not "a failing build runs nothing" "arg:" "$out"
[ "$status" -ne 0 ] && echo "ok: a failing build exits non-zero" || { echo "FAILED: exit status 0"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ]
