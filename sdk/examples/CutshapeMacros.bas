Attribute VB_Name = "CutshapeMacros"
' Cutshape from a macro project (an Office document's VBA project: File > Import File...).
' The functions are late bound, through the programmatic identifier, so the project needs no
' reference; with a reference to the type library "CutshapeCtrl" (Tools > References) the
' variables may be declared As CutshapeCtrl.Cutshape instead.
'
' The control shapes the form that holds it only in a container whose form offers the members
' listed in the reference (docs/reference.md, "What a container must offer"); from a macro it is
' driven as an object, as here. Try them in the Immediate window:
'   Set c = NewCutshape(RGB(255, 0, 255)) : Debug.Print CutshapeSettings(c)
Option Explicit

' A new control whose mask colour is the given colour rather than the picture's corner pixel.
Public Function NewCutshape(maskColor)
    Dim cutshape
    Set cutshape = CreateObject("CutshapeCtrl.Cutshape")
    cutshape.AutomaticMaskColor = False
    cutshape.MaskColor = maskColor
    Set NewCutshape = cutshape
End Function

' The control's settings as one line of text.
Public Function CutshapeSettings(cutshape)
    CutshapeSettings = "MaskColor=" & cutshape.MaskColor & _
                       " AutomaticMaskColor=" & cutshape.AutomaticMaskColor & _
                       " ShowPicture=" & cutshape.ShowPicture
End Function

' What Load reports when the control has no picture to shape to.
Public Function LoadWithoutPicture(cutshape)
    On Error Resume Next
    cutshape.Load
    LoadWithoutPicture = "Error " & Err.Number & " (" & Err.Source & "): " & Err.Description
    On Error GoTo 0
End Function
