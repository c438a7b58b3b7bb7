#!/usr/bin/env bash
# Makes (once) and prints the root of a wrapper tree through which Wine runs 32-bit programs
# on a CPU that cannot execute 32-bit code.
#
# Wine starts a 32-bit program by exec of "wine" beside the realpath of the running 64-bit
# loader, ignoring WINELOADER. So the tree holds a copy of the 64-bit loader, and next to it
# a "wine" script that starts the real 32-bit loader under qemu-i386; Wine's libraries and
# data are links to the system's folders, so Wine's own services stay native.
#   tools/wine-wow64.sh
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${CUTSHAPE_CACHE:-$repo/.cache}/wine-wow64
loader32=/usr/lib/wine/wine
if [[ ! -x "$loader32" ]]; then
  echo "wine-wow64: $loader32 is missing: the 32-bit stage needs wine32:i386 (make deps)" >&2
  exit 1
fi
qemu=$("$repo/tools/fetch-qemu.sh")

# Up to date when the copies equal the system's loaders and the script names this qemu.
script="#!/bin/sh
exec '$qemu' -0 '$root/lib/wine/wine' '$root/lib/wine/wine.i386' \"\$@\""
if cmp -s /usr/lib/wine/wine64 "$root/lib/wine/wine64" &&
  cmp -s "$loader32" "$root/lib/wine/wine.i386" &&
  [[ "$(cat "$root/lib/wine/wine" 2>/dev/null)" == "$script" ]]; then
  echo "$root"
  exit 0
fi

exec 8>"$root.lock"
flock 8
staging=$(mktemp -d "$root.XXXXXX")
mkdir -p "$staging/lib/wine" "$staging/lib/x86_64-linux-gnu" "$staging/lib/i386-linux-gnu" \
  "$staging/share"
cp /usr/lib/wine/wine64 "$staging/lib/wine/wine64"
cp "$loader32" "$staging/lib/wine/wine.i386"
printf '%s\n' "$script" >"$staging/lib/wine/wine"
chmod 0755 "$staging/lib/wine/wine"
ln -s /usr/lib/wine/wineserver64 "$staging/lib/wine/wineserver"
ln -s /usr/lib/wine/wineserver64 "$staging/lib/wine/wineserver64"
ln -s /usr/lib/x86_64-linux-gnu/wine "$staging/lib/x86_64-linux-gnu/wine"
ln -s /usr/lib/i386-linux-gnu/wine "$staging/lib/i386-linux-gnu/wine"
ln -s /usr/share/wine "$staging/share/wine"
rm -rf "$root"
mv "$staging" "$root"
echo "$root"
