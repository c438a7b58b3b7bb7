#!/usr/bin/env bash
# `make test`: builds every configuration and runs every stage of tests, then prints where
# the time went (each stage, the slowest tests) and, when something failed, the first failing
# test's output. The native chain (sanitizers, fuzzing) is built and run beside the 64-bit
# build; the Windows suites run after the builds, one after the other, each running two tests
# at a time in Wine sessions of their own. A Wine suite beside a build makes both slower than
# one after the other: measured here, the 64-bit suite and the 32-bit build used about 180
# CPU-seconds more side by side than apart.
#   tools/test-stages.sh <build folder> <jobs> <fuzz seconds>
# Each stage's output goes to <build>/stages/<stage>.log and is printed when the stage ends;
# the summary is also kept in <build>/stages/summary.txt (.ci/run prints it first).
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1 jobs=$2 fuzz_seconds=$3
logs=$build/stages
rm -rf "$logs"
mkdir -p "$logs"
begin=$(date +%s)

# run_stage <name> <command...>: runs the command with its output in the stage's log, prints
# the log when it ends and records the stage's time and result.
run_stage() {
  local name=$1 start status
  shift
  start=$(date +%s)
  echo "[$(($(date +%s) - begin)) s] $name: started"
  "$@" >"$logs/$name.log" 2>&1
  status=$?
  printf '%s %d %d\n' "$name" "$(($(date +%s) - start))" "$status" >"$logs/$name.time"
  {
    echo "==== $name ($(($(date +%s) - start)) s, $([[ $status -eq 0 ]] && echo passed || echo FAILED))"
    cat "$logs/$name.log"
  } | flock "$logs/print.lock" cat
  return $status
}

ctest_stage() { # <configuration> [ctest options...]
  local config=$1
  shift
  ctest --test-dir "$build/$config" --output-on-failure --output-junit "$PWD/$logs/$config.xml" \
    "$@"
}
wine_stage() { # <architecture> <sessions>
  "$repo/tools/wine-session.sh" --arch "$1" --sessions "$2" bash -c \
    'ctest --test-dir "$0" -j "$1" --resource-spec-file "$CUTSHAPE_SESSIONS/resources.json" \
       --output-on-failure --output-junit "$2"' "$build/$1" "$2" "$PWD/$logs/$1.xml"
}
build_stage() { cmake --build "$build/$1" -j "$jobs"; }

run_stage configure make --no-print-directory configure || exit 1
run_stage build-native build_stage native || exit 1
# The native chain: sanitizers and fuzzing.
(
  run_stage native ctest_stage native -j "$jobs"
  run_stage build-native-asan build_stage native-asan && run_stage native-asan ctest_stage native-asan -j "$jobs"
  run_stage build-fuzz build_stage fuzz && run_stage fuzz "$repo/tools/fuzz.sh" "$build/fuzz" "$fuzz_seconds"
) &
native_chain=$!
# The kept Wine prefixes are made beside the builds: Wine's set-up mostly waits.
(
  run_stage wine-prefixes bash -c '"$0" --arch win64 --prepare && "$0" --arch win32 --prepare' \
    "$repo/tools/wine-session.sh"
) &
prefixes=$!
# The Windows builds, then their suites on an otherwise quiet machine.
run_stage build-win64 build_stage win64
win64_built=$?
run_stage build-win32 build_stage win32
win32_built=$?
wait $native_chain $prefixes
[[ $win64_built -eq 0 ]] && run_stage win64 wine_stage win64 2
[[ $win32_built -eq 0 ]] && run_stage win32 wine_stage win32 2

python3 "$repo/tools/test_summary.py" "$logs" "$(($(date +%s) - begin))" | tee "$logs/summary.txt"
