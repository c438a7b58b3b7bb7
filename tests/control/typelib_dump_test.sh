#!/usr/bin/env bash
# Describes a patched type library with typelib_patch's reader of the file format and
# compares the description with the checked-in one.
#   typelib_dump_test.sh <typelib_patch> <Cutshape.tlb> <golden.txt>
# Exit 77 (skipped) when the library has not been built (the 32-bit build folder unknown).
set -euo pipefail
tool=$1 library=$2 golden=$3
if [[ ! -f "$library" ]]; then
  echo "skipped: $library has not been built"
  exit 77
fi
if [[ -n "${CUTSHAPE_UPDATE_GOLDEN:-}" ]]; then
  "$tool" dump "$library" >"$golden"
  echo "rewrote $golden"
  exit 0
fi
diff -u "$golden" <("$tool" dump "$library")
echo "$library matches $golden"
