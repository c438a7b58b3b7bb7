# The control's identifiers and keys, registry exports read as text, and script clients of
# either architecture (sourced after test_prologue.sh by the registration and installer tests).
clsid='{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}'
libid='{185B4A01-BE83-4047-BDDE-79D9822AE857}'
# The type library's interfaces, current and earlier ones: "<identifier> <name>"; _Cutshape
# is a dual interface, __Cutshape a dispatch interface.
interface_names=('{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503} _Cutshape'
                 '{2991EEC6-B7E8-40E7-9E07-0245B4B3007A} _Cutshape'
                 '{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7} __Cutshape'
                 '{21B76C49-EA1B-4002-9103-23C901FEC2D9} __Cutshape')
interfaces=("${interface_names[@]%% *}")
# The keys registration owns below a classes root.
owned_keys=("CLSID\\$clsid" 'CutshapeCtrl.Cutshape' "TypeLib\\$libid")
for iid in "${interfaces[@]}"; do owned_keys+=("Interface\\$iid"); done
machine_classes='HKEY_LOCAL_MACHINE\Software\Classes'

# Exports land in $work; Wine's name for it is asked for once (each winepath is a Wine start).
work_w=$(winepath_w "$work")
# Exports <key> into <file>.txt (<file> in $work) as UTF-8 without the header line; an
# absent key gives an empty file. What regedit printed is in <file>.out; returns its status.
export_key() { # <key> <file> [regedit command...]
  local status
  rm -f "$2" "$2.txt"
  if [[ $# -gt 2 ]]; then
    "${@:3}" /e "$work_w\\${2#"$work"/}" "$1" >"$2.out" 2>&1
  else
    win_regedit /e "$work_w\\${2#"$work"/}" "$1" >"$2.out" 2>&1
  fi
  status=$?
  if [[ -s "$2" ]]; then iconv -f UTF-16LE -t UTF-8 "$2" | tr -d '\r' | sed 1d >"$2.txt"; else : >"$2.txt"; fi
  return $status
}
# The whole of the machine's classes, both views: the 64-bit regedit's export holds the 32-bit
# view (Wow6432Node) too.
export_machine() { export_key "$machine_classes" "$1" "$wine" 'C:\windows\regedit.exe'; }
# The same without the bookkeeping folders that Windows Installer's first run creates
# (Installer, Installer\Features, \Products, \UpgradeCodes), which every Windows system has:
# left empty, they are not counted; anything in them is.
export_machine_for_installer() {
  export_machine "$1"
  awk -v RS= -v ORS='\n\n' \
    '!/^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\Installer(\\(Features|Products|UpgradeCodes))?\]$/' \
    "$1.txt" >"$1.kept" && mv "$1.kept" "$1.txt"
}
# A .reg export spells a backslash twice.
reg_spelling() { sed 's/\\/\\\\/g' <<<"$1"; }
# The keys registration owns below <root>, one after another, with the root's name cut off.
export_owned() { # <root> <file>
  local key
  : >"$2.all"
  for key in "${owned_keys[@]}"; do
    export_key "$1\\$key" "$2.part"
    sed "s/^\[$(reg_spelling "$1")\\\\/[/" "$2.part.txt" >>"$2.all"
  done
  mv "$2.all" "$2.txt"
}
# Fails with <what> and the start of the difference unless the two exports are the same.
expect_same() { # <before.txt> <after.txt> <what> [lines of the difference shown]
  diff -u "$1" "$2" >"$work/diff" && return 0
  fail "$3:"
  head -"${4:-40}" "$work/diff"
  return 1
}
# Wine's type-library registration adds LIBFLAG_FHASDISKIMAGE (8) to FLAGS: its "10" is the
# "2" that Windows writes.
as_on_windows() { sed -i '/\\FLAGS\]$/{n;s/^@="10"$/@="2"/}' "$1"; }

# Whether a script client of the architecture (64 or 32, in a WoW64 prefix) creates the control
# by its programmatic identifier.
creates() { # <64|32>
  [[ -f "$work/create.vbs" ]] || cat >"$work/create.vbs" <<'VBS'
On Error Resume Next
Set control = CreateObject("CutshapeCtrl.Cutshape")
If Err.Number <> 0 Then WScript.Echo "error " & Hex(Err.Number) : WScript.Quit 0
control.MaskColor = 255
WScript.Echo "created " & control.MaskColor
VBS
  [[ "$(wow64_tool "$1" cscript.exe //nologo "$work_w\\create.vbs" 2>/dev/null | tr -d '\r')" == "created 255" ]]
}
expect_creates() { creates "$1" || fail "$2: a $1-bit client cannot create the control"; }
expect_cannot_create() { ! creates "$1" || fail "$2: a $1-bit client still creates the control"; }
