#!/usr/bin/env bash
# Runs a command inside a private Wine session: a project-local Wine prefix, a private
# headless X server and a persistent wineserver, all stopped again (by PID) when the
# command ends. Used by `make test`, `make bench` and `make demo`.
#
#   tools/wine-session.sh [--arch win64|win32] [--display-from-user] <command> [args...]
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
# build/wine-prefix, or build/wine-prefix-wow64 for win32).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=win64
use_user_display=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --display-from-user) use_user_display=1; shift ;;
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

xvfb_pid=""
xvfb_dir=""
session_prefix=""
cleanup() {
  if [[ -n "$session_prefix" ]]; then
    WINEPREFIX=$session_prefix "$WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX=$session_prefix "$WINESERVER" -w >/dev/null 2>&1 || true
    rm -rf "$session_prefix"
  fi
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  [[ -n "$xvfb_dir" ]] && rm -rf "$xvfb_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [[ $use_user_display -eq 0 || -z "${DISPLAY:-}" ]]; then
  xvfb_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$xvfb_dir/display" \
    </dev/null >"$xvfb_dir/log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [[ -s "$xvfb_dir/display" ]] && break
    sleep 0.05
  done
  [[ -s "$xvfb_dir/display" ]] || { echo "Xvfb did not start:" >&2; cat "$xvfb_dir/log" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$xvfb_dir/display")"
fi

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
session_prefix=$(mktemp -d "$ready_prefix.session.XXXXXX")
cp -a "$ready_prefix/." "$session_prefix/"
flock -u 9
export WINEPREFIX=$session_prefix

# A persistent server makes each program start in a fraction of a second; it must not
# inherit our pipes, or whoever reads them (CTest) would wait for it.
"$WINESERVER" -p </dev/null >/dev/null 2>&1
# Wine's background services start with the first program and keep its pipes open; start
# them here, on null pipes, so that no later program hands them a pipe someone reads.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1

set +e
"$@"
status=$?
set -e
exit $status
