#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need; installs only what
# is missing, so running it again is cheap.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libqcustomplot-dev libgl-dev
  clang libclang-rt-14-dev clang-format
  g++-mingw-w64-x86-64-posix
  wine wine64
  nsis qt6-translations-l10n openbox wmctrl
  xvfb xauth fonts-dejavu-core xdotool imagemagick
  locales
  dpkg-dev file desktop-file-utils
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]}; run this script as root" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Some tests run in a Polish locale (decimal comma).
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then
    sed -i 's/^# *\(pl_PL\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  else
    echo "the pl_PL.UTF-8 locale is missing; run this script as root" >&2
    exit 1
  fi
fi
