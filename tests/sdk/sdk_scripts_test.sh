#!/usr/bin/env bash
# The SDK's late-bound examples against the registered control, each checked line by line:
# the C++ IDispatch client, the VBScript and JScript clients (through the architecture's own
# script host) and the macro module (its functions run by the VBScript engine, which shares
# their syntax, after dropping the module's Attribute line).
#   sdk_scripts_test.sh <Cutshape.ocx> <sdk_dispatch_client.exe> <examples folder>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" prefix count "$@"
library=$1 dispatch_client=$2 examples=$3
register_control "$library"
examples_w=$(winepath_w "$examples")

expect_output() { # <what> <expected> <command...>
  local actual
  actual=$("${@:3}" 2>&1 </dev/null | tr -d '\r')
  if [[ "$actual" != "$2" ]]; then
    fail "$1 printed:"
    echo "$actual"
    echo "expected:"
    echo "$2"
  else
    echo "ok: $1"
  fi
}

expect_output "the IDispatch client" "Picture 1745027072
Load 1610809351
Restore 1610809352
Move 1610809355
Refresh 1610809356
About -552
MaskColor 1745027087
ShowPicture 1745027086
AutomaticMaskColor 1745027085
MaskColor = 16711935
AutomaticMaskColor = False
ShowPicture = False
Picture is Nothing: True
Load: 0x80020009 0x800403E9 Cutshape: No Picture Set." "$wine" "$dispatch_client"

expect_output "the VBScript client" "MaskColor = 16711935
AutomaticMaskColor = False
ShowPicture = False
Picture is Nothing: True
Load: 800403E9 Cutshape: No Picture Set." win_cscript //nologo "$examples_w\\client.vbs"

expect_output "the JScript client" "MaskColor = 16711935
AutomaticMaskColor = false
ShowPicture = false
Picture is null: true
Load: 800403E9 No Picture Set." win_cscript //nologo "$examples_w\\client.js"

# The macro module's functions, called as a macro would call them.
{
  grep -v '^Attribute ' "$examples/CutshapeMacros.bas"
  echo 'Dim control'
  echo 'Set control = NewCutshape(RGB(0, 128, 255))'
  echo 'WScript.Echo CutshapeSettings(control)'
  echo 'WScript.Echo LoadWithoutPicture(control)'
} >"$work/macros.vbs"
expect_output "the macro module" "MaskColor=16744448 AutomaticMaskColor=False ShowPicture=False
Error -2147220503 (Cutshape): No Picture Set." win_cscript //nologo "$(winepath_w "$work/macros.vbs")"

checks_done "the SDK's late-bound examples ran against $library"
