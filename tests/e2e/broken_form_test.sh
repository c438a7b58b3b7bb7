#!/usr/bin/env bash
# The runtime's report of a malformed form description: a message box naming the file, the
# line and the mistake, and a non-zero exit code.
#   broken_form_test.sh <broken_form_probe.exe> <window_texts.exe>
source "$(dirname "${BASH_SOURCE[0]}")/test_prologue.sh" display stop "$@"
program=$1 window_texts=$2
source "$e2e_dir/demo_lib.sh"

title=$(basename "$program" .exe)
start_program probe.out "$program"
pid=$started
box=$(wait_window "$title" "$pid") || fail "no report titled $title"
text=$(message_text "$title")
[[ "$text" == "Error 321: broken.form:5: unknown keyword 'colour' in the form section" ]] ||
  fail "the report says '$text'"
keys_to "$box" Return
wait_exit "$pid" || fail "the program did not end after the report"
[[ $exit_code -ne 0 ]] || fail "the program ended with exit code 0"
echo "ok: '$text', exit code $exit_code"
