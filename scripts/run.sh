#!/usr/bin/env bash
# Installs what is missing, builds, and starts KX350T-PC in the working folder run/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" default
mkdir -p "$root/run"
cd "$root/run"
exec "$root/build/src/kx350t-pc"
