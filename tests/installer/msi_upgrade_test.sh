#!/usr/bin/env bash
# The installer package's major upgrade under Wine's msiexec: an older version built from the
# same files (version 0.9.0, so another product code) is installed, then the build's package;
# the older product is gone and the newer one installed. Installing the older one again is
# refused and leaves the newer one. Each product is known by its uninstall key.
#   msi_upgrade_test.sh <package.msi> <files folder of the package> <wxs> <rows folder> <x64|x86>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" prefix count "$@"
package=$1 files=$2 wxs=$3 rows=$4 platform=$5
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)
version=$(msiinfo export "$package" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductVersion" { print $2 }')

cp -R "$files" "$work/files"
"$tools/msi-package.sh" "$wxs" "$rows" "$platform" 0.9.0 "$work/files" "$work/old.msi" ||
  { echo "FAIL: could not build the older package"; exit 1; }
old_code=$(/usr/bin/python3 "$tools/msi_codes.py" product 0.9.0 "$platform")
new_code=$(/usr/bin/python3 "$tools/msi_codes.py" product "$version" "$platform")
win_msiexec() { "$wine" "$system_dir\\msiexec.exe" "$@" </dev/null >/dev/null 2>&1; }
installed() { # <product code>
  win_reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" >/dev/null 2>&1
}
old_w=$(winepath_w "$work/old.msi") new_w=$(winepath_w "$package")
at_exit 'win_msiexec /x "$new_w" /qn; win_msiexec /x "$old_w" /qn'

win_msiexec /i "$old_w" /qn && installed "$old_code" || fail "the older package did not install"
win_msiexec /i "$new_w" /qn || fail "the newer package did not install over the older one: $?"
if installed "$new_code" && ! installed "$old_code"; then
  echo "ok: installing $version removed 0.9.0"
else
  fail "after the upgrade: $version $(installed "$new_code" || echo "not ")installed, 0.9.0 $(installed "$old_code" && echo "still " || echo "not ")installed"
fi
win_msiexec /i "$old_w" /qn && fail "the older package installed over the newer one"
installed "$new_code" && ! installed "$old_code" && echo "ok: installing 0.9.0 over $version is refused" ||
  fail "the refused downgrade changed what is installed"
checks_done "a newer package replaces an older one; an older one is refused"
