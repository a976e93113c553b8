#!/usr/bin/env bash
# The Windows program as an operator meets it, under wine on a virtual screen with a window
# manager: installed silently by its installer into a fresh prefix, started from its desktop
# shortcut (so in its working folder), connected by itself to a simulated KX350T through a COM
# port that wine maps onto the simulator's terminal, a measurement started with a click on
# START, the main window closed as the window manager closes it, and the desktop session
# ended while it runs. Checks:
#   - the simulator saw the wizard's whole read-out, in the wizard's order;
#   - START brings samples; their rate is printed;
#   - each close writes config.ini into the working folder: 29 lines ending in CR LF, the
#     port line naming the COM port.
# With a folder as second argument, screenshots of the wizard and the four tabs go there.
# Needs the Linux build (the simulator, wizard_order) and the Windows build (layout_probe).
# Usage: tests/win/end_to_end.sh INSTALLER [SCREENSHOT_FOLDER]
set -uo pipefail
if [ $# -lt 1 ] || [ ! -f "$1" ]; then
  echo "usage: end_to_end.sh INSTALLER [SCREENSHOT_FOLDER]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
installer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shots=${2:-}
[ -n "$shots" ] && mkdir -p "$shots" && shots=$(cd "$shots" && pwd)
sim_program=$root/build/sim/kx350t-sim
order_program=$root/build/tests/win/wizard_order
probe=$root/build-windows/layout_probe.exe
for f in "$sim_program" "$order_program" "$probe"; do
  if [ ! -x "$f" ] && [ ! -f "$f" ]; then
    echo "missing $f: build the Linux build and the Windows build first" >&2
    exit 2
  fi
done
qt=$("$root/scripts/qt-mingw.sh") || exit 2

work=$(mktemp -d /tmp/kx-e2e-XXXXXX)
# The operator's locale is Polish (decimal comma).
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d \
  LC_ALL=pl_PL.UTF-8 LANG=pl_PL.UTF-8
mkdir -p "$HOME"
pids=()
sim=""
cleanup() {
  wineserver -k 2>/dev/null
  timeout 30 wineserver -w 2>/dev/null
  [ -n "$sim" ] && kill "$sim" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

failures=0
pass() { echo "ok    $*"; }
fail() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}
finish() {
  if ((failures)); then
    echo "end-to-end run FAILED ($failures)"
    exit 1
  fi
  echo "end-to-end run passed"
  exit 0
}
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png"; }

# A virtual screen of its own, and a window manager on it.
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
export DISPLAY=:$n
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 ||
  wait_for 10 test -e "/tmp/.X11-unix/X$n" || { echo "Xvfb did not start" >&2; exit 1; }
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

"$root/scripts/wine-prefix.sh" "$WINEPREFIX" || { cat "$WINEPREFIX.wineserver.log" >&2; exit 1; }
if wine "$installer" /S && [ -f "$WINEPREFIX/drive_c/Program Files/KX350T-PC/kx350t-pc.exe" ]; then
  pass "installed silently"
else
  fail "silent installation"
  finish
fi

appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
userprofile=$(wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
workdir=$(winepath -u "$appdata\\KX350T-PC" 2>/dev/null | tr -d '\r')
shortcut="$userprofile\\Desktop\\KX350T-PC.lnk"
if [ -d "$workdir" ] && [ -f "$(winepath -u "$shortcut" 2>/dev/null | tr -d '\r')" ]; then
  pass "working folder $appdata\\KX350T-PC and desktop shortcut"
else
  fail "working folder ($workdir) or desktop shortcut ($shortcut) missing"
  finish
fi

# The simulator, reached as COM12 (a port Windows opens only as \\.\COM12). Its log counts
# seconds from its start.
sim_started=$(date +%s.%N)
"$sim_program" --verbose --link "$work/port" >"$work/sim.out" 2>"$work/sim.log" &
sim=$!
wait_for 10 test -e "$work/port" || { fail "the simulator did not start"; finish; }
ln -sfn "$(readlink -f "$work/port")" "$WINEPREFIX/dosdevices/com12"

config() {
  printf '%s\r\n' "Cz_0= 1" "Cz_1= 1" "Cz_2= 1" "Real_Time_Sample= 1" "Sample_rate= 100" \
    "Paging= 0" "Paging_tracking= 0" "Sample_per_page= 10" "Autorejestracja= 1" \
    "Rejestracja_Cz0= 1" "Rejestracja_Cz1= 1" "Rejestracja_Cz2= 1" "Rejestracja_PK1= 0" \
    "Rejestracja_PK2= 0" "Rejestracja_data= 0" "Rejestracja_godz= 0" "Rejestracja_czas= 1" \
    "Rejestracja_data= 1" "Rejestracja_index= 1" "Rejestracja_kolor= 1" \
    "domyslny_port_com= COM12" "Wykres_PK1_H= 0" "Wykres_PK1_F= 0" "Wykres_PK2_H= 0" \
    "Wykres_PK2_F= 0" "Wykres_PK3_H= 0" "Wykres_PK3_F= 0" "Wykres_PK4_H= 0" \
    "Wykres_PK4_F= 0"
}
config >"$workdir/config.ini"

# Where the clicks go: the program's own windows, built by the probe with the same Qt, fonts
# and window manager; the main window centres itself, so the probe's stands where the
# program's will.
WINEPATH="Z:${qt//\//\\}\\bin" wine "$probe" 15 ButtonStart ButtonRecord >"$work/probe.out" 2>&1 &
probed() { tr -d '\r' <"$work/probe.out" >"$work/probe.txt" && grep -q '^ButtonRecord ' "$work/probe.txt"; }
wait_for 60 probed || { cat "$work/probe.out"; fail "layout probe"; finish; }
probe_geometry=$(xdotool search --name 'kx-layout-probe' getwindowgeometry 2>/dev/null | tail -n 2)
read -r cx cy < <(sed -n 's/^client //p' "$work/probe.txt")
at() { read -r _ x y < <(grep "^$1 " "$work/probe.txt"); echo $((cx + x)) $((cy + y)); }
tab_at() { read -r _ _ x y < <(grep "^tab $1 " "$work/probe.txt"); echo $((cx + x)) $((cy + y)); }
click() { xdotool mousemove "$1" "$2" click 1; }
wait_for 30 sh -c '! xdotool search --name kx-layout-probe >/dev/null 2>&1'

# Started as the operator starts it: its desktop shortcut.
start_seconds=$(awk -v a="$(date +%s.%N)" -v b="$sim_started" 'BEGIN {printf "%.3f", a - b}')
wine start "$shortcut" 2>/dev/null
if xdotool search --sync --name '^KX350T-PC V1.00$' >/dev/null 2>&1; then
  pass "main window \"KX350T-PC V1.00\" shown"
else
  fail "no main window"
  finish
fi
main_geometry=$(xdotool search --name '^KX350T-PC V1.00$' getwindowgeometry | tail -n 2)
if [ "$main_geometry" = "$probe_geometry" ]; then
  pass "main window where the probe's stood"
else
  fail "main window at $main_geometry, the probe's at $probe_geometry"
fi

# The wizard's read-out, as the simulator saw it: each parameter read in the wizard's order
# (a read repeated after a late answer counts once).
expected=$("$order_program")
readout() {
  awk -v since="$start_seconds" '/<- read / {t=$0; sub(/^\[ */, "", t); sub(/\].*/, "", t)
    if (t + 0 < since + 0) next
    n=$0; sub(/.*<- read +/, "", n); sub(/:.*/, "", n)
    if (n != last) { printf "%s%s", sep, n; sep=" "; last=n } }' "$work/sim.log"
}
complete() { readout | grep -q "^$expected"; }
if wait_for 30 complete; then
  done_at=$(awk '/<- read +29:/ {t=$0; sub(/^\[ */, "", t); sub(/\].*/, "", t); print t; exit}' "$work/sim.log")
  pass "wizard's read-out in order: $expected (done $(LC_ALL=C awk -v a="$done_at" -v b="$start_seconds" 'BEGIN {printf "%.1f", a - b}') s after the start)"
else
  fail "wizard's read-out: expected \"$expected\", the simulator saw \"$(readout)\""
fi
sleep 1
shot wizard

# The wizard closed as a window manager closes it.
wmctrl -c 'łączenie z urządzeniem' 2>/dev/null
sleep 1

# START, clicked. The chart tab records meanwhile ("Nagrywaj wykres").
measurements() { grep -c -- '-> measurement' "$work/sim.log"; }
before=$(measurements)
click $(at ButtonStart)
if wait_for 10 sh -c "[ \$(grep -c -- '-> measurement' '$work/sim.log') -gt $before ]"; then
  pass "START clicked: samples come"
else
  fail "START clicked: no sample"
fi
click $(tab_at 3)
sleep 0.5
click $(at ButtonRecord)
from=$(measurements)
sleep 10
to=$(measurements)
rate=$(LC_ALL=C awk -v n=$((to - from)) 'BEGIN {printf "%.1f", n / 10}')
pass "continuous sampling: $((to - from)) samples in 10 s, $rate samples per second"
shot tab3-wykres
for t in 4:rejestracja 2:urzadzenie 1:wskazniki; do
  click $(tab_at "${t%%:*}")
  sleep 1
  shot "tab${t%%:*}-${t#*:}"
done

# Closed as the window manager closes it: config.ini written in the working folder.
check_config() { # check_config WHEN
  local file=$workdir/config.ini lines crlf port
  lines=$(wc -l <"$file" 2>/dev/null || echo 0)
  crlf=$(grep -c $'\r$' "$file" 2>/dev/null || echo 0)
  port=$(grep -a '^domyslny_port_com=' "$file" 2>/dev/null | tr -d '\r')
  if [ "$lines" = 29 ] && [ "$crlf" = 29 ] && [ "$port" = "domyslny_port_com= COM12" ]; then
    pass "$1: config.ini written, 29 CR LF lines, \"$port\""
  else
    fail "$1: config.ini has $lines lines, $crlf with CR LF, port line \"$port\""
  fi
}
rm -f "$workdir/config.ini"
wmctrl -c 'KX350T-PC V1.00'
if wait_for 20 sh -c '! xdotool search --name "^KX350T-PC V1.00$" >/dev/null 2>&1'; then
  pass "main window closed by the window manager: the program ended"
else
  fail "the program did not end after its main window was closed"
fi
wait_for 10 test -f "$workdir/config.ini"
check_config "closed"

# Logging off: the session ends while the program runs.
wine start "$shortcut" 2>/dev/null
xdotool search --sync --name '^KX350T-PC V1.00$' >/dev/null 2>&1
sleep 3
rm -f "$workdir/config.ini"
wineboot --end-session >/dev/null 2>&1
wait_for 20 test -f "$workdir/config.ini"
check_config "session ended"

finish
