#!/usr/bin/env bash
# Installs KX350T-PC with its Windows installer, silently, in a fresh wine prefix; checks that
# the program's folder holds exactly the staged files, that the working folder, the shortcuts
# and the uninstall entry are there; uninstalls with the command the entry registers and
# checks that all of it is gone but the operator's working folder. A second round checks that
# the uninstaller leaves a file of the operator's in the program's folder alone.
# Silent NSIS shows no window, so no display is needed.
# Usage: tests/win/install_check.sh INSTALLER
#   (the staged folder compared with: build-windows/stage, or KX_STAGE)
set -uo pipefail
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: install_check.sh INSTALLER" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
installer=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
stage=${KX_STAGE:-$root/build-windows/stage}
if [ ! -d "$stage" ]; then
  echo "no staged program folder in $stage (scripts/package-windows.sh makes it)" >&2
  exit 2
fi

work=$(mktemp -d /tmp/kx-inst-XXXXXX)
prefix=$work/prefix
# Wine links the user's Desktop to $HOME: a home of its own keeps the shortcut out of the real
# one. Wine's menu builder would copy the shortcuts into the desktop's menus: off.
export WINEPREFIX=$prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
cleanup() {
  wineserver -k 2>/dev/null
  timeout 30 wineserver -w 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

failures=()
pass() { echo "ok    $*"; }
fail() {
  echo "FAIL  $*"
  failures+=("$*")
}
finish() {
  if ((${#failures[@]})); then
    echo "install check FAILED (${#failures[@]}):"
    printf '  %s\n' "${failures[@]}"
    exit 1
  fi
  echo "install check passed"
  exit 0
}

echo "installer: $installer ($(stat -c %s "$installer") bytes)"
if ! "$root/scripts/wine-prefix.sh" "$prefix"; then
  fail "no fresh wine prefix; its log:"
  cat "$prefix.wineserver.log" >&2
  finish
fi

# Windows' names for the folders, and where they are here.
winenv() { wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
unixpath() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
appdata=$(winenv APPDATA)
userprofile=$(winenv USERPROFILE)
programdata=$(winenv ProgramData)
public=$(winenv PUBLIC)
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KX350T-PC'
instdir_win='C:\Program Files\KX350T-PC'
exe_win="$instdir_win\\kx350t-pc.exe"
workdir_win="$appdata\\KX350T-PC"
instdir=$prefix/drive_c/Program\ Files/KX350T-PC
workdir=$(unixpath "$workdir_win")
menu_user=$(unixpath "$appdata\\Microsoft\\Windows\\Start Menu\\Programs")
menu_all=$(unixpath "$programdata\\Microsoft\\Windows\\Start Menu\\Programs")
desktop_user=$(unixpath "$userprofile\\Desktop")
desktop_all=$(unixpath "$public\\Desktop")
if [ -z "$appdata" ] || [ -z "$workdir" ] || [ -z "$menu_user" ] || [ -z "$desktop_user" ]; then
  fail "the prefix's folders (APPDATA '$appdata', USERPROFILE '$userprofile')"
  finish
fi

# Target, working folder and icon of a shortcut, one a line. The strings of a .lnk follow its
# header, its item list and its link info; wine writes them in UTF-16 with their terminator.
lnk_fields() {
  python3 - "$1" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
flags = struct.unpack_from('<I', d, 0x14)[0]
pos = 0x4C
if flags & 0x1:
    pos += 2 + struct.unpack_from('<H', d, pos)[0]
target = ''
if flags & 0x2:
    size, header = struct.unpack_from('<II', d, pos)
    if header >= 0x24:
        off = struct.unpack_from('<I', d, pos + 0x1C)[0]
        end = d.index(b'\0\0', pos + off)
        end += (end - (pos + off)) % 2
        target = d[pos + off:end].decode('utf-16-le')
    else:
        off = struct.unpack_from('<I', d, pos + 0x10)[0]
        target = d[pos + off:d.index(b'\0', pos + off)].decode('latin-1')
    pos += size
strings = {}
for bit, name in ((0x4, 'name'), (0x8, 'relative'), (0x10, 'workdir'), (0x20, 'args'), (0x40, 'icon')):
    if flags & bit:
        count = struct.unpack_from('<H', d, pos)[0]
        pos += 2
        width = 2 if flags & 0x80 else 1
        raw = d[pos:pos + count * width]
        pos += count * width
        strings[name] = raw.decode('utf-16-le' if width == 2 else 'latin-1').rstrip('\0')
print(target)
print(strings.get('workdir', ''))
print(strings.get('icon', ''))
PY
}
same() { [ "${1,,}" = "${2,,}" ]; } # Windows paths: letter case means nothing

# A shortcut, looked for in the user's folder and in all users' folder.
check_shortcut() {
  local what=$1 name=$2 user_dir=$3 all_dir=$4 target=$5 lnk where fields
  if [ -f "$user_dir/$name" ]; then
    lnk=$user_dir/$name where="the user's"
  elif [ -f "$all_dir/$name" ]; then
    lnk=$all_dir/$name where="all users'"
  else
    fail "$what: no $name in the user's ($user_dir) or all users' ($all_dir) folder"
    return
  fi
  if ! fields=$(lnk_fields "$lnk"); then
    fail "$what: $lnk cannot be read"
    return
  fi
  local got_target got_workdir got_icon
  { read -r got_target; read -r got_workdir; read -r got_icon; } <<<"$fields"
  if same "$got_target" "$target" && same "$got_workdir" "$workdir_win" && same "$got_icon" "$target"; then
    pass "$what in $where folder: starts $got_target in $got_workdir"
  else
    fail "$what in $where folder: target '$got_target' (wanted '$target'), working folder '$got_workdir' (wanted '$workdir_win'), icon '$got_icon'"
  fi
}

files_of() { (cd "$1" && find . -type f | LC_ALL=C sort); }

run_installer() {
  if timeout 300 wine "$installer" /S; then
    pass "silent installation ($1) ended with status 0"
  else
    fail "silent installation ($1) ended with status $?"
    return 1
  fi
}

program_folder_gone() { [ ! -e "$instdir" ]; }
# The uninstall entry's removal is the uninstaller's last step.
entry_gone() { ! wine reg query "$key" >/dev/null 2>&1; }
# Runs the uninstall entry's QuietUninstallString, as Windows would, and waits until the
# condition holds: the uninstaller carries on from a copy of itself in a temporary folder, and
# the command may return at once.
quiet_uninstall() {
  local until=$1 command exe args
  command=$(wine reg query "$key" /v QuietUninstallString 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *QuietUninstallString  *REG_SZ  *//p')
  if [ -z "$command" ]; then
    fail "no QuietUninstallString to uninstall with"
    return 1
  fi
  if [[ $command =~ ^\"([^\"]+)\"(.*)$ ]]; then
    exe=${BASH_REMATCH[1]} args=${BASH_REMATCH[2]}
  else
    exe=${command%% *} args=${command#"$exe"}
  fi
  local start=$SECONDS status
  # shellcheck disable=SC2086 # the arguments as the command line gives them
  timeout 120 wine "$exe" $args
  status=$?
  while ! "$until" && ((SECONDS - start < 60)); do
    sleep 0.5
  done
  echo "      ran $command: status $status, $((SECONDS - start)) s"
}

# --- installing ---
run_installer "first"
if [ -f "$instdir/kx350t-pc.exe" ]; then
  staged=$(files_of "$stage")
  installed=$(files_of "$instdir" | grep -vxF ./uninstall.exe)
  if [ "$staged" = "$installed" ]; then
    pass "the program's folder holds the $(wc -l <<<"$staged") staged files and the uninstaller"
  else
    fail "the program's folder differs from the stage: $(diff <(echo "$staged") <(echo "$installed") | grep '^[<>]' | tr '\n' ' ')"
  fi
  differing=()
  while read -r f; do
    cmp -s "$stage/$f" "$instdir/$f" || differing+=("$f")
  done <<<"$staged"
  if ((${#differing[@]})); then
    fail "installed files differ from the staged ones: ${differing[*]}"
  else
    pass "every installed file is the staged one"
  fi
  if [ -f "$instdir/uninstall.exe" ]; then pass "uninstaller installed"; else fail "no uninstall.exe in $instdir"; fi
  # What the menu's help entries and Qt's Polish dialogs need, where the program looks for it.
  for doc in "help/KX350T-PC.html" "help/KX350T rev 1.0_instrukcja_obslugi.pdf" \
    "translations/qtbase_pl.qm"; do
    if [ -s "$instdir/$doc" ]; then pass "installed $doc"; else fail "no $doc in $instdir"; fi
  done
else
  fail "no kx350t-pc.exe in $instdir"
fi

if [ -d "$workdir" ]; then pass "working folder $workdir_win"; else fail "no working folder $workdir_win"; fi

check_shortcut "Start menu entry" "KX350T-PC/KX350T-PC.lnk" "$menu_user" "$menu_all" "$exe_win"
check_shortcut "Start menu uninstall entry" "KX350T-PC/Odinstaluj KX350T-PC.lnk" "$menu_user" \
  "$menu_all" "$instdir_win\\uninstall.exe"
check_shortcut "desktop shortcut" "KX350T-PC.lnk" "$desktop_user" "$desktop_all" "$exe_win"

if entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r'); then
  missing=()
  for value in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString \
    QuietUninstallString NoModify NoRepair EstimatedSize; do
    grep -q "^ *$value " <<<"$entry" || missing+=("$value")
  done
  location=$(sed -n 's/^ *InstallLocation  *REG_SZ  *//p' <<<"$entry")
  if ((${#missing[@]})); then
    fail "uninstall entry lacks ${missing[*]}"
  elif ! same "$location" "$instdir_win"; then
    fail "uninstall entry's InstallLocation is '$location'"
  else
    pass "uninstall entry $key: $(sed -n 's/^ *\(DisplayName\|DisplayVersion\)  *REG_SZ  *//p' <<<"$entry" | tr '\n' ' ')"
  fi
else
  fail "no uninstall entry $key"
fi

# --- uninstalling ---
mkdir -p "$workdir"
printf 'domyslny_port_com= COM3\r\n' >"$workdir/config.ini"
printf 'pomiar\r\n' >"$workdir/pomiary.txt"
quiet_uninstall program_folder_gone
if [ ! -e "$instdir" ]; then
  pass "program's folder removed"
else
  fail "left in the program's folder: $(files_of "$instdir" | tr '\n' ' ')"
fi
left=()
for lnk in "$menu_user/KX350T-PC" "$menu_all/KX350T-PC" "$desktop_user/KX350T-PC.lnk" \
  "$desktop_all/KX350T-PC.lnk"; do
  [ -e "$lnk" ] && left+=("$lnk")
done
if ((${#left[@]})); then
  fail "shortcuts left: ${left[*]}"
else
  pass "Start menu folder and desktop shortcut removed"
fi
if entry_gone; then pass "uninstall entry removed"; else fail "uninstall entry left"; fi
if [ "$(cat "$workdir/config.ini" 2>/dev/null)" = $'domyslny_port_com= COM3\r' ] &&
  [ -f "$workdir/pomiary.txt" ]; then
  pass "working folder kept with the operator's config.ini and saved file"
else
  fail "the operator's files in $workdir_win are gone"
fi

# --- the operator's own file in the program's folder ---
if run_installer "again" && [ -d "$instdir" ]; then
  printf 'notatki\r\n' >"$instdir/notatki.txt"
  quiet_uninstall entry_gone
  remaining=$(files_of "$instdir" 2>/dev/null)
  if [ "$remaining" = ./notatki.txt ]; then
    pass "the uninstaller removed the program and left a file of the operator's in its folder"
  else
    fail "after uninstalling, the program's folder holds: $(tr '\n' ' ' <<<"${remaining:-nothing}")"
  fi
fi

finish
