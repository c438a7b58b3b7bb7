#!/usr/bin/env bash
# Runs a demonstration program under Wine with the control registered in the project-local
# prefix: CutEARTH by default, DEMO=hole or DEMO=head for the others. On a display it stays
# until it is closed with its close image; without one it runs on a private X server, waits
# for the shaped window, saves a screenshot and says where.
#   tools/demo.sh <build folder>
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
case "${DEMO:-earth}" in
  earth) program="$build/win64/demos/earth/CutEARTH.exe" ;;
  hole) program="$build/win64/demos/hole/CutHOLE.exe" ;;
  head) program="$build/win64/demos/head/CutHEAD.exe" ;;
  *) echo "DEMO must be earth, hole or head, not '$DEMO'" >&2; exit 2 ;;
esac
library="$build/win64/control/Cutshape.ocx"
for file in "$program" "$library"; do
  [[ -f "$file" ]] || { echo "$file is missing: run 'make build' first" >&2; exit 1; }
done
export CUTSHAPE_DEMO_PROGRAM=$program CUTSHAPE_DEMO_LIBRARY=$library

if [[ -n "${DISPLAY:-}" && "${CUTSHAPE_DEMO_HEADLESS:-0}" != 1 ]]; then
  echo "Showing $(basename "$program") on $DISPLAY: drag it with the left button, close it" \
    "with its close image."
  exec "$repo/tools/wine-session.sh" --display-from-user bash -c '
    set -euo pipefail
    /usr/lib/wine/wine64 regsvr32 /s "$CUTSHAPE_DEMO_LIBRARY"
    /usr/lib/wine/wine64 "$CUTSHAPE_DEMO_PROGRAM"
  '
fi

shot="$build/demo-${DEMO:-earth}.png"
export CUTSHAPE_DEMO_SHOT=$shot
"$repo/tools/wine-session.sh" bash -c '
  set -euo pipefail
  /usr/lib/wine/wine64 regsvr32 /s "$CUTSHAPE_DEMO_LIBRARY"
  /usr/lib/wine/wine64 "$CUTSHAPE_DEMO_PROGRAM" &
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
echo "No display: $(basename "$program") ran on a private X server. Screenshot: $shot"
