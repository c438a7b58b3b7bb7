#!/usr/bin/env bash
# Builds an installer package with wixl, the same from any clone at any time: the product
# code is derived from the version and the architecture, the package code from those and
# the package's content, and every time in it (the summary's, the cabinet's file times) is
# SOURCE_DATE_EPOCH (at least 1980-01-01, the cabinet's earliest; that date when unset).
#   tools/msi-package.sh <wxs> <rows folder> <x64|x86> <version> <files folder> <output.msi>
# The files folder holds the files the source names; their times and modes are set here.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wxs=$(realpath "$1") rows=$(realpath "$2") platform=$3 version=$4 files=$5 output=$6
output=$(realpath -m "$output")
earliest=315532800
time=${SOURCE_DATE_EPOCH:-$earliest}
[[ $time -ge $earliest ]] || time=$earliest

product=$(/usr/bin/python3 "$repo/tools/msi_codes.py" product "$version" "$platform")
find "$files" -type f -exec chmod 0644 {} + -exec touch -h -d "@$time" {} +
rm -f "$output.new"
# wixl finds the files named in the source in its working folder; the cabinet keeps their
# times as local times, so the zone is fixed too.
(cd "$files" && TZ=UTC wixl -a "$platform" -D Platform="$platform" -D Version="$version" \
  -D ProductCode="$product" -I "$rows" -o "$output.new" "$wxs")
/usr/bin/python3 "$repo/tools/msi_codes.py" seal "$output.new" "$version" "$platform" "$time" >/dev/null
mv "$output.new" "$output"
