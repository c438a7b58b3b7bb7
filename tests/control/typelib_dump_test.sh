#!/usr/bin/env bash
# Describes a patched type library with typelib_patch's reader of the file format and
# compares the description with the checked-in one.
#   typelib_dump_test.sh <typelib_patch> <Cutshape.tlb> <golden.txt>
set -euo pipefail
tool=$1 library=$2 golden=$3
[[ -f "$library" ]] || { echo "FAIL: $library has not been built"; exit 1; }
if [[ -n "${CUTSHAPE_UPDATE_GOLDEN:-}" ]]; then
  "$tool" dump "$library" >"$golden"
  echo "rewrote $golden"
  exit 0
fi
diff -u "$golden" <("$tool" dump "$library")
echo "$library matches $golden"
