#!/usr/bin/env bash
# What a screen reader hears of the queue window on the Linux desktop: the
# host's GTK window on a virtual display of its own (Xvfb) under Openbox, in
# a D-Bus session of its own (dbus-run-session), where the accessibility bus
# and its registry start on demand. atspi_client.py reads and drives the
# window through AT-SPI from outside the host's process, with the client's
# cache on as a screen reader has it; the host's own answers (`--script -`,
# harness.sh) say what became of the queue.
#
#   atspi_test.sh HOST COMPONENT
#
# The client finds the window "Sorvale" on the AT-SPI desktop, reads every
# line's name and states, the buttons and their action, finds line 2 by its
# place on the screen, selects lines 2 and 3 through the list's Selection
# interface (one line more, then taken back by its index among the selected
# ones) and hears the focus follow the caret, presses Delete through its action and hears the list announce the
# removal; the host's queue has lost exactly those entries. Then Clear, and
# Close: the window goes, the host goes on and saves its configuration.
set -euo pipefail
(($# == 2)) || { echo "usage: $0 HOST COMPONENT" >&2; exit 2; }
host=$1
component=$2
for tool in Xvfb openbox dbus-run-session xprop; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
python=/usr/bin/python3
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2>/dev/null ||
  { echo "SKIPPED: no AT-SPI for Python (python3-gi, gir1.2-atspi-2.0)"; exit 77; }
# A session bus of the test's own, which the bridge and the client share.
if [ -z "${SORVALE_ATSPI_SESSION:-}" ]; then
  # The buses' own chatter (services started, a file limit they may not raise) is left out.
  SORVALE_ATSPI_SESSION=1 exec dbus-run-session -- "$0" "$@" \
    2> >(grep -v -e 'Failed to set fd limit' -e 'ctivat.* service' -e 'SpiRegistry daemon is running' >&2)
fi
unset WAYLAND_DISPLAY GDK_SCALE GDK_DPI_SCALE NO_AT_BRIDGE AT_SPI_BUS_ADDRESS
tmp=$(mktemp -d)
# The bridge's sockets go in the runtime folder: this one, not the user's.
mkdir -m 700 "$tmp/runtime"
export XDG_RUNTIME_DIR=$tmp/runtime
host_command=("$host")
x_search=(--onlyvisible)
# shellcheck source=tests/desktop/harness.sh
source "$(dirname "$0")/harness.sh"
trap end_desktop EXIT

start_display
HOME=$tmp openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done

client() { "$python" "$(dirname "$0")/atspi_client.py" "$@" 2>&1 || true; }

start_host
ask "open View/Sorvale; sync"
out=$(client read)
echo "$out"
check "the application's window is found on the desktop by its title" "^window: Sorvale (frame)$" "$out"
check "the list is multi-selectable and has the six queued tracks" "^list: 6 lines, .*multiselectable" "$out"
check "line 1 reads as the window shows it" "^line 1: Halvard Quist - Lanterns Over Brackwater \[list item; selectable" "$out"
check "a non-ASCII artist and title read as they are" "^line 2: Søren Vindtræ - Kølig morgen ved Ørnefjeld \[list item; selectable focusable showing visible\] index 1, parent list$" "$out"
check "Japanese too" "^line 6: 潮見ユウリ - 灯台のワルツ \[" "$out"
check "every line is showing" "^6$" "$(grep -c '^line [0-9]: .*showing visible' <<<"$out")"
check "the point in the middle of line 2 is line 2" "^hit at line 2's middle: Søren Vindtræ" "$out"
for button in Delete Clear Close; do
  check "$button is a push button with a click action" "^button: $button \[focusable.*\] actions click" "$out"
done

out=$(client delete 2 3)
echo "$out"
check "lines 2 and 3 selected through the list's Selection, the one too many taken back" \
  "^selected: Søren Vindtræ - Kølig morgen ved Ørnefjeld, Tove Rask - Thin Ice Cartography$" "$out"
# Each click moved the caret: the last one's line has the focus, and nothing else (the Close button had it before).
check "the caret line has the focus, alone" "^focused: Orrin Feldgate - $" "$out"
check "the list said which line is its active one" "^heard: object:active-descendant-changed 3 Orrin Feldgate" "$out"
check "the list announces line 2's removal" "^heard: object:children-changed:remove 1 Søren Vindtræ" "$out"
check "and line 3's" "^heard: object:children-changed:remove 2 Tove Rask" "$out"
check "the client's cache has the four lines left" "^lines now: 4 (were 6)$" "$out"
check "line 2 is what was line 4" "^line 2 now: Orrin Feldgate" "$out"
until_shows "queue" "4 entries"
check "Delete removed both entries from the host's queue" "playback queue, 4 entries:" "$reply"
check "the first stays first" "1\. Halvard Quist" "$reply"
check "the entry after them is now second" "2\. Orrin Feldgate" "$reply"
check "the last is last" "4\. 潮見ユウリ" "$reply"

out=$(client press Clear)
echo "$out"
check "Clear empties the list the client sees" "^lines now: 0 (were 4)$" "$out"
until_shows "queue" "empty\|0 entries"
check "and the host's queue" "empty\|0 entries" "$reply"

out=$(client press Close)
echo "$out"
check "Close closes the window: it leaves the AT-SPI desktop" "^window gone$" "$out"
ask "show"
check "the host goes on, no window open" "(no window open)" "$reply"
stop_host
check "the host saves its configuration on exit" "configuration saved for 1 of 1" "$reply"
[ "$failures" -eq 0 ]
