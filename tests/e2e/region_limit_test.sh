#!/usr/bin/env bash
# Wine on X cannot take a window region of 32,766 rectangles or more, and the control refuses
# such outlines (tests/control/load_limits_test.cpp). The most it takes must still work on a
# real X server: the control host first takes a small figure, and a right-button press then
# loads a one-pixel checkerboard of 32,765 rectangles, which must give the shown window exactly
# the checkerboard's shape, read back from the X server.
#   region_limit_test.sh <control_host.exe> <Cutshape.ocx> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
host=$1 library=$2 xshape=$3

make_figure "$work/figure.bmp"
# Black and white pixels alternate along rows and columns: every row is a band of its own.
# 127 x 257 + 126: the last row one rectangle short.
convert -size 254x258 pattern:gray50 -fill white -draw 'point 253,257' -type TrueColor \
  BMP3:"$work/under.bmp"

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
    grep -q '^second load' "$work/$2" && return 0
    kill -0 "$3" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

title="Cutshape region under the limit"
start_program under.out "$host" "$(windows_path "$library")" "$(windows_path "$work/figure.bmp")" \
  --title "$title" --mask 0xFFFFFF --then "$(windows_path "$work/under.bmp")"
pid=$started
check_shape "$title" under.out "$pid" "$work/figure.bmp" 0xFFFFFF >/dev/null ||
  { echo "FAIL: the first Load did not shape the form"; cat "$work/under.out"; exit 1; }
# The host writes Windows line ends.
taken() { tr -d '\r' <"$work/under.out" | grep -qxF 'second load: ok'; }
if ! load_second "$title" under.out "$pid" || ! taken; then
  echo "FAIL: 32,765 rectangles were not taken"; cat "$work/under.out"; exit 1
fi
# Wine may hand the new shape to the X server a little after the call returns.
deadline=$((SECONDS + 60))
until check_shape "$title" under.out "$pid" "$work/under.bmp" 0xFFFFFF >"$work/compare.out"; do
  if ((SECONDS >= deadline)); then
    echo "FAIL: the shape is not the checkerboard's figure"; cat "$work/compare.out"; exit 1
  fi
  sleep 0.2
done
cat "$work/compare.out"
echo "ok: 32,765 rectangles shape the window exactly"
stop_program "$pid"
