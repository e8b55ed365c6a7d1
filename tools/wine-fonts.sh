#!/usr/bin/env bash
# Makes the fonts a Windows program expects visible in a Wine prefix, when
# the prefix is made: tools/wine-fonts.sh (WINEPREFIX set).
#
# Debian's Wine does not find its own fonts (Tahoma, behind the dialog font
# "MS Shell Dlg") and falls back to Liberation Sans, whose 6 x 12 cell would
# scale every dialog; linked into the prefix's Fonts folder they are found, and
# the dialog font has the 6 x 13 cell that windows are designed for. The East
# Asian glyphs and the symbols Tahoma lacks come from fonts linked to it
# (wine-fonts.reg).
#
# Cheap to call again: a prefix that has this script's and wine-fonts.reg's
# present contents (a stamp in the prefix says so) is left as it is.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX names the prefix}"
here=$(cd "$(dirname "$0")" && pwd)
stamp=$(cat "$here/wine-fonts.sh" "$here/wine-fonts.reg" | md5sum | cut -d' ' -f1)
[ "$(cat "$WINEPREFIX/.fonts" 2>/dev/null)" = "$stamp" ] && exit 0
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*.ttf; do
  [ -e "$font" ] && ln -sf "$font" "$fonts/"
done
# Wine's drive Z: is the root of the file system.
WINEDEBUG=-all wine regedit /S "Z:${here//\//\\}\\wine-fonts.reg"
# The server this started goes before a program that may want another display.
wineserver --wait || true
echo "$stamp" >"$WINEPREFIX/.fonts"
