#!/usr/bin/env bash
# Configures and builds one preset (default: the normal build). Usage: build.sh [preset]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
jobs=${KX_JOBS:-$(nproc)}
dir=$(case "$preset" in default) echo build ;; *) echo "build-$preset" ;; esac)
# The Windows build's toolchain file comes with Qt for Windows.
if [ "$preset" = windows ]; then
  scripts/qt-mingw.sh >/dev/null || exit 1
fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake --preset "$preset" -G Ninja >/dev/null
fi
cmake --build --preset "$preset" -j "$jobs"
