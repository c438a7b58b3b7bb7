#!/usr/bin/env bash
# CutHOLE end to end: it opens in the outline of Hole.bmp (figure computed here from the
# picture), a press inside the hole reaches the window beneath, "Hold Form" stops dragging
# and "Move Form" restores it, each with the message "Try to move the Hole!" titled CutHOLE,
# and the close image ends the program with exit code 0; at another screen resolution, all
# of it scaled by dpi/96.
#   hole_test.sh <CutHOLE.exe> <Cutshape.ocx> <xshape.py> <window_texts.exe> [dpi]
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
program=$1 xshape=$3 window_texts=$4
source "$e2e_dir/demo_lib.sh"
register_control "$2"
use_dpi "${5:-96}"

picture="$work/hole.bmp"
scaled_figure "$(dirname "$program")/Hole.bmp" "$picture"
# The hole: pixels of the background colour that a flood fill from the corner cannot reach.
background=$(convert "$picture" -format '%[pixel:p{0,0}]' info:)
read -r hole_w hole_h hole_x hole_y < <(
  convert "$picture" -fill magenta -draw 'color 0,0 floodfill' \
    -fill black +opaque "$background" -fill white -opaque "$background" \
    -format '%@\n' info: | tr 'x+' '  ')
[[ -n "$hole_w" && $hole_w -gt 4 && $hole_h -gt 4 ]] || fail "Hole.bmp has no enclosed hole"
hole_cx=$((hole_x + hole_w / 2))
hole_cy=$((hole_y + hole_h / 2))
[[ "$(convert "$picture" -format "%[pixel:p{$hole_cx,$hole_cy}]" info:)" == "$background" ]] ||
  fail "the hole's centre $hole_cx,$hole_cy is not of the background colour"

# A point on the figure away from the images: three pixels into the figure left of the hole,
# found in the picture.
drag_x=$hole_x
while [[ "$(convert "$picture" -format "%[pixel:p{$drag_x,$hole_cy}]" info:)" == "$background" ]]; do
  drag_x=$((drag_x - 1))
done
drag_x=$((drag_x - 3))

# A window beneath that reports the presses it receives.
xev -geometry 400x400+0+0 -event button >"$work/xev.out" 2>&1 &
e2e_pids+=($!)
for _ in $(seq 1 100); do grep -q . "$work/xev.out" 2>/dev/null && break; sleep 0.05; done

start_program hole.out "$program"
pid=$started
id=$(wait_window Form1 "$pid") || fail "no window 'Form1'"
eventually 10 shaped_as "$id" "$picture" auto || true
"$xshape" compare "$id" "$picture" auto || fail "the window's shape is not the figure of Hole.bmp"
expect_on_figure "$id" "imgClose 900 195 210 225" "imgStop 1470 795 315 330" \
  "imgPlay 195 810 375 360"
echo "ok: opens in the outline of Hole.bmp at $dpi dpi, its images on the figure"

geometry "$id"
xev_id=$(xdotool search --name '^Event Tester$' | head -n1)
xdotool windowmove "$xev_id" "$X" "$Y"
xdotool windowraise "$id"
eventually 10 window_at "$xev_id" "$X" "$Y" || fail "the window beneath did not move under the form"
presses() { grep -c ButtonPress "$work/xev.out" || true; }
pressed_once() { [[ $(presses) -ge 1 ]]; }
: >"$work/xev.out"
click_at "$id" "$hole_cx" "$hole_cy"
eventually 10 pressed_once || fail "a press inside the hole did not reach the window beneath"
echo "ok: a press inside the hole at $hole_cx,$hole_cy reaches the window beneath"
# A press on the figure, then one in the hole: the X server delivers in order, so once the
# second has arrived beneath, the first would be there too had it gone through.
: >"$work/xev.out"
click_at "$id" "$drag_x" "$hole_cy"
click_at "$id" "$hole_cx" "$hole_cy"
eventually 10 pressed_once || fail "the press inside the hole did not reach the window beneath"
[[ $(presses) -eq 1 ]] || fail "a press on the figure reached the window beneath"
echo "ok: a press on the figure beside the hole does not reach the window beneath"

# Drags the window by +20,+20 from a point on the figure; expect_moved says where it ended.
# The form handles input in order: a check that it stayed put runs only after a later
# click's message box has shown, when the drag has surely been handled.
drag() {
  geometry "$id"
  drag_x0=$X drag_y0=$Y
  xdotool mousemove $((X + drag_x)) $((Y + hole_cy)) mousedown 1 \
    mousemove $((X + drag_x + 10)) $((Y + hole_cy + 10)) \
    mousemove $((X + drag_x + 20)) $((Y + hole_cy + 20)) mouseup 1
}
expect_moved() { # <expected dx> <what>
  eventually 10 window_at "$id" $((drag_x0 + $1)) $((drag_y0 + $1)) || true
  geometry "$id"
  [[ $X -eq $((drag_x0 + $1)) && $Y -eq $((drag_y0 + $1)) ]] ||
    fail "$2: the window went from $drag_x0,$drag_y0 to $X,$Y"
  echo "ok: $2"
}

expect_message() { # <what>
  local box text
  box=$(wait_window CutHOLE "$pid") || fail "$1: no message box titled CutHOLE"
  text=$(message_text CutHOLE)
  [[ "$text" == "Try to move the Hole!" ]] || fail "$1: the message says '$text'"
  keys_to "$box" Return
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name '^CutHOLE$' >/dev/null 2>&1 || break
    sleep 0.05
  done
  echo "ok: $1 shows 'Try to move the Hole!' titled CutHOLE"
}

drag
expect_moved 20 "a left drag moves the window at start"
# imgStop at (1470, 795) twips: pixel (98, 53), 21 x 22 at 96 dpi; imgPlay at (195, 810):
# (13, 54).
click_at "$id" "$(px 108)" "$(px 64)"
expect_message "Hold Form"
drag
click_at "$id" "$(px 108)" "$(px 64)"
expect_message "Hold Form again"
expect_moved 0 "after Hold Form a left drag leaves the window where it is"
drag
click_at "$id" "$(px 25)" "$(px 66)"
expect_message "Move Form"
expect_moved 0 "Hold Form twice keeps the window held"
drag
expect_moved 20 "after Move Form a left drag moves the window again"

# imgClose at (900, 195) twips: pixel (60, 13), 14 x 15 at 96 dpi.
click_at "$id" "$(px 67)" "$(px 20)"
wait_exit "$pid" || fail "the close image did not end the program"
[[ $exit_code -eq 0 ]] || fail "the program ended with exit code $exit_code"
echo "ok: the close image ends the program with exit code 0"
