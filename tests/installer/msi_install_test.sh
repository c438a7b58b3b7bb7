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
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display count "$@"
source "$e2e_dir/demo_lib.sh"
source "$e2e_dir/control_registry.sh"
package=$1 library=$2 xshape=$3
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
package_w=$(winepath_w "$package")
# The control's own keys in this architecture's view, with <library path> written {library}.
export_installed() { # <file> <library path>
  export_owned HKEY_CLASSES_ROOT "$1"
  sed -i "s/$(reg_spelling "$(reg_spelling "$2")")/{library}/g" "$1.txt"
}

# A clean start: nothing of the control registered or installed.
win_msiexec /x "$package_w" /qn >/dev/null 2>&1
win_regsvr32 /s /u "$library" >/dev/null 2>&1

# What regsvr32 writes for the library.
win_regsvr32 /s "$library" || fail "regsvr32 returned $?"
export_installed "$work/regsvr32" "$(winepath_w "$library")"
as_on_windows "$work/regsvr32.txt"
win_regsvr32 /s /u "$library" || fail "regsvr32 /u returned $?"
grep -q "InprocServer32" "$work/regsvr32.txt" || fail "regsvr32 wrote no class key"
export_machine_for_installer "$work/before"
[[ -s "$work/before.txt" ]] || fail "could not export the machine's classes"

win_msiexec /i "$package_w" /qn
status=$?
[[ $status -eq 0 ]] || fail "msiexec /i returned $status"
export_installed "$work/installed" "$installed_library"
expect_same "$work/regsvr32.txt" "$work/installed.txt" "the installed keys differ from regsvr32's" &&
  echo "ok: msiexec /i wrote the keys regsvr32 writes ($(grep -c '^\[' "$work/installed.txt") keys)"

# The class key lives in the architecture's own view only.
other=32
[[ $arch == win32 ]] && other=64
if wow64_tool "$other" reg.exe query "HKCR\\CLSID\\$clsid" >/dev/null 2>&1; then
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

win_msiexec /x "$package_w" /qn
status=$?
[[ $status -eq 0 ]] || fail "msiexec /x returned $status"
export_machine_for_installer "$work/after"
expect_same "$work/before.txt" "$work/after.txt" "the machine's classes differ after msiexec /x" &&
  echo "ok: msiexec /x left the machine's classes as they were"
export_key 'HKEY_CLASSES_ROOT' "$work/classes"
if grep -i -E "Cutshape$(printf '|%.8s' "${clsid:1}" "${libid:1}" "${interfaces[@]#\{}")" \
  "$work/classes.txt" >"$work/left"; then
  fail "keys naming the control are left: $(head -3 "$work/left" | tr '\n' ' ')"
fi
[[ -e "$install_folder" ]] && fail "$folder_name\\Cutshape is left behind"
find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$start_menu_name" | grep -q . &&
  fail "the Start menu folder $start_menu_name is left behind"

checks_done "the $arch installer package installs and uninstalls cleanly"
