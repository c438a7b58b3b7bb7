#!/usr/bin/env bash
# End to end: regsvr32 registers Cutshape.ocx (every key and value is then present) and
# unregisters it again (every key is then gone, and HKEY_CLASSES_ROOT is exactly as it was
# before). Runs inside a Wine session (tools/wine-session.sh sets WINEPREFIX).
#   registration_test.sh <Cutshape.ocx>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" prefix count "$@"
source "$e2e_dir/control_registry.sh"
library=$1
dual_marshaler='{00020424-0000-0000-C000-000000000046}'
dispatch_marshaler='{00020420-0000-0000-C000-000000000046}'
path=$(winepath_w "$library")

# The classes are exported once after registering (one regedit start instead of one reg.exe
# start per value) and each value is read from the export: the text between the quotes of
# `@="..."` or `"<name>"="..."` in the key's section, unescaped.
registered=$work/registered.reg.txt
section_of() { echo "[HKEY_CLASSES_ROOT\\${1#HKCR\\}]"; }
# (Through the environment: awk -v would take the key's backslashes for escapes.)
value() { # key name
  section=$(section_of "$1") name=$2 awk '
    BEGIN {
      name = ENVIRON["name"]; section = tolower(ENVIRON["section"])
      want = name == "" ? "@=" : "\"" name "\"="
    }
    /^\[/ { inside = tolower($0) == section; next }
    inside && index($0, want) == 1 {
      text = substr($0, length(want) + 1)
      sub(/^"/, "", text); sub(/"$/, "", text)
      gsub(/\\\\/, "\\", text); gsub(/\\"/, "\"", text)
      print text; exit
    }' "$registered"
}
has_key() { grep -qixF "$(section_of "$1")" "$registered"; }
expect_value() { # key name expected
  local actual
  if ! has_key "$1"; then
    fail "missing key $1"
    return
  fi
  actual=$(value "$1" "$2")
  if [[ "$actual" != "$3" ]]; then
    fail "$1 [${2:-(Default)}] is '$actual', expected '$3'"
    # The key's section of the export, then what the registry holds there, machine-wide and
    # for the user, read again: a failed reading tells itself apart from a wrong value.
    echo "--- the export's section:"
    section=$(section_of "$1") awk 'tolower($0) == tolower(ENVIRON["section"]) { p = 1; print; next }
      /^\[/ { p = 0 } p' "$registered"
    local below=${1#HKCR\\}
    for root in 'HKLM\Software\Classes' 'HKCU\Software\Classes'; do
      echo "--- reg query $root\\$below /s:"
      win_reg query "$root\\$below" /s 2>&1 | tr -d '\r'
    done
  fi
}
expect_key() {
  has_key "$1" || fail "missing key $1"
}
expect_no_key() {
  ! has_key "$1" || fail "key left behind: $1"
}
export_classes() { # <file>: the export as UTF-8 text in <file>.txt
  local status
  export_key 'HKEY_CLASSES_ROOT' "$1"
  status=$?
  if [[ $status -ne 0 || ! -s "$1.txt" ]]; then
    fail "regedit /e HKEY_CLASSES_ROOT exited $status and wrote no export; it printed:"
    cat "$1.out"
  fi
}

# Start from a clean state (an earlier run may have been interrupted).
win_regsvr32 /s /u "$library" >/dev/null 2>&1
export_classes "$work/before.reg"

win_regsvr32 /s "$library"
status=$?
[[ $status -eq 0 ]] || fail "regsvr32 returned $status"
export_classes "$work/registered.reg"

class="HKCR\\CLSID\\$clsid"
expect_value "$class" "" "Cutshape"
expect_value "$class\\InprocServer32" "" "$path"
expect_value "$class\\InprocServer32" ThreadingModel "Apartment"
expect_value "$class\\ProgID" "" "CutshapeCtrl.Cutshape"
expect_key "$class\\Control"
expect_value "$class\\ToolboxBitmap32" "" "$path, 30000"
expect_value "$class\\MiscStatus" "" "0"
expect_value "$class\\MiscStatus\\1" "" "132497"
expect_value "$class\\TypeLib" "" "$libid"
expect_value "$class\\Version" "" "16.1"
expect_value 'HKCR\CutshapeCtrl.Cutshape' "" "Cutshape"
expect_value 'HKCR\CutshapeCtrl.Cutshape\CLSID' "" "$clsid"

# The type library, as RegisterTypeLib records it (version in hexadecimal, locale 0).
lib="HKCR\\TypeLib\\$libid\\10.1"
expect_value "$lib" "" "Cutshape Ocx"
# LIBFLAG_FCONTROL; Wine writes the flags in decimal and adds LIBFLAG_FHASDISKIMAGE (8).
flags=$(value "$lib\\FLAGS" "")
[[ "$flags" == 2 || "$flags" == 10 ]] || fail "$lib\\FLAGS is '$flags', expected 2 (or 10 from Wine)"
expect_value "$lib\\0\\$arch" "" "$path"
# The current interfaces (registered by RegisterTypeLib) and the earlier ones (by us) alike.
for entry in "${interface_names[@]}"; do
  read -r iid name <<<"$entry"
  marshaler=$dual_marshaler
  [[ $name == __Cutshape ]] && marshaler=$dispatch_marshaler
  key="HKCR\\Interface\\$iid"
  expect_value "$key" "" "$name"
  expect_value "$key\\ProxyStubClsid" "" "$marshaler"
  expect_value "$key\\ProxyStubClsid32" "" "$marshaler"
  expect_value "$key\\TypeLib" "" "$libid"
  expect_value "$key\\TypeLib" Version "10.1"
done

win_regsvr32 /s /u "$library"
status=$?
[[ $status -eq 0 ]] || fail "regsvr32 /u returned $status"
export_classes "$work/after.reg"
registered=$work/after.reg.txt
for key in "${owned_keys[@]}"; do
  expect_no_key "HKCR\\$key"
done

expect_same "$work/before.reg.txt" "$work/after.reg.txt" "HKEY_CLASSES_ROOT differs after unregistering"

checks_done "registration and unregistration of $library: all keys checked"
