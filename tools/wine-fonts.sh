#!/usr/bin/env bash
# Makes the fonts a Windows program expects visible in a Wine prefix, once,
# right after the prefix is made: tools/wine-fonts.sh (WINEPREFIX set).
#
# Debian's Wine does not find its own fonts (Tahoma, behind the dialog font
# "MS Shell Dlg") and falls back to Liberation Sans, whose 6 x 12 cell would
# scale every dialog; linked into the prefix's Fonts folder they are found, and
# the dialog font has the 6 x 13 cell that windows are designed for. The East
# Asian glyphs Tahoma lacks come from WenQuanYi Micro Hei (wine-fonts.reg).
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX names the prefix}"
here=$(cd "$(dirname "$0")" && pwd)
fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in /usr/share/wine/fonts/*.ttf; do
  [ -e "$font" ] && ln -sf "$font" "$fonts/"
done
# Wine's drive Z: is the root of the file system.
WINEDEBUG=-all wine regedit /S "Z:${here//\//\\}\\wine-fonts.reg"
