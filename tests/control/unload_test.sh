#!/usr/bin/env bash
# The library must not unload while a window still runs its code. The registered control is
# hosted in Wine's ATL host with ShowPicture on, so Load hands the host's top-level window a
# picture to paint; the host subclasses the window on top of that, destroys the control's
# window (which releases the control), frees unused libraries and repaints the window.
#   unload_test.sh <Cutshape.ocx> <atl_host_probe.exe>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display stop "$@"
library=$1 probe=$2

win_regsvr32 /s "$library" || fail "regsvr32 could not register the control"
at_exit 'win_regsvr32 /u /s "$library"'
make_figure "$work/figure.bmp"
picture=$(windows_path "$work/figure.bmp")

status=0
# run_probe <comctl32|classic> <expected output>
run_probe() {
  local kind=$1 expected=$2 actual code=0
  actual=$(timeout 30 "$wine" "$probe" --unload "$kind" "$picture" 2>"$work/$kind.err" |
    tr -d '\r') || code=$?
  if [[ $code -ne 0 || "$actual" != "$expected" ]]; then
    printf 'FAIL (%s subclass on top): exit code %s, printed:\n%s\nexpected:\n%s\n' \
      "$kind" "$code" "$actual" "$expected"
    cat "$work/$kind.err"
    status=1
  else
    echo "ok ($kind subclass on top): the window outlived the control and the library"
  fi
}

# The control takes its picture off the window when it goes away: the library may unload
# at once, and the repaint runs only the host's code.
run_probe comctl32 $'can unload: 0x00000000\nloaded after freeing: no\nhost saw the repaint: yes\nsurvived'

# Under a replaced window procedure the control's subclass cannot be taken out without
# unhooking the host: the library stays loaded until the window is destroyed.
run_probe classic $'can unload: 0x00000001\nloaded after freeing: yes\nhost saw the repaint: yes\nhost procedure kept: yes\nafter the window: can unload: 0x00000000\nloaded after freeing: no\nsurvived'
exit $status
