#!/usr/bin/env bash
# ctest's emulator for the Windows build: runs one Windows test program under wine with Qt
# for Windows on its DLL path. Qt Test writes nothing to a pipe under wine, so the program
# writes its report into a file, which is printed afterwards; the exit status is the
# program's. WINEPREFIX comes from the caller (scripts/test-windows.sh makes one).
# Usage: wine-test.sh PROGRAM.exe [ARGUMENTS...]
set -u
qt=${KX_QT_MINGW_PREFIX:-/opt/qt6-mingw64}
program=$1
shift
report=$(mktemp "${TMPDIR:-/tmp}/kx-wine-test.XXXXXX")
# wine's drive Z: is the root of this file system.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
WINEPATH=$(windows_path "$qt/bin") WINEDEBUG=${WINEDEBUG:--all} \
  wine "$program" "$@" -o "$(windows_path "$report"),txt" </dev/null
status=$?
cat "$report"
rm -f "$report"
exit "$status"
