#!/usr/bin/env bash
# Checks the export table of Cutshape.ocx: the name the table gives the library, the four
# entry points of every in-process server at ordinals 1 to 4 and DllInstall (per-user
# registration) after them at 5.
#   exports_test.sh <objdump> <Cutshape.ocx>
set -euo pipefail
objdump=$1 library=$2
[[ -f "$library" ]] || { echo "FAIL: $library has not been built"; exit 1; }
table=$("$objdump" -p "$library")
status=0
grep -q '^Name .*Cutshape\.ocx$' <<<"$table" || { echo "export table does not name Cutshape.ocx"; status=1; }
# objdump lists each name as "[<ordinal - base>] <name>" under the ordinal/name table, in the
# order of the names.
base=$(sed -n 's/^Ordinal Base\s*\([0-9]*\)$/\1/p' <<<"$table")
[[ -n "$base" ]] || { echo "no export table"; exit 1; }
actual=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$table" |
  sed -n 's/^\s*\[\s*\([0-9]*\)\] \(.*\)$/\1 \2/p' |
  while read -r index name; do echo "$((index + base)) $name"; done | sort -n)
expected=$'1 DllCanUnloadNow\n2 DllGetClassObject\n3 DllRegisterServer\n4 DllUnregisterServer\n5 DllInstall'
if [[ "$actual" != "$expected" ]]; then
  echo "exports differ:"; diff <(echo "$expected") <(echo "$actual") || true; status=1
fi
exit $status
