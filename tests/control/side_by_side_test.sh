#!/usr/bin/env bash
# The 64-bit and the 32-bit control registered side by side in one WoW64 prefix: a 64-bit
# and a 32-bit client each create their own, and unregistering one architecture (in either
# order) leaves the other working: the keys both views share (programmatic identifier, type
# library, interfaces) stay until the last one goes, and then nothing is left.
# Runs inside a win32 session (tools/wine-session.sh --arch win32).
#   side_by_side_test.sh <64-bit Cutshape.ocx> <32-bit Cutshape.ocx>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" win32 count "$@"
source "$e2e_dir/control_registry.sh"
library64=$1 library32=$2

has_key() { wow64_tool "$1" reg.exe query "$2" >/dev/null 2>&1; }
expect_key() { has_key "$1" "$2" || fail "$3: missing key $2 (${1}-bit view)"; }
expect_no_key() { ! has_key "$1" "$2" || fail "$3: key left behind: $2 (${1}-bit view)"; }
# What regsvr32 printed (Wine's error messages included) is shown when it fails, so that a
# failure says whether the program, the loader or the emulation gave up.
run_regsvr32() { # <64|32> <regsvr32 arguments...>
  local status
  wow64_tool "$1" regsvr32.exe "${@:2}" >"$work/regsvr32.out" 2>&1
  status=$?
  if [[ $status -ne 0 ]]; then
    fail "regsvr32 ($1-bit) ${*:2} returned $status; it printed:"
    sed 's/^/  | /' "$work/regsvr32.out"
  fi
}
register() { run_regsvr32 "$1" /s "$2"; }
unregister() { run_regsvr32 "$1" /s /u "$2"; }

# The machine's and the user's classes, both views at once: the 64-bit regedit's exports hold
# the 32-bit view (Wow6432Node) too, and it starts without emulation.
export_classes() { # <file>
  export_machine "$1.machine"
  [[ -s "$1.machine.txt" ]] || fail "could not export the machine's classes"
  export_key 'HKEY_CURRENT_USER\Software\Classes' "$1.user" "$wine" 'C:\windows\regedit.exe'
  cat "$1.machine.txt" "$1.user.txt" >"$1.txt"
}

# Keys one architecture's registration must leave while the other's is gone.
expect_only() { # <64|32 still registered> <context>
  local kept=$1 gone=32 context=$2 iid
  [[ $kept == 32 ]] && gone=64
  expect_key "$kept" "HKCR\\CLSID\\$clsid\\InprocServer32" "$context"
  expect_no_key "$gone" "HKCR\\CLSID\\$clsid" "$context"
  expect_key "$kept" 'HKCR\CutshapeCtrl.Cutshape\CLSID' "$context"
  expect_key 64 "HKCR\\TypeLib\\$libid\\10.1\\0\\win$kept" "$context"
  expect_no_key 64 "HKCR\\TypeLib\\$libid\\10.1\\0\\win$gone" "$context"
  for iid in "${interfaces[@]}"; do
    expect_key "$kept" "HKCR\\Interface\\$iid\\TypeLib" "$context"
  done
  expect_creates "$kept" "$context"
  expect_cannot_create "$gone" "$context"
}

expect_nothing_left() { # <context>
  export_classes "$work/after.reg"
  expect_same "$work/before.reg.txt" "$work/after.reg.txt" \
    "$1: the classes (both views) differ from before the registrations" 30
}

# A clean start, whatever an interrupted run left; each script host registers its own type
# library the first time it runs, so both run once before the registry is exported.
wow64_tool 32 regsvr32.exe /s /u "$library32"
wow64_tool 64 regsvr32.exe /s /u "$library64"
creates 64
creates 32
export_classes "$work/before.reg"

for order in "32 64" "64 32"; do
  read -r first second <<<"$order"
  library_of() { [[ $1 == 64 ]] && echo "$library64" || echo "$library32"; }
  register 64 "$library64"
  register 32 "$library32"
  expect_creates 64 "both registered"
  expect_creates 32 "both registered"
  expect_key 64 "HKCR\\TypeLib\\$libid\\10.1\\0\\win64" "both registered"
  expect_key 64 "HKCR\\TypeLib\\$libid\\10.1\\0\\win32" "both registered"

  unregister "$first" "$(library_of "$first")"
  expect_only "$second" "the $first-bit one unregistered first"
  unregister "$second" "$(library_of "$second")"
  expect_cannot_create 64 "both unregistered"
  expect_cannot_create 32 "both unregistered"
  expect_nothing_left "the $first-bit one unregistered first, then the $second-bit one"
  echo "checked: the $first-bit control unregistered first, then the $second-bit one"
done

checks_done "side-by-side registrations: each architecture's clients work until their own goes"
