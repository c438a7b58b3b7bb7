#!/usr/bin/env bash
# Takes the README's screenshots: each demonstration program under Wine on a private X
# server, saved as docs/screenshots/<program>.png, and CutEARTH again at 144 dpi.
#   tools/screenshots.sh [build folder]      (ARCH=win32 takes them of the 32-bit build)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
mkdir -p "$repo/docs/screenshots"
for demo in earth hole head; do
  DEMO=$demo CUTSHAPE_DEMO_HEADLESS=1 "$repo/tools/demo.sh" "$build" >/dev/null
  shot="$build/demo-$demo.png"
  [[ "${ARCH:-win64}" == win64 ]] || shot="$build/demo-$demo-$ARCH.png"
  cp "$shot" "$repo/docs/screenshots/cut-$demo.png"
  echo "docs/screenshots/cut-$demo.png"
done
DEMO=earth DPI=144 CUTSHAPE_DEMO_HEADLESS=1 "$repo/tools/demo.sh" "$build" >/dev/null
shot="$build/demo-earth-144dpi.png"
[[ "${ARCH:-win64}" == win64 ]] || shot="$build/demo-earth-$ARCH-144dpi.png"
cp "$shot" "$repo/docs/screenshots/cut-earth-144dpi.png"
echo "docs/screenshots/cut-earth-144dpi.png"
