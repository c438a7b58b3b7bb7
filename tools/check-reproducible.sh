#!/usr/bin/env bash
# `make check-reproducible`: two fresh clones of the last commit, at different paths, each
# run `make release`; the second runs with its clock 77 hours ahead
# (faketime), in another time zone and with another umask. Their release/ folders must be
# byte for byte the same. Uncommitted changes are not in the clones.
#   tools/check-reproducible.sh <work folder> <jobs>
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$1 jobs=$2
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
first=$work/first/Cutshape
second=$work/second/at/another/path/Cutshape-clone
git clone -q --no-local "$repo" "$first"
git clone -q --no-local "$repo" "$second"

build() { # <clone> <log>
  local start=$SECONDS
  if ! (cd "$1" && "${@:3}" make --no-print-directory release JOBS="$jobs") >"$2" 2>&1; then
    tail -n 30 "$2"
    echo "check-reproducible: make release failed in $1 (whole output: $2)" >&2
    exit 1
  fi
  echo "make release in $1: $((SECONDS - start)) s, with the clock at" \
    "$("${@:3}" bash -c 'echo "$(date) and umask $(umask)"')"
}
build "$first" "$work/first.log" env TZ=UTC
# The second: another clock, zone and umask. Only the machine's time is faked; the build
# still sees the files as they are.
build "$second" "$work/second.log" bash -c 'umask 0077 && exec "$@"' umask \
  env TZ=Pacific/Kiritimati faketime -f '+77h'

status=0
for file in $(cd "$first/release" && ls); do
  if cmp -s "$first/release/$file" "$second/release/$file"; then
    echo "same: $file"
  else
    echo "DIFFERENT: $file"
    status=1
  fi
done
if ! diff <(cd "$first/release" && ls) <(cd "$second/release" && ls) >/dev/null; then
  echo "DIFFERENT: the two release folders hold different files"
  status=1
fi
echo "SHA256SUMS of both:"
cat "$first/release/SHA256SUMS"
[[ $status -eq 0 ]] && echo "check-reproducible: the two clones' release/ folders are the same"
exit "$status"
