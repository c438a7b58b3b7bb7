#!/usr/bin/env bash
# Shows a window shaped by the region builder under Wine. On a display it stays until it is
# closed (Escape or a right click); without one it runs on a private X server, saves a
# screenshot and says where.
#   tools/demo.sh <build folder>
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
preview="$build/win64/tools/shape_preview/shape_preview.exe"
title="Cutshape demo"

if [[ -n "${DISPLAY:-}" && "${CUTSHAPE_DEMO_HEADLESS:-0}" != 1 ]]; then
  echo "Showing '$title' on $DISPLAY: drag it with the left button, close it with Escape."
  exec "$repo/tools/wine-session.sh" --display-from-user \
    /usr/lib/wine/wine64 "$preview" --title "$title" --demo
fi

shot="$build/demo-screenshot.png"
export CUTSHAPE_DEMO_SHOT=$shot CUTSHAPE_DEMO_PREVIEW=$preview CUTSHAPE_DEMO_TITLE=$title
"$repo/tools/wine-session.sh" bash -c '
  set -euo pipefail
  /usr/lib/wine/wine64 "$CUTSHAPE_DEMO_PREVIEW" --title "$CUTSHAPE_DEMO_TITLE" --demo --at 60 50 &
  pid=$!
  trap "kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true" EXIT
  for _ in $(seq 1 200); do
    xdotool search --onlyvisible --name "^$CUTSHAPE_DEMO_TITLE\$" >/dev/null 2>&1 && break
    sleep 0.05
  done
  sleep 0.5
  import -window root -crop 480x340+0+0 +repage "$CUTSHAPE_DEMO_SHOT"
'
echo "No display: the shaped window ran on a private X server. Screenshot: $shot"
