#!/usr/bin/env bash
# A demonstration program's failures at start: without its picture file beside it, or with
# the control not registered, the runtime reports the error in a message box titled with
# the program's name, with the error's number and description; no form is shown, and the
# program ends with a non-zero exit code.
#   demo_failure_test.sh <program.exe> <Cutshape.ocx> <xshape.py> <window_texts.exe>
#                        <title> [picture file the program reads from its folder]
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
program=$1 library=$2 xshape=$3 window_texts=$4 title=$5 picture=${6:-}
source "$e2e_dir/demo_lib.sh"

# A failure shows what the program printed (Wine's error messages included).
fail() {
  echo "FAIL: $*"
  if [[ -s "$work/report.out" ]]; then
    echo "--- the program printed:"
    cat "$work/report.out"
  fi
  exit 1
}

# Runs <exe>, expects the error report containing <expected text>, dismisses it and expects
# a non-zero exit code.
expect_report() { # <what> <exe> <expected text>
  start_program "report.out" "$2"
  local pid=$started box text
  box=$(wait_window "$title" "$pid") || fail "$1: no error report titled $title"
  if xdotool search --onlyvisible --name '^Form1$' >/dev/null 2>&1; then
    fail "$1: the form is shown"
  fi
  text=$(message_text "$title")
  [[ "$text" == *"$3"* ]] || fail "$1: the report says '$text', not '$3'"
  keys_to "$box" Return
  wait_exit "$pid" || fail "$1: the program did not end after the report"
  [[ $exit_code -ne 0 ]] || fail "$1: the program ended with exit code 0"
  echo "ok: $1: '$text', exit code $exit_code"
}

register_control "$library"
if [[ -n "$picture" ]]; then
  mkdir "$work/alone"
  cp "$program" "$work/alone/"
  expect_report "$picture missing" "$work/alone/$(basename "$program")" \
    "Error 53: File not found: $(windows_path "$work/alone")\\$picture"
fi

unregister_control
expect_report "control not registered" "$program" "Error 429: The ActiveX control Cutshape1 (CutshapeCtrl.Cutshape {1CD0A9FA-0E57-487D-AF64-510C36E1CD92}, library Cutshape.ocx) cannot be created: "
