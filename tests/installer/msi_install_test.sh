#!/usr/bin/env bash
# The installer package under Wine's msiexec, for the session's architecture:
#  - msiexec /i writes the control's class, programmatic-identifier, type-library and
#    interface keys exactly as regsvr32 writes them for the same library (the library's path
#    aside), in the architecture's own registry view (the x86 package's class key is in the
#    32-bit view only);
#  - the installed CutEARTH, started from Program Files, opens in the outline of Earth.gif;
#  - the Start menu holds the three demos' shortcuts;
#  - msiexec /x leaves the machine's classes as they were before (no key naming the control),
#    and no file or folder behind.
#   msi_install_test.sh <package.msi> <Cutshape.ocx of the build> <xshape.py>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  exec "$here/../../tools/wine-session.sh" "$0" "$@"
fi
package=$1 library=$2 xshape=$3
source "$here/../e2e/e2e_lib.sh"
source "$here/../e2e/demo_lib.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

clsid='{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}'
libid='{185B4A01-BE83-4047-BDDE-79D9822AE857}'
owned_keys=("CLSID\\$clsid" 'CutshapeCtrl.Cutshape' "TypeLib\\$libid"
            'Interface\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}'
            'Interface\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}'
            'Interface\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}'
            'Interface\{21B76C49-EA1B-4002-9103-23C901FEC2D9}')
if [[ $arch == win32 ]]; then
  folder_name='Program Files (x86)'
  start_menu_name='Cutshape (32-bit)'
else
  folder_name='Program Files'
  start_menu_name='Cutshape (64-bit)'
fi
install_folder="$WINEPREFIX/drive_c/$folder_name/Cutshape"
installed_library="C:\\$folder_name\\Cutshape\\Cutshape.ocx"

win_msiexec() { "$wine" "$system_dir\\msiexec.exe" "$@" </dev/null; }
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# A .reg export spells a backslash twice.
reg_spelling() { sed 's/\\/\\\\/g' <<<"$1"; }

