#!/usr/bin/env bash
# Takes the help's pictures (help/img/*.png) again: builds kx_help_screens and runs the
# program's own windows offscreen against the simulated device, in the Polish locale of the
# bench. Run it when a window changes, look at the pictures and commit them with the change.
# Usage: help-screenshots.sh [BUILD_DIR]   (default: build/, the normal build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" != "$root/build" ]; then
    echo "$build is not a configured build folder" >&2
    exit 1
  fi
  "$root/scripts/install-deps.sh"
  (cd "$root" && cmake --preset default -G Ninja >/dev/null)
fi
cmake --build "$build" --target kx_help_screens -j "${KX_JOBS:-$(nproc)}"

# Into a fresh folder first: a run that fails leaves the committed pictures as they were.
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
QT_QPA_PLATFORM=offscreen LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8 \
  "$build/help/kx_help_screens" "$shots"
img="$root/help/img"
mkdir -p "$img"
rm -f "$img"/*.png
cp "$shots"/*.png "$img"/
du -ch "$img"/*.png | tail -1
