#!/usr/bin/env bash
# tools/install-deps.sh against a stand-in archive: apt-get, dpkg and dpkg-query on PATH are
# scripts that keep a package database in a folder, whose update can fail (an index out of
# step with its Release file) and whose archive can refuse a package (wine32:i386).
#   install_deps_test.sh <tools/install-deps.sh>
set -euo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

bin=$work/bin
mkdir -p "$bin"
cat >"$bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
# dpkg-query -W -f=<format> <name>: status lines "ii <arch>" or the version, from db/installed.
format=${2#-f=} name=$3
grep "^$name " "$CUTSHAPE_STANDIN/installed" 2>/dev/null | while read -r _ arch version; do
  if [[ $format == *Version* ]]; then printf '%s' "$version"; else printf 'ii %s\n' "$arch"; fi
done | grep . || exit 1
STANDIN
cat >"$bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) cat "$CUTSHAPE_STANDIN/foreign" 2>/dev/null || true ;;
  --add-architecture) echo "$2" >>"$CUTSHAPE_STANDIN/foreign" ;;
  *) exit 2 ;;
esac
STANDIN
cat >"$bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
# update fails as long as db/update-failures counts down; install refuses what db/refused names.
echo "$*" >>"$CUTSHAPE_STANDIN/calls"
simulate=0 action= packages=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    -o) shift ;;
    -s) simulate=1 ;;
    -*) ;;
    update | install) action=$1 ;;
    *) packages+=("$1") ;;
  esac
  shift
done
if [[ $action == update ]]; then
  left=$(cat "$CUTSHAPE_STANDIN/update-failures" 2>/dev/null || echo 0)
  if [[ $left -gt 0 ]]; then
    echo $((left - 1)) >"$CUTSHAPE_STANDIN/update-failures"
    echo "E: Failed to fetch http://archive/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
  fi
  exit 0
fi
for package in "${packages[@]}"; do
  if grep -qx "${package%%=*}" "$CUTSHAPE_STANDIN/refused" 2>/dev/null; then
    echo " ${package%%:*} : Depends: libwine:i386 (= 8.0~repack-4+deb12u2) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
done
[[ $simulate -eq 1 ]] && exit 0
for package in "${packages[@]}"; do
  name=${package%%=*} arch=amd64
  [[ $name == *:* ]] && arch=${name#*:} name=${name%%:*}
  echo "$name $arch 1.0" >>"$CUTSHAPE_STANDIN/installed"
done
STANDIN
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$bin/sudo"
printf '#!/usr/bin/env bash\necho fetched >>"$CUTSHAPE_STANDIN/qemu"\n' >"$bin/fetch-qemu"
chmod +x "$bin"/*

# run <name> <target>...: the script against a fresh stand-in database (or the current one
# with KEEP=1); its status in $status, its output in $work/<name>.out.
run() {
  local name=$1
  shift
  export CUTSHAPE_STANDIN=$work/db
  if [[ ${KEEP:-0} != 1 ]]; then
    rm -rf "$CUTSHAPE_STANDIN"
    mkdir -p "$CUTSHAPE_STANDIN"
    [[ -z ${UPDATE_FAILURES:-} ]] || echo "$UPDATE_FAILURES" >"$CUTSHAPE_STANDIN/update-failures"
    echo "wine32:i386" >"$CUTSHAPE_STANDIN/refused"
  fi
  : >"$CUTSHAPE_STANDIN/calls"
  status=0
  PATH=$bin:$PATH CUTSHAPE_FETCH_QEMU=$bin/fetch-qemu CUTSHAPE_APT_ATTEMPTS=3 CUTSHAPE_APT_PAUSE=0 \
    "$script" "$@" >"$work/$name.out" 2>&1 || status=$?
}
updates() { grep -c '^.* update' "$CUTSHAPE_STANDIN/calls" || true; }
has() { grep -q "^$1 " "$CUTSHAPE_STANDIN/installed" 2>/dev/null; }

# The 64-bit demo on a bad day: every update fails, the lists it has serve, and nothing of
# the 32-bit stages is asked for.
UPDATE_FAILURES=99 run demo demo
if [[ $status -eq 0 ]] && has wine64 && has xvfb && has g++-mingw-w64-x86-64 && has libwine-dev; then
  ok "make demo's packages install although every update failed"
else
  fail "make demo: status $status, $(cat "$work/demo.out")"
fi
[[ $(updates) -eq 3 ]] || fail "update was tried $(updates) times, not 3"
grep -q "going on with the lists it has" "$work/demo.out" || fail "no word of the failed update"
if has wine32 || has g++-mingw-w64-i686 || has clang || has wixl || [[ -e $work/db/foreign ]] ||
  [[ -e $work/db/qemu ]]; then
  fail "make demo installed more than it runs: $(cut -d' ' -f1 "$work/db/installed" | tr '\n' ' ')"
fi

# The builds need the compilers and the installer tools, no Wine loader, no X server.
UPDATE_FAILURES=1 run build build
if [[ $status -eq 0 ]] && has clang && has g++-mingw-w64-i686 && has wixl && has libgtest-dev &&
  has libwine && ! has wine64 && ! has wine32 && ! has xvfb && [[ ! -e $work/db/qemu ]]; then
  ok "make build's packages, and only those"
else
  fail "make build: status $status, installed $(cut -d' ' -f1 "$work/db/installed" 2>/dev/null | tr '\n' ' ')"
fi
[[ $(updates) -eq 2 ]] || fail "an update that failed once was tried $(updates) times, not 2"

# make test needs the refused package: it fails, saying which, for what, and why.
run test test
error=$(grep '^install-deps: cannot install' "$work/test.out" || true)
if [[ $status -ne 0 && $error == *"wine32:i386, which make test needs"* &&
  $error == *"E: Unable to correct problems"* && $error == *"try again later"* ]]; then
  ok "make test's refused package: $error"
else
  fail "make test: status $status, $(cat "$work/test.out")"
fi
grep -qx i386 "$work/db/foreign" || fail "the i386 architecture was not added"
[[ $(grep -c 'cannot install' "$work/test.out") -eq 1 ]] || fail "more than one package named"

# ARCH=win32 fails the same way; wine32 is asked for in wine64's version.
echo "wine64 amd64 8.0~repack-4+deb12u2" >"$work/wine64"
rm -rf "$work/db" && mkdir -p "$work/db" && cp "$work/wine64" "$work/db/installed"
echo "wine32:i386" >"$work/db/refused"
KEEP=1 run win32 demo demo-win32
if [[ $status -ne 0 ]] && grep -q "wine32:i386, which make demo ARCH=win32 needs" "$work/win32.out" &&
  grep -q "install .*wine32:i386=8.0~repack-4+deb12u2" "$work/db/calls"; then
  ok "make demo ARCH=win32 fails naming wine32:i386, asked for in wine64's version"
else
  fail "make demo ARCH=win32: status $status, $(cat "$work/win32.out")"
fi

# Once the package is there, the 32-bit stages get their qemu, and nothing is installed again.
: >"$work/db/refused"
KEEP=1 run win32-again demo demo-win32
KEEP=1 run installed demo demo-win32
if [[ $status -eq 0 && ! -s $work/db/calls ]] && grep -q fetched "$work/db/qemu"; then
  ok "with everything installed, no apt-get call, and qemu for the 32-bit stage"
else
  fail "a second run: status $status, apt-get calls: $(cat "$work/db/calls")"
fi

run unknown demo sideways
[[ $status -eq 2 ]] || fail "an unknown target gave status $status"
[[ $failures -eq 0 ]] || exit 1
