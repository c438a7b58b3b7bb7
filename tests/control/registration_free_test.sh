#!/usr/bin/env bash
# The control used without registration, as dist/ ships it: with nothing registered, a client
# creates it by class identifier and by programmatic identifier through an activation context
# made from Cutshape.manifest, and CutEARTH, with its own manifest and the control's beside
# it, opens in the outline of Earth.gif. Without the program's manifest the same folder fails
# to create the control, so the manifests are what makes it work.
#   registration_free_test.sh <Cutshape.ocx> <Cutshape.manifest> <CutEARTH.exe>
#                             <CutEARTH.exe.manifest> <activation_context_probe.exe>
#                             <xshape.py> <window_texts.exe>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display stop "$@"
library=$1 control_manifest=$2 program=$3 program_manifest=$4 probe=$5 xshape=$6
window_texts=$7
source "$e2e_dir/demo_lib.sh"

# Nothing registered, whatever an earlier run left.
win_regsvr32 /s /u "$library" >/dev/null 2>&1 || true
win_regsvr32 /s /u /n /i:user "$library" >/dev/null 2>&1 || true
if win_reg query "HKCR\\CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}" >/dev/null 2>&1; then
  fail "the control's class is registered"
fi

# The folder a program ships: itself, its picture, the control and both manifests.
app=$work/app
mkdir "$app"
cp "$library" "$control_manifest" "$program" "$program_manifest" \
  "$(dirname "$program")/Earth.gif" "$app/"

if ! "$wine" "$probe" "$(windows_path "$app/Cutshape.manifest")" >"$work/probe.out" 2>&1; then
  tr -d '\r' <"$work/probe.out"
  fail "the client through the activation context"
fi
tr -d '\r' <"$work/probe.out"

convert "$app/Earth.gif" -type TrueColor BMP3:"$work/earth.bmp"
read -r width height < <(identify -format '%w %h\n' "$work/earth.bmp")
start_program earth.out "$app/CutEARTH.exe"
pid=$started
id=$(wait_window Form1 "$pid") || fail "CutEARTH showed no window 'Form1' with nothing registered"
eventually 10 shaped_as "$id" "$work/earth.bmp" auto "$width" "$height" ||
  fail "CutEARTH's window is not in the outline of Earth.gif"
stop_program "$pid"
echo "ok: CutEARTH with the manifests beside it opens shaped, nothing registered"

rm "$app/CutEARTH.exe.manifest"
start_program report.out "$app/CutEARTH.exe"
pid=$started
box=$(wait_window CutEARTH "$pid") || fail "without its manifest CutEARTH reported no error"
text=$(message_text CutEARTH)
[[ "$text" == *"Error 429"* ]] || fail "without its manifest CutEARTH reported '$text'"
keys_to "$box" Return
wait_exit "$pid" || fail "CutEARTH did not end after its report"
echo "ok: without its manifest CutEARTH cannot create the control: '$text'"
