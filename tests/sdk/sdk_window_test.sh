#!/usr/bin/env bash
# The SDK's C++ example through the function table, against the registered control: its
# window opens in the outline of the picture it is given (read back from X), a left-button
# drag on the figure moves it, R gives back the window's rectangle, L shapes it again and
# Escape ends the program with exit code 0.
#   sdk_window_test.sh <Cutshape.ocx> <sdk_vtable_client.exe> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display stop "$@"
library=$1 client=$2 xshape=$3
source "$e2e_dir/demo_lib.sh"
register_control "$library"

title="Cutshape vtable client"
make_figure "$work/figure.bmp"
read -r width height < <(identify -format '%w %h\n' "$work/figure.bmp")

start_program client.out "$client" "$(windows_path "$work/figure.bmp")"
pid=$started
check_shape "$title" client.out "$pid" "$work/figure.bmp" 0xFFFFFF ||
  { cat "$work/client.out"; fail "the window is not in the picture's outline"; }
id=$(find_window "$title" client.out "$pid")
grep -q "^shaped $width $height" "$work/client.out" ||
  fail "the program reported $(head -1 "$work/client.out"), not the picture's size"
echo "ok: Load through the function table shaped the window to the picture's figure"

# A drag from a point of the ring (80, 20) by +40,+40.
geometry "$id"
x0=$X y0=$Y
xdotool mousemove $((x0 + 80)) $((y0 + 20)) mousedown 1 mousemove $((x0 + 100)) $((y0 + 40)) \
  mousemove $((x0 + 120)) $((y0 + 60)) mouseup 1
eventually 10 window_at "$id" $((x0 + 40)) $((y0 + 40)) ||
  fail "a drag on the figure did not move the window by +40,+40 (it is at $X,$Y, was at $x0,$y0)"
echo "ok: a left-button drag on the figure moves the window (Move)"

full_rectangle() { [[ "$(shape_rects "$id")" == "0 0 400 300" ]]; }
keys_to "$id" r
eventually 10 full_rectangle || fail "R did not give back the 400 x 300 rectangle: $(shape_rects "$id" | head -2 | tr '\n' ';')"
echo "ok: Restore gave back the window's rectangle"
keys_to "$id" l
eventually 10 shaped_as "$id" "$work/figure.bmp" 0xFFFFFF "$width" "$height" ||
  fail "L did not shape the window again"
echo "ok: Load without an argument shaped it again"

keys_to "$id" Escape
wait_exit "$pid" || fail "Escape did not end the program"
[[ $exit_code -eq 0 ]] || fail "the program ended with exit code $exit_code"
echo "ok: Escape ends the program with exit code 0"

# The example's PNG path: a picture over a 32-bit DIB section shapes by its transparency.
/usr/bin/python3 "$e2e_dir/alpha_pictures.py" "$work/alpha.png" "$work/64.ico" "$work/128.ico" ||
  fail "could not write the PNG"
start_program png.out "$client" "$(windows_path "$work/alpha.png")"
check_shape "$title" png.out "$started" "$work/alpha.png" auto ||
  { cat "$work/png.out"; fail "a PNG through WIC: the window is not its pixels of alpha 128 or more"; }
stop_program "$started"
echo "ok: a PNG read through WIC shaped the window by its transparency"
start_program icon.out "$client" "$(windows_path "$work/64.ico")"
check_shape "$title" icon.out "$started" "$work/64.ico" auto ||
  { cat "$work/icon.out"; fail "a 32-bit icon from OleLoadPicturePath: the window is not its pixels of alpha 128 or more"; }
stop_program "$started"
echo "ok: a 32-bit icon from OleLoadPicturePath shaped the window by its alpha"
