#!/usr/bin/env bash
# Soft edges: a picture's fringe (its pixels with 0 < alpha < 128, which the form's region
# leaves out) is shown beside the form in a window of per-pixel alpha, read back from the X
# server. In a container without Parent (the site's top-level window is the form): the edge's
# alpha and colours, its place after program moves and a drag, its place in the z-order when
# another window covers the form and after the form is raised again by a click, a click on the
# fringe reaching the window below, hide, show, minimise, maximise and restore, the blend the
# screen shows under a compositing manager, no edge after Restore or a picture without fringe,
# and the edge of a form without hwnd.
#   soft_edge_test.sh <control_host.exe> <Cutshape.ocx> <window_driver.exe> <soft_edge.py> [dpi]
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
source "$e2e_dir/demo_lib.sh"
host=$1 library=$2 driver=$3 edge_tool=$4
use_dpi "${5:-96}"
scale=$(/usr/bin/python3 -c "print($dpi / 96)")
# A drag moves the window itself, not an outline of it.
win_reg add 'HKCU\Control Panel\Desktop' /v DragFullWindows /t REG_SZ /d 1 /f >/dev/null ||
  fail "cannot make drags move the window itself"

/usr/bin/python3 "$edge_tool" picture "$work/soft.png"
convert "$work/soft.png" -channel A -threshold 50% +channel "$work/hard.png" # alpha 0 or 255
convert -size 420x320 xc:'#3C8C50' -type TrueColor BMP3:"$work/behind.bmp"
drive() { "$wine" "$driver" "$@"; }
edge() { /usr/bin/python3 "$edge_tool" "$@" >"$work/edge.txt" 2>&1; }
expect() { # <what> <check> [args...]: the check passes within the deadline
  eventually 10 "${@:2}" || { cat "$work/edge.txt"; fail "$1"; }
  echo "ok: $1 at $dpi dpi ($(head -c 200 "$work/edge.txt"))"
}
# A figure pixel and a fringe pixel of the glass strip (180..209 x 30..139), relative to the
# form; the glass pixel lies over the other window's client area below.
figure_x=$(px 60) figure_y=$(px 60) glass_x=$(px 183) glass_y=$(px 135)

start_program soft.out "$host" "$(windows_path "$library")" "$(windows_path "$work/soft.png")" \
  --title Soft --show-picture --borderless --container no-parent --then "$(windows_path "$work/hard.png")"
soft_pid=$started
form=$(find_window Soft soft.out "$soft_pid") || fail "the soft form did not show"
expect "the edge holds the fringe, at the form's origin, directly below it" \
  edge check "$form" "$work/soft.png" "$scale"

# A program's positions may be scaled by Wine between processes of different awareness, so
# the test reads where the form went from the X server.
at_form() { eval "$(xdotool getwindowgeometry --shell "$form")"; fx=$X fy=$Y; }
drive place Soft Soft 1 0.8
expect "the edge follows a program move" edge check "$form" "$work/soft.png" "$scale"
at_form
xdotool mousemove $((fx + figure_x)) $((fy + figure_y)) mousedown 1 \
  mousemove $((fx + 20 + figure_x)) $((fy + 20 + figure_y)) \
  mousemove $((fx + 50 + figure_x)) $((fy + 40 + figure_y)) mouseup 1
eventually 10 window_at "$form" $((fx + 50)) $((fy + 40)) || fail "the drag did not move the form by +50,+40"
expect "the edge follows a drag by Move" edge check "$form" "$work/soft.png" "$scale"
at_form

# Another window over the lower right of the form: the form is not raised, the edge stays
# below the form, and a click on the form raises both again.
start_program behind.out "$host" "$(windows_path "$library")" "$(windows_path "$work/behind.bmp")" \
  --title Behind --mask 0xFFFFFF
behind=$(find_window Behind behind.out "$started") || fail "the other window did not show"
drive place Behind Soft 0.68 0.59
drive raise Behind
expect "a window raised over the form stays above it and above the edge" \
  edge above "$behind" "$form"
expect "the edge stays directly below the covered form" edge check "$form" "$work/soft.png" "$scale"
xdotool mousemove $((fx + figure_x)) $((fy + figure_y)) click 1
expect "a click raises the form over the other window" edge above "$form" "$behind"
expect "the edge is directly below the raised form" edge check "$form" "$work/soft.png" "$scale"

# The fringe takes no input: a right-button press on the glass reaches the window below.
xdotool mousemove $((fx + glass_x)) $((fy + glass_y)) click 3
eventually 10 grep -q '^restored' "$work/behind.out" ||
  fail "a click on the fringe did not reach the window below it"
grep -q 'second load' "$work/soft.out" && fail "a click on the fringe reached the form"
echo "ok: a click on the fringe reaches the window below, not the edge nor the form"

for step in "hide absent" "show check" "minimize absent" "restore check" "maximize check" \
  "restore check"; do
  read -r command check <<<"$step"
  drive "$command" Soft
  if [[ $check == absent ]]; then
    expect "no edge while the form is $command" edge absent "$form"
  else
    expect "the edge is back after $command" edge check "$form" "$work/soft.png" "$scale"
  fi
done

# Under a compositing manager the screen shows the fringe blended over the desktop.
drive place Behind Soft 1.4 1.5
edge root 60,140,80 || fail "cannot colour the screen's background"
at_exit "/usr/bin/python3 '$edge_tool' root none"
xcompmgr >/dev/null 2>&1 &
compositor=$!
at_exit "kill $compositor 2>/dev/null; wait $compositor 2>/dev/null"
shown_blended() {
  import -window root "$work/screen.png" &&
    edge blended "$work/screen.png" "$form" "$work/soft.png" "$scale" 60,140,80
}
expect "the screen shows the fringe blended over what lies behind the form" shown_blended
if [[ -n "${CUTSHAPE_SOFT_EDGE_SHOT:-}" ]]; then
  convert "$work/screen.png" -crop "$(px 260)x$(px 210)+$((fx - $(px 20)))+$((fy - $(px 20)))" \
    +repage -define png:exclude-chunks=date,time "$CUTSHAPE_SOFT_EDGE_SHOT"
fi
kill "$compositor" 2>/dev/null || true
wait "$compositor" 2>/dev/null || true

# A picture whose alpha is only 0 and 255 has no fringe; nor has a restored form.
xdotool mousemove $((fx + figure_x)) $((fy + figure_y)) click 3
eventually 10 grep -q '^second load: ok' "$work/soft.out" || fail "the second Load failed"
expect "no edge after a Load of a picture without fringe" edge absent "$form"
xdotool mousemove $((fx + figure_x)) $((fy + figure_y)) click 3
eventually 10 grep -q '^restored' "$work/soft.out" || fail "Restore failed"
expect "no edge after Restore" edge absent "$form"

# A container whose form has no hwnd (its sizes in points): the control shapes the site's
# top-level window, and its edge too.
start_program points.out "$host" "$(windows_path "$library")" "$(windows_path "$work/soft.png")" \
  --title Points --show-picture --borderless --container points
points=$(find_window Points points.out "$started") || fail "the points form did not show"
expect "a form without hwnd has its edge" edge check "$points" "$work/soft.png" "$scale"
checks_done "soft edges at $dpi dpi"
