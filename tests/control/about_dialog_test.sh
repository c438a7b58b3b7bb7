#!/usr/bin/env bash
# The About box in a real Wine session: About by its dispatch identifier opens a modal dialog
# owned by nothing that returns only when closed (Enter, Esc, the Close button, the close
# box); two calls give two dialogs one after the other; the dialog's windows report the
# captions and the layout at the screen's resolution; and "System Info..." starts the tool
# the registry names, or shows the one message when it cannot.
#   about_dialog_test.sh <Cutshape.ocx> <about_probe.exe> <about_trace_program.exe>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display stop "$@"
library=$1 probe=$2 tracer=$3
title="About Cutshape"
unavailable="La información del sistema no está disponible en este momento"
tool_key='HKLM\SOFTWARE\Microsoft\Shared Tools\MSInfo'
folder_key='HKLM\SOFTWARE\Microsoft\Shared Tools Location'

# ---- The registry values the launcher reads: saved now, given back at the end ----
reg_quiet() { win_reg "$@" </dev/null >/dev/null 2>&1; }
saved=()
save_value() { # <key> <name>
  local line
  if ! reg_quiet query "$1"; then
    saved+=("$1|$2|nokey||")
    return
  fi
  line=$(win_reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
         sed -n "s/^    $2    \(REG_[A-Z_]*\)    \(.*\)$/\1|\2/Ip" || true)
  saved+=("$1|$2|${line:-novalue|}")
}
restore_values() {
  local entry key name kind data
  for entry in "${saved[@]}"; do
    IFS='|' read -r key name kind data <<<"$entry"
    case $kind in
      nokey) reg_quiet delete "$key" /f || true ;;
      novalue) reg_quiet delete "$key" /v "$name" /f || true ;;
      *) reg_quiet add "$key" /v "$name" /t "$kind" /d "$data" /f || true ;;
    esac
  done
}
save_value "$tool_key" PATH
save_value "$folder_key" MSINFO
at_exit restore_values

set_value() { # <key> <name> <type> <data>
  local output status=0
  output=$(win_reg add "$1" /v "$2" /t "$3" /d "$4" /f </dev/null 2>&1) || status=$?
  [[ $status -eq 0 ]] || fail "reg add $1 $2 exited with $status: $(tr -d '\r' <<<"$output")"
}
drop_value() { reg_quiet delete "$1" /v "$2" /f || true; }

