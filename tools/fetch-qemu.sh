#!/usr/bin/env bash
# Puts a static qemu-i386 of version 8.1 or later into the project's cache, for running the
# 32-bit Wine loader on machines that cannot execute 32-bit code. Bookworm's own qemu (7.2)
# takes minutes per Wine start, so the binary comes from bookworm-backports of the same
# archive that the machine's apt sources already name. A private apt configuration downloads
# the package; the system's apt state is not touched and nothing is installed. A failed fetch
# is tried again as in install-deps.sh (tools/apt-retry.sh).
#   tools/fetch-qemu.sh            prints the path of the cached binary
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/tools/apt-retry.sh"
cache=${CUTSHAPE_CACHE:-$repo/.cache}/qemu
binary=$cache/qemu-i386
minimum=8.1

version_of() { "$1" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9.]*\).*/\1/p'; }
recent_enough() { # <binary>
  local version
  version=$(version_of "$1")
  [[ -n "$version" ]] && dpkg --compare-versions "$version" ge "$minimum"
}

if [[ -x "$binary" ]] && recent_enough "$binary"; then
  echo "$binary"
  exit 0
fi

# The archive's address, from the stanza (or line) that serves the release's main suite.
archive_uri() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$file" ]] || continue
    awk '/^URIs:/ { uri = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") found = uri }
         /^$/ { if (found) { print found; exit } uri = "" } END { if (found) print found }' "$file" |
      head -n1
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$file" ]] || continue
    awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i ~ /:\/\//) { if ($(i + 1) == "bookworm") print $i; break } }' "$file"
  done
}
uri=$(archive_uri | head -n1)
if [[ -z "$uri" ]]; then
  echo "fetch-qemu: no Debian bookworm archive found in the machine's apt sources" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/archives/partial" "$work/etc/preferences.d" \
  "$work/etc/sources.list.d"
: >"$work/status"
echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri bookworm-backports main" \
  >"$work/etc/sources.list"
apt_options=(
  -o "Dir::Etc=$work/etc" -o "Dir::Etc::sourcelist=$work/etc/sources.list"
  -o "Dir::Etc::sourceparts=$work/etc/sources.list.d" -o "Dir::State::Lists=$work/lists"
  -o "Dir::State::status=$work/status" -o "Dir::Cache=$work/cache"
  -o "Dir::Cache::archives=$work/archives" -o "APT::Architecture=amd64"
  -o "APT::Architectures=amd64" -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root"
)
apt_options+=("${apt_network_options[@]}")
# A failed update still leaves the download to try; the download decides.
apt_retry "$work/update.log" apt-get "${apt_options[@]}" -qq update || true
if ! (cd "$work" && apt_retry "$work/download.log" apt-get "${apt_options[@]}" -qq download qemu-user); then
  echo "fetch-qemu: cannot download qemu-user from $uri bookworm-backports, which make test and" \
    "make demo ARCH=win32 need: $(apt_error_line "$work/download.log") ($apt_sync_hint)" >&2
  exit 1
fi
deb=$(ls "$work"/qemu-user_*.deb)
dpkg-deb -x "$deb" "$work/root"
candidate=$(find "$work/root" -type f \( -name qemu-i386-static -o -name qemu-i386 \) | head -n1)
if [[ -z "$candidate" ]] || ! recent_enough "$candidate"; then
  echo "fetch-qemu: $(basename "$deb") has no qemu-i386 of version $minimum or later" >&2
  exit 1
fi
mkdir -p "$cache"
install -m 0755 "$candidate" "$binary.new"
mv "$binary.new" "$binary"
echo "$binary"
