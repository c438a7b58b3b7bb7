#!/usr/bin/env bash
# CutHEAD end to end: it opens in the outline of the head picture stored in its form (the
# figure computed here from the same picture file), cancelling the file dialog changes
# nothing, picking a BMP, a GIF, a JPEG and an ICO file reshapes the window to each, a PNG's
# fringe is shown beside the form (and goes with the next picture), and the
# close image ends the program with exit code 0; at another screen resolution, every outline
# and image scaled by dpi/96.
#   head_test.sh <CutHEAD.exe> <Cutshape.ocx> <xshape.py> <window_texts.exe> <head.bmp>
#                [dpi]
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
program=$1 xshape=$3 window_texts=$4 head_picture=$5
source "$e2e_dir/demo_lib.sh"
register_control "$2"
use_dpi "${6:-96}"

dialog_title="Select an image with a solid background color"

# Pictures to pick, and each one's figure as a 24-bit BMP decoded by ImageMagick. Each has
# a block under the select image, pixel (130, 35) to (154, 58), so it can be clicked again.
make_pick() { # <output> <size> <disc colour> <disc centre and edge point>
  convert -size "$2" xc:white +antialias -fill "$3" -draw "circle $4" \
    -fill '#204020' -draw 'rectangle 120,24 167,71' -alpha off -type TrueColor "$1"
}
make_pick "$work/figure.bmp" 211x157 '#1E5AC8' '70,80 70,10'
make_pick "$work/figure.gif" 190x120 '#F08C14' '60,60 60,5'
make_pick "$work/figure.ico" 176x96 '#C81E5A' '50,50 50,10'
# JPEG: flat colours on 8-pixel blocks without chroma subsampling decode exactly everywhere.
convert -size 176x128 xc:white -fill '#1E5AC8' -draw 'rectangle 16,16 119,111' \
  -fill '#204020' -draw 'rectangle 120,24 167,71' -sampling-factor 1x1 -quality 100 \
  "$work/figure.jpg"
# PNG: a transparent background and the disc's antialiased edge, whose fainter half is cut.
convert -size 211x157 xc:none -fill '#1E5AC8' -draw 'circle 70,80 70,10' \
  -fill '#204020' -draw 'rectangle 120,24 167,71' PNG32:"$work/figure.png"
for kind in gif jpg ico; do
  convert "$work/figure.$kind" -alpha off -type TrueColor BMP3:"$work/figure-$kind.bmp"
done

start_program head.out "$program"
pid=$started
id=$(wait_window Form1 "$pid") || fail "no window 'Form1'"

# The pixels of a control of the form (its images and labels) at <left> <top> <width> <height>
# twips, as shown_colours.py takes them.
covered() { echo "$(twips_px "$1"),$(twips_px "$2"),$(twips_px "$3"),$(twips_px "$4")"; }
painted_as() { # <picture>
  import -window "$id" "$work/shown.png" &&
    /usr/bin/python3 "$e2e_dir/shown_colours.py" "$1" "$work/shown.png" \
      "$(covered 2415 150 210 225)" "$(covered 1950 525 375 360)" \
      "$(covered 2640 165 525 195)" "$(covered 1410 705 525 195)"
}
expect_shape() { # <picture.bmp> <what>
  local width height expected=$work/expected.bmp
  [[ $1 == *.png ]] && expected=$work/expected.png
  scaled_figure "$1" "$expected"
  read -r width height < <(identify -format '%w %h\n' "$expected")
  eventually 10 shaped_as "$id" "$expected" auto "$width" "$height" || true
  geometry "$id"
  [[ $WIDTH -eq $width && $HEIGHT -eq $height ]] ||
    fail "$2: the window is ${WIDTH}x${HEIGHT}, not ${width}x${height}"
  "$xshape" compare "$id" "$expected" auto || fail "$2: the shape is not the picture's figure"
  if [[ $1 == *.png ]]; then
    # The pointer leaves the form, so that no tooltip of its images lies over the screenshot.
    xdotool mousemove $((X + WIDTH + 40)) $((Y + HEIGHT + 40))
    eventually 10 painted_as "$expected" >"$work/painted.out" ||
      { cat "$work/painted.out"; fail "$2: not painted as the picture's colours and alpha say"; }
  fi
  echo "ok: $2 at $dpi dpi (${width}x${height})"
}