# ---- Windows ----
# Prints the X id of the visible window titled exactly <title>, waiting up to 10 s.
wait_window() { # <title>
  local id
  for _ in $(seq 1 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}
wait_gone() { # <title>
  for _ in $(seq 1 200); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  return 1
}
# Sends keys once the window titled <title> has the keyboard focus. When the focus does not
# come within 5 s the keys are sent all the same, and where the focus was is printed: a later
# failure then says whether its keys went elsewhere.
keys_to() { # <title> <keys...>
  local title=$1 id focus=
  shift
  id=$(wait_window "$title") || fail "no window \"$title\" to type into"
  for _ in $(seq 1 100); do
    focus=$(xdotool getwindowfocus 2>/dev/null || true)
    [[ "$focus" == "$id" ]] && break
    sleep 0.05
  done
  [[ "$focus" == "$id" ]] ||
    echo "note: \"$title\" ($id) did not get the focus for $*; it is on ${focus:-nothing}" >&2
  xdotool key "$@"
}
click_at() { # <x> <y>
  xdotool mousemove "$1" "$2" click 1
}
read_window() { # <title>
  "$wine" "$probe" read "$1" </dev/null 2>/dev/null | tr -d '\r'
}
wait_log() { # <log> <line>
  for _ in $(seq 1 200); do
    tr -d '\r' <"$work/$1" 2>/dev/null | grep -qx "$2" && return 0
    sleep 0.05
  done
  return 1
}
# The line "returned <n>" must not be in <log> while the dialog is open. Reading the dialog's
# windows is answered by the thread that runs it: a call that did not wait for its dialog
# has logged its return by then.
expect_still_modal() { # <log> <n>
  read_window "$title" >/dev/null
  if grep -q "^returned $2 " "$work/$1"; then
    fail "About returned while its dialog was still open"
  fi
}

# ---- 1. Captions, owner and layout, read from the dialog's own windows ----
start_program about.out "$probe" about "$(windows_path "$library")" 2
wait_window "$title" >/dev/null || { cat "$work/about.out"; fail "About showed no dialog"; }
expect_still_modal about.out 1
described=$(read_window "$title")
first_handle=$(sed -n 's/^window \([0-9A-Fa-f]*\) .*/\1/p' <<<"$described")
owner=$(sed -n 's/^window [0-9A-Fa-f]* owner \([0-9A-Fa-f]*\) .*/\1/p' <<<"$described")
[[ "$owner" =~ ^0+$ ]] || fail "the dialog has an owner window ($owner)"

# Expected pixel positions: twips at the prefix's resolution, rounded to nearest.
dpi=96
logpixels=$(win_reg query 'HKCU\Control Panel\Desktop' /v LogPixels </dev/null 2>/dev/null |
            tr -d '\r' | sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p' || true)
[[ -n "$logpixels" ]] && dpi=$((16#$logpixels))
px() { awk -v t="$1" -v d="$dpi" 'BEGIN { v = t * d / 1440; r = int(v + 0.5);
         if (v + 0.5 == r && r % 2 == 1) r -= 1; print r }'; }

grep -qx "window $first_handle owner $owner client $(px 5940) $(px 3555)" <<<"$described" ||
  fail "client area is not 5940 x 3555 twips: $(head -n1 <<<"$described")"

# child <id> <class> <left> <top> [<width> <height>] <text>: labels that size themselves to
# their text are checked for position and caption only.
expect_child() { # <id> <class> <left> <top> <width|-> <height|-> <text>
  local line
  line=$(grep "^child $1 " <<<"$described") || fail "no child $1"
  read -r _ _ class left top width height _ text <<<"$line"
  [[ "$class" == "$2" ]] || fail "child $1 is a $class, not a $2"
  [[ "$left $top" == "$(px "$3") $(px "$4")" ]] ||
    fail "child $1 ($7) at $left,$top, expected $(px "$3"),$(px "$4")"
  if [[ "$5" != - ]]; then
    [[ "$width $height" == "$(px "$5") $(px "$6")" ]] ||
      fail "child $1 ($7) is $width x $height, expected $(px "$5") x $(px "$6")"
  fi
  [[ "$text" == "$7" ]] || fail "child $1 reads \"$text\", expected \"$7\""
}
expect_child 1 Button 4485 2625 1320 345 "Close"
expect_child 101 Static 240 240 540 540 ""
expect_child 100 Button 4485 3075 1305 345 "System &Info..."
expect_child 102 Static 1050 240 - - "Cutshape OCX"
expect_child 103 Static 1050 585 - - "Versión 1.0.0"
expect_child 104 Static 1440 1140 3195 645 "$(grep '^child 104 ' <<<"$described" | cut -d' ' -f9-)"
expect_child 105 Static 60 2505 - - "Warning:"
grep -q '^child 104 .*support@example\.com' <<<"$described" || fail "no support notice"
# Tab order: Close, picIcon, System Info: the creation order the dialog manager follows.
order=$(grep '^child ' <<<"$described" | awk '{ print $2 }' | head -n3 | tr '\n' ' ')
[[ "$order" == "1 101 100 " ]] || fail "the first three windows in tab order are $order"
grep -qx 'focus 1' <<<"$described" || fail "Close does not have the focus at start"
echo "ok: About opened \"$title\" owned by nothing, captions \"Cutshape OCX\" and \"Versión 1.0.0\", layout of the table at $dpi dpi"

keys_to "$title" Tab
read_window "$title" | grep -qx 'focus 101' || fail "Tab from Close does not reach picIcon"
keys_to "$title" Tab
read_window "$title" | grep -qx 'focus 100' || fail "Tab from picIcon does not reach System Info"
keys_to "$title" shift+Tab shift+Tab
read_window "$title" | grep -qx 'focus 1' || fail "Shift+Tab does not come back to Close"
echo "ok: tab order Close, picIcon, System Info"

# ---- 2. Closing: Enter, then Esc on the second dialog of the same run ----
keys_to "$title" Return
wait_log about.out "returned 1 0x00000000" || { cat "$work/about.out"; fail "Enter did not close the dialog"; }
wait_window "$title" >/dev/null || fail "the second About call showed no dialog"
expect_still_modal about.out 2
second_handle=$(read_window "$title" | sed -n 's/^window \([0-9A-Fa-f]*\) .*/\1/p')
[[ -n "$second_handle" && "$second_handle" != "$first_handle" ]] ||
  fail "the second call did not show a new dialog ($first_handle, $second_handle)"
keys_to "$title" Escape
wait_log about.out "returned 2 0x00000000" || fail "Esc did not close the dialog"
wait "$started" || fail "the probe failed"
echo "ok: Enter and Esc close the dialog; two calls showed two dialogs one after the other"

# ---- 3. Closing: the Close button, then the close box ----
start_program about2.out "$probe" about "$(windows_path "$library")" 2
wait_window "$title" >/dev/null || fail "About showed no dialog"
expect_still_modal about2.out 1
read -r x y < <("$wine" "$probe" point "$title" 1 </dev/null | tr -d '\r')
click_at "$x" "$y"
wait_log about2.out "returned 1 0x00000000" || fail "the Close button did not close the dialog"
wait_window "$title" >/dev/null || fail "the second About call showed no dialog"
expect_still_modal about2.out 2
read -r x y < <("$wine" "$probe" point "$title" close </dev/null | tr -d '\r')
click_at "$x" "$y"
wait_log about2.out "returned 2 0x00000000" || fail "the close box did not close the dialog"
wait "$started" || fail "the probe failed"
echo "ok: the Close button and the close box close the dialog"

# ---- 4. System Info ----
tools="$work/tools"
mkdir -p "$tools/with" "$tools/without/MSINFO32.EXE"
cp "$tracer" "$tools/tracer.exe"
cp "$tracer" "$tools/with/MSINFO32.EXE"
start_program about3.out "$probe" about "$(windows_path "$library")" 1
wait_window "$title" >/dev/null || fail "About showed no dialog"

press_sysinfo() { keys_to "$title" alt+i; }
expect_message() { # <what>
  local text
  wait_window Cutshape >/dev/null || fail "$1: no message"
  text=$(read_window Cutshape)
  grep -qx "child 65535 Static .* $unavailable" <<<"$text" ||
    { echo "$text"; fail "$1: the message does not read \"$unavailable\""; }
  [[ $(grep -c '^child .* Button ' <<<"$text") == 1 ]] && grep -q '^child 1 Button .* OK$' <<<"$text" ||
    { echo "$text"; fail "$1: the message has other buttons than OK"; }
  keys_to Cutshape Return
  wait_gone Cutshape || fail "$1: the message did not close"
}
expect_trace() { # <file> <what>
  for _ in $(seq 1 200); do
    [[ -f "$1.ran" ]] && { rm -f "$1.ran"; return 0; }
    sleep 0.05
  done
  fail "$2: the program did not start"
}
# No program may start: watched for a second, failing as soon as one leaves its trace.
expect_no_trace() { # <what>
  for _ in $(seq 1 20); do
    if compgen -G "$tools/*.ran" >/dev/null || compgen -G "$tools/with/*.ran" >/dev/null; then
      fail "$1: a program was started"
    fi
    sleep 0.05
  done
}

set_value "$tool_key" PATH REG_SZ "$(windows_path "$tools/tracer.exe")"
set_value "$folder_key" MSINFO REG_SZ "$(windows_path "$tools/with")"
press_sysinfo
expect_trace "$tools/tracer.exe" "PATH under the first key"
echo "ok: the program named by PATH under the first key was started"

set_value "$tool_key" PATH REG_SZ "$(windows_path "$tools/missing.exe")"
press_sysinfo
expect_message "PATH naming a missing program"
expect_no_trace "PATH naming a missing program"
echo "ok: a PATH naming no program ends in the message"

drop_value "$tool_key" PATH
press_sysinfo
expect_trace "$tools/with/MSINFO32.EXE" "MSINFO32.EXE in the folder of the second key"
echo "ok: without PATH, MSINFO32.EXE in the folder under the second key was started"

set_value "$folder_key" MSINFO REG_SZ "$(windows_path "$tools/without")"
press_sysinfo
expect_message "a folder without MSINFO32.EXE"
expect_no_trace "a folder without MSINFO32.EXE"
echo "ok: without PATH and with no MSINFO32.EXE file in the folder: \"$unavailable\", titled Cutshape, nothing started"

# A first value of size 0 is a run-time error: the message at once, the second key unused.
set_value "$folder_key" MSINFO REG_SZ "$(windows_path "$tools/with")"
set_value "$tool_key" PATH REG_BINARY ""
press_sysinfo
expect_message "PATH of size 0"
expect_no_trace "PATH of size 0"
# A first value of another type counts as found and empty: nothing to start, no second try.
set_value "$tool_key" PATH REG_EXPAND_SZ "$(windows_path "$tools/tracer.exe")"
press_sysinfo
expect_message "PATH of another type"
expect_no_trace "PATH of another type"
echo "ok: a PATH of size 0 or of another type ends in the message without trying the second key"

keys_to "$title" Escape
wait_log about3.out "returned 1 0x00000000" || fail "the dialog did not close after System Info"
wait "$started" || fail "the probe failed"
echo "ok: the dialog stays usable after System Info and closes"
