#!/usr/bin/env bash
# Makes Qt for Windows (the mingw-w64 build of Qt 6.4.2 with QCustomPlot, the Windows build's
# libraries) available in /opt/qt6-mingw64, the prefix it was built for, unpacking it once.
# Debian does not package it; it comes as qt6.4.2-mingw64.tar.xz, looked for in this order:
#   $KX_QT_MINGW                 the archive, or a folder holding it (or holding it unpacked)
#   ../shared/toolchains/        beside this working copy
#   ../shared/toolchains/        beside the repository this clone was made from
# Prints the prefix; fails with what is missing otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=/opt/qt6-mingw64
name=qt6.4.2-mingw64.tar.xz
marker="$prefix/mingw64-toolchain.cmake"

if [ -f "$marker" ] && [ -f "$prefix/bin/Qt6Core.dll" ]; then
  echo "$prefix"
  exit 0
fi

candidates=()
if [ -n "${KX_QT_MINGW:-}" ]; then
  if [ -d "$KX_QT_MINGW" ] && [ -f "$KX_QT_MINGW/mingw64-toolchain.cmake" ]; then
    candidates+=("$KX_QT_MINGW") # already unpacked
  elif [ -d "$KX_QT_MINGW" ]; then
    candidates+=("$KX_QT_MINGW/$name")
  else
    candidates+=("$KX_QT_MINGW")
  fi
fi
candidates+=("$root/../shared/toolchains/$name")
origin=$(git -C "$root" remote get-url origin 2>/dev/null || true)
if [ -n "$origin" ] && [ -d "$origin" ]; then
  candidates+=("$(cd "$origin" && pwd)/../shared/toolchains/$name")
fi

for c in "${candidates[@]}"; do
  if [ -d "$c" ] && [ -f "$c/mingw64-toolchain.cmake" ]; then
    if [ "$(cd "$c" && pwd)" != "$prefix" ]; then
      mkdir -p "$(dirname "$prefix")"
      rm -rf "$prefix"
      cp -a "$c" "$prefix"
    fi
    echo "$prefix"
    exit 0
  fi
  if [ -f "$c" ]; then
    if [ ! -w "$(dirname "$prefix")" ]; then
      echo "Qt for Windows: $(dirname "$prefix") is not writable; run this as root" >&2
      exit 1
    fi
    rm -rf "$prefix"
    tar -xJf "$c" -C "$(dirname "$prefix")"
    if [ ! -f "$marker" ]; then
      echo "Qt for Windows: $c did not unpack to $prefix" >&2
      exit 1
    fi
    echo "$prefix"
    exit 0
  fi
done

{
  echo "Qt for Windows is missing: the Windows build needs $name"
  echo "(Qt 6.4.2 for 64-bit Windows built with Debian's mingw-w64, with QCustomPlot)."
  echo "Looked for it in:"
  printf '  %s\n' "${candidates[@]}"
  echo "Set KX_QT_MINGW to the archive or to the folder that holds it."
} >&2
exit 1
