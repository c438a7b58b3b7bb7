#!/usr/bin/env bash
# Registration for one user (regsvr32 /n /i:user, which calls DllInstall(TRUE, "user")):
# everything lands below HKEY_CURRENT_USER\Software\Classes and nothing in the machine's
# classes; the keys there are the ones a machine-wide registration writes; /u /n /i:user
# removes exactly that, also while a machine-wide registration is present, which it leaves
# alone; an unknown DllInstall command line fails and writes nothing.
# Wine's COM does not read per-user classes, so no client can create the control from them
# here: the test checks the keys written.
#   per_user_registration_test.sh <Cutshape.ocx>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z "${WINEPREFIX:-}" ]]; then
  exec "$here/../../tools/wine-session.sh" "$0" "$@"
fi
source "$here/../e2e/wine_tools.sh"
library=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

clsid='{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}'
libid='{185B4A01-BE83-4047-BDDE-79D9822AE857}'
owned_keys=("CLSID\\$clsid" 'CutshapeCtrl.Cutshape' "TypeLib\\$libid"
            'Interface\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}'
            'Interface\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}'
            'Interface\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}'
            'Interface\{21B76C49-EA1B-4002-9103-23C901FEC2D9}')
machine='HKEY_LOCAL_MACHINE\Software\Classes'
user='HKEY_CURRENT_USER\Software\Classes'

winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Exports <key> into <file>.txt as UTF-8 without the header line; an absent key gives an
# empty file. The machine's classes are exported by the 64-bit regedit, whose export holds
# the 32-bit view (Wow6432Node) too.
export_key() { # <key> <file> [regedit...]
  rm -f "$2" "$2.txt"
  if [[ $# -gt 2 ]]; then
    "${@:3}" /e "$(winpath "$2")" "$1" >/dev/null 2>&1
  else
    win_regedit /e "$(winpath "$2")" "$1" >/dev/null 2>&1
  fi
  if [[ -s "$2" ]]; then
    iconv -f UTF-16LE -t UTF-8 "$2" | tr -d '\r' | sed 1d >"$2.txt"
  else
    : >"$2.txt"
  fi
}
export_machine() { export_key "$machine" "$1" "$wine" 'C:\windows\regedit.exe'; }
# The keys registration owns below <root>, one after another, with the root's name cut off.
export_owned() { # <root> <file>
  local key
  : >"$2.all"
  for key in "${owned_keys[@]}"; do
    export_key "$1\\$key" "$2.part"
    sed "s/^\[$(sed 's/\\/\\\\/g' <<<"$1")\\\\/[/" "$2.part.txt" >>"$2.all"
  done
  mv "$2.all" "$2.txt"
}
expect_same() { # <before.txt> <after.txt> <what>
  if ! diff -u "$1" "$2" >"$work/diff"; then
    fail "$3:"
    head -40 "$work/diff"
  fi
}
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
[[ -s "$work/machine0.txt" ]] || fail "could not export $machine"

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

# The same keys and values as a machine-wide registration of the same file. Wine's type-library
# registration adds LIBFLAG_FHASDISKIMAGE (8) to FLAGS: "10" there is the "2" of Windows.
regsvr 0 "registering for the machine" "$library"
export_owned "HKEY_CLASSES_ROOT" "$work/machine_owned"
sed -i '/\\FLAGS\]$/{n;s/^@="10"$/@="2"/}' "$work/machine_owned.txt"
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

if [[ $failures -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "registration for one user of $library: only the user's classes, exactly removed"
