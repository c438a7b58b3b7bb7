#!/usr/bin/env bash
# Installs what the build and the tests need, only what is missing: the Debian packages
# (the i386 architecture and wine32:i386 for the 32-bit stage included) and a qemu-i386 of
# version 8.1 or later in the project's cache (tools/fetch-qemu.sh).
# Runs apt-get through sudo when not root; safe to run again and again.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
  cmake ninja-build g++ make pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev libpixman-1-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  wine wine64 libwine libwine-dev
  xvfb xdotool x11-utils imagemagick python3-xlib python3-pil
  msitools wixl zip unzip
  wine32:i386
)

# A package without an architecture means the machine's own (or "all"); with multiarch,
# dpkg-query prints one line per installed architecture.
installed() { # <package[:arch]>
  local name=${1%%:*} arch=${1#*:}
  [[ "$name" == "$1" ]] && arch=$(dpkg --print-architecture)
  dpkg-query -W -f='${db:Status-Abbrev}${Architecture}\n' "$name" 2>/dev/null |
    grep -q -E "^ii +($arch|all)\$"
}

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  # wine32 must be the same version as an installed wine64.
  wine64_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null || true)
  if [[ -n "$wine64_version" ]] && installed wine64; then
    missing=("${missing[@]/#wine32:i386/wine32:i386=$wine64_version}")
  fi
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

"$repo/tools/fetch-qemu.sh" >/dev/null
