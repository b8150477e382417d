#!/usr/bin/env bash
# Builds the Windows Installer package of one saver with wixl (Debian's msitools).
#   msi.sh x64|x86 SAVER VERSION STAMP OUTPUT_MSI
# The x64 package puts SAVER into the real System32 of 64-bit Windows, the x86 one into
# System32 of 32-bit Windows (Vellumar.wxs). VERSION is the package's version (N.N.N.N),
# STAMP (Unix seconds) its file and summary times. The product code follows the architecture
# and version, the package code the saver's bytes too, and wixl's clock is held at STAMP:
# the same saver gives the same package, byte for byte.
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: msi.sh x64|x86 SAVER VERSION STAMP OUTPUT_MSI" >&2; exit 2; }
arch=$1 saver=$2 version=$3 stamp=$4 output=$5
here=$(cd "$(dirname "$0")" && pwd)
source "$here/product.sh"
case $arch in x64|x86) ;; *) echo "msi.sh: no architecture $arch (x64 or x86)" >&2; exit 2 ;; esac
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "msi.sh: version $version is not N.N.N.N" >&2; exit 2; }
[[ $stamp =~ ^[0-9]+$ ]] || { echo "msi.sh: time $stamp is not Unix seconds" >&2; exit 2; }
[ -f "$saver" ] || { echo "msi.sh: $saver is missing" >&2; exit 1; }

# A name-based GUID (the layout of RFC 4122 version 5, from SHA-256).
guid_of() {
  local h
  h=$(printf '%s' "$1" | sha256sum)
  printf '%s-%s-5%s-%x%s-%s\n' "${h:0:8}" "${h:8:4}" "${h:13:3}" $(((0x${h:16:1} & 3) | 8)) "${h:17:3}" "${h:20:12}" | tr a-f A-F
}
product_code=$(guid_of "Vellumar product $arch $version")
package_code=$(guid_of "Vellumar package $arch $version $(sha256sum <"$saver")")

# wixl takes its files by names relative to the folder it runs in; the cabinet keeps their times.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$saver" "$stage/Vellumar.scr"
cp "$here/../../resources/Vellumar.ico" "$stage/Vellumar.ico"
touch -d "@$stamp" "$stage/Vellumar.scr" "$stage/Vellumar.ico"
mkdir -p "$(dirname "$output")"
(cd "$stage" && TZ=UTC faketime -f "$(date -u -d "@$stamp" '+%Y-%m-%d %H:%M:%S')" \
  wixl -a "$arch" -o package.msi -D Arch="$arch" -D Version="$version" \
    -D ProductName="$PRODUCT_NAME" -D Publisher="$PRODUCT_PUBLISHER" -D HomePage="$PRODUCT_HOME_PAGE" \
    -D ProductCode="$product_code" -D PackageCode="$package_code" \
    -D Saver=Vellumar.scr -D Icon=Vellumar.ico "$here/Vellumar.wxs")
# wixl draws a random package code; the summary information takes ours.
template=$([ "$arch" = x64 ] && echo "x64;1033" || echo "Intel;1033")
msibuild "$stage/package.msi" -s "$PRODUCT_NAME $version" "$PRODUCT_PUBLISHER" "$template" "{$package_code}"
mv "$stage/package.msi" "$output"
