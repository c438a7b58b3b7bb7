#!/usr/bin/env bash
# make release's signing, with a throwaway certificate authority and certificates made here:
#  - with a code-signing certificate every program in the zip and the package are signed,
#    each signature verifies against the authority, SHA256SUMS lists the signed files, the
#    password appears in no output, and the signed package installs under Wine's msiexec and
#    registers the control (msi_install_test.sh);
#  - a program's signature removed gives back the unsigned release's program;
#  - with a stand-in timestamp authority (openssl ts), the package carries a timestamp that
#    verifies; against other authorities than the stand-in's the timestamp fails the release;
#  - a wrong password, or a certificate meant for servers rather than code, fails naming the
#    signing step and leaves no release folder.
#   signed_release_test.sh <build folder of the architecture> <Cutshape.ocx> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display count "$@"
build=$(cd "$1" && pwd) library=$2 xshape=$3
tests=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$tests/../.." && pwd)
arch=$(basename "$build")
source "$build/installer/package.env"

# The authority, a code-signing certificate and a server certificate, each key its own.
cd "$work"
password="throwaway-$RANDOM$RANDOM"
printf '%s' "$password" >password
certificate() { # <name> <subject> <extensions...>
  openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=$2" -out "$1.csr" 2>/dev/null
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -set_serial "0x$RANDOM$RANDOM" -days 2 \
    -extfile <(printf '%s\n' "${@:3}") -out "$1.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$1.key" -in "$1.pem" -certfile ca.pem -passout file:password \
    -out "$1.pfx"
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -subj "/CN=Cutshape test authority" \
  -days 2 -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
  -out ca.pem 2>/dev/null
certificate signer "Cutshape test publisher" "keyUsage=critical,digitalSignature" \
  "extendedKeyUsage=codeSigning"
certificate server "server.invalid" "keyUsage=critical,digitalSignature" "extendedKeyUsage=serverAuth"
[[ -s signer.pfx && -s server.pfx ]] || { echo "FAIL: could not make the certificates"; exit 1; }

SOURCE_DATE_EPOCH=0 cmake --install "$build" --prefix dist/"$arch" --component dist --strip >/dev/null
release() { # <folder> [variables...]: make release's step for this architecture alone
  env SOURCE_DATE_EPOCH=1700000000 CUTSHAPE_RELEASE_STAGING="$work/staging" "${@:2}" \
    "$repo/tools/release.sh" "$version" "$(dirname "$build")" "$1" "$arch" >"$1.out" 2>&1
}
verify() { osslsigncode verify -CAfile ca.pem -in "$1" >verify.log 2>&1; }

release unsigned || fail "the unsigned release failed: $(cat unsigned.out)"
grep -q "not signed" unsigned.out || fail "the unsigned release does not say so"
release signed SIGN_PFX=signer.pfx SIGN_PASSWORD="$password"
status=$?
[[ $status -eq 0 ]] || fail "the signed release failed: $(cat signed.out)"
grep -qF "$password" signed.out && fail "the password was printed"
zip=signed/Cutshape-$version-$arch.zip msi=signed/Cutshape-$version-$platform.msi
mkdir -p signed-files unsigned-files
unzip -q "$zip" -d signed-files && unzip -q unsigned/"$(basename "$zip")" -d unsigned-files
programs=0
while IFS= read -r program; do
  programs=$((programs + 1))
  verify "$program" || fail "$(basename "$program") does not verify: $(tail -n3 verify.log)"
  unsigned=unsigned-files/${program#signed-files/}
  osslsigncode remove-signature -in "$program" -out stripped >/dev/null 2>&1
  cmp -s stripped "$unsigned" || fail "$(basename "$program") without its signature differs from the unsigned one"
  rm -f stripped
done < <(find signed-files -name '*.exe' -o -name '*.ocx')
[[ $programs -ge 4 ]] || fail "only $programs programs in $zip"
verify "$msi" || fail "$(basename "$msi") does not verify: $(tail -n3 verify.log)"
verify unsigned/"$(basename "$msi")" && fail "the unsigned package verifies as signed"
(cd signed && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not list the signed files"
echo "ok: $programs programs and the package signed, each verified against the authority"

for case in "wrong password:SIGN_PFX=signer.pfx SIGN_PASSWORD=not-$password" \
            "server certificate:SIGN_PFX=server.pfx SIGN_PASSWORD=$password"; do
  release refused ${case#*:}
  status=$?
  if [[ $status -ne 0 && ! -e refused ]] && grep -q "signing" refused.out; then
    echo "ok: a ${case%%:*} gives no release: $(grep -m1 signing refused.out)"
  else
    fail "a ${case%%:*}: status $status, release folder $([[ -e refused ]] && echo left || echo gone): $(cat refused.out)"
  fi
  rm -rf refused
done

# A timestamp from the stand-in authority, whose certificate the test authority issued.
certificate tsa "Cutshape test timestamps" "keyUsage=critical,digitalSignature" \
  "extendedKeyUsage=critical,timeStamping"
openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -subj "/CN=Another authority" \
  -days 2 -out other.pem 2>/dev/null
echo 01 >tsa.serial
cat >tsa.cnf <<CONFIG
[ tsa ]
default_tsa = stand_in
[ stand_in ]
serial = $work/tsa.serial
signer_cert = $work/tsa.pem
signer_key = $work/tsa.key
certs = $work/ca.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
other_policies = 1.2.3.4.2
digests = sha256
ess_cert_id_alg = sha256
CONFIG
/usr/bin/python3 "$tests/timestamp_server.py" tsa.cnf tsa.port </dev/null >tsa.log 2>&1 &
tsa_pid=$!
at_exit "kill $tsa_pid 2>/dev/null; wait $tsa_pid 2>/dev/null"
for ((deadline = SECONDS + 10; SECONDS < deadline; )); do
  [[ -s tsa.port ]] && break
  kill -0 "$tsa_pid" 2>/dev/null || break
  sleep 0.05
done
if [[ -s tsa.port ]]; then
  url=http://127.0.0.1:$(cat tsa.port)
  release stamped SIGN_PFX=signer.pfx SIGN_PASSWORD="$password" SIGN_TIMESTAMP_URL="$url" \
    SIGN_TSA_CAFILE=ca.pem || fail "the timestamped release failed: $(cat stamped.out)"
  osslsigncode verify -CAfile ca.pem -TSA-CAfile ca.pem -in stamped/"$(basename "$msi")" >verify.log 2>&1
  grep -q '^Timestamp Server Signature verification: ok' verify.log &&
    echo "ok: the timestamped package's timestamp verifies" ||
    fail "the timestamped package has no valid timestamp: $(grep -i timestamp verify.log | head -3)"
  release refused SIGN_PFX=signer.pfx SIGN_PASSWORD="$password" SIGN_TIMESTAMP_URL="$url" \
    SIGN_TSA_CAFILE=other.pem
  [[ $? -ne 0 && ! -e refused ]] && grep -q "verifying the timestamp" refused.out &&
    echo "ok: a timestamp that does not verify gives no release" ||
    fail "a timestamp from an unknown authority: $(cat refused.out)"
  rm -rf refused
else
  fail "the stand-in timestamp authority did not start: $(cat tsa.log)"
fi

# The signed package, installed.
"$tests/msi_install_test.sh" "$work/$msi" "$library" "$xshape" ||
  fail "the signed package does not install and register the control"
checks_done "a signed release verifies and installs; a failed signing leaves no release"
