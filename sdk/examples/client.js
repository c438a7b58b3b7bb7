// Cutshape from JScript, late bound through IDispatch. Run it with the control registered:
//   cscript //nologo client.js
// A 32-bit control needs the 32-bit script host (%WINDIR%\SysWOW64\cscript.exe on 64-bit
// Windows). Without a form to shape, the script sets and reads the properties and shows the
// error Load raises when there is no picture.
var cutshape = new ActiveXObject("CutshapeCtrl.Cutshape");
cutshape.AutomaticMaskColor = false;
cutshape.MaskColor = 0xFF00FF; // 0x00BBGGRR: magenta
WScript.Echo("MaskColor = " + cutshape.MaskColor);
WScript.Echo("AutomaticMaskColor = " + cutshape.AutomaticMaskColor);
WScript.Echo("ShowPicture = " + cutshape.ShowPicture);
WScript.Echo("Picture is null: " + (cutshape.Picture === null));

try {
    cutshape.Load();
} catch (error) {
    // The number is the error's HRESULT, which JScript holds as a signed 32-bit value.
    WScript.Echo("Load: " + (error.number >>> 0).toString(16).toUpperCase() + " " +
                 error.description);
}
