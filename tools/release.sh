#!/usr/bin/env bash
# `make release`: puts into <release folder> a zip of each architecture's dist folder, the two
# installer packages built again from the files the zips hold, and SHA256SUMS. The same from
# any clone at any time: every file time in the zips and the packages is SOURCE_DATE_EPOCH
# (the Makefile gives the last commit's time), the zips list their files in a fixed order with
# fixed modes, and the packages' codes are derived (tools/msi-package.sh).
#   tools/release.sh <version> <build folder> <release folder> <architecture>...
# With SIGN_PFX (a PKCS#12 file) and SIGN_PASSWORD in the environment, every .ocx and .exe
# is signed with Authenticode before it is zipped and packaged, and then both packages;
# SIGN_TIMESTAMP_URL adds an RFC 3161 timestamp, verified against SIGN_TSA_CAFILE (the system's
# authorities when unset). Each signature is verified against the
# certificate's own chain, and the certificate must be meant for code signing. Everything is
# made in a staging folder and moved to <release folder> only when all of it is done; any
# failure leaves no <release folder>.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=$1 build=$2 release=$3
shift 3
[[ -n ${SOURCE_DATE_EPOCH:-} ]] || { echo "release: SOURCE_DATE_EPOCH is not set" >&2; exit 2; }
# The password must not reach any other process's environment or command line.
password=${SIGN_PASSWORD:-}
unset SIGN_PASSWORD MAKEFLAGS MFLAGS
staging=${CUTSHAPE_RELEASE_STAGING:-$build/release-staging}
rm -rf "$release" "$staging"
mkdir -p "$staging/out"
staging=$(cd "$staging" && pwd)
out=$staging/out
umask 022
trap 'rm -rf "$staging"' EXIT

die() { echo "release: $*" >&2; exit 1; }

# Signing: the certificate's chain and its purpose are checked once, before any file is signed.
signing=0
if [[ -n ${SIGN_PFX:-} ]]; then
  signing=1
  [[ -f $SIGN_PFX ]] || die "signing: no certificate file $SIGN_PFX"
  secrets=$staging/secrets
  (umask 077 && mkdir "$secrets" && printf '%s' "$password" >"$secrets/password")
  password=
  passin=(-passin "file:$secrets/password")
  openssl pkcs12 -in "$SIGN_PFX" "${passin[@]}" -nokeys -clcerts -out "$secrets/certificate.pem" \
    2>"$secrets/openssl.log" ||
    die "signing: cannot read $SIGN_PFX with the given password: $(head -n1 "$secrets/openssl.log")"
  openssl pkcs12 -in "$SIGN_PFX" "${passin[@]}" -nokeys -cacerts -out "$secrets/chain.pem" \
    2>"$secrets/openssl.log" || die "signing: cannot read the chain in $SIGN_PFX"
  # A certificate that comes alone is its own chain.
  grep -q 'BEGIN CERTIFICATE' "$secrets/chain.pem" || cp "$secrets/certificate.pem" "$secrets/chain.pem"
  usage=$(openssl x509 -in "$secrets/certificate.pem" -noout -ext keyUsage,extendedKeyUsage 2>/dev/null)
  [[ $usage == *"Code Signing"* ]] ||
    die "signing: the certificate in $SIGN_PFX is not meant for code signing (extended key usage: $(grep -A1 'Extended Key Usage' <<<"$usage" | tail -n1 | xargs || true))"
  if [[ $usage == *"Key Usage:"* ]] && ! grep -A1 '^X509v3 Key Usage' <<<"$usage" | grep -q 'Digital Signature'; then
    die "signing: the certificate's key usage does not allow digital signatures"
  fi
  openssl verify -CAfile "$secrets/chain.pem" "$secrets/certificate.pem" >"$secrets/openssl.log" 2>&1 ||
    die "signing: the certificate does not verify against its own chain: $(tail -n1 "$secrets/openssl.log")"
  signer=$(openssl x509 -in "$secrets/certificate.pem" -noout -subject -nameopt oneline)
  timestamp=() tsa_authorities=()
  if [[ -n ${SIGN_TIMESTAMP_URL:-} ]]; then
    timestamp=(-ts "$SIGN_TIMESTAMP_URL")
    tsa_authorities=(-TSA-CAfile "${SIGN_TSA_CAFILE:-/etc/ssl/certs/ca-certificates.crt}")
  fi
fi

# sign <file>: signs it in place and verifies the signature.
sign() {
  local file=$1 log=$staging/sign.log
  osslsigncode sign -pkcs12 "$SIGN_PFX" -readpass "$secrets/password" -h sha256 -n Cutshape \
    "${timestamp[@]}" -in "$file" -out "$file.signed" >"$log" 2>&1 ||
    die "signing $(basename "$file") failed: $(grep -v '^Succeeded' "$log" | tail -n1)"
  mv "$file.signed" "$file"
  osslsigncode verify -CAfile "$secrets/chain.pem" "${tsa_authorities[@]}" -in "$file" >"$log" 2>&1 ||
    die "verifying the signature of $(basename "$file") failed: $(grep -i -m1 -E 'fail|error' "$log" || tail -n1 "$log")"
  # A timestamp that does not verify leaves the signature valid: it is checked on its own.
  if [[ ${#timestamp[@]} -gt 0 ]] && ! grep -q '^Timestamp Server Signature verification: ok' "$log"; then
    die "verifying the timestamp of $(basename "$file") failed: $(grep -m1 -i 'timestamp.*fail\|failed timestamp' "$log" || echo "no timestamp")"
  fi
}

# The staged files of each architecture: fixed modes and times, signed when asked.
shipped=()
for arch in "$@"; do
  name=Cutshape-$version-$arch
  [[ -d dist/$arch ]] || die "dist/$arch is missing: run make dist"
  cp -R dist/"$arch" "$staging/$name"
  find "$staging/$name" -type d -exec chmod 0755 {} +
  find "$staging/$name" -type f -exec chmod 0644 {} +
  if [[ $signing -eq 1 ]]; then
    while IFS= read -r file; do sign "$file"; done < <(find "$staging/$name" -type f \( -name '*.ocx' -o -name '*.exe' \) | LC_ALL=C sort)
  fi
  find "$staging/$name" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  # The zip's times are local times: the zone is fixed, and no extra fields are written.
  (cd "$staging" && find "$name" -type f | LC_ALL=C sort |
    TZ=UTC zip -q -X -D -@ "$out/$name.zip")
  shipped+=("$name.zip")
done

# The installer packages, from the staged (and signed) files.
for arch in "$@"; do
  name=Cutshape-$version-$arch
  source "$build/$arch/installer/package.env"
  files=$staging/package-$arch
  mkdir -p "$files"
  for file in Cutshape.ocx CutEARTH.exe CutHOLE.exe CutHEAD.exe Earth.gif Hole.bmp sdk/reference.md; do
    cp "$staging/$name/$file" "$files/"
  done
  package=Cutshape-$version-$platform.msi
  "$repo/tools/msi-package.sh" "$repo/installer/cutshape.wxs" "$rows" "$platform" "$version" \
    "$files" "$out/$package"
  [[ $signing -eq 0 ]] || sign "$out/$package"
  shipped+=("$package")
done

(cd "$out" && sha256sum "${shipped[@]}" >SHA256SUMS)
mv "$out" "$release"
if [[ $signing -eq 1 ]]; then
  echo "$release/ is ready, signed and verified ($signer):"
else
  echo "$release/ is ready (not signed: give SIGN_PFX and SIGN_PASSWORD to sign it):"
fi
cat "$release/SHA256SUMS"
