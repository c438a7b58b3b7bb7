' Cutshape from VBScript, late bound through IDispatch. Run it with the control registered:
'   cscript //nologo client.vbs
' A 32-bit control needs the 32-bit script host (%WINDIR%\SysWOW64\cscript.exe on 64-bit
' Windows). Without a form to shape, the script sets and reads the properties and shows the
' error Load raises when there is no picture.
Option Explicit
Dim cutshape
Set cutshape = CreateObject("CutshapeCtrl.Cutshape")
cutshape.AutomaticMaskColor = False
cutshape.MaskColor = RGB(255, 0, 255)
WScript.Echo "MaskColor = " & cutshape.MaskColor
WScript.Echo "AutomaticMaskColor = " & cutshape.AutomaticMaskColor
WScript.Echo "ShowPicture = " & cutshape.ShowPicture
WScript.Echo "Picture is Nothing: " & (cutshape.Picture Is Nothing)

On Error Resume Next
cutshape.Load
WScript.Echo "Load: " & Hex(Err.Number) & " " & Err.Source & ": " & Err.Description
