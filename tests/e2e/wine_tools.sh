# The session's Wine loader and the architecture's own system tools (sourced by the shell
# tests; tools/wine-session.sh sets the variables). A 32-bit check must use the 32-bit
# reg.exe, regedit.exe and cscript.exe: they see the 32-bit registry view, as 32-bit
# programs do.
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-test-env.sh"
wine=${CUTSHAPE_WINE:-/usr/lib/wine/wine64}
arch=${CUTSHAPE_ARCH:-win64}
system_dir=${CUTSHAPE_SYSTEM_DIR:-'C:\windows\system32'}

win_reg() { wine_run "$system_dir\\reg.exe" "$@"; }
# The 64-bit regedit.exe lives in C:\windows, its 32-bit twin in syswow64.
win_regedit() {
  if [[ $arch == win32 ]]; then wine_run "$system_dir\\regedit.exe" "$@"; else wine_run 'C:\windows\regedit.exe' "$@"; fi
}
win_regsvr32() { wine_run "$system_dir\\regsvr32.exe" "$@"; }
win_cscript() { wine_run "$system_dir\\cscript.exe" "$@"; }
# In a WoW64 prefix (a win32 session), either architecture's own tool: each sees its own
# registry view.
wow64_tool() { # <64|32> <tool.exe> [args...]
  local dir='C:\windows\system32'
  [[ $1 == 32 ]] && dir='C:\windows\syswow64'
  [[ $1 == 64 && $2 == regedit.exe ]] && dir='C:\windows'
  "$wine" "$dir\\$2" "${@:3}" </dev/null
}
# The Windows path of a Unix file as Wine maps it. Each call is a Wine start: callers keep it.
winepath_w() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
