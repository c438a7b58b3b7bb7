#!/usr/bin/env bash
# The registered control in real clients of the platform: VBScript through CreateObject,
# and Wine's ATL control host, whose top-level window Load must shape (read back from X).
#   clients_test.sh <Cutshape.ocx> <atl_host_probe.exe> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display stop "$@"
library=$1 probe=$2 xshape=$3

win_regsvr32 /s "$library" || fail "regsvr32 could not register the control"
at_exit 'win_regsvr32 /u /s "$library"'

# VBScript: properties by name, and Load without a picture.
cat >"$work/clients.vbs" <<'VBS'
On Error Resume Next
Set control = CreateObject("CutshapeCtrl.Cutshape")
If Err.Number <> 0 Then WScript.Echo "create failed " & Err.Number : WScript.Quit 1
WScript.Echo "new " & control.MaskColor & " " & control.ShowPicture & " " & control.AutomaticMaskColor
control.MaskColor = 255
control.ShowPicture = True
control.AutomaticMaskColor = True
WScript.Echo "set " & control.MaskColor & " " & control.ShowPicture & " " & control.AutomaticMaskColor
control.Load
WScript.Echo "load " & Err.Number & "|" & Err.Source & "|" & Err.Description
VBS
expected=$'new 0 False False\nset 255 True True\nload -2147220503|Cutshape|No Picture Set.'
actual=$(win_cscript //nologo "$(windows_path "$work/clients.vbs")" | tr -d '\r')
if [[ "$actual" != "$expected" ]]; then
  echo "FAIL: VBScript printed:"; echo "$actual"; echo "expected:"; echo "$expected"; exit 1
fi
echo "ok: VBScript reads and sets properties by name; Load without a picture raises the error"

# Wine's ATL host: Load shapes the host's top-level window.
make_figure "$work/figure.bmp"
title="Cutshape ATL host"
start_program atl.out "$probe" "$(windows_path "$work/figure.bmp")" "$title"
if ! check_shape "$title" atl.out "$started" "$work/figure.bmp" 0xFFFFFF; then
  echo "FAIL: the ATL host's window is not in the picture's outline"; cat "$work/atl.out"; exit 1
fi
echo "ok: in the ATL host, Load shaped the top-level window to the picture's figure"
