#!/usr/bin/env bash
# tests/hosts_agree.sh LINUX_OUT WINDOWS_HOST.exe WINDOWS_COMPONENT.dll WINE_RUN
# The Linux host and the Windows host (under Wine) run the same sessions and
# print the same text, once the names that differ by platform are made alike:
# the library's file name, the configuration folder each was given and the
# build time. Then the Windows host saves its configuration through symbolic
# links (made here: a program under Wine cannot make one), and the links stay.
set -euo pipefail
linux=$1 windows_host=$2 windows_component=$3 wine_run=$4
component_name=$(basename "$windows_component")
if [ ! -x "$linux/sorvale-host" ] || [ ! -f "$linux/foo_sorvale.so" ]; then
  echo "skipped: no Linux host in $linux (build the Linux preset first)"
  exit 77
fi
unset DISPLAY  # the same headless toolkit on both sides
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

session="menu; open View/Sorvale; show; line 2; line 3 shift; key Delete; show; play; enqueue 9 10; show"
session+="; line 99; click Nothing; key Tab; key Space; queue; move 40 30; resize 240 260; save; key Escape; queue"

# Runs both hosts with the same options (CONFIG is each host's own folder)
# and compares what they print, standard output and error. Standard input is
# no terminal, or a run with no script would prompt for one.
compare() {  # compare NAME OPTIONS...
  local name=$1
  shift
  local status=0
  "$linux/sorvale-host" "${@//CONFIG/$work/linux}" "$linux/foo_sorvale.so" </dev/null >"$work/linux.out" 2>"$work/linux.err" || status=$?
  echo "exit status $status" >>"$work/linux.err"
  status=0
  "$wine_run" "$windows_host" "${@//CONFIG/$work/windows}" "$windows_component" \
    </dev/null >"$work/windows.out" 2>"$work/windows.err" || status=$?
  echo "exit status $status" >>"$work/windows.err"
  for side in linux windows; do
    cat "$work/$side.out" "$work/$side.err" |
      sed -e "s|$work/$side[/\\\\]|CONFIG/|g" -e "s|$work/$side|CONFIG|g" -e "s/foo_sorvale\\.so\|${component_name//./\\.}/COMPONENT/g" \
        -e 's/Compiled: .*/Compiled: (when)/' >"$work/$side.txt"
  done
  if diff -u "$work/linux.txt" "$work/windows.txt" >"$work/diff"; then
    echo "ok: $name ($(wc -l <"$work/linux.txt") lines alike)"
  else
    echo "FAILED: $name: the hosts differ (- Linux, + Windows):"
    cat "$work/diff"
    failures=$((failures + 1))
  fi
}

compare "first run, nothing saved yet" --config-dir CONFIG --run "$session"
compare "second run, the saved window restored" --config-dir CONFIG --run "$session"
printf 'XXXX' >>"$work/linux/foo_sorvale.so.cfg"
printf 'XXXX' >>"$work/windows/$component_name.cfg"
compare "a file that ends inside a record" --config-dir CONFIG --queue 3 --run "open View/Sorvale; show"
compare "options refused" --queue -1
compare "without a configuration" --no-config

# The file a link leads to is the one replaced, and every link stays.
mkdir -p "$work/link/config" "$work/link/real" "$work/link/links"
cp "$work/windows/$component_name.cfg" "$work/link/real/kept.cfg"
ln -s ../real/kept.cfg "$work/link/links/middle"
ln -s "$work/link/links/middle" "$work/link/config/$component_name.cfg"
before=$(od -An -tx1 "$work/link/real/kept.cfg")
out=$("$wine_run" "$windows_host" --config-dir "$work/link/config" --queue 0 \
  --run "open View/Sorvale; move 12 34; key Escape" "$windows_component" 2>&1 || true)
after=$(od -An -tx1 "$work/link/real/kept.cfg")
if grep -q "restored 56 bytes" <<<"$out" && [ -L "$work/link/config/$component_name.cfg" ] && [ -L "$work/link/links/middle" ] &&
  [ "$before" != "$after" ] && [ "$(ls "$work/link/real")" = kept.cfg ] && [ "$(ls "$work/link/config")" = "$component_name.cfg" ]; then
  echo "ok: the Windows host reads and saves through links, which stay"
else
  echo "FAILED: saving through links: $out"
  ls -l "$work/link/config" "$work/link/links" "$work/link/real"
  failures=$((failures + 1))
fi

echo "$((5 + 1 - failures)) passed, $failures failed"
[ "$failures" = 0 ]
