#!/usr/bin/env bash
# Both installer packages in one WoW64 prefix: with both installed, a 64-bit and a 32-bit
# script host each create the control by its programmatic identifier; removing either package
# (in both orders) leaves the other's control working, because the programmatic identifier and
# type library are one component both packages count; removing the second leaves the machine's
# classes as they were. Runs inside a win32 session (tools/wine-session.sh --arch win32).
#   msi_side_by_side_test.sh <x64 package.msi> <x86 package.msi>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z "${WINEPREFIX:-}" || "${CUTSHAPE_ARCH:-}" != win32 ]]; then
  exec "$here/../../tools/wine-session.sh" --arch win32 "$0" "$@"
fi
source "$here/../e2e/wine_tools.sh"
package64=$1 package32=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Each architecture's own tools (msiexec, cscript).
tool() { # <64|32> <tool.exe> [args...]
  local dir='C:\windows\system32'
  [[ $1 == 32 ]] && dir='C:\windows\syswow64'
  "$wine" "$dir\\$2" "${@:3}" </dev/null
}
package_of() { [[ $1 == 64 ]] && echo "$package64" || echo "$package32"; }
install() { tool "$1" msiexec.exe /i "$(winpath "$(package_of "$1")")" /qn || fail "msiexec /i ($1-bit) returned $?"; }
uninstall() { tool "$1" msiexec.exe /x "$(winpath "$(package_of "$1")")" /qn || fail "msiexec /x ($1-bit) returned $?"; }

cat >"$work/create.vbs" <<'VBS'
On Error Resume Next
Set control = CreateObject("CutshapeCtrl.Cutshape")
If Err.Number <> 0 Then WScript.Echo "error " & Hex(Err.Number) : WScript.Quit 0
control.MaskColor = 255
WScript.Echo "created " & control.MaskColor
VBS
script=$(winpath "$work/create.vbs")
creates() { [[ "$(tool "$1" cscript.exe //nologo "$script" 2>/dev/null | tr -d '\r')" == "created 255" ]]; }
expect_creates() { creates "$1" || fail "$2: a $1-bit client cannot create the control"; }
expect_cannot_create() { ! creates "$1" || fail "$2: a $1-bit client still creates the control"; }

export_machine() { # <file>
  "$wine" 'C:\windows\regedit.exe' /e "$(winpath "$1")" 'HKEY_LOCAL_MACHINE\Software\Classes' \
    >/dev/null 2>&1 </dev/null
  # Windows Installer's own bookkeeping folders stay behind empty, as on every Windows system.
  iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' | sed 1d |
    awk -v RS= -v ORS='\n\n' \
      '!/^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\Installer(\\(Features|Products|UpgradeCodes))?\]$/' \
      >"$1.txt"
}

# A clean start; each script host registers its own type library the first time it runs.
tool 64 msiexec.exe /x "$(winpath "$package64")" /qn >/dev/null 2>&1
tool 32 msiexec.exe /x "$(winpath "$package32")" /qn >/dev/null 2>&1
creates 64
creates 32
export_machine "$work/before.reg"
[[ -s "$work/before.reg.txt" ]] || fail "could not export the machine's classes"

for order in "64 32" "32 64"; do
  read -r first second <<<"$order"
  install 64
  install 32
  expect_creates 64 "both packages installed"
  expect_creates 32 "both packages installed"
  uninstall "$first"
  expect_creates "$second" "the $first-bit package removed"
  expect_cannot_create "$first" "the $first-bit package removed"
  uninstall "$second"
  expect_cannot_create 64 "both packages removed"
  expect_cannot_create 32 "both packages removed"
  export_machine "$work/after.reg"
  if ! diff -u "$work/before.reg.txt" "$work/after.reg.txt" >"$work/diff"; then
    fail "the $first-bit package removed first: the machine's classes differ afterwards:"
    head -30 "$work/diff"
  fi
  echo "checked: the $first-bit package removed first, then the $second-bit one"
done

if [[ $failures -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "both installer packages side by side: each keeps working until its own is removed"
