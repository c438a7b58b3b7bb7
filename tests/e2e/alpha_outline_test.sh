#!/usr/bin/env bash
# Outlines from transparency: a PNG, a TIFF and a 32-bit icon through the preview tool (the
# first two read through the imaging component), and a larger icon through the control on a
# form (whose caption keeps it wider than 64 pixels), each shape the window to exactly their
# pixels of alpha 128 or more: the soft edge's fainter half, a transparent hole and no colour
# are cut; an opaque square of the background's own colour stays.
#   alpha_outline_test.sh <shape_preview.exe> <control_host.exe> <Cutshape.ocx> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
preview=$1 host=$2 library=$3 xshape=$4

/usr/bin/python3 "$e2e_dir/alpha_pictures.py" "$work/figure.png" "$work/64.ico" "$work/128.ico" \
  "$work/figure.tif" || fail "could not write the pictures"
# With colours=1, the painting is checked too (shown_colours.py).
expect_outline() { # <title> <picture> <what> <program and arguments...>
  start_program outline.out "${@:4}"
  check_shape "$1" outline.out "$started" "$2" auto ||
    { cat "$work/outline.out"; fail "$3: the shape is not the pixels of alpha 128 or more"; }
  if [[ ${colours:-0} == 1 ]]; then
    import -window "$(find_window "$1" outline.out "$started")" "$work/shown.png" &&
      /usr/bin/python3 "$e2e_dir/shown_colours.py" "$2" "$work/shown.png" ||
      fail "$3: not painted as the picture's colours and alpha say"
  fi
  stop_program "$started"
  echo "ok: $3"
}
colours=1 expect_outline "Alpha PNG" "$work/figure.png" "a 240 x 180 PNG through the preview tool" \
  "$preview" --title "Alpha PNG" --mask auto "$(windows_path "$work/figure.png")"
expect_outline "Alpha TIFF" "$work/figure.tif" "the same picture as a TIFF" \
  "$preview" --title "Alpha TIFF" --mask auto "$(windows_path "$work/figure.tif")"
expect_outline "Alpha icon" "$work/64.ico" "a 64 x 64 32-bit icon through the preview tool" \
  "$preview" --title "Alpha icon" --mask auto "$(windows_path "$work/64.ico")"
expect_outline "Alpha form" "$work/128.ico" "a 128 x 128 32-bit icon through the control" \
  "$host" "$(windows_path "$library")" "$(windows_path "$work/128.ico")" --title "Alpha form"
checks_done "outlines from transparency"
