# shellcheck shell=bash disable=SC2034
# Retries for the archive, shared by install-deps.sh and fetch-qemu.sh (sourced, not run).
# An archive in the middle of a sync serves indexes that do not match their Release file for
# a while; a few attempts with a pause in between ride out the short ones, and the total stays
# bounded: CUTSHAPE_APT_ATTEMPTS attempts (default 3), CUTSHAPE_APT_PAUSE seconds between
# them (default 20), each apt-get giving up on a silent server after 30 seconds.
apt_attempts=${CUTSHAPE_APT_ATTEMPTS:-3}
apt_pause=${CUTSHAPE_APT_PAUSE:-20}
apt_network_options=(-o Acquire::Retries=1 -o Acquire::http::Timeout=30 -o Acquire::https::Timeout=30)
apt_sync_hint="the archive may be in the middle of a sync: try again later"

# apt_failed <log>: whether apt-get's output reports an index or a package it could not fetch.
apt_failed() {
  grep -q -E '^(W|E|Err): ?(Failed to fetch|Some index files failed|Unable to fetch)|^Err:[0-9]' "$1"
}

# apt_retry <log> <command...>: runs the command, with its output in <log> (the last
# attempt's), again while its output reports a failed fetch, at most apt_attempts times in
# all. Returns the last attempt's status, or 1 when it exited 0 but a fetch had failed.
apt_retry() {
  local log=$1 attempt status
  shift
  for ((attempt = 1; ; attempt++)); do
    status=0
    "$@" >"$log" 2>&1 || status=$?
    if ! apt_failed "$log"; then
      return "$status"
    fi
    [[ $attempt -lt $apt_attempts ]] || break
    echo "apt-get: $(apt_error_line "$log"); attempt $attempt of $apt_attempts, the next in" \
      "$apt_pause s" >&2
    sleep "$apt_pause"
  done
  [[ $status -ne 0 ]] || status=1
  return "$status"
}

# apt_error_line <log>: apt's own error line, the first E: line (else the last line).
apt_error_line() {
  grep -m1 '^E:' "$1" || tail -n1 "$1"
}
