# Shared pieces of the demonstration programs' end-to-end tests (sourced after e2e_lib.sh):
# the control registered in the session's prefix for the test's duration, windows found by
# title, message boxes read and the program's exit code collected.

# Registers the control library; it is unregistered when the test ends.
register_control() { # <Cutshape.ocx>
  registered_library=$1
  win_regsvr32 /s "$registered_library" || { echo "FAIL: regsvr32 returned $?"; exit 1; }
  trap 'unregister_control; e2e_cleanup' EXIT
}

unregister_control() {
  if [[ -n "${registered_library:-}" ]]; then
    win_regsvr32 /s /u "$registered_library" || true
    registered_library=
  fi
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
