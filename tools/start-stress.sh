#!/usr/bin/env bash
# Counts the Wine starts that fail before a program's own code runs. Starts the tiny
# start_probe.exe, reg.exe (a query) and regsvr32.exe (the control, silently) in turn, JOBS at
# a time, STARTS times in all, while LOAD busy loops keep the cores as busy as a CI run does.
# --kinds window instead starts start_probe.exe with a top-level window, each after a pause of
# 0 to 2 s, so that starts meet Wine's desktop process starting, running and ending.
# A start fails when its exit code is not 0 or its expected output is missing; each failure's
# exit code, output and Wine's err: lines are kept, and the end prints the counts.
#   tools/start-stress.sh [--arch win64|win32] [--starts N] [--jobs N] [--load N]
#                         [--kinds starts|window] [--randomised] <build folder>
# --randomised runs the session with the kernel's address-space randomisation, which the
# session otherwise turns off for Wine's processes.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=win64 starts=3000 jobs=2 load=2 kinds=starts
args=("$@")
while [[ $# -gt 1 ]]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --starts) starts=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --load) load=$2; shift 2 ;;
    --kinds) kinds=$2; shift 2 ;;
    --randomised) export CUTSHAPE_WINE_RANDOMISED=1; shift ;;
    *) echo "start-stress: unknown option $1" >&2; exit 2 ;;
  esac
done
build=$(cd "${1:?a build folder}" && pwd)
if [[ -z "${WINEPREFIX:-}" ]]; then
  exec "$repo/tools/wine-session.sh" --arch "$arch" "$0" "${args[@]}"
fi
source "$repo/tests/e2e/wine_tools.sh"
probe=$build/tools/start_probe/start_probe.exe
control=$build/control/Cutshape.ocx
[[ -f $probe && -f $control ]] || { echo "start-stress: build $build first" >&2; exit 2; }

work=$(mktemp -d)
burners=()
stop_burners() {
  local pid
  for pid in "${burners[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  burners=()
}
trap 'stop_burners; rm -rf "$work"' EXIT
for ((k = 0; k < load; k++)); do
  (while :; do :; done) &
  burners+=($!)
done

# One start of the given kind; prints nothing when it ran, else "<kind> <exit code>" and
# its output.
start_once() { # <kind> <output file>
  local kind=$1 out=$2 rc expected
  case "$kind" in
    probe) "$wine" "$probe" >"$out" 2>&1; rc=$? expected=started ;;
    window)
      sleep "$((RANDOM % 21 / 10)).$((RANDOM % 10))"
      "$wine" "$probe" window >"$out" 2>&1; rc=$? expected=window ;;
    reg) win_reg query 'HKCU\Software\Wine\X11 Driver' /v Managed >"$out" 2>&1; rc=$? expected=Managed ;;
    regsvr32) win_regsvr32 /s "$control" >"$out" 2>&1; rc=$? expected='' ;;
  esac
  if [[ $rc -ne 0 ]] || { [[ -n $expected ]] && ! grep -q -- "$expected" "$out"; }; then
    echo "$kind exit $rc"
    sed 's/^/    /' "$out"
  fi
}

worker() { # <index>
  local cycle=(probe reg regsvr32) i
  [[ $kinds == window ]] && cycle=(window)
  for ((i = $1; i < starts; i += jobs)); do
    start_once "${cycle[i % ${#cycle[@]}]}" "$work/out.$1"
  done >"$work/failures.$1"
}

begin=$(date +%s)
pids=()
for ((j = 0; j < jobs; j++)); do
  worker "$j" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
stop_burners
seconds=$(($(date +%s) - begin))

cat "$work"/failures.* >"$work/failures"
failed=$(grep -c '^[a-z0-9]* exit' "$work/failures")
mode=off
[[ -n "${CUTSHAPE_WINE_RANDOMISED:-}" ]] && mode=on
echo "start-stress: $arch, $kinds, address randomisation $mode, $jobs at a time, $load busy loops:" \
  "$failed of $starts starts failed ($seconds s)"
if [[ $failed -gt 0 ]]; then
  grep '^[a-z0-9]* exit' "$work/failures" | sort | uniq -c
  echo "Wine's err: lines of the failed starts:"
  grep -o 'err:.*' "$work/failures" | sed 's/0x[0-9a-f]*/0x…/g' | sort | uniq -c | sort -rn | head -20
  echo "first failures:"
  head -40 "$work/failures"
fi
