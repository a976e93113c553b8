#!/usr/bin/env bash
# Installs what is missing, builds the normal build and makes its Debian package with cpack
# (programs, menu entry and icon); prints the package's path. Install the package with
# `apt-get install ./kx350t-pc_*.deb`, which also pulls in the Qt and QCustomPlot libraries.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" default

out="$root/build/package"
mkdir -p "$out"
rm -f "$out"/*.deb
(cd "$root/build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || {
  cat "$out/cpack.log" >&2
  exit 1
}
debs=("$out"/*.deb)
if [ ! -f "${debs[0]}" ]; then
  echo "cpack made no package; see $out/cpack.log" >&2
  exit 1
fi
echo "${debs[0]}"
