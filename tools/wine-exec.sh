#!/usr/bin/env bash
# Runs one Windows program under the 64-bit Wine loader. Inside a session (see
# wine-session.sh) it uses that session; alone it opens a session of its own around the call.
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh" "$0" "$@"
fi
exec /usr/lib/wine/wine64 "$@"
