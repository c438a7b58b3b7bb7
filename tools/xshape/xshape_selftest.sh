#!/usr/bin/env bash
# Runs xshape_selftest against a private Xvfb server, which is stopped again on exit.
#   xshape_selftest.sh <xshape_selftest> <cutshape_xshape>
# Exits 77 (skipped) when Xvfb is not installed.
set -euo pipefail

if ! command -v Xvfb >/dev/null; then
  echo "Xvfb not found: skipped"
  exit 77
fi

scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number, then a newline, once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" \
  2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 200); do
  [[ $(wc -l <"$scratch/display") -ge 1 ]] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$scratch/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05
done
display=$(head -n 1 "$scratch/display")
if [[ -z "$display" ]]; then
  echo "Xvfb did not report a display" >&2
  exit 1
fi

DISPLAY=":$display" "$1" "$2" "$scratch"
