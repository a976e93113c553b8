#!/usr/bin/env bash
# The Windows program's checks, each under wine: the Windows build's tests through ctest (the
# core, the Win32 serial engine through a COM port mapped onto a pseudo-terminal, the windows
# offscreen), the installer made, installed and uninstalled silently, and the installed
# program end to end against the simulated device on a virtual screen. Needs Qt for Windows
# (scripts/qt-mingw.sh says where it looks). Screenshots of the end-to-end run go to the
# folder $KX_SCREENSHOTS when it is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
scripts/qt-mingw.sh >/dev/null
# The Linux build has the simulator and the POSIX peers the Windows checks run against.
scripts/build.sh default
scripts/build.sh windows

echo "== Windows build: the tests under wine (ctest)"
work=$(mktemp -d "${TMPDIR:-/tmp}/kx-windows-tests.XXXXXX")
trap 'WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
if ! scripts/wine-prefix.sh "$work/prefix" --offscreen; then
  cat "$work/prefix.wineserver.log" >&2
  exit 1
fi
status=0
(cd build-windows && WINEPREFIX="$work/prefix" ctest --output-on-failure -j "${KX_JOBS:-2}") ||
  status=$?
# The firmware update's command line as the stand-in programmer tool received it.
grep -a -h 'programmer started as' build-windows/Testing/Temporary/LastTest.log | tr -d '\r' ||
  true
WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
if [ "$status" -ne 0 ]; then
  exit "$status"
fi

echo "== Windows installer"
setup=$(scripts/package-windows.sh | tail -n 1)
echo "$setup ($(stat -c %s "$setup") bytes)"

echo "== installed and uninstalled silently under wine"
tests/win/install_check.sh "$setup"

echo "== the installed program under wine against the simulated device"
tests/win/end_to_end.sh "$setup" ${KX_SCREENSHOTS:+"$KX_SCREENSHOTS"}
