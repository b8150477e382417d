#!/usr/bin/env bash
# Signed packages, with a throwaway certificate authority and code-signing key: every program
# in the zip and both Installer packages verify against that authority under the product's
# name and home page; each signed program, less its signature, is the unsigned one (but for
# the header checksum and the padding the signer adds); the packages carry the signed savers;
# two signed packings are the same; the signed 64-bit saver still runs under wine.
#   SignTest.sh WIN32_BUILD WIN64_BUILD WORK_DIR
set -uo pipefail
WIN32=$1 WIN64=$2
TOOLS=$(cd "$(dirname "$0")/../../tools/package" && pwd)
rm -rf "$3" && mkdir -p "$3/ca" "$3/unpacked" && WORK=$(cd "$3" && pwd) || { echo "FAIL: no work folder" >&2; exit 1; }
source "$(dirname "$0")/../lib/WineSession.sh"
source "$TOOLS/product.sh"
trap wine_cleanup EXIT

# The authority and the key, dated well before any commit the packages take their time from.
(cd "$WORK/ca" && faketime -f '2000-01-01 00:00:00' sh -e -c '
  openssl req -x509 -newkey rsa:2048 -nodes -days 20000 -subj "/CN=Throwaway CA" -keyout ca.key -out ca.pem \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
  openssl req -newkey rsa:2048 -nodes -subj "/CN=Throwaway signer" -keyout signer.key -out signer.csr
  printf "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n" >signer.ext
  openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 20000 -extfile signer.ext -out signer.pem
  openssl pkcs12 -export -inkey signer.key -in signer.pem -passout pass:throwaway -out signer.p12
' >/dev/null 2>&1) || fail "no throwaway authority"
export VELLUMAR_SIGN_PKCS12=$WORK/ca/signer.p12 VELLUMAR_SIGN_PASSWORD=throwaway
unset VELLUMAR_SIGN_TIMESTAMP_URL
for run in first second; do
  "$TOOLS/package.sh" "$WIN32" "$WIN64" "$WORK/$run" >/dev/null 2>"$WORK/$run.err" || fail "signed packing failed: $(cat "$WORK/$run.err")"
done
[ ! -s "$WORK/first.err" ] || fail "signed packing said: $(cat "$WORK/first.err")"
for file in $(cd "$WORK/first" && ls); do
  cmp "$WORK/first/$file" "$WORK/second/$file" || fail "two signed packings differ in $file"
done
name=Vellumar-$PRODUCT_VERSION
(cd "$WORK/unpacked" && unzip -q "$WORK/first/$name-windows.zip") || fail "the signed zip does not unpack"
dir=$WORK/unpacked/$name

verifies() {
  osslsigncode verify -CAfile "$WORK/ca/ca.pem" -in "$1" >"$WORK/verify.txt" 2>&1 &&
    grep -q "Text description: $PRODUCT_NAME$" "$WORK/verify.txt" &&
    grep -q "URL description: $PRODUCT_HOME_PAGE$" "$WORK/verify.txt" &&
    grep -q "Message digest algorithm *: SHA256" "$WORK/verify.txt"
}
# Byte positions (from 1) of the PE header checksum of program $1.
checksum_bytes() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  seq $((header + 89)) $((header + 92))
}
# $1 less its signature is $2 but for the header checksum and up to 7 bytes of zeros at the end.
same_but_signature() {
  rm -f "$WORK/bare" && osslsigncode remove-signature -in "$1" -out "$WORK/bare" >/dev/null 2>&1 || return 1
  local size extra
  size=$(stat -c %s "$2") extra=$(($(stat -c %s "$WORK/bare") - $(stat -c %s "$2")))
  [ "$extra" -ge 0 ] && [ "$extra" -le 7 ] && [ -z "$(tail -c +$((size + 1)) "$WORK/bare" | tr -d '\0')" ] &&
    [ -z "$(cmp -l "$WORK/bare" "$2" 2>/dev/null | awk '{print $1}' | grep -vxF -f <(checksum_bytes "$2"))" ]
}

verifies "$WIN64/host/Vellumar.scr" && fail "an unsigned program verifies"
for pair in "Vellumar.scr:$WIN32/host/Vellumar.scr" "installer.exe:$WIN32/installer/installer.exe" \
  "64-bit/Vellumar.scr:$WIN64/host/Vellumar.scr"; do
  signed=$dir/${pair%%:*} unsigned=${pair#*:}
  verifies "$signed" || fail "${pair%%:*} does not verify: $(cat "$WORK/verify.txt")"
  same_but_signature "$signed" "$unsigned" || fail "${pair%%:*} less its signature is not the built program"
done
for arch in x64 x86; do
  verifies "$WORK/first/$name-$arch.msi" || fail "$name-$arch.msi does not verify: $(cat "$WORK/verify.txt")"
  mkdir -p "$WORK/$arch" && (cd "$WORK/$arch" && msiextract -C . "$WORK/first/$name-$arch.msi" >/dev/null) ||
    fail "$name-$arch.msi does not unpack"
done
cmp "$(find "$WORK/x64" -name Vellumar.scr)" "$dir/64-bit/Vellumar.scr" || fail "the x64 package holds another saver than the signed one"
cmp "$(find "$WORK/x86" -name Vellumar.scr)" "$dir/Vellumar.scr" || fail "the x86 package holds another saver than the signed one"
(cd "$WORK/first" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the signed files"
echo "-- every signed file verifies; the programs less their signatures are the built ones"

# The signed saver runs: it covers the screen with frames of its own and ends with 0 on a key.
start_display 1024x768x24
make_wine_prefix "$WINEPREFIX" || fail "no wine prefix"
xdotool mousemove 512 384
import -window root -depth 8 "rgb:$WORK/before.rgb" || fail "no screenshot"
"$WINE" "$dir/64-bit/Vellumar.scr" /s >"$WORK/saver.log" 2>&1 &
SAVER=$!
started $SAVER
frame_shown() {
  ended $SAVER && fail "the signed saver ended by itself"
  import -window root -depth 8 "rgb:$WORK/now.rgb" && ! cmp -s "$WORK/before.rgb" "$WORK/now.rgb"
}
wait_until 20 frame_shown || fail "the signed saver showed no frame"
sleep 1
xdotool key space
wait_exit $SAVER 10 || fail "the signed saver did not end on a key"
[ "$EXIT_STATUS" = 0 ] || fail "the signed saver ended with $EXIT_STATUS"
echo "PASS: signed programs and packages"
