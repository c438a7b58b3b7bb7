#!/usr/bin/env bash
# make release's signing with a throwaway authority and certificates made here: with a
# code-signing certificate every program in the zip and the package verify against the
# authority, each program without its signature is the unsigned release's, SHA256SUMS lists
# the signed files, the password is printed nowhere and the signed package installs and
# registers the control (msi_install_test.sh); a wrong password or a server certificate fails
# naming the signing step and leaves no release folder.
#   signed_release_test.sh <build folder of the architecture> <Cutshape.ocx> <xshape.py>
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/test_prologue.sh" display count "$@"
build=$(cd "$1" && pwd) library=$2 xshape=$3 tests=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) && arch=${build##*/}
source "$build/installer/package.env"
cd "$work" || exit 1
password="throwaway-$RANDOM$RANDOM"
printf '%s' "$password" >password
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -subj "/CN=Test authority" -days 2 \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" -out ca.pem 2>/dev/null
for entry in signer:codeSigning server:serverAuth; do
  name=${entry%:*}
  openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -subj "/CN=$name" -out "$name.csr" 2>/dev/null
  openssl x509 -req -in "$name.csr" -CA ca.pem -CAkey ca.key -set_serial "$RANDOM" -days 2 -out "$name.pem" \
    -extfile <(printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "${entry#*:}") 2>/dev/null
  openssl pkcs12 -export -inkey "$name.key" -in "$name.pem" -certfile ca.pem -passout file:password -out "$name.pfx"
done

SOURCE_DATE_EPOCH=0 cmake --install "$build" --prefix dist/"$arch" --component dist --strip >/dev/null
release() { # <folder> [variables...]: make release's step for this architecture alone
  env SOURCE_DATE_EPOCH=1700000000 CUTSHAPE_RELEASE_STAGING="$work/staging" "${@:2}" \
    "$tests/../../tools/release.sh" "$version" "$(dirname "$build")" "$1" "$arch" >"$1.out" 2>&1
}
verify() { osslsigncode verify -CAfile ca.pem -in "$1" >verify.log 2>&1 || fail "$1 does not verify: $(tail -n2 verify.log)"; }
release unsigned && grep -q "not signed" unsigned.out || fail "the unsigned release: $(cat unsigned.out)"
release signed SIGN_PFX=signer.pfx SIGN_PASSWORD="$password" || fail "the signed release: $(cat signed.out)"
grep -qF "$password" signed.out && fail "the password was printed"
unzip -q signed/*.zip -d signed-files && unzip -q unsigned/*.zip -d unsigned-files
programs=$(cd signed-files && find . -name '*.exe' -o -name '*.ocx')
for program in $programs; do
  verify "signed-files/$program"
  osslsigncode remove-signature -in "signed-files/$program" -out stripped >/dev/null
  cmp -s stripped "unsigned-files/$program" || fail "$program without its signature is not the unsigned one"
  rm -f stripped
done
[[ $(wc -w <<<"$programs") -ge 4 ]] || fail "only these programs in the zip: $programs"
verify signed/*.msi
(cd signed && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not list the signed files"
echo "ok: $(wc -w <<<"$programs") programs and the package signed, each verified against the authority"

for case in "wrong password:signer.pfx:not-$password" "server certificate:server.pfx:$password"; do
  IFS=: read -r what pfx given <<<"$case"
  if release refused SIGN_PFX="$pfx" SIGN_PASSWORD="$given" || [[ -e refused ]] || ! grep -q signing refused.out; then
    fail "a $what: $(cat refused.out), release folder $([[ -e refused ]] && echo left || echo gone)"
  else
    echo "ok: a $what gives no release: $(cat refused.out)"
  fi
done
"$tests/msi_install_test.sh" "$work/$(ls signed/*.msi)" "$library" "$xshape" ||
  fail "the signed package does not install and register the control"
checks_done "a signed release verifies and installs; a failed signing leaves no release"
