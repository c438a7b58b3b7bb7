# Shared pieces of the demonstration programs' end-to-end tests (sourced after
# test_prologue.sh): the screen resolution, windows found by title, message boxes read and the
# program's exit code collected.

# The programs the test starts from now on run at <dpi>, the screen resolution a new Wine
# process reads (96 is the session's own). The test's end puts the session's back.
dpi=96
use_dpi() { # <dpi>
  dpi=$1
  [[ $dpi -eq 96 ]] && return 0
  at_exit default_dpi
  win_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null ||
    { echo "FAIL: cannot set the resolution to $dpi dpi"; exit 1; }
}
default_dpi() {
  [[ $dpi -eq 96 ]] || win_reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
}

# <n> / <divisor> rounded to the nearest integer, ties to even, as the runtime rounds.
rounded_quotient() { # <n> <divisor>
  local q=$(($1 / $2)) r=$(($1 % $2))
  if ((2 * r > $2 || (2 * r == $2 && q % 2 == 1))); then q=$((q + 1)); fi
  echo "$q"
}
# A length of <n> bitmap pixels (1/96 inch) in screen pixels at the test's resolution.
px() { rounded_quotient $(($1 * dpi)) 96; }
# A length in twips in screen pixels at the test's resolution.
twips_px() { rounded_quotient $(($1 * dpi)) 1440; }

# Whole percent of the rectangle <left> <top> <width> <height> (twips of the client area,
# which is the window on a borderless form) that the window's X shape covers.
covered_percent() { # <id> <left> <top> <width> <height>
  local x1 y1 x2 y2
  x1=$(twips_px "$2") y1=$(twips_px "$3")
  x2=$((x1 + $(twips_px "$4"))) y2=$((y1 + $(twips_px "$5")))
  shape_rects "$1" | awk -v x1="$x1" -v y1="$y1" -v x2="$x2" -v y2="$y2" '
    { w = ($3 < x2 ? $3 : x2) - ($1 > x1 ? $1 : x1)
      h = ($4 < y2 ? $4 : y2) - ($2 > y1 ? $2 : y1)
      if (w > 0 && h > 0) covered += w * h }
    END { print int(100 * covered / ((x2 - x1) * (y2 - y1))) }'
}

# Fails unless at least 90% of each control lies inside the window's outline; each control
# is "<name> <left> <top> <width> <height>", its design place in twips.
expect_on_figure() { # <id> <control>...
  local id=$1 control covered
  shift
  for control in "$@"; do
    set -- $control
    covered=$(covered_percent "$id" "$2" "$3" "$4" "$5")
    ((covered >= 90)) || { echo "FAIL: only $covered% of $1 lies inside the outline"; exit 1; }
  done
}

# The picture file as a 24-bit BMP at the test's resolution, each pixel scaled by dpi/96
# nearest-neighbour (ImageMagick's -sample): the figure the window must take.
scaled_figure() { # <picture> <output.bmp, or .png to keep the alpha channel>
  local width height format=BMP3
  read -r width height < <(identify -format '%w %h\n' "$1[0]")
  [[ $2 == *.png ]] && format=PNG32
  convert "$1[0]" -sample "$(px "$width")x$(px "$height")!" -type TrueColor "$format:$2"
}

# Prints the X id of the visible window titled <title> while <pid> runs.
wait_window() { # <title> <pid>
  local id
  for _ in $(seq 1 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# Sets X, Y, WIDTH, HEIGHT from the window's geometry.
geometry() { # <id>
  eval "$(xdotool getwindowgeometry --shell "$1")"
}

# The window's X bounding shape, one "x1 y1 x2 y2" rectangle per line (without the
# geometry line the tool prints first).
shape_rects() { # <id>
  "$xshape" rects "$1" | sed 1d
}

# Waits for the program to end and sets exit_code.
wait_exit() { # <pid>
  exit_code=
  for _ in $(seq 1 200); do
    if ! kill -0 "$1" 2>/dev/null; then
      set +e
      wait "$1"
      exit_code=$?
      set -e
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# Prints the text of the message box titled <title> (its static control, id 65535).
message_text() { # <title>
  "$wine" "$window_texts" "$1" | tr -d '\r' | sed -n 's/^65535 //p'
}

# Clicks at a point given relative to the window's top-left corner.
click_at() { # <id> <x> <y> [button]
  geometry "$1"
  xdotool mousemove $((X + $2)) $((Y + $3)) click "${4:-1}"
}

# Sends keys once the window has the keyboard focus.
keys_to() { # <id> <keys...>
  local id=$1
  shift
  xdotool windowactivate "$id" 2>/dev/null || true
  for _ in $(seq 1 100); do
    [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$id" ]] && break
    sleep 0.05
  done
  xdotool key "$@"
}
