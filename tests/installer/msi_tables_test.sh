#!/usr/bin/env bash
# The installer package's tables, read with msiinfo on the build machine:
#  - no self-registration: no SelfReg rows, no custom actions, no SelfRegModules or
#    SelfUnregModules step; the control's keys are plain registry rows;
#  - the package and every component target the architecture: "x64" and 64-bit components,
#    or "Intel" and 32-bit components whose rows go to the 32-bit registry view;
#  - each demo, each picture and the control are components of their own, the demos with a
#    Start menu shortcut;
#  - given the other architecture's package too: the shared registration (programmatic
#    identifier, type library) is one component with the same identifier and the same rows
#    in both, and no other component identifier is shared.
#   msi_tables_test.sh <package.msi> <x64|x86> [other architecture's package.msi]
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" none count "$@"
package=$1 platform=$2 other=${3:-}

# A table's rows, tab-separated, without the three header lines.
rows() { # <package> <table>
  msiinfo export "$1" "$2" 2>/dev/null | tr -d '\r' | tail -n +4
}
has_table() { msiinfo tables "$1" 2>/dev/null | grep -qx "$2"; }

[[ -f "$package" ]] || { echo "FAIL: no package $package"; exit 1; }

if has_table "$package" SelfReg && [[ -n "$(rows "$package" SelfReg)" ]]; then
  fail "the package self-registers: $(rows "$package" SelfReg | head -3)"
fi
if has_table "$package" CustomAction && [[ -n "$(rows "$package" CustomAction)" ]]; then
  fail "the package has custom actions: $(rows "$package" CustomAction | cut -f1 | tr '\n' ' ')"
fi
if rows "$package" InstallExecuteSequence | cut -f1 | grep -E '^Self(Un)?RegModules$'; then
  fail "the package's sequence registers modules"
fi
grep -q WriteRegistryValues <(rows "$package" InstallExecuteSequence) ||
  fail "the package writes no registry values"
[[ $(rows "$package" Registry | grep -c "CLSID\\\\{1CD0A9FA") -ge 10 ]] ||
  fail "the control's class rows are missing from the Registry table"
echo "ok: no self-registration; the control's keys are registry rows"

template=$(msiinfo export "$package" _SummaryInformation 2>/dev/null | tr -d '\r' |
  awk -F'\t' '$1 == 7 { print $2 }')
expected_template="x64;1033"
[[ $platform == x86 ]] && expected_template="Intel;1033"
[[ "$template" == "$expected_template" ]] ||
  fail "the package's platform is '$template', not '$expected_template'"
# msidbComponentAttributes64bit (256) marks a component whose rows go to the 64-bit view.
while IFS=$'\t' read -r component _ _ attributes _; do
  if [[ $platform == x64 ]]; then
    ((attributes & 256)) || fail "component $component is not a 64-bit component"
  else
    ((attributes & 256)) && fail "component $component of the x86 package is a 64-bit component"
  fi
done < <(rows "$package" Component)
echo "ok: the package and its components are $platform ($template)"

components=$(rows "$package" File | cut -f1,2)
for entry in "CutshapeOcx Control" "CutEarthExe CutEARTH" "CutHoleExe CutHOLE" \
             "CutHeadExe CutHEAD" "EarthGif EarthPicture" "HoleBmp HolePicture" \
             "ReferenceMd Reference"; do
  read -r file component <<<"$entry"
  grep -qx "$file"$'\t'"$component" <<<"$components" || fail "$file is not alone in component $component"
done
[[ $(cut -f2 <<<"$components" | sort | uniq -d | wc -l) -eq 0 ]] ||
  fail "a component holds more than one file"
for program in CutEARTH CutHOLE CutHEAD; do
  rows "$package" Shortcut | awk -F'\t' -v p="$program" '$3 == p && $4 == p && $2 == "ProgramMenuDir"' |
    grep -q . || fail "no Start menu shortcut for $program in its own component"
done
echo "ok: the control, each demo, each picture and the reference are components of their own; the demos have shortcuts"

if [[ -n "$other" ]]; then
  component_id() { rows "$1" Component | awk -F'\t' -v c="$2" '$1 == c { print $2 }'; }
  shared_rows() { rows "$1" Registry | awk -F'\t' '$6 == "SharedRegistration" { print $2 "\t" $3 "\t" $4 "\t" $5 }' | sort; }
  [[ -n "$(component_id "$package" SharedRegistration)" &&
     "$(component_id "$package" SharedRegistration)" == "$(component_id "$other" SharedRegistration)" ]] ||
    fail "the shared registration's component identifier differs between the packages"
  [[ -n "$(shared_rows "$package")" && "$(shared_rows "$package")" == "$(shared_rows "$other")" ]] ||
    fail "the shared registration's rows differ between the packages"
  grep -q 'CutshapeCtrl.Cutshape' <(shared_rows "$package") &&
    grep -q 'TypeLib' <(shared_rows "$package") ||
    fail "the shared component lacks the programmatic identifier or the type library"
  others=$(rows "$other" Component | cut -f1,2 | grep -v '^SharedRegistration')
  while IFS=$'\t' read -r component id; do
    [[ $component == SharedRegistration ]] && continue
    grep -q "$id" <<<"$others" && fail "component $component has the other package's identifier $id"
  done < <(rows "$package" Component | cut -f1,2)
  echo "ok: both packages share exactly the registration component of the shared keys"
fi

checks_done "the $platform package's tables are as intended"
