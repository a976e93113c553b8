#!/usr/bin/env bash
# bench_measurement of the Linux build and of the Windows build under wine, one after the
# other in one run, each against a simulated KX350T of its own (the Windows program reaches
# its terminal through a COM port that wine maps onto it), and the ratio of their continuous
# sampling rates. Both builds must be built (scripts/build.sh default; scripts/build.sh windows).
# Usage: bench-windows.sh [seconds of each continuous run, default 10]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
qt=$("$root/scripts/qt-mingw.sh")
work=$(mktemp -d "${TMPDIR:-/tmp}/kx-bench-windows.XXXXXX")
export WINEPREFIX="$work/wine"
sim=""
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  WINEPREFIX="$work/wine" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

start_sim() {
  "$root/build/sim/kx350t-sim" --link "$work/port" >"$work/sim.out" 2>"$work/sim.log" &
  sim=$!
  for _ in $(seq 50); do [ -e "$work/port" ] && return 0; sleep 0.1; done
  echo "the simulator did not start" >&2
  return 1
}
stop_sim() {
  kill "$sim" && wait "$sim" 2>/dev/null || true
  sim=""
}
rate() { sed -n 's/.*samples_per_second=\([0-9.]*\).*/\1/p' "$1" | tail -n 1; }

echo "== Linux build"
start_sim
(cd "$work" && "$root/build/bench/measurement/bench_measurement" "$seconds" --port "$work/port") |
  tee "$work/linux.txt"
stop_sim

echo "== Windows build under wine"
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" --offscreen
start_sim
ln -sfn "$(readlink -f "$work/port")" "$WINEPREFIX/dosdevices/com9"
(cd "$work" && WINEPATH="Z:${qt//\//\\}\\bin" WINEDEBUG=-all \
  wine "$root/build-windows/bench_measurement.exe" "$seconds" --port COM9) | tr -d '\r' |
  tee "$work/windows.txt"
stop_sim

linux=$(rate "$work/linux.txt")
windows=$(rate "$work/windows.txt")
if [ -z "$linux" ] || [ -z "$windows" ]; then
  echo "a run printed no rate" >&2
  exit 1
fi
awk -v l="$linux" -v w="$windows" 'BEGIN {
  printf "continuous sampling: Linux %.2f, Windows under wine %.2f samples per second\n", l, w
  printf "linux_samples_per_second=%.2f windows_samples_per_second=%.2f ratio_windows_to_linux=%.3f\n", l, w, w / l }'
