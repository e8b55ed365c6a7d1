# Sourced by what runs Windows programs under Wine (tools/wine-run and the
# real-window tests' scripts): Wine's environment and a prefix made once.
#
#   wine_environment      Wine quiet, no Mono or Gecko, a UTF-8 locale.
#   ensure_wine_prefix    makes $WINEPREFIX on first use, once even when
#                         several programs start at the same time (ctest -j;
#                         the lock is $WINEPREFIX.lock), with the fonts of
#                         tools/wine-fonts.sh; and makes it again when the
#                         installed Wine, or whether the kernel runs 32-bit
#                         programs, has changed since: a prefix made while only
#                         the 64-bit Wine could run cannot start any program
#                         once the 32-bit side (wine32) runs. One 64-bit prefix
#                         runs the programs of x64 and x86 builds.
#   wine_runs_32_bit      whether Wine's 32-bit side can run on this machine.

wine_tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Whether this machine runs 32-bit programs at all: a kernel built without
# 32-bit support cannot start Wine's 32-bit loader, installed or not.
wine_runs_32_bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_environment() {
  export WINEDEBUG=-all
  # Debian's wine starts the 32-bit loader whenever it is installed; where it
  # cannot run, 64-bit programs go to the 64-bit loader straight (x86 builds
  # cannot run there at all). A wine of the user's own earlier on PATH is kept.
  if [ "$(command -v wine)" = /usr/bin/wine ] && [ -x /usr/lib/wine/wine ] && ! wine_runs_32_bit; then
    export PATH="$wine_tools/wine64-loader:$PATH"
  fi
  # No Mono or Gecko: nothing here needs them, and Wine would offer to fetch them.
  export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
  # Wine turns Linux names and arguments into Windows ones in the locale's
  # character set: UTF-8, so that any name passes.
  if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then export LC_ALL=C.UTF-8; fi
}

# The Wine packages and versions installed; .wine-packages in the prefix names
# those it was made with.
wine_packages() {
  dpkg-query -W -f='${db:Status-Status} ${binary:Package} ${Version}\n' 'wine*' 'libwine*' 2>/dev/null |
    sed -n 's/^installed //p' | sort
  if wine_runs_32_bit; then echo "32-bit programs run"; else echo "no 32-bit programs"; fi
}

# dpkg is asked only when its record has changed since the prefix was made or
# last found current.
ensure_wine_prefix() {
  local stamp="$WINEPREFIX/.wine-packages" packages
  [ -f "$WINEPREFIX/.ready" ] && [ ! /var/lib/dpkg/status -nt "$stamp" ] && return 0
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.ready" ] || [ /var/lib/dpkg/status -nt "$stamp" ]; then
    packages=$(wine_packages)
    if [ -f "$WINEPREFIX/.ready" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$packages" ]; then
      touch "$stamp"
    else
      # A server still running for the old prefix could serve the new one.
      if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
      rm -rf "$WINEPREFIX"
      env -u DISPLAY wineboot --init >/dev/null 2>&1 || true
      # The fonts windows are designed for, and East Asian glyphs.
      env -u DISPLAY "$wine_tools/wine-fonts.sh"
      wineserver --wait || true
      [ -f "$WINEPREFIX/system.reg" ] || { echo "could not make the Wine prefix $WINEPREFIX" >&2; exit 1; }
      echo "$packages" >"$stamp"
      touch "$WINEPREFIX/.ready"
    fi
  fi
  exec 9>&-
}
