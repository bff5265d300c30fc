#!/usr/bin/env bash
# The signing round trip: signs a build with a throwaway self-signed
# code-signing certificate through sign.sh and checks that the signature
# verifies against that certificate and nothing else, that the signed zip
# holds exactly the signed program, the readme and the notices, that signing changed
# nothing of the program but the checksum and the table's entry, that removing
# the signature gives back the unsigned program (plus the padding before the
# table), and that the unsigned zip is left as it was. Also that sign.sh
# refuses to run without its certificate and password, and stops when the
# timestamp server it was given does not answer.
# Usage: check-signing.sh [BUILD_FOLDER]   (default build/package)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh unzip zip openssl
dir=${1:-build/package}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

export PFX_PASSWORD=throwaway-$RANDOM$RANDOM
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarnvel test signer" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$tmp/key.pem" -out "$tmp/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" -out "$tmp/cert.pfx" \
  -passout env:PFX_PASSWORD

status=0
bad() { echo "FAIL: $*" >&2; status=1; }

# Each case: what is wrong, then the environment sign.sh gets. It must fail,
# say why in a message of its own and leave no signed zip behind.
refusals=(
  "no certificate|TARNVEL_SIGN_PASSWORD=$PFX_PASSWORD|TARNVEL_SIGN_CERT"
  "no password|TARNVEL_SIGN_CERT=$tmp/cert.pfx|TARNVEL_SIGN_PASSWORD"
  "missing .pfx|TARNVEL_SIGN_CERT=$tmp/none.pfx TARNVEL_SIGN_PASSWORD=$PFX_PASSWORD|$tmp/none.pfx"
  "wrong password|TARNVEL_SIGN_CERT=$tmp/cert.pfx TARNVEL_SIGN_PASSWORD=wrong|could not sign"
  "timestamp server unreachable|TARNVEL_SIGN_CERT=$tmp/cert.pfx TARNVEL_SIGN_PASSWORD=$PFX_PASSWORD TARNVEL_SIGN_TIMESTAMP=http://127.0.0.1:9|could not sign"
)
for case in "${refusals[@]}"; do
  IFS='|' read -r what assignments expected <<<"$case"
  rm -rf "$dir/signed"
  # shellcheck disable=SC2086  # the assignments are words on purpose
  if env -u TARNVEL_SIGN_CERT -u TARNVEL_SIGN_PASSWORD -u TARNVEL_SIGN_TIMESTAMP $assignments \
    scripts/sign.sh "$dir" >"$tmp/out" 2>"$tmp/err"; then
    bad "$what: sign.sh succeeded and printed $(cat "$tmp/out")"
  elif ! grep '^sign\.sh: ' "$tmp/err" | grep -qF "$expected"; then
    bad "$what: the error does not name '$expected': $(tail -3 "$tmp/err")"
  elif compgen -G "$dir/signed/*.zip" >/dev/null; then
    bad "$what: a signed zip was left behind"
  else
    echo "refused, $what: $(grep -m1 '^sign\.sh: ' "$tmp/err")"
  fi
done

mapfile -t zips < <(scripts/package.sh "$dir")
unsigned_zip=${zips[0]}
unsigned_sum=$(sha256sum <"$unsigned_zip")
mkdir "$tmp/unsigned"
unzip -q "$unsigned_zip" -d "$tmp/unsigned"

signed_zip=$(env -u TARNVEL_SIGN_TIMESTAMP TARNVEL_SIGN_CERT="$tmp/cert.pfx" \
  TARNVEL_SIGN_PASSWORD="$PFX_PASSWORD" scripts/sign.sh "$dir" 2>"$tmp/err") || { cat "$tmp/err" >&2; exit 1; }
echo "signed: $signed_zip"
[ "$(sha256sum <"$unsigned_zip")" = "$unsigned_sum" ] || bad "signing changed $unsigned_zip"
[ "$(basename "$signed_zip")" = "$(basename "$unsigned_zip")" ] || bad "signed zip named $signed_zip"
[ "$(dirname "$signed_zip")" != "$(dirname "$unsigned_zip")" ] || bad "signed zip beside the unsigned one"

contents=$(unzip -Z1 "$signed_zip" | LC_ALL=C sort | tr '\n' ' ')
[ "$contents" = "THIRD-PARTY-NOTICES.txt Tarnvel.exe readme.txt " ] || bad "signed zip holds: $contents"
mkdir "$tmp/signed"
unzip -q "$signed_zip" -d "$tmp/signed"
for f in readme.txt THIRD-PARTY-NOTICES.txt; do
  cmp -s "$tmp/signed/$f" "$tmp/unsigned/$f" || bad "$f differs from the unsigned zip's"
