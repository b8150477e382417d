#!/usr/bin/env bash
# Signs Windows programs and Installer packages in place (Authenticode, SHA-256) with
# osslsigncode, under the product's name and home page.
#   sign.sh STAMP FILE...
# The key is the PKCS#12 file named by VELLUMAR_SIGN_PKCS12, its password in
# VELLUMAR_SIGN_PASSWORD; VELLUMAR_SIGN_TIMESTAMP_URL, when set, names an RFC 3161 time-stamp
# server. The signing time is STAMP (Unix seconds), so that a signature without a time stamp
# is the same at every run.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: sign.sh STAMP FILE..." >&2; exit 2; }
stamp=$1
shift
source "$(dirname "$0")/product.sh"
key=${VELLUMAR_SIGN_PKCS12:?sign.sh: VELLUMAR_SIGN_PKCS12 names no key}
[ -f "$key" ] || { echo "sign.sh: no key file $key" >&2; exit 1; }
timestamp=()
[ -z "${VELLUMAR_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$VELLUMAR_SIGN_TIMESTAMP_URL")
for file in "$@"; do
  rm -f "$file.signed"
  # The password goes through a pipe, never onto a command line others can read.
  osslsigncode sign -pkcs12 "$key" -readpass <(printf '%s' "${VELLUMAR_SIGN_PASSWORD:-}") \
    -h sha256 -n "$PRODUCT_NAME" -i "$PRODUCT_HOME_PAGE" -time "$stamp" "${timestamp[@]}" \
    -in "$file" -out "$file.signed" >/dev/null ||
    { rm -f "$file.signed"; echo "sign.sh: $file could not be signed" >&2; exit 1; }
  mv "$file.signed" "$file"
done
