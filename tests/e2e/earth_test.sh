#!/usr/bin/env bash
# CutEARTH end to end: it opens in the outline of Earth.gif (the figure computed here from
# the picture file by ImageMagick and the X server's shape), "&Restore" gives back the
# rectangle from before the first shaping, "&Earth" shapes again, the access keys and Tab
# work, a left drag moves the window and a right one does not, and the close image ends the
# program with exit code 0. At another screen resolution the program is its 96-dpi self
# scaled by dpi/96: window, outline (the figure scaled nearest-neighbour), buttons and images.
#   earth_test.sh <CutEARTH.exe> <Cutshape.ocx> <xshape.py> <window_texts.exe> [dpi]
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
program=$1 xshape=$3 window_texts=$4
source "$e2e_dir/demo_lib.sh"
register_control "$2"
use_dpi "${5:-96}"

# The figure: Earth.gif beside the program, as a 24-bit BMP at the resolution.
scaled_figure "$(dirname "$program")/Earth.gif" "$work/earth.bmp"
read -r picture_width picture_height < <(identify -format '%w %h\n' "$work/earth.bmp")
# The form's client area by design: 4680 x 3180 twips (312 x 212 pixels at 96 dpi), no border.
design_width=$(twips_px 4680)
design_height=$(twips_px 3180)

start_program earth.out "$program"
pid=$started
id=$(wait_window Form1 "$pid") || fail "no window 'Form1'"

expect_shaped() { # <what>
  local what=$1
  eventually 10 shaped_as "$id" "$work/earth.bmp" auto "$picture_width" "$picture_height" || true
  geometry "$id"
  [[ $WIDTH -eq $picture_width && $HEIGHT -eq $picture_height ]] ||
    fail "$1: the window is ${WIDTH}x${HEIGHT}, not the picture's ${picture_width}x${picture_height}"
  "$xshape" compare "$id" "$work/earth.bmp" auto || fail "$1: the shape is not the figure"
  expect_on_figure "$id" "imgClose 2460 405 210 225" "cmdEarth 2520 765 780 495" \
    "cmdRestore 2520 1305 780 495"
  echo "ok: $what at $dpi dpi"
}

full_rectangle() { [[ "$(shape_rects "$id")" == "0 0 $design_width $design_height" ]]; }
expect_rectangle() { # <what>
  eventually 10 full_rectangle || true
  geometry "$id"
  [[ $WIDTH -eq $design_width && $HEIGHT -eq $design_height ]] ||
    fail "$1: the window is ${WIDTH}x${HEIGHT}, not ${design_width}x${design_height}"
  [[ "$(shape_rects "$id")" == "0 0 $design_width $design_height" ]] ||
    fail "$1: the shape is not the full rectangle: $(shape_rects "$id" | head -3 | tr '\n' ';')"
  echo "ok: $1 at $dpi dpi"
}

expect_shaped "opens in the outline of Earth.gif"

# Buttons by pixel: cmdEarth at (2520, 765) twips, cmdRestore at (2520, 1305), 52 x 33 pixels
# at 96 dpi.
click_at "$id" "$(px 194)" "$(px 67)"
expect_shaped "&Earth on the shaped window shapes it the same"
click_at "$id" "$(px 194)" "$(px 103)"
expect_rectangle "&Restore gives the size from before the first shaping and a full rectangle"
click_at "$id" "$(px 194)" "$(px 103)"
expect_rectangle "&Restore twice ends as once"
click_at "$id" "$(px 194)" "$(px 67)"
expect_shaped "&Earth shapes again"
click_at "$id" "$(px 194)" "$(px 67)"
expect_shaped "&Earth twice ends as once"

keys_to "$id" alt+r
expect_rectangle "Alt+R restores"
keys_to "$id" alt+e
expect_shaped "Alt+E shapes"
# Alt+R leaves the focus on &Restore; Tab moves it to &Earth, whose Space press shapes.
keys_to "$id" alt+r
expect_rectangle "Alt+R restores again"
keys_to "$id" Tab space
expect_shaped "Tab moves the focus from &Restore to &Earth"

# A press on the globe left of the buttons (picture pixel 60, 130): a right-button drag, then
# a left-button one. Input is handled in order, so once the left drag has moved the window
# the right one has been handled too: had it moved the window, the end would be off +40,+40.
geometry "$id"
x0=$X y0=$Y
globe_x=$((x0 + $(px 60))) globe_y=$((y0 + $(px 130)))
xdotool mousemove $globe_x $globe_y mousedown 3 mousemove $((globe_x + 30)) $((globe_y + 30)) \
  mouseup 3
xdotool mousemove $globe_x $globe_y mousedown 1 mousemove $((globe_x + 20)) $((globe_y + 20)) \
  mousemove $((globe_x + 40)) $((globe_y + 40)) mouseup 1
eventually 10 window_at "$id" $((x0 + 40)) $((y0 + 40)) || true
geometry "$id"
[[ $X -eq $((x0 + 40)) && $Y -eq $((y0 + 40)) ]] ||
  fail "a right-button drag then a left-button one moved the window from $x0,$y0 to $X,$Y, not by +40,+40"
echo "ok: a right-button drag leaves the window where it is; a left-button drag moves it"

# The close image at (2460, 405) twips: pixel (164, 27), 14 x 15 at 96 dpi.
click_at "$id" "$(px 171)" "$(px 34)"
wait_exit "$pid" || fail "the close image did not end the program"
[[ $exit_code -eq 0 ]] || fail "the program ended with exit code $exit_code"
echo "ok: the close image ends the program with exit code 0"
