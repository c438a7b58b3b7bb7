#!/usr/bin/env bash
# Runs a demonstration program under Wine with the control registered in the project-local
# prefix: CutEARTH by default, DEMO=hole or DEMO=head for the others; ARCH=win32 runs the
# 32-bit build (under emulation), ARCH=win64 (the default) the 64-bit one. On a display it stays
# until it is closed with its close image; without one it runs on a private X server, waits
# for the shaped window, saves a screenshot and says where. DPI=144 (or any resolution) runs
# it at that screen resolution instead of 96.
#   tools/demo.sh <build folder>
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
arch=${ARCH:-win64}
case "$arch" in
  win64 | win32) ;;
  *) echo "ARCH must be win64 or win32, not '$arch'" >&2; exit 2 ;;
esac
case "${DEMO:-earth}" in
  earth) program="$build/$arch/demos/earth/CutEARTH.exe" ;;
  hole) program="$build/$arch/demos/hole/CutHOLE.exe" ;;
  head) program="$build/$arch/demos/head/CutHEAD.exe" ;;
  *) echo "DEMO must be earth, hole or head, not '$DEMO'" >&2; exit 2 ;;
esac
library="$build/$arch/control/Cutshape.ocx"
for file in "$program" "$library"; do
  [[ -f "$file" ]] || { echo "$file is missing: run 'make build' first" >&2; exit 1; }
done
dpi=${DPI:-96}
[[ $dpi =~ ^[1-9][0-9]*$ ]] || { echo "DPI must be a number of dots per inch, not '$dpi'" >&2; exit 2; }
export CUTSHAPE_DEMO_PROGRAM=$program CUTSHAPE_DEMO_LIBRARY=$library CUTSHAPE_DEMO_DPI=$dpi
# The session's prefix is its own copy: the resolution set in it goes with it.
set_dpi='"$CUTSHAPE_WINE" "$CUTSHAPE_SYSTEM_DIR\\reg.exe" add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$CUTSHAPE_DEMO_DPI" /f >/dev/null'

if [[ -n "${DISPLAY:-}" && "${CUTSHAPE_DEMO_HEADLESS:-0}" != 1 ]]; then
  echo "Showing $(basename "$program") on $DISPLAY: drag it with the left button, close it" \
    "with its close image."
  exec "$repo/tools/wine-session.sh" --arch "$arch" --display-from-user bash -c '
    set -euo pipefail
    '"$set_dpi"'
    "$CUTSHAPE_WINE" "$CUTSHAPE_SYSTEM_DIR\\regsvr32.exe" /s "$CUTSHAPE_DEMO_LIBRARY"
    "$CUTSHAPE_WINE" "$CUTSHAPE_DEMO_PROGRAM"
  '
fi

shot="$build/demo-${DEMO:-earth}"
[[ $arch == win64 ]] || shot="$shot-$arch"
[[ $dpi -eq 96 ]] || shot="$shot-${dpi}dpi"
shot="$shot.png"
export CUTSHAPE_DEMO_SHOT=$shot
"$repo/tools/wine-session.sh" --arch "$arch" bash -c '
  set -euo pipefail
  '"$set_dpi"'
  "$CUTSHAPE_WINE" "$CUTSHAPE_SYSTEM_DIR\\regsvr32.exe" /s "$CUTSHAPE_DEMO_LIBRARY"
  "$CUTSHAPE_WINE" "$CUTSHAPE_DEMO_PROGRAM" &
  pid=$!
  trap "kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true" EXIT
  id=
  for _ in $(seq 1 200); do
    id=$(xdotool search --onlyvisible --name "^Form1\$" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && break
    kill -0 $pid 2>/dev/null || { echo "the program ended before its window showed" >&2; exit 1; }
    sleep 0.05
  done
  [[ -n "$id" ]] || { echo "no window appeared" >&2; exit 1; }
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$id")"
  # The screen around the window: a window capture would show black where the shape cuts.
  import -window root -crop "$((WIDTH + 40))x$((HEIGHT + 40))+$((X > 20 ? X - 20 : 0))+$((Y > 20 ? Y - 20 : 0))" \
    +repage -define png:exclude-chunks=date,time "$CUTSHAPE_DEMO_SHOT"
'
echo "No display: $(basename "$program") ($arch, $dpi dpi) ran on a private X server. Screenshot: $shot"
