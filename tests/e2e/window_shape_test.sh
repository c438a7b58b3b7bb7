#!/usr/bin/env bash
# Shapes a real window to BMP and GIF pictures with the region builder and checks that the
# window's X bounding shape covers exactly the picture's figure.
#   window_shape_test.sh <shape_preview.exe> <xshape.py>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  exec "$here/../../tools/wine-session.sh" "$0" "$@"
fi
preview=$1
xshape=$2
source "$here/e2e_lib.sh"

make_figure "$e2e_work/figure.bmp"
convert "$e2e_work/figure.bmp" "$e2e_work/figure.gif"

shape_of() { # <picture> <title> <mask>
  start_program preview.out "$preview" --title "$2" --mask "$3" --at 37 53 "$1"
  local pid=$started status=0
  check_shape "$2" preview.out "$pid" "$e2e_work/figure.bmp" "$3" || status=$?
  stop_program "$pid"
  if [[ $status -ne 0 ]]; then
    echo "FAIL: the shape of '$2' is not the picture's figure"
    cat "$e2e_work/preview.out"
    return 1
  fi
  echo "ok: $2"
}

shape_of "$e2e_work/figure.bmp" "shape bmp automatic" auto
shape_of "$e2e_work/figure.bmp" "shape bmp white" 0xFFFFFF
shape_of "$e2e_work/figure.gif" "shape gif white" 0xFFFFFF
