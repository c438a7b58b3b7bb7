#!/usr/bin/env bash
# Wine on X ended the program with an X error when a window region had 32,767 rectangles or
# more. The control host first takes a small figure; a right-button press then loads a
# one-pixel checkerboard of 32,767 rectangles, which must be refused with a clear error while
# the host lives on and the window keeps its shape (read back from the X server); a
# checkerboard of 32,765 rectangles, the most that works, must shape the window.
#   region_limit_test.sh <control_host.exe> <Cutshape.ocx> <xshape.py>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  exec "$here/../../tools/wine-session.sh" "$0" "$@"
fi
host=$1
library=$2
xshape=$3
source "$here/e2e_lib.sh"

make_figure "$e2e_work/figure.bmp"
# Black and white pixels alternate along rows and columns: every row is a band of its own.
convert -size 302x217 pattern:gray50 -type TrueColor BMP3:"$e2e_work/over.bmp"  # 151 x 217
# 127 x 257 + 126: the last row one rectangle short.
convert -size 254x258 pattern:gray50 -fill white -draw 'point 253,257' -type TrueColor \
  BMP3:"$e2e_work/under.bmp"

# The window's shape rectangles, without the geometry line.
shape_rects() { "$xshape" rects "$1" | tail -n +2; }

# Presses the right button on the figure's ring inside the client area (pixel 80,140) and waits
# for the host's report.
load_second() { # <title> <log> <pid>
  local id
  id=$(find_window "$1" "$2" "$3")
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove $((X + 80)) $((Y + 140)) click 3
  # Wine installs a region on a shown window in time quadratic in its rectangles: 10 to 20 s
  # for 32,765 here, and about 100 s for the 32-bit build under emulation on a busy machine.
  local seconds=90
  [[ $arch == win32 ]] && seconds=400
  local deadline=$((SECONDS + seconds))
  while ((SECONDS < deadline)); do
    grep -q '^second load' "$e2e_work/$2" && return 0
    kill -0 "$3" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

title="Cutshape region limit"
start_program over.out "$host" "$(windows_path "$library")" "$(windows_path "$e2e_work/figure.bmp")" \
  --title "$title" --mask 0xFFFFFF --then "$(windows_path "$e2e_work/over.bmp")"
pid=$started
if ! check_shape "$title" over.out "$pid" "$e2e_work/figure.bmp" 0xFFFFFF; then
  echo "FAIL: the first Load did not shape the form"; cat "$e2e_work/over.out"; exit 1
fi
before=$(shape_rects "$(find_window "$title" over.out "$pid")")
if ! load_second "$title" over.out "$pid"; then
  echo "FAIL: the host died or did not report the second Load"; cat "$e2e_work/over.out"; exit 1
fi
expected="second load failed: 0x800403EA the picture's outline is too complex for this window system: 32767 rectangles, at most 32765"
# The host writes Windows line ends.
reported() { tr -d '\r' <"$e2e_work/$1" | grep -qxF "$2"; }
if ! reported over.out "$expected"; then
  echo "FAIL: not the expected error"; cat "$e2e_work/over.out"; exit 1
fi
echo "ok: 32,767 rectangles are refused with a clear error"
# The message loop still runs: the window answers, and its shape is the first figure's.
id=$(find_window "$title" over.out "$pid")
xdotool getwindowgeometry "$id" >/dev/null
after=$(shape_rects "$id")
if [[ "$after" != "$before" || -z "$after" ]]; then
  echo "FAIL: the window lost its shape after the refused Load"; exit 1
fi
kill -0 "$pid" || { echo "FAIL: the host ended"; exit 1; }
echo "ok: the host lives on and the window keeps the first figure's shape"
stop_program "$pid"

title="Cutshape region under the limit"
start_program under.out "$host" "$(windows_path "$library")" "$(windows_path "$e2e_work/figure.bmp")" \
  --title "$title" --mask 0xFFFFFF --then "$(windows_path "$e2e_work/under.bmp")"
pid=$started
check_shape "$title" under.out "$pid" "$e2e_work/figure.bmp" 0xFFFFFF >/dev/null ||
  { echo "FAIL: the first Load did not shape the form"; cat "$e2e_work/under.out"; exit 1; }
if ! load_second "$title" under.out "$pid" || ! reported under.out 'second load: ok'; then
  echo "FAIL: 32,765 rectangles were not taken"; cat "$e2e_work/under.out"; exit 1
fi
# Wine may hand the new shape to the X server a little after the call returns.
deadline=$((SECONDS + 60))
until check_shape "$title" under.out "$pid" "$e2e_work/under.bmp" 0xFFFFFF >"$e2e_work/compare.out"; do
  if ((SECONDS >= deadline)); then
    echo "FAIL: the shape is not the checkerboard's figure"; cat "$e2e_work/compare.out"; exit 1
  fi
  sleep 0.2
done
cat "$e2e_work/compare.out"
echo "ok: 32,765 rectangles shape the window exactly"
stop_program "$pid"
