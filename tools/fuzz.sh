#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzzing configuration for <seconds> each, starting from
# the seed corpus in fuzz/corpus/<target> (new inputs go to <build>/corpus/<target>, crash
# inputs to <build>/artifacts/). Prints each target's runs; fails when a target finds a fault.
#   tools/fuzz.sh <fuzz build folder> <seconds>
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1 seconds=$2
status=0
printf '%-24s %12s %10s %8s\n' target runs "runs/s" result
for seeds in "$repo"/fuzz/corpus/*/; do
  target=$(basename "$seeds")
  program="$build/fuzz/${target}_fuzz"
  corpus="$build/corpus/$target"
  mkdir -p "$corpus" "$build/artifacts"
  log="$build/$target.log"
  result=ok
  "$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$target-" "$corpus" "$seeds" >"$log" 2>&1 || result=FAULT
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-24s %12s %10s %8s\n' "$target" "${runs:-?}" "${rate:-?}" "$result"
  if [[ $result != ok ]]; then
    status=1
    grep -E 'ERROR|SUMMARY|artifact|Test unit written' "$log" | head -20
  fi
done
exit $status