# imgSelect at (1950, 525) twips: pixel (130, 35), 25 x 24. The dialog opens on a click.
# Two clicks on one spot within the double-click time are a double-click, which is no Click:
# a cancelled dialog can come and go that fast, so successive clicks alternate between two
# points of the image further apart than the double-click rectangle.
select_x=138
open_dialog() {
  select_x=$((select_x == 138 ? 148 : 138))
  click_at "$id" "$(px "$select_x")" "$(px 47)"
  dialog=$(wait_window "$dialog_title" "$pid") || fail "no dialog titled '$dialog_title'"
}

pick() { # <file>
  open_dialog
  type_into_dialog "$1"
}
type_into_dialog() { # <file>
  keys_to "$dialog" ctrl+a
  xdotool type --delay 5 "$(windows_path "$1")"
  xdotool key Return
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "^$dialog_title\$" >/dev/null 2>&1 || break
    sleep 0.05
  done
}

expect_shape "$head_picture" "opens in the outline of the head stored in the form"
expect_on_figure "$id" "imgClose 2415 150 210 225" "imgSelect 1950 525 375 360"
echo "ok: the images lie on the head's figure"

geometry "$id"
x0=$X y0=$Y
open_dialog
keys_to "$dialog" Escape
# Opening the dialog again is handled only after the cancelled handler has returned.
for _ in $(seq 1 100); do
  xdotool search --onlyvisible --name "^$dialog_title\$" >/dev/null 2>&1 || break
  sleep 0.05
done
open_dialog
kill -0 "$pid" 2>/dev/null || fail "cancelling the dialog ended the program"
expect_shape "$head_picture" "cancelling the dialog keeps the head's outline"
geometry "$id"
[[ $X -eq $x0 && $Y -eq $y0 ]] || fail "cancelling the dialog moved the window to $X,$Y"

type_into_dialog "$work/figure.bmp"
expect_shape "$work/figure.bmp" "picking a BMP file reshapes the window"
pick "$work/figure.bmp"
expect_shape "$work/figure.bmp" "picking the same file again gives the same outline"
pick "$work/figure.gif"
expect_shape "$work/figure-gif.bmp" "picking a GIF file reshapes the window"
pick "$work/figure.jpg"
expect_shape "$work/figure-jpg.bmp" "picking a JPEG file reshapes the window"
pick "$work/figure.ico"
expect_shape "$work/figure-ico.bmp" "picking an ICO file reshapes the window"
pick "$work/figure.png"
expect_shape "$work/figure.png" "picking a PNG file shapes the window by its transparency"
# The fainter half of the disc's edge is shown beside the form; the select image still takes
# the click that opens the dialog below.
soft_edge() { /usr/bin/python3 "$e2e_dir/soft_edge.py" "$@" >"$work/edge.txt" 2>&1; }
scale=$(/usr/bin/python3 -c "print($dpi / 96)")
eventually 10 soft_edge check "$id" "$work/figure.png" "$scale" ||
  { cat "$work/edge.txt"; fail "the PNG's fringe is not shown beside the form"; }
echo "ok: the PNG's fringe is shown beside the form at $dpi dpi ($(cat "$work/edge.txt"))"

# Back to a picture on which the close image lies, the head picture file; imgClose at
# (2415, 150) twips: pixel (161, 10) at 96 dpi.
pick "$head_picture"
expect_shape "$head_picture" "picking the head picture file gives the head's outline"
eventually 10 soft_edge absent "$id" || { cat "$work/edge.txt"; fail "a picture without alpha left an edge"; }
click_at "$id" "$(px 168)" "$(px 17)"
wait_exit "$pid" || fail "the close image did not end the program"
[[ $exit_code -eq 0 ]] || fail "the program ended with exit code $exit_code"
echo "ok: the close image ends the program with exit code 0"
