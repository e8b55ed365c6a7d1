# What the real-window tests share, sourced by them: a virtual X display of
# their own, the host driven a line at a time through `--script -`, and checks
# that say what they saw.
#
# The sourcing script sets, before it calls these:
#   tmp           a scratch folder of its own
#   host_command  the command that runs the host (an array: ("$host") or (wine "$host"))
#   component     the component the host loads
#   x_search      xdotool search's options that find the queue window (an array)

# start_display: Xvfb on a display number it picks; exports DISPLAY, sets xvfb.
start_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
  [ -s "$tmp/display" ] || { echo "FAILED: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$tmp/display")"
}

# end_desktop: the host, the window manager and the display go, and the
# scratch folder; each script runs it on its way out (trap end_desktop EXIT).
xvfb=
wm=
end_desktop() {
  if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
  if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$tmp"
}

failures=0
check() {  # check NAME EXPECTED-GREP OUTPUT
  if grep -q -- "$2" <<<"$3"; then echo "ok: $1"; else echo "FAILED: $1 (no '$2' in:)"; echo "$3"; failures=$((failures + 1)); fi
}

marks=0
host_pid=
start_host() {  # start_host ARGS...: the host reading commands from us
  coproc HOST { exec "${host_command[@]}" --config-dir "$tmp/config" --queue 6 "$@" --script - "$component" 2>&1; }
  host_pid=$HOST_PID
  # Our own copies: bash drops the coprocess's when it ends, with its last words unread.
  exec {to_host}>&"${HOST[1]}" {from_host}<&"${HOST[0]}"
  eval "exec ${HOST[1]}>&- ${HOST[0]}<&-"
}
# ask "CMD; CMD": runs the commands and sets $reply to what they printed.
ask() {
  marks=$((marks + 1))
  printf '%s\n# mark %d\n' "${1//; /$'\n'}" "$marks" >&"$to_host"
  reply=
  local line
  while IFS= read -r -t 30 line <&"$from_host"; do
    [ "$line" = "> # mark $marks" ] && return 0
    reply+="$line"$'\n'
  done
  echo "FAILED: the host did not answer '$1' in time; it said:"
  echo "$reply"
  exit 1
}
# until_shows "CMDS" EXPECTED: asks again while the window system delivers what
# the X server was sent; gives up after five seconds.
until_shows() {
  for _ in $(seq 50); do
    ask "sync; $1"
    grep -q -- "$2" <<<"$reply" && return 0
    sleep 0.1
  done
  return 0  # the check after it says what was seen
}
stop_host() {  # ends the session; $reply is what the host said on its way out
  exec {to_host}>&-
  reply=
  local line
  while IFS= read -r -t 30 line <&"$from_host"; do reply+="$line"$'\n'; done
  wait "$host_pid" || true
  exec {from_host}<&-
  host_pid=
}
x_window() {  # the X window made for the queue window
  local id
  for _ in $(seq 50); do
    id=$(xdotool search "${x_search[@]}" --name '^Sorvale$' 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "FAILED: no X window named Sorvale" >&2
  exit 1
}
