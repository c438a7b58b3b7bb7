#!/usr/bin/env bash
# Runs one Windows program under Wine: CTest's emulator for the Windows builds.
#   tools/wine-exec.sh [--arch win64|win32] <program> [args...]
# Inside a session (see wine-session.sh) it uses that session's loader; alone it opens a
# session of the given architecture around the call.
arch=win64
if [[ "${1:-}" == "--arch" ]]; then
  arch=$2
  shift 2
fi
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" || -z "${CUTSHAPE_WINE:-}" ]]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh" --arch "$arch" "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-test-env.sh"
wine_run "$@"
