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
# <picture> as the window shows it, from a screenshot: each opaque pixel in its own colour (no
# mask colour), each partly transparent one blended over one light background colour (as
# painted over the window's background, not drawn premultiplied over black).
expect_own_colours() { # <window id> <picture> <what>
  import -window "$1" "$work/shown.png" || fail "$3: no screenshot"
  /usr/bin/python3 - "$2" "$work/shown.png" <<'EOF' || fail "$3: not painted as the picture's colours and alpha say"
import sys
from PIL import Image
picture = Image.open(sys.argv[1]).convert("RGBA")
shown = Image.open(sys.argv[2]).convert("RGB")
wrong = [(x, y) for y in range(picture.height) for x in range(picture.width)
         if picture.getpixel((x, y))[3] == 255 and picture.getpixel((x, y))[:3] != shown.getpixel((x, y))]
print(f"{len(wrong)} opaque pixels in another colour, first {wrong[:4]}")
# The background each blended pixel implies; a small alpha keeps the rounding's share small.
backs = sorted((shown.getpixel((x, y))[i] - c[i] * c[3] / 255) * 255 / (255 - c[3])
               for y in range(picture.height) for x in range(picture.width)
               if 128 <= (c := picture.getpixel((x, y)))[3] <= 200 for i in range(3))
middle = backs[len(backs) // 2]
unblended = not backs or middle < 100 or backs[-1] - backs[0] > 24
print(f"{len(backs) // 3} blended pixels imply backgrounds {backs[0]:.0f} to {backs[-1]:.0f}")
sys.exit(1 if wrong or unblended else 0)
EOF
}
# With colours=1, the opaque pixels' colours are checked too.
expect_outline() { # <title> <picture> <what> <program and arguments...>
  start_program outline.out "${@:4}"
  check_shape "$1" outline.out "$started" "$2" auto ||
    { cat "$work/outline.out"; fail "$3: the shape is not the pixels of alpha 128 or more"; }
  [[ ${colours:-0} == 1 ]] && expect_own_colours "$(find_window "$1" outline.out "$started")" "$2" "$3"
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
