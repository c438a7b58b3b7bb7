#!/usr/bin/env bash
# Takes the README's screenshots: each demonstration program under Wine on a private X
# server, saved as docs/screenshots/<program>.png.
#   tools/screenshots.sh [build folder]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
mkdir -p "$repo/docs/screenshots"
for demo in earth hole head; do
  DEMO=$demo CUTSHAPE_DEMO_HEADLESS=1 "$repo/tools/demo.sh" "$build" >/dev/null
  cp "$build/demo-$demo.png" "$repo/docs/screenshots/cut-$demo.png"
  echo "docs/screenshots/cut-$demo.png"
done
