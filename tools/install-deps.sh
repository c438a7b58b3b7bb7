#!/usr/bin/env bash
# Installs what the given targets need and is missing: the Debian packages that
# tools/packages.txt tags with any of them (the i386 architecture when one is an i386
# package) and, for the 32-bit stages, a qemu-i386 of version 8.1 or later in the project's
# cache (tools/fetch-qemu.sh). Runs apt-get through sudo when not root; safe to run again and
# again. The apt-get, dpkg and dpkg-query found on PATH are used.
#   tools/install-deps.sh [<target>...]   targets: demo demo-win32 build sign check-reproducible
#                                         test (the default: everything make test needs)
# When the archive's indexes cannot all be fetched, after a few attempts it goes on with the
# lists it has; a package that still cannot be installed ends it with status 1, naming the
# package, the target that needs it and apt's own error.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$repo/tools/apt-retry.sh"
list=$repo/tools/packages.txt
fetch_qemu=${CUTSHAPE_FETCH_QEMU:-$repo/tools/fetch-qemu.sh}

[[ $# -gt 0 ]] || set -- test
known=$(awk '!/^#/ && NF > 1 { for (i = 2; i <= NF; i++) print $i }' "$list" | sort -u)
for target in "$@"; do
  grep -qx -- "$target" <<<"$known" || {
    echo "install-deps: no such target '$target' (known: $(echo $known))" >&2
    exit 2
  }
done

# What a user typed to need a target's packages.
command_of() { # <target>
  case "$1" in
    demo-win32) echo "make demo ARCH=win32" ;;
    build) echo "make build (and make dist, make release)" ;;
    sign) echo "make release SIGN_PFX=..." ;;
    *) echo "make $1" ;;
  esac
}

# The packages tagged with any of the targets, and for each the requested targets that need it.
declare -A needed_by=()
packages=()
while read -r package tags; do
  for target in "$@"; do
    if [[ " $tags " == *" $target "* ]]; then
      [[ -n "${needed_by[$package]:-}" ]] || packages+=("$package")
      needed_by[$package]="${needed_by[$package]:+${needed_by[$package]}, }$(command_of "$target")"
    fi
  done
done < <(grep -v -e '^#' -e '^[[:space:]]*$' "$list")

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
  logs=$(mktemp -d)
  trap 'rm -rf "$logs"' EXIT
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  if ! apt_retry "$logs/update.log" "${sudo_cmd[@]}" apt-get "${apt_network_options[@]}" update -qq; then
    echo "install-deps: apt-get update still fails after $apt_attempts attempts; going on with" \
      "the lists it has ($(apt_error_line "$logs/update.log"))" >&2
  fi
  # wine32 must be the same version as an installed wine64.
  wine64_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null || true)
  if [[ -n "$wine64_version" ]] && installed wine64; then
    missing=("${missing[@]/#wine32:i386/wine32:i386=$wine64_version}")
  fi
  install=(apt-get "${apt_network_options[@]}" install -y -qq --no-install-recommends)
  if ! apt_retry "$logs/install.log" "${sudo_cmd[@]}" "${install[@]}" "${missing[@]}" </dev/null; then
    # Name the packages apt cannot install on their own; when each would, the whole set fails.
    failed=0
    for package in "${missing[@]}"; do
      if ! apt-get -s "${install[@]:1}" "$package" >"$logs/one.log" 2>&1 </dev/null; then
        name=${package%%=*}
        echo "install-deps: cannot install $name, which ${needed_by[$name]} needs:" \
          "$(apt_error_line "$logs/one.log") ($apt_sync_hint)" >&2
        failed=1
      fi
    done
    if [[ $failed -eq 0 ]]; then
      echo "install-deps: cannot install the packages: ${missing[*]}:" \
        "$(apt_error_line "$logs/install.log") ($apt_sync_hint)" >&2
    fi
    exit 1
  fi
fi

# qemu-i386 for the 32-bit stages.
if [[ " $* " == *" demo-win32 "* || " $* " == *" test "* ]]; then
  "$fetch_qemu" >/dev/null
fi
