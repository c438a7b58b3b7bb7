#!/usr/bin/env bash
# The registered control in a JScript client of the platform's script host: defaults and
# property round trips by name, null as "no picture" (Load(null), Picture = null), errors
# with their number and description, and wrong argument counts answered without a crash.
#   jscript_client_test.sh <Cutshape.ocx>
# Wine's script host chooses the engine by the file's extension (it rejects //E:), so the
# script is a .js file.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display stop "$@"
library=$1
win_regsvr32 /s "$library" || fail "regsvr32 could not register the control"
at_exit 'win_regsvr32 /u /s "$library"'

cat >"$work/client.js" <<'JS'
var control = new ActiveXObject("CutshapeCtrl.Cutshape");
// Prints what `action` returns, or the error it raised.
function attempt(label, action) {
  try {
    WScript.Echo(label + ": " + action());
  } catch (e) {
    WScript.Echo(label + ": error " + e.number + (e.description ? " " + e.description : ""));
  }
}
function properties() {
  return [control.MaskColor, control.ShowPicture, control.AutomaticMaskColor,
          control.Picture === null ? "null" : typeof control.Picture].join(" ");
}
attempt("defaults", properties);
attempt("set", function () {
  control.MaskColor = 0x00FF00;
  control.ShowPicture = true;
  control.AutomaticMaskColor = true;
  return properties();
});
attempt("reset", function () {
  control.MaskColor = 0;
  control.ShowPicture = false;
  control.AutomaticMaskColor = false;
  return properties();
});
attempt("load null", function () { control.Load(null); return "done"; });
attempt("load undefined", function () { control.Load(undefined); return "done"; });
attempt("load", function () { control.Load(); return "done"; });
attempt("picture object", function () {
  control.Picture = new ActiveXObject("StdPicture");
  return properties();
});
attempt("picture null", function () { control.Picture = null; return properties(); });
attempt("picture object again", function () {
  control.Picture = new ActiveXObject("StdPicture");
  return properties();
});
attempt("picture undefined", function () { control.Picture = undefined; return properties(); });
attempt("restore without a form", function () { control.Restore(); return "done"; });
attempt("load two arguments", function () { control.Load(null, null); return "done"; });
attempt("restore with an argument", function () { control.Restore(1); return "done"; });
attempt("load a number", function () { control.Load(5); return "done"; });
attempt("picture number", function () { control.Picture = 5; return "done"; });
attempt("mask colour text", function () { control.MaskColor = "red"; return "done"; });
attempt("still answering", properties);
JS

expected="defaults: 0 false false null
set: 65280 true true null
reset: 0 false false null
load null: error -2147220503 No Picture Set.
load undefined: error -2147220503 No Picture Set.
load: error -2147220503 No Picture Set.
picture object: 0 false false object
picture null: 0 false false null
picture object again: 0 false false object
picture undefined: 0 false false null
restore without a form: error -2146827890 Client site not available: the control is not placed on a form.
load two arguments: error -2147352562
restore with an argument: error -2147352562
load a number: error -2147352571
picture number: error -2147352573
mask colour text: error -2147352571
still answering: 0 false false null"
status=0
actual=$(win_cscript //nologo "$(windows_path "$work/client.js")" | tr -d '\r') || status=$?
if [[ $status -ne 0 || "$actual" != "$expected" ]]; then
  echo "FAIL: the script host exited with $status and printed:"; echo "$actual"
  echo "expected:"; echo "$expected"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "ok: JScript reads and sets properties, null means no picture, errors carry number and description"