# Exports <key> to <file>.txt in UTF-8 without the header line; empty if the key is absent.
export_key() { # <key> <file> [regedit command...]
  rm -f "$2" "$2.txt"
  if [[ $# -gt 2 ]]; then
    "${@:3}" /e "$(winpath "$2")" "$1" >/dev/null 2>&1
  else
    win_regedit /e "$(winpath "$2")" "$1" >/dev/null 2>&1
  fi
  if [[ -s "$2" ]]; then iconv -f UTF-16LE -t UTF-8 "$2" | tr -d '\r' | sed 1d >"$2.txt"; else : >"$2.txt"; fi
}
# The whole of the machine's classes, both views (the 64-bit regedit's export holds the
# 32-bit view under Wow6432Node). Windows Installer's first run creates its own bookkeeping
# folders (Installer, Installer\Features, \Products, \UpgradeCodes), which every Windows
# system has: left empty, they are not counted; anything in them is.
export_machine() {
  export_key 'HKEY_LOCAL_MACHINE\Software\Classes' "$1" "$wine" 'C:\windows\regedit.exe'
  awk -v RS= -v ORS='\n\n' \
    '!/^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\Installer(\\(Features|Products|UpgradeCodes))?\]$/' \
    "$1.txt" >"$1.kept" && mv "$1.kept" "$1.txt"
}
# The control's own keys in this architecture's view, with <library path> written {library}.
export_owned() { # <file> <library path>
  local key path
  path=$(reg_spelling "$(reg_spelling "$2")")
  : >"$1.txt"
  for key in "${owned_keys[@]}"; do
    export_key "HKEY_CLASSES_ROOT\\$key" "$work/part"
    sed "s/$path/{library}/g" "$work/part.txt" >>"$1.txt"
  done
}
work=$e2e_work

# A clean start: nothing of the control registered or installed.
win_msiexec /x "$(winpath "$package")" /qn >/dev/null 2>&1
win_regsvr32 /s /u "$library" >/dev/null 2>&1

# What regsvr32 writes for the library. Wine's type-library registration adds
# LIBFLAG_FHASDISKIMAGE (8) to FLAGS: its "10" is the "2" that Windows writes.
win_regsvr32 /s "$library" || fail "regsvr32 returned $?"
export_owned "$work/regsvr32" "$(winpath "$library")"
sed -i '/\\FLAGS\]$/{n;s/^@="10"$/@="2"/}' "$work/regsvr32.txt"
win_regsvr32 /s /u "$library" || fail "regsvr32 /u returned $?"
grep -q "InprocServer32" "$work/regsvr32.txt" || fail "regsvr32 wrote no class key"
export_machine "$work/before"
[[ -s "$work/before.txt" ]] || fail "could not export the machine's classes"

win_msiexec /i "$(winpath "$package")" /qn
status=$?
[[ $status -eq 0 ]] || fail "msiexec /i returned $status"
export_owned "$work/installed" "$installed_library"
if ! diff -u "$work/regsvr32.txt" "$work/installed.txt" >"$work/diff"; then
  fail "the installed keys differ from regsvr32's:"
  head -40 "$work/diff"
else
  echo "ok: msiexec /i wrote the keys regsvr32 writes ($(grep -c '^\[' "$work/installed.txt") keys)"
fi

# The class key lives in the architecture's own view only.
other_reg='C:\windows\syswow64\reg.exe'
[[ $arch == win32 ]] && other_reg='C:\windows\system32\reg.exe'
if "$wine" "$other_reg" query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1 </dev/null; then
  fail "the class key is in the other architecture's registry view too"
else
  echo "ok: the class key is in the $arch view only"
fi

for file in Cutshape.ocx CutEARTH.exe CutHOLE.exe CutHEAD.exe Earth.gif Hole.bmp; do
  [[ -f "$install_folder/$file" ]] || fail "not installed: $folder_name\\Cutshape\\$file"
done
for program in CutEARTH CutHOLE CutHEAD; do
  find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$start_menu_name/$program.lnk" |
    grep -q . || fail "no Start menu shortcut $start_menu_name\\$program"
done

# The installed demo, with the control the installer registered.
convert "$install_folder/Earth.gif" -type TrueColor BMP3:"$work/earth.bmp"
read -r width height < <(identify -format '%w %h\n' "$work/earth.bmp")
start_program earth.out "$install_folder/CutEARTH.exe"
pid=$started
if id=$(wait_window Form1 "$pid"); then
  if eventually 10 shaped_as "$id" "$work/earth.bmp" auto "$width" "$height"; then
    echo "ok: the installed CutEARTH opens in the outline of Earth.gif"
  else
    fail "the installed CutEARTH's window is not in the outline of Earth.gif"
  fi
else
  fail "the installed CutEARTH showed no window"
  cat "$work/earth.out"
fi
stop_program "$pid"

win_msiexec /x "$(winpath "$package")" /qn
status=$?
[[ $status -eq 0 ]] || fail "msiexec /x returned $status"
export_machine "$work/after"
if ! diff -u "$work/before.txt" "$work/after.txt" >"$work/diff"; then
  fail "the machine's classes differ after msiexec /x:"
  head -40 "$work/diff"
else
  echo "ok: msiexec /x left the machine's classes as they were"
fi
export_key 'HKEY_CLASSES_ROOT' "$work/classes"
if grep -i -E "Cutshape|${clsid:1:8}|${libid:1:8}|8C1BA95C|C4D9D413|2991EEC6|21B76C49" \
  "$work/classes.txt" >"$work/left"; then
  fail "keys naming the control are left: $(head -3 "$work/left" | tr '\n' ' ')"
fi
[[ -e "$install_folder" ]] && fail "$folder_name\\Cutshape is left behind"
find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$start_menu_name" | grep -q . &&
  fail "the Start menu folder $start_menu_name is left behind"

if [[ $failures -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "the $arch installer package installs and uninstalls cleanly"
