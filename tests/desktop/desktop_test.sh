#!/usr/bin/env bash
# The queue window as a real window: the Windows host under Wine on a virtual
# X display of its own, driven a line at a time through `--script -`, with
# input sent through the X server (xdotool) as a user's would come, and the
# window read back from outside (window_probe.exe, xprop).
#
#   desktop_test.sh SCENARIO HOST.exe COMPONENT.dll PROBE.exe [BACKEND_TESTS.exe [EMBEDDED_TESTS.exe [MSAA_CLIENT.exe]]]
#
# SCENARIO: frame (a top-most tool window off the taskbar, of the design
# size), input (click, Delete, a move, Esc, and the place kept for the next
# start), screenshot (Shift and Ctrl clicks, the highlight where the layout
# puts the selected lines, the close box), backend (the Win32 backend's own
# tests, BACKEND_TESTS.exe, on the display), embedded (the toolkit as the
# component's DLL holds it, on a plain message loop: EMBEDDED_TESTS.exe), wm
# (under Openbox, as a user's desktop has it: three starts, each with a Wine
# server of its own, open and close the window twice at its design size and
# save that size; a resize by the user is what the next start opens at), msaa
# (a screen reader in a process of its own, MSAA_CLIENT.exe, reads every line,
# selects lines, presses Delete, Clear and Close through Microsoft Active
# Accessibility and hears the events; the host's queue says what it did).
#
# Found on the way: with no window manager on the display, Wine draws the
# frame itself, so the X window is the whole 150 x 308 window; and it sets
# _NET_WM_STATE (ABOVE, SKIP_TASKBAR, SKIP_PAGER) on the window before mapping
# it, so xprop reads them back without a window manager. Under Openbox it is
# the same: Wine gives a tool window no decorations of the window manager's
# and draws its frame itself. Every size here is at the dialog font the window
# is designed for, Tahoma's 6 x 13 cell (tools/wine-fonts.sh): where Wine falls
# back to Liberation Sans (6 x 12) the toolkit scales the client area to
# 142 x 262, and the window is 150 x 286, under a window manager or not.
#
# Wine runs in a prefix of these tests' own (<build>/wine-prefix-desktop), so
# that its server speaks to this display alone; the tests take turns on it.
set -euo pipefail
(($# >= 4 && $# <= 7)) || { echo "usage: $0 frame|input|screenshot|backend|embedded|wm|msaa HOST.exe COMPONENT.dll PROBE.exe [BACKEND_TESTS.exe [EMBEDDED_TESTS.exe [MSAA_CLIENT.exe]]]" >&2; exit 2; }
scenario=$1
host=$2
component=$3
probe=$4
backend_tests=${5:-}
embedded_tests=${6:-}
msaa_client=${7:-}
source=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$(dirname "$host")" && pwd)
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ "$build" = / ] && build=$(cd "$(dirname "$host")" && pwd)

export WINEPREFIX="$build/wine-prefix-desktop"
# shellcheck source=tools/wine-prefix.sh
source "$source/tools/wine-prefix.sh"
wine_environment
tmp=$(mktemp -d)
host_command=(wine "$host")
x_search=()
# shellcheck source=tests/desktop/harness.sh
source "$source/tests/desktop/harness.sh"
cleanup() {
  if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  end_desktop
}
trap cleanup EXIT

# The prefix, made once (and again when the installed Wine changes), with no display.
ensure_wine_prefix
# A prefix made before the fonts last changed gets them now; a Wine server
# started for that, with no display, must be gone before ours starts.
env -u DISPLAY "$source/tools/wine-fonts.sh"
wineserver --wait || true

start_display
if [ "$scenario" = wm ]; then
  command -v openbox >/dev/null || { echo "SKIPPED: openbox is not installed"; exit 77; }
  # Openbox with its defaults, ready once it has claimed the screen.
  HOME=$tmp openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.05; done
fi

# The probe's answer, without the CR of Windows text output.
probe() { wine "$probe" "$@" | tr -d '\r'; }
# Screen point of a point in the client area: with no window manager the X
# window is the whole window at (0, 0), its client area 4 in and 20 down.
client_x() { echo $((4 + $1)); }
client_y() { echo $((20 + $1)); }
# Middle of list line N (from 1): the list's 2-pixel border, 13-pixel lines.
line_y() { client_y $((2 + 13 * ($1 - 1) + 6)); }

case "$scenario" in
  frame)
    start_host
    ask "open View/Sorvale; sync"
    window=$(x_window)
    # Found by its title, "Sorvale".
    facts=$(probe window Sorvale)
    check "the window is shown" "^visible yes" "$facts"
    check "on top (WS_EX_TOPMOST)" "^topmost yes" "$facts"
    check "a tool window (WS_EX_TOOLWINDOW)" "^tool window yes" "$facts"
    check "sizable" "^sizable yes" "$facts"
    check "no minimise box" "^minimize box no" "$facts"
    check "no maximise box" "^maximize box no" "$facts"
    check "no taskbar entry" "^taskbar entry no" "$facts"
    check "the design client area at the design font" "^client 142 x 284" "$facts"
    check "the system's frame makes it 150 x 308" "^window 150 x 308 at (0, 0)" "$facts"
    check "at the dialog font the window is designed for" "^dialog font Tahoma, 6 x 13$" "$facts"
    check "held to 150 x 70 at least" "^minimum 150 x 70" "$facts"
    check "and to the screen plus the frame at most" "^maximum 1288 x 1048" "$facts"
    # Every character of the track library, as the window's font draws it.
    ask "tracks"
    printf '%s' "$reply" >"$tmp/tracks.txt"
    glyphs=$(probe glyphs "$tmp/tracks.txt")
    check "the track library's every character shows as a glyph, not a box" "^boxes none$" "$glyphs"
    check "Japanese, Cyrillic, Greek and the rest were among them" "^checked [0-9][0-9] characters$" "$glyphs"
    state=$(xprop -id "$window" _NET_WM_STATE)
    check "above other windows on the X server" "_NET_WM_STATE_ABOVE" "$state"
    check "off the taskbar on the X server" "_NET_WM_STATE_SKIP_TASKBAR" "$state"
    # Shrunk below its minimum from outside, the window grows back to it.
    xdotool windowsize "$window" 60 40
    until_shows "show" "150 x 70"
    check "a size below the minimum comes back to 150 x 70" "window at (0, 0), 150 x 70:" "$reply"
    stop_host
    ;;
  input)
    start_host
    ask "open View/Sorvale; sync"
    window=$(x_window)
    xdotool mousemove "$(client_x 20)" "$(line_y 2)" click 1
    until_shows "show" "^#Søren"
    check "a click on line 2 selects it" "^#Søren Vindtræ" "$reply"
    xdotool key Delete
    until_shows "queue" "5 entries"
    check "the Delete key removes its entry from the host's queue" "playback queue, 5 entries:" "$reply"
    check "the entry after it is now second" "2\. Tove Rask" "$reply"
    xdotool key Tab
    until_shows "show" "{Delete}"
    check "Tab moves the focus from the list to the Delete button" "^{Delete}\[Clear \]\[Close \]$" "$reply"
    xdotool key Right
    until_shows "show" "{Clear }"
    check "an arrow key moves it on to the next button" "^\[Delete\]{Clear }\[Close \]$" "$reply"
    xdotool windowmove "$window" 200 150
    until_shows "show" "window at (200, 150)"
    check "a move by the X server reaches the window" "window at (200, 150), 150 x 308:" "$reply"
    # With no window manager the keys go to the window under the pointer.
    xdotool mousemove "$((200 + $(client_x 20)))" "$((150 + $(line_y 8)))" key Escape
    until_shows "show" "no window open"
    check "Esc closes the window" "(no window open)" "$reply"
    stop_host
    check "the host saves the place on exit" "configuration saved for 1 of 1" "$reply"
    start_host
    ask "open View/Sorvale; show"
    check "the next start opens the window where it was left" "window at (200, 150), 150 x 308:" "$reply"
    check "the native window is there too" "^window 150 x 308 at (200, 150)$" "$(probe window Sorvale)"
    stop_host
    ;;
  screenshot)
    start_host
    ask "open View/Sorvale; sync"
    x_window >/dev/null
    xdotool mousemove "$(client_x 20)" "$(line_y 2)" click 1
    xdotool keydown shift mousemove "$(client_x 20)" "$(line_y 3)" click 1 keyup shift
    xdotool keydown ctrl mousemove "$(client_x 20)" "$(line_y 5)" click 1 keyup ctrl
    until_shows "show" "^# -"
    check "a click selects line 2" "^\*Søren" "$reply"
    check "Shift+click extends the selection to line 3" "^\*Tove" "$reply"
    check "line 4 is left out" "^ Orrin" "$reply"
    check "Ctrl+click adds line 5 and puts the caret there" "^# -" "$reply"
    ask "screenshot $tmp/queue.png"
    check "the screenshot is written" "screenshot of the window, 142 x 284 pixels" "$reply"
    # Lines 2, 3 and 5 at 2 + 13 x (line - 1) in the client area, 13 high.
    check "the highlight lies on lines 2, 3 and 5" "^highlight rows 15-40 54-66$" "$(probe highlight "$tmp/queue.png")"
    # The close box in the caption, which Wine draws itself with no window manager,
    # 12 pixels in from the right edge.
    xdotool mousemove 138 12 click 1
    until_shows "show" "no window open"
    check "the close box closes the window" "(no window open)" "$reply"
    stop_host
    ;;
  backend)
    if wine "$backend_tests" 2>&1 | tr -d '\r' >"$tmp/backend.out"; then :; fi
    cat "$tmp/backend.out"
    check "the backend's tests ran on the display and passed" "^\[  PASSED  \] 8 tests" "$(cat "$tmp/backend.out")"
    ;;
  embedded)
    if wine "$embedded_tests" --gtest_filter='EmbeddedToolkit.*' 2>&1 | tr -d '\r' >"$tmp/embedded.out"; then :; fi
    cat "$tmp/embedded.out"
    check "the embedded toolkit's tests ran on the display and passed" "^\[  PASSED  \] 4 tests" "$(cat "$tmp/embedded.out")"
    ;;
  wm)
    # A fresh Wine server for each start, as after a user's login.
    fresh_host() { wineserver -k 2>/dev/null || true; wineserver --wait 2>/dev/null || true; start_host; }
    # Opens the window and sets $window and $facts once Openbox manages it.
    open_managed() {
      ask "open View/Sorvale; sync"
      window=$(x_window)
      for _ in $(seq 50); do xprop -id "$window" _NET_FRAME_EXTENTS | grep -q = && break; sleep 0.1; done
      facts=$(probe window Sorvale)
      ask "sync; show"
    }
    # Each start opens the window at the size the one before saved, so a size
    # other than the design's, saved once, shows at every opening after it.
    for start in 1 2 3; do
      fresh_host
      for opening in 1 2; do
        open_managed
        check "start $start, opening $opening: the toolkit has the design size" "window at (0, 0), 150 x 308:" "$reply"
        check "start $start, opening $opening: so has the native window" "^window 150 x 308 at (0, 0)" "$facts"
        check "start $start, opening $opening: and its client area" "^client 142 x 284$" "$facts"
        ask "close; sync; show"
        check "start $start, opening $opening: the close box closes it" "(no window open)" "$reply"
      done
      stop_host
      check "start $start: the host saves the size on exit" "configuration saved for 1 of 1" "$reply"
    done
    check "at the dialog font the window is designed for" "^dialog font Tahoma, 6 x 13$" "$facts"
    # A resize by the user: asked of the X server, granted by Openbox.
    fresh_host
    open_managed
    xdotool windowsize "$window" 180 400
    until_shows "show" "180 x 400"
    check "a resize through the window manager reaches the toolkit" "window at (0, 0), 180 x 400:" "$reply"
    stop_host
    fresh_host
    ask "open View/Sorvale; show"
    check "the next start opens the window at the size the user left" "window at (0, 0), 180 x 400:" "$reply"
    stop_host
    ;;
  msaa)
    # The client's steps (msaa_client.cpp) against the window, and the events they raised.
    client() { wine "$msaa_client" "$@" 2>&1 | tr -d '\r'; }
    same() {  # same NAME EXPECTED ACTUAL
      if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1 (expected '$2', got '$3')"; failures=$((failures + 1)); fi
    }
    # The queue's entries, one a line, as the host lists them.
    entries() { ask "sync; queue"; sed -n 's/^ *[0-9][0-9]*\. //p' <<<"$reply"; }
    # A window picture's marks of the first six lines: * selected, > caret, # both, . neither.
    marks() { ask "sync; show"; sed -n '/^---/,$p' <<<"$reply" | sed -n '2,7p' | cut -c1 | tr ' ' . | tr -d '\n'; }
    start_host
    ask "open View/Sorvale; sync"
    mapfile -t queued < <(entries)
    check "the host queued six entries" "^6$" "${#queued[@]}"
    said=$(client read)
    check "the client is the form, named by its title, with the list and three buttons" '^client "Sorvale" role client, 4 children$' "$said"
    check "the list is an object of its own, multi-selectable" '^child [1-4] object "" role list, .*multiselectable' "$said"
    check "with the queue's six lines" '^list "" role list, 6 lines' "$said"
    # The window shows as much of each line as fits its width.
    ask "sync; show"
    mapfile -t rows < <(sed -n '/^---/,$p' <<<"$reply" | sed -n '2,7p' | cut -c2- | sed 's/ *$//')
    for i in 1 2 3 4 5 6; do
      name=$(sed -n "s/^line $i \"\(.*\)\" role list item, state .*selectable.*/\1/p" <<<"$said")
      same "line $i reads as the window shows it" "${rows[i - 1]}" "${name:0:${#rows[i - 1]}}"
    done
    check "the buttons are push buttons pressed by \"Press\"" '^child [1-4] "Delete" role push button, action "Press"' "$said"
    check "Clear is one" '^child [1-4] "Clear" role push button, action "Press"' "$said"
    check "Close is one, first in the tab order, with the focus" '^child 1 "Close" role push button, action "Press", state focused' "$said"
    check "the client says so" '^focus of the client: child 1 "Close"$' "$said"
    check "the list has no focus to give" '^focus of the list: none$' "$said"
    check "nothing is selected yet" '^selection of the list: none$' "$said"
    check "a line is 13 pixels high" '^line 3 is [0-9]* x 13$' "$said"
    check "a point on line 3 is in the list for the client" '^hit test of the client at line 3: object list' "$said"
    check "and is line 3 for the list" '^hit test of the list at line 3: child 3 "' "$said"
    check "navigation: the first line" '^first line: child 1 "' "$said"
    check "the last" '^last line: child 6 "' "$said"
    check "the next" '^after line 2: child 3 "' "$said"
    check "nothing before the first" '^before line 1: none$' "$said"
    check "the list's parent is the client" '^parent of the list: object client "Sorvale"$' "$said"
    check "lines have no keyboard shortcut" '^keyboard shortcut of line 1: none$' "$said"
    said=$(client select 2 take select 3 add select 4 add select 4 remove select 5 focus read)
    check "taking the selection: line 2 alone is selected" "^event selection list line 2 \"" "$said"
    check "adding line 3" "^event selection add list line 3 \"" "$said"
    check "adding line 4" "^event selection add list line 4 \"" "$said"
    check "removing line 4" "^event selection remove list line 4 \"" "$said"
    check "the caret follows, as a Ctrl click's does" "^event focus list line 3 \"" "$said"
    check "taking the focus moves it to line 5" "^event focus list line 5 \"" "$said"
    check "the list says which lines are selected" '^selection of the list: child 2 ".*", child 3 ".*"$' "$said"
    check "line 5 has the focus and is not selected" '^line 5 .*state focused' "$said"
    check "the window shows lines 2 and 3 selected and the caret on 5" '^\.\*\*\.>\.$' "$(marks)"
    said=$(client press Delete)
    check "pressing Delete is accepted" '^press "Delete": 0x00000000$' "$said"
    # The window reloads its lines from the host's queue: one change for the client.
    check "the client hears the list's lines change" '^event reorder list' "$said"
    check "and the focus go to the button it pressed" '^event focus client child [1-4] "Delete"$' "$said"
    check "and the line after the deleted ones selected in their place" "^event selection list line 2 \"${queued[3]:0:5}" "$said"
    mapfile -t left < <(entries)
    same "the host's queue lost exactly the two selected entries" \
      "$(printf '%s|' "${queued[0]}" "${queued[3]}" "${queued[4]}" "${queued[5]}")" "$(printf '%s|' "${left[@]}")"
    # What the host does meanwhile: the head taken (one line removed), an entry added (a reload).
    wine "$msaa_client" listen 4000 >"$tmp/heard" 2>&1 &
    listener=$!
    for _ in $(seq 200); do grep -q '^listening' "$tmp/heard" && break; sleep 0.05; done
    ask "play; sync; enqueue 1; sync"
    wait "$listener" || true
    said=$(tr -d '\r' <"$tmp/heard")
    check "the client hears the head's line go when it starts playing" '^event destroy list line 1$' "$said"
    check "and the list change when an entry is added" '^event reorder list' "$said"
    said=$(client press Clear read)
    check "Clear empties the list the client reads" '^list "" role list, 0 lines' "$said"
    check "and the client hears the list change" '^event \(reorder\|destroy\) list' "$said"
    ask "sync; queue"
    check "the host's queue is empty" "playback queue, 0 entries\|queue is empty" "$reply"
    said=$(client press Close gone)
    check "Close closes the window" '^the window is gone$' "$said"
    check "what the client still holds answers as cut off" '^the client it held fails (0x[0-9a-f]*), the list fails' "$said"
    until_shows "show" "no window open"
    check "the host has no window open" "(no window open)" "$reply"
    stop_host
    ;;
  *)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