done
# zipinfo -T prints each entry's time as yyyymmdd.hhmmss, as stored (DOS time, UTC here).
# DOS times count seconds in twos, so an odd second is stored as the one before or after.
dos_times=" $(for d in -1 0 1; do TZ=UTC date -d "@$((SOURCE_DATE_EPOCH + d))" +%Y%m%d.%H%M%S; done | tr '\n' ' ')"
for f in Tarnvel.exe readme.txt THIRD-PARTY-NOTICES.txt; do
  time=$(zipinfo -T "$signed_zip" "$f" | awk '{print $7}')
  [[ $dos_times == *" $time "* ]] || bad "$f dated $time, SOURCE_DATE_EPOCH is $(TZ=UTC date -d "@$SOURCE_DATE_EPOCH" +%Y%m%d.%H%M%S)"
done

exe=$tmp/signed/Tarnvel.exe
# Trusting the throwaway certificate as the only root, the whole signature
# verifies: chain, signed attributes, and the file's digest against the signed one.
if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$exe" >"$tmp/verify" 2>&1; then
  grep -qx 'Message digest algorithm  : SHA256' "$tmp/verify" || bad "not signed with SHA-256"
  grep -qP '^\tText description: Tarnvel$' "$tmp/verify" || bad "the signature does not name Tarnvel"
  current=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\) *$/\1/p' "$tmp/verify")
  calculated=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\) *$/\1/p' "$tmp/verify")
  if [ -n "$current" ] && [ "$current" = "$calculated" ]; then
    echo "verified with the throwaway root: digest $current"
  else
    bad "digests '$current' and '$calculated'"
  fi
else
  bad "osslsigncode verify -CAfile: $(cat "$tmp/verify")"
fi
# Against the system's roots the same signature must not verify: the check
# above trusts the certificate we made, not anything that is present.
if osslsigncode verify -in "$exe" >"$tmp/verify" 2>&1; then
  bad "a self-signed signature verified against the system's roots"
fi
if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/unsigned/Tarnvel.exe" >"$tmp/verify" 2>&1; then
  bad "the unsigned program verified"
fi
# One byte of the signed code changed must break the digest.
cp "$exe" "$tmp/tampered.exe"
printf 'X' | dd of="$tmp/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/tampered.exe" >"$tmp/verify" 2>&1; then
  bad "a changed program still verified"
fi

# Byte offsets (from 0) where two files of equal length differ.
differences() { cmp -l "$1" "$2" | awk '{print $1 - 1}' | xargs || true; }
unsigned=$tmp/unsigned/Tarnvel.exe
size=$(stat -c %s "$unsigned")
pe=$(od -An -tu4 -j60 -N4 "$unsigned" | tr -d ' ')
[ "$(od -An -tx2 -j$((pe + 24)) -N2 "$unsigned" | tr -d ' ')" = 020b ] || bad "Tarnvel.exe is not PE32+"
checksum="$((pe + 88)) $((pe + 89)) $((pe + 90)) $((pe + 91))"
security_entry=$(seq -s " " $((pe + 168)) $((pe + 175)))
# Signing may only set the checksum and the certificate table's place and size
# (the high bytes of either may happen to stay), then append the table.
head -c "$size" "$exe" >"$tmp/signed-head.exe"
for offset in $(differences "$tmp/signed-head.exe" "$unsigned"); do
  case " $checksum $security_entry " in
    *" $offset "*) ;;
    *) bad "signing changed byte $offset of the program" ;;
  esac
done
# The table starts on an 8-byte boundary, so a program whose length is not a
# multiple of 8 keeps the zeros padded before it, and the checksum counts them.
osslsigncode remove-signature -in "$exe" -out "$tmp/removed.exe" >/dev/null ||
  { bad "osslsigncode found no signature to remove"; exit 1; }
removed_size=$(stat -c %s "$tmp/removed.exe")
padding=$((removed_size - size))
if cmp -s "$tmp/removed.exe" "$unsigned"; then
  echo "signature removed: the unsigned Tarnvel.exe, byte for byte"
elif [ $padding -lt 0 ] || [ $padding -ge 8 ] || [ $((removed_size % 8)) -ne 0 ] ||
  [ -n "$(tail -c "$padding" "$tmp/removed.exe" | tr -d '\0')" ]; then
  bad "without its signature the program is $removed_size bytes, unsigned $size"
else
  head -c "$size" "$tmp/removed.exe" >"$tmp/removed-head.exe"
  changed=$(differences "$tmp/removed-head.exe" "$unsigned")
  for offset in $changed; do
    case " $checksum " in *" $offset "*) ;; *) bad "removing the signature left byte $offset changed" ;; esac
  done
  echo "signature removed: the unsigned Tarnvel.exe, $padding zero bytes of padding and the checksum recounted over them (bytes changed: ${changed:-none})"
fi
exit $status
