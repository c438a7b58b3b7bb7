#!/usr/bin/env bash
# End to end: regsvr32 registers Cutshape.ocx (every key and value is then present) and
# unregisters it again (every key is then gone, and HKEY_CLASSES_ROOT is exactly as it was
# before). Runs inside a Wine session (tools/wine-session.sh sets WINEPREFIX).
#   registration_test.sh <Cutshape.ocx>
set -uo pipefail
library=$1
if [[ -z "${WINEPREFIX:-}" ]]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-session.sh" "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/wine_tools.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

clsid='{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}'
libid='{185B4A01-BE83-4047-BDDE-79D9822AE857}'
dual_marshaler='{00020424-0000-0000-C000-000000000046}'
dispatch_marshaler='{00020420-0000-0000-C000-000000000046}'
path=$("$wine" winepath -w "$library" 2>/dev/null | tr -d '\r')

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
  win_regedit /e "$(winepath_w "$1")" 'HKEY_CLASSES_ROOT' >"$1.out" 2>&1
  status=$?
  iconv -f UTF-16LE -t UTF-8 "$1" 2>/dev/null | tr -d '\r' >"$1.txt" || cp "$1" "$1.txt"
  if [[ $status -ne 0 || ! -s "$1.txt" ]]; then
    fail "regedit /e HKEY_CLASSES_ROOT exited $status and wrote no export; it printed:"
    cat "$1.out"
  fi
}
winepath_w() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

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
for entry in "{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503} _Cutshape $dual_marshaler" \
             "{2991EEC6-B7E8-40E7-9E07-0245B4B3007A} _Cutshape $dual_marshaler" \
             "{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7} __Cutshape $dispatch_marshaler" \
             "{21B76C49-EA1B-4002-9103-23C901FEC2D9} __Cutshape $dispatch_marshaler"; do
  read -r iid name marshaler <<<"$entry"
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
for key in "$class" 'HKCR\CutshapeCtrl.Cutshape' "HKCR\\TypeLib\\$libid" \
           'HKCR\Interface\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}' \
           'HKCR\Interface\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}' \
           'HKCR\Interface\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}' \
           'HKCR\Interface\{21B76C49-EA1B-4002-9103-23C901FEC2D9}'; do
  expect_no_key "$key"
done

if ! diff -u "$work/before.reg.txt" "$work/after.reg.txt" >"$work/diff"; then
  fail "HKEY_CLASSES_ROOT differs after unregistering:"
  head -40 "$work/diff"
fi

if [[ $failures -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "registration and unregistration of $library: all keys checked"
