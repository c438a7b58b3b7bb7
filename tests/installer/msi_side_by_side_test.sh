#!/usr/bin/env bash
# Both installer packages in one WoW64 prefix: with both installed, a 64-bit and a 32-bit
# script host each create the control by its programmatic identifier; removing either package
# (in both orders) leaves the other's control working, because the programmatic identifier and
# type library are one component both packages count; removing the second leaves the machine's
# classes as they were. Runs inside a win32 session (tools/wine-session.sh --arch win32).
#   msi_side_by_side_test.sh <x64 package.msi> <x86 package.msi>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" win32 count "$@"
source "$e2e_dir/control_registry.sh"
# The packages by their Windows paths, asked for once (each winepath is a Wine start).
package64=$(winepath_w "$1") package32=$(winepath_w "$2")

package_of() { [[ $1 == 64 ]] && echo "$package64" || echo "$package32"; }
install() { wow64_tool "$1" msiexec.exe /i "$(package_of "$1")" /qn || fail "msiexec /i ($1-bit) returned $?"; }
uninstall() { wow64_tool "$1" msiexec.exe /x "$(package_of "$1")" /qn || fail "msiexec /x ($1-bit) returned $?"; }

# A clean start; each script host registers its own type library the first time it runs.
wow64_tool 64 msiexec.exe /x "$package64" /qn >/dev/null 2>&1
wow64_tool 32 msiexec.exe /x "$package32" /qn >/dev/null 2>&1
creates 64
creates 32
export_machine_for_installer "$work/before.reg"
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
  export_machine_for_installer "$work/after.reg"
  expect_same "$work/before.reg.txt" "$work/after.reg.txt" \
    "the $first-bit package removed first: the machine's classes differ afterwards" 30
  echo "checked: the $first-bit package removed first, then the $second-bit one"
done

checks_done "both installer packages side by side: each keeps working until its own is removed"
