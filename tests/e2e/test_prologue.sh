# The start every shell test shares, sourced first with the session it needs, what a failed
# check does and the script's own arguments:
#   source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" <session> <failures> "$@"
# <session>  display: a Wine session with its X server (and the window helpers of e2e_lib.sh);
#            prefix: a Wine session, its X server unused; win32: a win32 session (a WoW64
#            prefix); none: no Wine. Outside the session it needs, the script starts again
#            inside one (tools/wine-session.sh), with the same arguments.
# <failures> stop: the first failed check, like any failed command (set -e), ends the test;
#            count: every check runs, and checks_done ends the test with the failures' count.
# The test then has $work, a folder of its own removed at its end, at_exit, fail and
# checks_done; in a Wine session the tools of wine_tools.sh and register_control too.
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
session=$1 on_failure=$2
shift 2

if [[ $on_failure == stop ]]; then set -euo pipefail; else set -uo pipefail; fi
start_again() { exec "$e2e_dir/../../tools/wine-session.sh" "$@"; }
case $session in
  display) [[ -n "${WINEPREFIX:-}" && -n "${DISPLAY:-}" ]] || start_again "$0" "$@" ;;
  prefix) [[ -n "${WINEPREFIX:-}" ]] || start_again "$0" "$@" ;;
  win32) [[ -n "${WINEPREFIX:-}" && "${CUTSHAPE_ARCH:-}" == win32 ]] || start_again --arch win32 "$0" "$@" ;;
esac

work=$(mktemp -d)
exit_commands=()
# Runs <command> when the test ends, before the ones given earlier; $work goes last.
at_exit() { exit_commands=("$1" "${exit_commands[@]}"); }
end_test() {
  local command
  for command in "${exit_commands[@]}"; do eval "$command" || true; done
  rm -rf "$work"
}
trap end_test EXIT

# Prints a failed check's message; stops the test or counts the failure.
failures=0
fail() {
  echo "FAIL: $*"
  [[ $on_failure == count ]] || exit 1
  failures=$((failures + 1))
}
checks_done() { # <what passed>
  if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "$1"
}

if [[ $session != none ]]; then
  source "$e2e_dir/wine_tools.sh"
  # Registers the control library for the rest of the test.
  register_control() { # <Cutshape.ocx>
    registered_library=$1
    win_regsvr32 /s "$registered_library" || { echo "FAIL: regsvr32 returned $?"; exit 1; }
    at_exit unregister_control
  }
  unregister_control() {
    if [[ -n "${registered_library:-}" ]]; then
      win_regsvr32 /s /u "$registered_library" || true
      registered_library=
    fi
  }
fi
if [[ $session == display ]]; then source "$e2e_dir/e2e_lib.sh"; fi
