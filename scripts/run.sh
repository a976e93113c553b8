#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated KX350T on a pseudo-terminal and
# starts KX350T-PC in the working folder run/, set to connect to it, with the help and the
# manual in run/help. The program connects by
# itself one second after start. Extra arguments go to the simulator (see kx350t-sim --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" default

run="$root/run"
mkdir -p "$run"
port="$run/kx350t-sim-port"

"$root/build/sim/kx350t-sim" --link "$port" "$@" >"$run/sim.out" 2>"$run/sim.log" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "$port" ] && break
  sleep 0.1
done
if [ ! -e "$port" ]; then
  echo "the simulated device did not start; see $run/sim.log" >&2
  exit 1
fi

# The simulator's port as the default port; the operator's other settings are kept.
config="$run/config.ini"
if [ -f "$config" ] && grep -q '^domyslny_port_com=' "$config"; then
  sed -i "s|^domyslny_port_com=.*|domyslny_port_com= $port\r|" "$config"
else
  printf '%s\r\n' "Cz_0= 1" "Cz_1= 1" "Cz_2= 1" "Real_Time_Sample= 0" "Sample_rate= 100" \
    "Paging= 0" "Paging_tracking= 0" "Sample_per_page= 10" "Autorejestracja= 1" \
    "Rejestracja_Cz0= 1" "Rejestracja_Cz1= 1" "Rejestracja_Cz2= 1" "Rejestracja_PK1= 0" \
    "Rejestracja_PK2= 0" "Rejestracja_data= 0" "Rejestracja_godz= 0" "Rejestracja_czas= 1" \
    "Rejestracja_data= 1" "Rejestracja_index= 1" "Rejestracja_kolor= 1" \
    "domyslny_port_com= $port" "Wykres_PK1_H= 0" "Wykres_PK1_F= 0" "Wykres_PK2_H= 0" \
    "Wykres_PK2_F= 0" "Wykres_PK3_H= 0" "Wykres_PK3_F= 0" "Wykres_PK4_H= 0" \
    "Wykres_PK4_F= 0" >"$config"
fi

# The help and the manual of the build, where "Pomoc" looks first (an operator's own help
# folder there is left alone).
if [ -L "$run/help" ] || [ ! -e "$run/help" ]; then
  ln -sfn "$root/build/share/kx350t-pc/help" "$run/help"
fi

cd "$run"
"$root/build/src/kx350t-pc"
