#!/usr/bin/env bash
# Shapes a real window to BMP and GIF pictures and checks that the window's X bounding shape
# covers exactly the picture's figure. The pictures come from ImageMagick, so neither the
# picture nor the expected figure passes through the project's own code.
#   window_shape_test.sh <shape_preview.exe> <cutshape_xshape>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  exec "$here/../../tools/wine-session.sh" "$0" "$@"
fi
preview=$1
xshape=$2

work=$(mktemp -d)
preview_pid=""
cleanup() {
  if [[ -n "$preview_pid" ]]; then
    kill "$preview_pid" 2>/dev/null || true
    wait "$preview_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A ring with a hole, a bar touching the right edge, a single pixel; no anti-aliasing so every
# pixel is either the white background or a figure colour.
convert -size 211x157 xc:white +antialias \
  -fill '#1E5AC8' -draw 'circle 80,78 80,8' \
  -fill white -draw 'circle 80,78 80,48' \
  -fill '#F08C14' -draw 'rectangle 150,40 210,60' \
  -fill black -draw 'point 190,120' \
  -type TrueColor BMP3:"$work/figure.bmp"
convert "$work/figure.bmp" "$work/figure.gif"

find_window() { # <title>: the visible window's X id, once the program has shaped it
  local title=$1 id=""
  for _ in $(seq 1 400); do
    if grep -q '^shaped' "$work/preview.out" 2>/dev/null; then
      id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1 || true)
      [[ -n "$id" ]] && { echo "$id"; return 0; }
    fi
    kill -0 "$preview_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

check_shape() { # <picture> <title> <mask>
  local picture=$1 title=$2 mask=$3 id status=2
  /usr/lib/wine/wine64 "$preview" --title "$title" --mask "$mask" --at 37 53 "$picture" \
    >"$work/preview.out" 2>&1 &
  preview_pid=$!
  # X reuses window ids and Wine may replace a window's X twin while it settles, so a
  # vanished window (exit 2) is looked up again.
  for _ in 1 2 3 4 5; do
    id=$(find_window "$title") || break
    sleep 0.2
    status=0
    "$xshape" compare "$id" "$work/figure.bmp" "$mask" || status=$?
    [[ $status -ne 2 ]] && break
  done
  kill "$preview_pid" 2>/dev/null || true
  wait "$preview_pid" 2>/dev/null || true
  preview_pid=""
  if [[ $status -ne 0 ]]; then
    echo "FAIL: the shape of '$title' is not the picture's figure"
    cat "$work/preview.out"
    return 1
  fi
  echo "ok: $title"
}

check_shape "$work/figure.bmp" "shape bmp automatic" auto
check_shape "$work/figure.bmp" "shape bmp white" 0xFFFFFF
check_shape "$work/figure.gif" "shape gif white" 0xFFFFFF
