#!/usr/bin/env bash
# The control on a form of the project's own runtime: Load shapes the form to the picture's
# figure (read back from the X server), and a left-button drag through Move moves the form.
#   control_host_test.sh <control_host.exe> <Cutshape.ocx> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
host=$1 library=$2 xshape=$3

make_figure "$work/figure.bmp"
title="Cutshape control host"
start_program host.out "$host" "$(windows_path "$library")" "$(windows_path "$work/figure.bmp")" \
  --title "$title" --mask 0xFFFFFF
pid=$started

if ! check_shape "$title" host.out "$pid" "$work/figure.bmp" 0xFFFFFF; then
  echo "FAIL: the form's shape is not the picture's figure"; cat "$work/host.out"; exit 1
fi
echo "ok: Load shaped the form to the picture's figure"

id=$(find_window "$title" host.out "$pid")
eval "$(xdotool getwindowgeometry --shell "$id")"
x0=$X y0=$Y
# Press on the ring (figure pixel 80,20 of the picture) and drag by (+60, +45).
xdotool mousemove $((x0 + 80)) $((y0 + 20)) mousedown 1 \
  mousemove $((x0 + 110)) $((y0 + 40)) mousemove $((x0 + 140)) $((y0 + 65)) mouseup 1
eventually 10 window_at "$id" $((x0 + 60)) $((y0 + 45)) || true
eval "$(xdotool getwindowgeometry --shell "$id")"
if [[ $X -ne $((x0 + 60)) || $Y -ne $((y0 + 45)) ]]; then
  echo "FAIL: dragging moved the form from $x0,$y0 to $X,$Y, not by +60,+45"; exit 1
fi
echo "ok: a left-button drag moved the form by +60,+45"
stop_program "$pid"
