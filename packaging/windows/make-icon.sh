#!/usr/bin/env bash
# Makes kx350t-pc.ico (the Windows program's icon) from packaging/kx350t-pc.svg, one image per
# size Windows asks for. Run it again after the drawing changes; the .ico is kept in the tree
# so the build needs neither tool.
# ImageMagick's own SVG renderer fills the casing's gradient black, so librsvg draws each size
# (Debian: librsvg2-bin) and ImageMagick only packs the images.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
svg="$here/../kx350t-pc.svg"
ico="$here/kx350t-pc.ico"
for tool in rsvg-convert convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "make-icon.sh needs $tool (Debian: librsvg2-bin imagemagick)" >&2
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
images=()
# Each size drawn from the outline, not scaled down from a larger image, stays sharp.
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" "$svg"
  images+=("$work/$size.png")
done
convert "${images[@]}" "$ico"
echo "$ico"
