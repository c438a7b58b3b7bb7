#!/usr/bin/env bash
# Runs a command inside a private Wine session: a project-local Wine prefix, a private
# headless X server and a persistent wineserver, all stopped again (by PID) when the
# command ends. Used by `make test`, `make bench` and `make demo`.
#
#   tools/wine-session.sh [--arch win64|win32] [--sessions N] [--display-from-user]
#                         <command> [args...]
#   tools/wine-session.sh [--arch win64|win32] --prepare
#
# win64 (the default) runs 64-bit programs with the system's loader in a 64-bit prefix.
# win32 runs 32-bit programs in a WoW64 prefix: this CPU cannot execute 32-bit code, so the
# 32-bit loader starts under qemu-i386 user-mode emulation, through a wrapper tree (see
# tools/wine-wow64.sh). 64-bit programs run in a win32 session too.
#
# The command sees:
#   WINEPREFIX, DISPLAY      the session's prefix and X server
#   CUTSHAPE_ARCH            win64 or win32
#   CUTSHAPE_WINE            the loader that starts programs: "$CUTSHAPE_WINE" prog.exe
#   CUTSHAPE_SYSTEM_DIR      where the architecture's own reg.exe, cscript.exe and
#                            regedit.exe live (C:\windows\system32 or C:\windows\syswow64)
#   CUTSHAPE_REGISTRY_VIEW   the architecture's view of HKCR\CLSID: "" or "Wow6432Node\"
#
# Each session works in its own copy of a ready prefix kept between runs, so parallel sessions
# never share a wineserver or stop each other's programs, and nothing one run registers
# leaks into the next. CUTSHAPE_WINE_PREFIX chooses the kept prefix (default
# build/wine-prefix, or build/wine-prefix-wow64 for win32). --prepare only makes that prefix
# (make test does it while the builds run: Wine's set-up mostly waits).
#
# --sessions N starts N such sessions side by side, each with its own prefix, X server and
# wineserver, for a CTest run that runs N tests at a time. The command sees the first one,
# and CUTSHAPE_SESSIONS, a folder with a resource file for CTest (resources.json: N slots
# of the resource "wine") and each session's variables (0.env ... ). tools/wine-test-env.sh,
# sourced by every Wine test, moves a test into the session of the slot CTest gave it.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Wine here has no preloader to reserve the addresses its start-up needs before anything
# else is mapped; with the kernel's address-space randomisation a start can then find one
# taken and exit 1. The session and every process in it (the personality is inherited) run
# without randomisation, unless CUTSHAPE_WINE_RANDOMISED is set.
if [[ -z "${CUTSHAPE_WINE_RANDOMISED:-}" ]] && (((0x$(</proc/self/personality) & 0x40000) == 0)); then
  exec setarch "$(uname -m)" --addr-no-randomize "$0" "$@"
fi
arch=win64
use_user_display=0
sessions=1
prepare_only=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --display-from-user) use_user_display=1; shift ;;
    --sessions) sessions=$2; shift 2 ;;
    --prepare) prepare_only=1; shift ;;
    *) break ;;
  esac
done

case "$arch" in
  win64)
    wine=/usr/lib/wine/wine64
    default_prefix=$repo/build/wine-prefix
    export CUTSHAPE_SYSTEM_DIR='C:\windows\system32' CUTSHAPE_REGISTRY_VIEW=''
    ;;
  win32)
    wine=$("$repo/tools/wine-wow64.sh")/lib/wine/wine64
    default_prefix=$repo/build/wine-prefix-wow64
    export CUTSHAPE_SYSTEM_DIR='C:\windows\syswow64' CUTSHAPE_REGISTRY_VIEW='Wow6432Node\'
    ;;
  *) echo "wine-session: --arch must be win64 or win32, not '$arch'" >&2; exit 2 ;;
