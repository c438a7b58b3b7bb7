# Shared pieces of the end-to-end tests (sourced by test_prologue.sh for a test with a
# display): test pictures made by ImageMagick (so neither the picture nor the expected figure
# passes through the project's code), starting a Windows program and finding its window on the
# private X server, and stopping what was started when the test ends.

e2e_pids=()
stop_programs() {
  local pid
  for pid in "${e2e_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
at_exit stop_programs

# A ring with a hole, a bar touching the right edge and a single pixel on white, without
# anti-aliasing: every pixel is the background or a figure colour.
make_figure() { # <output.bmp>
  convert -size 211x157 xc:white +antialias \
    -fill '#1E5AC8' -draw 'circle 80,78 80,8' \
    -fill white -draw 'circle 80,78 80,48' \
    -fill '#F08C14' -draw 'rectangle 150,40 210,60' \
    -fill black -draw 'point 190,120' \
    -type TrueColor BMP3:"$1"
}

# Runs <command> every 50 ms until it succeeds or <seconds> have passed; its status is the
# last try's. Assertions about windows wait for them this way, never for a fixed time.
eventually() { # <seconds> <command> [args...]
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || { "$@"; return; }
    sleep 0.05
  done
}

# Succeeds once the window's top-left corner is at <x>,<y>.
window_at() { # <id> <x> <y>
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" && [[ $X -eq $2 && $Y -eq $3 ]]
}

# Succeeds once the window is <width> x <height> and its X shape is the picture's figure.
shaped_as() { # <id> <picture.bmp> <mask> [width height]
  if [[ $# -ge 5 ]]; then
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 1
    [[ $WIDTH -eq $4 && $HEIGHT -eq $5 ]] || return 1
  fi
  "$xshape" compare "$1" "$2" "$3" >/dev/null 2>&1
}

# The Windows path of a Unix file, on Wine's Z: drive.
windows_path() { echo "Z:${1//\//\\}"; }

# Starts a Windows program in the background, its output in $work/<log>; sets $started.
start_program() { # <log> <program> [args...]
  local log=$1
  shift
  "$wine" "$@" >"$work/$log" 2>&1 &
  started=$!
  e2e_pids+=("$started")
}

stop_program() { # <pid>
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Prints the X id of the visible window titled <title> once <log> says "shaped".
find_window() { # <title> <log> <pid>
  local title=$1 log=$2 pid=$3 id
  for _ in $(seq 1 400); do
    if grep -q '^shaped' "$work/$log" 2>/dev/null; then
      id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1 || true)
      [[ -n "$id" ]] && { echo "$id"; return 0; }
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# Compares the window's X bounding shape with the picture's figure. X reuses window ids and
# Wine may replace a window's X twin while it settles, so a vanished window (exit 2) is
# looked up again.
check_shape() { # <title> <log> <pid> <picture.bmp> <mask>
  local id status=2
  for _ in 1 2 3 4 5; do
    id=$(find_window "$1" "$2" "$3") || break
    # The shape may still be settling: the last comparison of the deadline reports.
    status=0
    eventually 10 shaped_as "$id" "$4" "$5" || { status=0; "$xshape" compare "$id" "$4" "$5" || status=$?; }
    [[ $status -ne 2 ]] && break
  done
  return "$status"
}
