#!/usr/bin/env bash
# The queue window as a real GTK window: the Linux host on a virtual X display
# of its own (Xvfb), driven a line at a time through `--script -`, with input
# sent through the X server (xdotool) as a user's would come, and the window
# read from outside (xprop, xwininfo).
#
#   gtk_desktop_test.sh SCENARIO HOST COMPONENT PICTURE_PROBE [BACKEND_TESTS]
#
# SCENARIO: hints (no window manager: the hints of a tool window kept above,
# off the taskbar, not maximisable, its minimum size, held there from
# outside), wm (under Openbox: the frame is the window manager's, the minimum
# held, a maximise or minimise undone), input (under Openbox where there is one: a
# click, Shift+click, Delete, a move, Esc), place (under Openbox: the place a
# move left is where the next start opens the window), backend (the GTK
# backend's own tests, BACKEND_TESTS, on the display, with no window manager).
#
# Without a window manager GTK still sets the hints as properties before it
# maps the window, so xprop reads them back; nothing frames the window, so the
# X window is the whole window, and nothing enforces the size hints: the
# minimum held against a resize from outside is the toolkit's, which puts the
# window back. The place kept needs a window manager: the component restores
# a saved place only where the window's caption would show on a screen, and
# without a window manager there is no caption. Openbox (Debian `openbox`)
# frames the window here; without it wm and place are skipped.
#
# The dialog font here is GTK's default, so the toolkit scales the window to
# it; where the list's lines lie is read from two screenshots, before and after
# the session selects line 1.
set -euo pipefail
(($# == 4 || $# == 5)) || { echo "usage: $0 hints|wm|input|place|backend HOST COMPONENT PICTURE_PROBE [BACKEND_TESTS]" >&2; exit 2; }
scenario=$1
host=$2
component=$3
probe=$4
backend_tests=${5:-}
for tool in Xvfb xdotool xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
# The figures below are for GDK pixels the size of the X server's.
unset WAYLAND_DISPLAY GDK_SCALE GDK_DPI_SCALE
# These windows are read from outside through the X server only: off the
# desktop's accessibility bus, where a developer's session has one
# (atspi_test.sh reads them as a screen reader does, in a session of its own).
export NO_AT_BRIDGE=1
if [[ "$scenario" == wm || "$scenario" == place ]] && ! command -v openbox >/dev/null; then echo "SKIPPED: openbox is not installed"; exit 77; fi
tmp=$(mktemp -d)
host_command=("$host")
x_search=(--onlyvisible)
# shellcheck source=tests/desktop/harness.sh
source "$(dirname "$0")/harness.sh"
trap end_desktop EXIT

start_display
if [[ "$scenario" == wm || "$scenario" == place || ("$scenario" == input && -n "$(command -v openbox)") ]]; then
  # Openbox with its defaults, ready once it has claimed the screen.
  HOME=$tmp openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
fi

client_origin() {  # "X Y": where the X window's (the client area's) top left is on the screen
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}
geometry() {  # "W x H at (X, Y)" of an X window, as the X server has it
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF}
                          END {printf "%s x %s at (%s, %s)\n", w, h, x, y}'
}
# Where the list's lines are: line 1's rows are those that change when the
# session selects it. Sets line_top and line_height (client pixels).
learn_lines() {
  ask "screenshot $tmp/before.png; line 1; screenshot $tmp/after.png"
  local rows
  rows=$("$probe" diff "$tmp/before.png" "$tmp/after.png" 20)
  [[ "$rows" =~ ^rows\ ([0-9]+)-([0-9]+)$ ]] || { echo "FAILED: line 1's rows not found ($rows)"; exit 1; }
  line_top=${BASH_REMATCH[1]}
  line_height=$((BASH_REMATCH[2] - BASH_REMATCH[1] + 1))
}
line_y() { echo $((line_top + line_height * ($1 - 1) + line_height / 2)); }  # middle of line N (from 1)

case "$scenario" in
  hints)
    start_host
    ask "open View/Sorvale; sync"
    window=$(x_window)
    props=$(xprop -id "$window")
    check "titled Sorvale" '^_NET_WM_NAME(UTF8_STRING) = "Sorvale"$' "$props"
    check "kept above the others" '^_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_ABOVE' "$props"
    check "no taskbar entry" '^_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_SKIP_TASKBAR' "$props"
    check "no pager entry" '^_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_SKIP_PAGER' "$props"
    check "a utility window" '^_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_UTILITY$' "$props"
    # Motif hints: functions and decorations given (0x3); move, resize and
    # close (0x26), no minimise (0x8) or maximise (0x10).
    check "moved, resized and closed, never minimised or maximised" '^_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x26, ' "$props"
    check "the 150 x 70 minimum as a size hint" "program specified minimum size: 150 by 70" "$(xprop -id "$window" WM_NORMAL_HINTS)"
    ask "show"
    [[ "$reply" =~ window\ at\ \(0,\ 0\),\ ([0-9]+)\ x\ ([0-9]+): ]] || { echo "FAILED: no window in: $reply"; exit 1; }
    size="${BASH_REMATCH[1]} x ${BASH_REMATCH[2]}"
    check "unframed, the X window is the whole window, at its place" "^$size at (0, 0)$" "$(geometry "$window")"
    ask "screenshot $tmp/queue.png"
    check "the screenshot has the client size" "^$size$" "$("$probe" size "$tmp/queue.png")"
    # Shrunk below its minimum from outside, the window comes back to it.
    xdotool windowsize "$window" 60 40
    until_shows "show" "150 x 70"
    check "a size below the minimum comes back to 150 x 70" "window at (0, 0), 150 x 70:" "$reply"
    check "and so does the X window" "^150 x 70 at (0, 0)$" "$(geometry "$window")"
    stop_host
    ;;
  wm)
    start_host
    ask "open View/Sorvale; sync"
    window=$(x_window)
    # Once the window manager has framed the window, what the toolkit has of it.
    for _ in $(seq 50); do xprop -id "$window" _NET_FRAME_EXTENTS | grep -q = && break; sleep 0.1; done
    until_shows "show" "window at"
    [[ "$reply" =~ window\ at\ \(([0-9]+),\ ([0-9]+)\),\ ([0-9]+)\ x\ ([0-9]+): ]] || { echo "FAILED: no window in: $reply"; exit 1; }
    outer="${BASH_REMATCH[3]} x ${BASH_REMATCH[4]} at (${BASH_REMATCH[1]}, ${BASH_REMATCH[2]})"
    [[ "$(xprop -id "$window" _NET_FRAME_EXTENTS)" =~ =\ ([0-9]+),\ ([0-9]+),\ ([0-9]+),\ ([0-9]+)$ ]] ||
      { echo "FAILED: the window manager gives no frame extents"; exit 1; }
    left=${BASH_REMATCH[1]} right=${BASH_REMATCH[2]} top=${BASH_REMATCH[3]} bottom=${BASH_REMATCH[4]}
    check "the window manager frames the window" "^[1-9]" "$((left + right + top + bottom))"
    read -r cx cy <<<"$(client_origin "$window")"
    framed=$(xwininfo -id "$window" | awk -v l="$left" -v r="$right" -v t="$top" -v b="$bottom" -v x="$cx" -v y="$cy" \
      '/Width:/ {w=$NF} /Height:/ {h=$NF} END {printf "%d x %d at (%d, %d)\n", w + l + r, h + t + b, x - l, y - t}')
    check "the window's outer size and place are its client area and the frame the window manager reports" "^$outer$" "$framed"
    check "the window manager keeps it above" "_NET_WM_STATE_ABOVE" "$(xprop -id "$window" _NET_WM_STATE)"
    xdotool windowsize "$window" 60 40
    until_shows "show" "150 x 70:"
    check "the window is held to its 150 x 70 minimum" "150 x 70:" "$reply"
    # Openbox minimises and maximises the window whatever its hints say; the
    # window has no such boxes, and goes back at once.
    xdotool windowminimize "$window"
    sleep 0.5
    check "a minimise by the window manager is undone" "Map State: IsViewable" "$(xwininfo -id "$window")"
    # Openbox maximises on a double click on the caption.
    xdotool mousemove "$((cx + 20))" "$((cy - top / 2))" click --repeat 2 --delay 80 1
    sleep 0.5
    until_shows "show" "150 x 70:"
    check "and so is a maximise" "window at (0, 0), 150 x 70:" "$reply"
    check "and the X window is as small as before" "^$((150 - left - right)) x $((70 - top - bottom)) at" "$(geometry "$window")"
    # Openbox's Alt+F4 asks the window to close, as its close button does.
    # The double click gave the window the focus, or will have once Openbox
    # has caught up on a loaded machine: the key waits until it has.
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key alt+F4
    until_shows "show" "no window open"
    check "the window manager's close closes the window" "(no window open)" "$reply"
    stop_host
    ;;
  input)
    start_host
    ask "open View/Sorvale; sync"
    window=$(x_window)
    learn_lines
    read -r cx cy <<<"$(client_origin "$window")"
    xdotool mousemove "$((cx + 20))" "$((cy + $(line_y 2)))" click 1
    until_shows "show" "^#Søren"
    check "a click on line 2 selects it alone" "^#Søren Vindtræ" "$reply"
    check "line 1 no longer" "^ Halvard" "$reply"
    xdotool keydown shift mousemove "$((cx + 20))" "$((cy + $(line_y 3)))" click 1 keyup shift
    until_shows "show" "^#Tove"
    check "Shift+click extends the selection to line 3" "^#Tove Rask" "$reply"
    check "line 2 stays selected" "^\*Søren" "$reply"
    xdotool key Delete
    until_shows "queue" "4 entries"
    check "the Delete key removes both entries from the host's queue" "playback queue, 4 entries:" "$reply"
    check "the entry after them is now second" "2\. Orrin Feldgate" "$reply"
    xdotool windowmove "$window" 200 150
    until_shows "show" "window at (200, 150)"
    check "a move from outside reaches the window" "window at (200, 150), " "$reply"
    # With no window manager the keys go to the window under the pointer.
    xdotool mousemove 220 170 key Escape
    until_shows "show" "no window open"
    check "Esc closes the window" "(no window open)" "$reply"
    stop_host
    ;;
  place)
    start_host
    ask "open View/Sorvale; sync"
    window=$(x_window)
    xdotool windowmove "$window" 200 150
    until_shows "show" "window at (200, 150)"
    check "a move by the window manager reaches the window" "window at (200, 150), " "$reply"
    xdotool key Escape
    until_shows "show" "no window open"
    check "Esc closes the window" "(no window open)" "$reply"
    stop_host
    check "the host saves the place on exit" "configuration saved for 1 of 1" "$reply"
    start_host
    ask "open View/Sorvale; sync; show"
    check "the next start opens the window where it was left" "window at (200, 150), " "$reply"
    window=$(x_window)
    check "the window manager put it there" "^200 150$" "$(xprop -id "$window" _NET_FRAME_EXTENTS |
      awk -F'[=,]' -v o="$(client_origin "$window")" '{split(o, c, " "); print c[1] - $2, c[2] - $4}')"
    stop_host
    ;;
  backend)
    if "$backend_tests" >"$tmp/backend.out" 2>&1; then :; fi
    cat "$tmp/backend.out"
    check "the backend's tests ran on the display and passed" "^\[  PASSED  \] 9 tests" "$(cat "$tmp/backend.out")"
    ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
