# Sourced by every program and script that a test runs under Wine (tools/wine-exec.sh,
# tests/e2e/wine_tools.sh).

# In a run of several sessions side by side (tools/wine-session.sh --sessions N), CTest gives
# each test one slot of the resource "wine", and the test works in that slot's session: its
# prefix and its X server.
if [[ -n "${CUTSHAPE_SESSIONS:-}" && -n "${CTEST_RESOURCE_GROUP_0_WINE:-}" ]]; then
  cutshape_slot=${CTEST_RESOURCE_GROUP_0_WINE#id:}
  source "$CUTSHAPE_SESSIONS/${cutshape_slot%%,*}.env"
  unset cutshape_slot
fi

# A Wine program that exits 1 having printed nothing but Wine's own err: lines never ran its
# own code: Wine's start-up gave up (it does when an address it must map is taken). Prints
# one line that says so, with those lines, so that the machine's fault tells itself apart
# from the product's; the caller still fails.
wine_start_failure() { # <exit code> <output file>
  [[ $1 -eq 1 && -s $2 ]] || return 1
  tr -d '\r' <"$2" | grep -qvE '^([0-9a-f]+:)?err:' && return 1
  echo "Wine ended the program before its own code ran (exit 1): $(tr -d '\r' <"$2" | paste -sd ' ')"
}

# Runs a Wine program with its output passing through as it comes and kept, and prints the
# line above (on standard error) when Wine gave up on its start.
wine_run() { # <program> [args...]
  local dir status out_tee err_tee
  dir=$(mktemp -d)
  mkfifo "$dir/out" "$dir/err"
  tee -a "$dir/kept" <"$dir/out" &
  out_tee=$!
  tee -a "$dir/kept" <"$dir/err" >&2 &
  err_tee=$!
  "${CUTSHAPE_WINE:-/usr/lib/wine/wine64}" "$@" >"$dir/out" 2>"$dir/err"
  status=$?
  wait "$out_tee" "$err_tee"
  wine_start_failure "$status" "$dir/kept" >&2
  rm -rf "$dir"
  return $status
}
