#!/usr/bin/env bash
# Makes a fresh wine prefix for running the Windows build: boots it, starts its wineserver for
# the whole run (the first program would otherwise wait for it), and gives it Debian's DejaVu
# fonts, so the program on a screen draws Polish letters. With --offscreen, every Qt program
# in the prefix runs on Qt's offscreen platform with those fonts, as the tests do on Linux:
# wine hands no QT_ variable of ours to a Windows program, so QT_QPA_PLATFORM and
# QT_QPA_FONTDIR are set in the prefix's own environment.
# Usage: wine-prefix.sh PREFIX [--offscreen]     (`WINEPREFIX=PREFIX wineserver -k` ends it)
set -euo pipefail
prefix=$1
offscreen=${2:-}
# The operator's locale, Polish, becomes the prefix's regional settings at its first boot.
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8
mkdir -p "$prefix"
wineserver -p >"$prefix.wineserver.log" 2>&1
wineboot -i >>"$prefix.wineserver.log" 2>&1
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts" "$prefix/drive_c/kx-fonts"
for f in DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSans-Oblique.ttf DejaVuSans-BoldOblique.ttf \
  DejaVuSansMono.ttf; do
  cp "/usr/share/fonts/truetype/dejavu/$f" "$prefix/drive_c/kx-fonts/"
  cp "/usr/share/fonts/truetype/dejavu/$f" "$fonts/"
done
if [ "$offscreen" = --offscreen ]; then
  wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >>"$prefix.wineserver.log" 2>&1
  wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d 'C:\kx-fonts' /f >>"$prefix.wineserver.log" 2>&1
fi
# Wine's own stand-ins for the Windows interface fonts lack some Polish letters.
for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Segoe UI' 'MS Sans Serif'; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'DejaVu Sans' /f \
    >>"$prefix.wineserver.log" 2>&1
done
