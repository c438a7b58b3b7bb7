#!/usr/bin/env bash
# The control in each kind of container the project's test site can be (tools/control_host
# --container): Load shapes the form to the picture's figure and a right-button press
# (Restore) gives the window back its size and a full rectangle, both read back from the X
# server. A Parent with a read-only Width makes Load and Restore fail with an error naming
# Width and why, and the window keeps its size and shape.
#   container_kinds_test.sh <control_host.exe> <Cutshape.ocx> <xshape.py>
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
# control_host's form is 6000 x 4500 twips: 400 x 300 pixels at 96 dpi.
# Succeeds once the window is <width> x <height> with a bounding shape of one full rectangle.
full_rectangle() { # <id> <width> <height>
  [[ "$("$xshape" rects "$1" 2>/dev/null)" == "geometry $2 $3"$'\n'"0 0 $2 $3" ]]
}

# Waits until <log> has a line starting with <prefix>; prints the line.
await_line() { # <log> <prefix> <pid>
  for _ in $(seq 1 400); do
    if grep -q "^$2" "$e2e_work/$1" 2>/dev/null; then
      grep "^$2" "$e2e_work/$1" | tail -n1 | tr -d '\r'
      return 0
    fi
    kill -0 "$3" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# A right-button press on the ring of the figure (picture pixel 80,130, below the caption)
# calls Restore.
press_restore() { # <id>
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 80)) $((Y + 130)) click 3
}

failures=0
fail() { echo "FAIL ($kind): $*"; cat "$e2e_work/$kind.out"; failures=$((failures + 1)); }

for kind in form points fixed-size no-parent no-extender; do
  title="Cutshape container $kind"
  start_program "$kind.out" "$host" "$(windows_path "$library")" \
    "$(windows_path "$e2e_work/figure.bmp")" --title "$title" --mask 0xFFFFFF --container "$kind"
  pid=$started
  if ! check_shape "$title" "$kind.out" "$pid" "$e2e_work/figure.bmp" 0xFFFFFF; then
    fail "Load did not give the window the picture's figure"; stop_program "$pid"; continue
  fi
  id=$(find_window "$title" "$kind.out" "$pid")
  press_restore "$id"
  if ! await_line "$kind.out" restored "$pid" >/dev/null; then
    fail "Restore did not answer"; stop_program "$pid"; continue
  fi
  if ! eventually 10 full_rectangle "$id" 400 300; then
    fail "after Restore the window is not its 400 x 300 rectangle: $("$xshape" rects "$id" | head -n3)"
    stop_program "$pid"; continue
  fi
  echo "ok ($kind): Load gave the window the figure, Restore its 400 x 300 rectangle"
  stop_program "$pid"
done

kind=read-only-width
title="Cutshape container $kind"
start_program "$kind.out" "$host" "$(windows_path "$library")" \
  "$(windows_path "$e2e_work/figure.bmp")" --title "$title" --mask 0xFFFFFF --container "$kind"
pid=$started
load_error=$(await_line "$kind.out" "load failed" "$pid" || true)
# The host's number, and a description naming the member and the reason.
expected_error="load failed: 0x80020003 "
if [[ "$load_error" != "$expected_error"* || "$load_error" != *"'Width'"* ||
      "$load_error" != *"Member not found"* ]]; then
  fail "Load's error does not name Width and why: '$load_error'"
fi
if id=$(find_window "$title" "$kind.out" "$pid") && eventually 10 full_rectangle "$id" 400 300; then
  press_restore "$id"
  restore_error=$(await_line "$kind.out" "restore failed" "$pid" || true)
  if [[ "$restore_error" != "restore failed: 0x80020003 "*"'Width'"*"Member not found"* ]]; then
    fail "Restore's error does not name Width and why: '$restore_error'"
  elif ! full_rectangle "$id" 400 300; then
    fail "a failed Restore changed the window: $("$xshape" rects "$id" | head -n3)"
  else
    echo "ok ($kind): Load and Restore fail naming Width and why; the window keeps its size and shape"
  fi
else
  fail "after the failed Load the window is not its 400 x 300 rectangle"
fi
stop_program "$pid"

[[ $failures -eq 0 ]]