esac
export CUTSHAPE_ARCH=$arch CUTSHAPE_WINE=$wine
ready_prefix=${CUTSHAPE_WINE_PREFIX:-$default_prefix}
# Wine's error messages only: few outside the tests that make malformed calls on purpose,
# and a Wine program that gives up with nothing but such a message (Wine's start-up does:
# it exits 1) then says why.
export WINEDEBUG=${WINEDEBUG:--all,err+all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINESERVER=/usr/lib/wine/wineserver64
export WINELOADER=$wine
export WINEARCH=win64

xvfb_pids=()
session_prefixes=()
work=""
cleanup() {
  local status=$? prefix pid log
  # A failed run shows what the X servers said: a test that found no display says why.
  if [[ $status -ne 0 && -n "$work" ]]; then
    for log in "$work"/xvfb.*.log; do
      # (-displayfd tries display numbers in turn; the ones in use say "already running")
      grep -v '^_XSERVTrans' "$log" >"$log.said" || continue
      { echo "---- the X server ${log##*/} said:"; tail -n 20 "$log.said"; } >&2
    done
  fi
  for prefix in "${session_prefixes[@]}"; do
    WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix "$WINESERVER" -w >/dev/null 2>&1 || true
    rm -rf "$prefix"
  done
  for pid in "${xvfb_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [[ -n "$work" ]] && rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
work=$(mktemp -d)

start_display() { # <index>: a headless X server; prints its display
  local log=$work/xvfb.$1.log
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display.$1" </dev/null \
    >"$log" 2>&1 &
  xvfb_pids+=($!)
  for _ in $(seq 1 100); do
    [[ -s "$work/display.$1" ]] && break
    sleep 0.05
  done
  [[ -s "$work/display.$1" ]] || { echo "Xvfb did not start:" >&2; cat "$log" >&2; exit 1; }
}

displays=()
for ((i = 0; i < sessions; i++)); do
  if [[ $i -eq 0 && $use_user_display -eq 1 && -n "${DISPLAY:-}" ]]; then
    displays+=("$DISPLAY")
  else
    start_display "$i"
    displays+=(":$(head -n1 "$work/display.$i")")
  fi
done
export DISPLAY=${displays[0]}

# The ready prefix is made once; the stamp says it was set up completely.
mkdir -p "$(dirname "$ready_prefix")"
exec 9>"$ready_prefix.lock"
flock 9
export WINEPREFIX=$ready_prefix
if [[ ! -f "$WINEPREFIX/.cutshape-ready" ]]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i </dev/null >/dev/null 2>&1
  # Unmanaged windows: no window manager stalls, X geometry equals the window rectangle.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  # A crashing test must fail, not wait for someone to close a dialog.
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1
  "$WINESERVER" -w
  if [[ $arch == win32 && ! -f "$WINEPREFIX/drive_c/windows/syswow64/reg.exe" ]]; then
    echo "wine-session: the prefix has no 32-bit part; is wine32:i386 installed?" >&2
    exit 1
  fi
  touch "$WINEPREFIX/.cutshape-ready"
fi
((prepare_only)) && exit 0
for ((i = 0; i < sessions; i++)); do
  session_prefixes+=("$(mktemp -d "$ready_prefix.session.XXXXXX")")
  cp -a "$ready_prefix/." "${session_prefixes[i]}/"
done
flock -u 9

# Wine starts its desktop process (explorer) for the first program with a window and ends it a
# second after the last such program. A program that holds a hidden window for the whole
# session keeps one desktop, started and checked here, instead of a new one for nearly every
# test: each of those starts opened the display again, and a start that could not open it
# left every window of the test that made it fail. The holder is a program of the build
# (tools/start_probe); without a build, the desktop comes and goes as Wine decides.
keeper=${CUTSHAPE_DESKTOP_KEEPER:-}
for candidate in "$repo/build/win64/tools/start_probe/start_probe.exe" \
                 "$repo/build/$arch/tools/start_probe/start_probe.exe"; do
  [[ -z "$keeper" && -f "$candidate" ]] && keeper=$candidate
done
keep_desktop() { # <session index>
  [[ -n "$keeper" ]] || return 0
  local log=$work/keeper.$1.log pid
  "$wine" "$keeper" hold </dev/null >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 1 600); do
    grep -q holding "$log" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-session: the desktop of session $1 did not start on display $DISPLAY:" >&2
  tr -d '\r' <"$log" >&2
  exit 1
}

for ((i = 0; i < sessions; i++)); do
  printf 'export WINEPREFIX=%q DISPLAY=%q\n' "${session_prefixes[i]}" "${displays[i]}" \
    >"$work/$i.env"
  source "$work/$i.env"
  # A persistent server makes each program start in a fraction of a second; it must not
  # inherit our pipes, or whoever reads them (CTest) would wait for it.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  # Wine's background services start with the first program and keep its pipes open; start
  # them here, on null pipes, so that no later program hands them a pipe someone reads.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1
  keep_desktop "$i"
done
source "$work/0.env"
if [[ $sessions -gt 1 ]]; then
  slots=$(for ((i = 0; i < sessions; i++)); do printf '{"id": "%d", "slots": 1}' "$i"; done |
    sed 's/}{/}, {/g')
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"wine": [%s]}]}\n' "$slots" \
    >"$work/resources.json"
  export CUTSHAPE_SESSIONS=$work
fi

set +e
"$@"
status=$?
set -e
exit $status
