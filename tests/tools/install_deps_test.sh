#!/usr/bin/env bash
# tools/install-deps.sh against a stand-in archive: apt-get, dpkg and dpkg-query on PATH keep
# a package database in db/; `update` fails while db/update-failures counts down (an index out
# of step with its Release file), and `install` refuses wine32:i386.
#   install_deps_test.sh <tools/install-deps.sh>
set -euo pipefail
script=$1 work=$(mktemp -d) failures=0 && bin=$work/bin db=$work/db && mkdir -p "$bin"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cat >"$bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
grep "^$3 " "$CUTSHAPE_STANDIN/installed" 2>/dev/null | while read -r _ arch version; do
  if [[ $2 == *Version* ]]; then printf '%s' "$version"; else printf 'ii %s\n' "$arch"; fi
done | grep .
STANDIN
printf '%s\n' '#!/usr/bin/env bash' '[[ $1 != --print-architecture ]] || echo amd64' \
  '[[ $1 != --add-architecture ]] || echo "$2" >>"$CUTSHAPE_STANDIN/foreign"' \
  '[[ $1 != --print-foreign-architectures ]] || cat "$CUTSHAPE_STANDIN/foreign" 2>/dev/null || true' >"$bin/dpkg"
cat >"$bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "$*" >>"$CUTSHAPE_STANDIN/calls"
if [[ " $* " == *" update "* ]]; then
  left=$(cat "$CUTSHAPE_STANDIN/update-failures" 2>/dev/null || echo 0)
  [[ $left -gt 0 ]] || exit 0
  echo $((left - 1)) >"$CUTSHAPE_STANDIN/update-failures"
  echo "E: Failed to fetch http://archive/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
  exit 100
fi
packages=$(tr ' ' '\n' <<<"${*#*install}" | grep -v -e '^-' -e '^$' -e '^Acquire')
if grep -q '^wine32:i386' <<<"$packages"; then
  echo "E: Unable to correct problems, you have held broken packages."
  exit 100
fi
[[ " $* " == *" -s "* ]] || sed 's/=.*//; s/:\(.*\)/ \1/; / /!s/$/ amd64/; s/$/ 1.0/' <<<"$packages" >>"$CUTSHAPE_STANDIN/installed"
STANDIN
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$bin/sudo"
printf '#!/usr/bin/env bash\necho fetched >>"$CUTSHAPE_STANDIN/qemu"\n' >"$bin/fetch-qemu"
chmod +x "$bin"/*

run() { # <update failures> <installed lines> <target>...: status in $status, output in $out
  rm -rf "$db" && mkdir -p "$db" && echo "$1" >"$db/update-failures" && printf '%s' "$2" >"$db/installed"
  status=0
  out=$(PATH=$bin:$PATH CUTSHAPE_STANDIN=$db CUTSHAPE_FETCH_QEMU=$bin/fetch-qemu CUTSHAPE_APT_PAUSE=0 \
    "$script" "${@:3}" 2>&1) || status=$?
}
has() { grep -q "^$1 " "$db/installed"; }
updates() { grep -c ' update' "$db/calls"; }

# The 64-bit demo on a bad day: three updates fail, the lists it has serve, and nothing of
# the 32-bit stages or the installer is asked for.
run 99 "" demo
[[ $status -eq 0 && $(updates) -eq 3 && $out == *"going on with the lists it has"* ]] &&
  has wine64 && has xvfb && has g++-mingw-w64-x86-64 && has libwine-dev && ! has wine32 &&
  ! has g++-mingw-w64-i686 && ! has wixl && [[ ! -e $db/foreign && ! -e $db/qemu ]] ||
  fail "make demo on a bad day: status $status, $(updates) updates, $(cut -d' ' -f1 "$db/installed" | xargs): $out"
# The builds: compilers and installer tools, no Wine loader, no X server; one failed update
# is tried again once.
run 1 "" build
[[ $status -eq 0 && $(updates) -eq 2 ]] && has clang && has g++-mingw-w64-i686 && has wixl &&
  has libgtest-dev && ! has wine64 && ! has wine32 && ! has xvfb && [[ ! -e $db/qemu ]] ||
  fail "make build: status $status, $(updates) updates, $(cut -d' ' -f1 "$db/installed" | xargs)"
# The refused package fails only the targets that need it, naming it, the target and apt's
# error; wine32 is asked for in wine64's version.
run 0 "" test
[[ $status -ne 0 && $out == *"cannot install wine32:i386, which make test needs: E: Unable to correct problems"*"try again later"* ]] &&
  grep -qx i386 "$db/foreign" || fail "make test with wine32:i386 refused: status $status: $out"
run 0 "wine64 amd64 8.0~repack-4+deb12u2"$'\n' demo demo-win32
[[ $status -ne 0 && $out == *"wine32:i386, which make demo ARCH=win32 needs"* ]] &&
  grep -q "install .*wine32:i386=8.0~repack-4+deb12u2" "$db/calls" ||
  fail "make demo ARCH=win32 with wine32:i386 refused: status $status: $out"
# Everything there: no apt-get at all, and qemu for the 32-bit stage.
run 0 "$(sed -n 's/^\([^#][^ ]*\) .*/\1/p' "$(dirname "$script")/packages.txt" |
  sed 's/:\(.*\)/ \1/; / /!s/$/ amd64/; s/$/ 1.0/')"$'\n' demo demo-win32
[[ $status -eq 0 && ! -s $db/calls && -e $db/qemu ]] || fail "with everything installed: $out"
[[ $failures -eq 0 ]] && echo "ok: install-deps.sh's choices against the stand-in archive"
