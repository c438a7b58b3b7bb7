#!/usr/bin/env bash
# Registration for one user (regsvr32 /n /i:user, which calls DllInstall(TRUE, "user")):
# everything lands below HKEY_CURRENT_USER\Software\Classes and nothing in the machine's
# classes; the keys there are the ones a machine-wide registration writes; /u /n /i:user
# removes exactly that, also while a machine-wide registration is present, which it leaves
# alone; an unknown DllInstall command line fails and writes nothing.
# Wine's COM does not read per-user classes, so no client can create the control from them
# here: the test checks the keys written.
#   per_user_registration_test.sh <Cutshape.ocx>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" prefix count "$@"
source "$e2e_dir/control_registry.sh"
library=$1
user='HKEY_CURRENT_USER\Software\Classes'

regsvr() { # <expected status> <what> <arguments...>
  win_regsvr32 /s "${@:3}" </dev/null
  local status=$?
  [[ $status -eq $1 ]] || fail "$2: regsvr32 ${*:3} returned $status, expected $1"
}

# A clean start, whatever an interrupted run left. The user's classes key exists on every
# Windows system; a fresh Wine prefix has none until something writes there.
win_regsvr32 /s /u /n /i:user "$library" >/dev/null 2>&1
win_regsvr32 /s /u "$library" >/dev/null 2>&1
win_reg add 'HKCU\Software\Classes' /f >/dev/null 2>&1
export_machine "$work/machine0"
export_key "$user" "$work/user0"
[[ -s "$work/machine0.txt" ]] || fail "could not export $machine_classes"

# An unknown command line is refused (regsvr32: 5, the call failed) and writes nothing.
regsvr 5 "an unknown command line" /n /i:everyone "$library"
export_key "$user" "$work/user_refused"
expect_same "$work/user0.txt" "$work/user_refused.txt" "/i:everyone changed the user's classes"

# For one user: the user's classes change, the machine's do not.
regsvr 0 "registering for the user" /n /i:user "$library"
export_machine "$work/machine1"
expect_same "$work/machine0.txt" "$work/machine1.txt" \
  "registering for the user changed the machine's classes"
export_owned "$user" "$work/user_owned"
export_key "$user" "$work/user1"
grep -q "^\[CLSID\\\\$clsid\\\\InprocServer32\]" "$work/user_owned.txt" ||
  fail "no class key below $user"
# Every key the registration added to the user's classes is one of its own (or a folder
# that holds them: CLSID, Interface, TypeLib).
diff "$work/user0.txt" "$work/user1.txt" | sed -n 's/^> \[\(.*\)\]$/\1/p' |
  while read -r key; do
    relative=${key#"$user\\"}
    case "$relative" in
      CLSID | Interface | TypeLib) ;;
      *)
        owned=0
        for root in "${owned_keys[@]}"; do
          [[ "$relative" == "$root" || "$relative" == "$root\\"* ]] && owned=1
        done
        [[ $owned -eq 1 ]] || echo "$key"
        ;;
    esac
  done >"$work/foreign"
[[ -s "$work/foreign" ]] && fail "keys that are not the control's: $(head -5 "$work/foreign" | tr '\n' ' ')"

# The same keys and values as a machine-wide registration of the same file.
regsvr 0 "registering for the machine" "$library"
export_owned "HKEY_CLASSES_ROOT" "$work/machine_owned"
as_on_windows "$work/machine_owned.txt"
expect_same "$work/machine_owned.txt" "$work/user_owned.txt" \
  "the user's registration differs from the machine's"
export_machine "$work/machine2"

# Unregistering for the user removes exactly what it wrote, and leaves the machine's alone.
regsvr 0 "unregistering for the user" /u /n /i:user "$library"
export_key "$user" "$work/user2"
expect_same "$work/user0.txt" "$work/user2.txt" \
  "the user's classes differ after unregistering for the user"
export_machine "$work/machine3"
expect_same "$work/machine2.txt" "$work/machine3.txt" \
  "unregistering for the user changed the machine's registration"

regsvr 0 "unregistering for the machine" /u "$library"
export_machine "$work/machine4"
expect_same "$work/machine0.txt" "$work/machine4.txt" \
  "the machine's classes differ after both unregistrations"

checks_done "registration for one user of $library: only the user's classes, exactly removed"
