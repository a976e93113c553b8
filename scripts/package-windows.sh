#!/usr/bin/env bash
# Installs what is missing, builds the Windows program against Qt for Windows, stages the
# folder that goes to C:\Program Files\KX350T-PC (`cmake --install`, stripped; the help and
# the manual of the Linux build in help\) in build-windows/stage and makes the installer of it
# with NSIS; prints the installer's path,
# build-windows/package/kx350t-pc-VERSION-setup.exe. tests/win/install_check.sh tries it
# under wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
qt=$("$root/scripts/qt-mingw.sh")
"$root/scripts/build.sh" windows

build="$root/build-windows"
stage="$build/stage"
out="$build/package"
mkdir -p "$out"
rm -rf "$stage"

# The manual is made from the help by a program of the build, which cannot run here as a
# Windows program: the Linux build makes it, and the install rules take it from there.
if [ ! -f "$root/build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset default -G Ninja >/dev/null)
fi
cmake --build "$root/build" --target kx_manual -j "${KX_JOBS:-$(nproc)}" >"$out/manual.log" 2>&1 || {
  cat "$out/manual.log" >&2
  exit 1
}
cmake --install "$build" --prefix "$stage" --strip >"$out/install.log" 2>&1 || {
  cat "$out/install.log" >&2
  exit 1
}

# Every DLL that the staged program and its DLLs import is staged beside it, unless it is
# Windows' own; every DLL beside the program is imported by something (the plugins in the
# folders are loaded by name, not imported).
shopt -s nocaseglob nullglob
ours=("$qt/bin" /usr/x86_64-w64-mingw32/lib /usr/lib/gcc/x86_64-w64-mingw32/*-posix)
imported=()
problems=0
while IFS= read -r -d '' binary; do
  while read -r dll; do
    imported+=("${dll,,}")
    [ -n "$(compgen -G "$stage/$dll")" ] && continue
    for dir in "${ours[@]}"; do
      if [ -n "$(compgen -G "$dir/$dll")" ]; then
        echo "${binary#"$stage"/} imports $dll, which is not installed" >&2
        problems=1
        break
      fi
    done
  done < <(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$stage" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
for dll in "$stage"/*.dll; do
  name=$(basename "$dll")
  if ! printf '%s\n' "${imported[@]}" | grep -qxF "${name,,}"; then
    echo "$name is installed, but nothing imports it" >&2
    problems=1
  fi
done
shopt -u nocaseglob nullglob
# The help beside the program, where it looks for it.
for doc in help/KX350T-PC.html "help/KX350T rev 1.0_instrukcja_obslugi.pdf"; do
  if [ ! -f "$stage/$doc" ]; then
    echo "$doc is not staged" >&2
    problems=1
  fi
done
if ((problems)); then
  exit 1
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup="$out/kx350t-pc-$version-setup.exe"
rm -f "$out"/*-setup.exe
makensis -V2 -DSTAGE="$stage" -DVERSION="$version" -DOUTFILE="$setup" \
  "$root/packaging/windows/kx350t-pc.nsi" >"$out/makensis.log" 2>&1 || {
  cat "$out/makensis.log" >&2
  exit 1
}
echo "$setup"
