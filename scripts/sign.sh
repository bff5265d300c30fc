#!/usr/bin/env bash
# Builds the release zip as package.sh does, signs its Tarnvel.exe
# (Authenticode, SHA-256) and packs the signed program with the same readme
# and notices into FOLDER/signed/Tarnvel-<version>-win64.zip; prints that zip's path.
# The unsigned build and its reproducible zip stay as package.sh made them.
# Usage: sign.sh [BUILD_FOLDER]   (default build/package)
#   TARNVEL_SIGN_CERT       the code-signing certificate and key, a PKCS#12 .pfx
#   TARNVEL_SIGN_PASSWORD   its password (read through a pipe, never a command line)
#   TARNVEL_SIGN_TIMESTAMP  optional RFC 3161 timestamp server; without one the
#                           signature stops being valid when the certificate expires
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

fail() { echo "sign.sh: $*" >&2; exit 1; }
[ -n "${TARNVEL_SIGN_CERT:-}" ] || fail "TARNVEL_SIGN_CERT is not set (path of the .pfx certificate)"
[ -n "${TARNVEL_SIGN_PASSWORD:-}" ] || fail "TARNVEL_SIGN_PASSWORD is not set (password of $TARNVEL_SIGN_CERT)"
[ -r "$TARNVEL_SIGN_CERT" ] || fail "cannot read the certificate $TARNVEL_SIGN_CERT"

scripts/install-deps.sh unzip zip >&2
dir=${1:-build/package}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
mapfile -t zips < <(scripts/package.sh "$dir")
[ ${#zips[@]} -ge 1 ] || fail "package.sh made no zip"
release=${zips[0]}

out=$dir/signed
rm -rf "$out"
mkdir -p "$out/files"
# The files come out of the unsigned zip, so the signed one differs from it
# in the signature alone.
unzip -q "$release" -d "$out/files"
timestamp=()
[ -n "${TARNVEL_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$TARNVEL_SIGN_TIMESTAMP")
osslsigncode sign -pkcs12 "$TARNVEL_SIGN_CERT" \
  -readpass <(printf '%s' "$TARNVEL_SIGN_PASSWORD") -h sha256 -n Tarnvel \
  "${timestamp[@]}" -in "$out/files/Tarnvel.exe" -out "$out/Tarnvel.exe" >&2 ||
  fail "osslsigncode could not sign $out/files/Tarnvel.exe"
mv "$out/Tarnvel.exe" "$out/files/Tarnvel.exe"

# File times and order as in the unsigned zip, independent of the signer's
# time zone and of file attributes beyond the times (zip -X).
signed_zip=$(cd "$out" && pwd)/$(basename "$release")
mapfile -t files < <(unzip -Z1 "$release")
(
  cd "$out/files"
  TZ=UTC touch -d "@$SOURCE_DATE_EPOCH" "${files[@]}"
  TZ=UTC zip -X -q "$signed_zip" "${files[@]}"
)
echo "$signed_zip"
