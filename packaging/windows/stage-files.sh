#!/usr/bin/env bash
# Writes the NSIS lines that install (`install`) or remove (`uninstall`) exactly the files of
# the program's folder staged by `cmake --install`. kx350t-pc.nsi includes them, so the
# installer and its uninstaller always agree with the install rules, and the uninstaller
# removes only what was installed. Usage: stage-files.sh install|uninstall STAGE
set -euo pipefail
mode=$1
stage=$(cd "$2" && pwd)
cd "$stage"

# A name as text in an NSIS string: '$' doubled (names are checked for what cannot be written).
escape() { printf '%s' "${1//\$/\$\$}"; }
writable() {
  case $1 in
    *'"'* | *$'\n'*) echo "stage-files.sh: cannot name \"$1\" in the installer" >&2; exit 1 ;;
  esac
}
writable "$stage"
# A staged file, to be packed.
staged() { printf '"%s/%s"' "$(escape "$stage")" "$(escape "$1")"; }
# A path under the install folder, with Windows' separators.
installed() {
  local part
  part=$(escape "$1")
  # shellcheck disable=SC2016 # $INSTDIR is NSIS's
  printf '"$INSTDIR%s"' "${part:+\\${part//\//\\}}"
}

# Grouped by folder, so each folder is entered once.
files=()
while IFS=$'\t' read -r -d '' dir name; do
  writable "$dir/$name"
  files+=("${dir#.}/$name")
done < <(find . -type f -printf '%h\t%f\0' | LC_ALL=C sort -z)
files=("${files[@]#/}")
if ((${#files[@]} == 0)); then
  echo "stage-files.sh: $stage holds no files" >&2
  exit 1
fi

case $mode in
  install)
    folder=-
    for f in "${files[@]}"; do
      dir=$(dirname "$f")
      [ "$dir" = . ] && dir=
      if [ "$dir" != "$folder" ]; then
        echo "SetOutPath $(installed "$dir")"
        folder=$dir
      fi
      echo "File $(staged "$f")"
    done
    ;;
  uninstall)
    for f in "${files[@]}"; do
      echo "Delete $(installed "$f")"
    done
    # Deepest first; RMDir leaves a folder that still holds something of the operator's.
    while IFS= read -r -d '' d; do
      echo "RMDir $(installed "${d#./}")"
    done < <(find . -mindepth 1 -type d -print0 | LC_ALL=C sort -rz)
    ;;
  *)
    echo "usage: stage-files.sh install|uninstall STAGE" >&2
    exit 1
    ;;
esac
