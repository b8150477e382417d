#!/usr/bin/env bash
# Packs the Windows programs for users into OUTPUT_DIR:
#   package.sh WIN32_BUILD WIN64_BUILD OUTPUT_DIR
# Vellumar-VERSION-windows.zip (the programs and the guide for Windows users),
# Vellumar-VERSION-x64.msi and Vellumar-VERSION-x86.msi (msi.sh), then SHA256SUMS for every
# file in OUTPUT_DIR; prints the paths it wrote. VERSION comes from the saver's version block.
# With VELLUMAR_SIGN_PKCS12 set, every program is signed before it is packed and the
# Installer packages after (sign.sh); without it, one line says that nothing is signed.
# The same program files give the same files, byte for byte: the zip's entries come in a fixed
# order with fixed times (the last commit's, or the version's release day outside a git
# checkout), fixed permissions and no extra fields of the packing machine; the packages and
# the signatures take the same time. Only a signature's RFC 3161 time stamp differs per run.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: package.sh WIN32_BUILD WIN64_BUILD OUTPUT_DIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
win32=$1 win64=$2
mkdir -p "$3"
out=$(cd "$3" && pwd)

source "$here/product.sh"
version=$PRODUCT_VERSION
for file in "$win32/host/Vellumar.scr" "$win32/installer/installer.exe" "$win64/host/Vellumar.scr"; do
  [ -f "$file" ] || { echo "package.sh: $file is missing (build the win32 and win64 presets)" >&2; exit 1; }
done
stamp=$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)
[ -n "$stamp" ] || stamp=$(date -u -d 2026-12-08 +%s)

name=Vellumar-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/64-bit"
cp "$win32/host/Vellumar.scr" "$stage/$name/Vellumar.scr"
cp "$win32/installer/installer.exe" "$stage/$name/installer.exe"
cp "$win64/host/Vellumar.scr" "$stage/$name/64-bit/Vellumar.scr"
programs=("$stage/$name/Vellumar.scr" "$stage/$name/installer.exe" "$stage/$name/64-bit/Vellumar.scr")
if [ -n "${VELLUMAR_SIGN_PKCS12:-}" ]; then
  "$here/sign.sh" "$stamp" "${programs[@]}"
else
  echo "package.sh: VELLUMAR_SIGN_PKCS12 is not set: the programs and packages are not signed" >&2
fi
# Windows line ends, for Notepad on older Windows.
sed "s/@VERSION@/$version/g; s/\$/\r/" "$here/README-Windows.txt" >"$stage/$name/README.txt"
entries=("$name/README.txt" "$name/Vellumar.scr" "$name/installer.exe" "$name/64-bit/Vellumar.scr")
chmod 644 "${entries[@]/#/$stage/}"
touch -d "@$stamp" "${entries[@]/#/$stage/}"

zip_file=$out/$name-windows.zip
rm -f "$zip_file.new"
# -X: no Unix extra fields (owner, extended times); -D: no directory entries; the times zip
# stores are local ones, so the zone is fixed too.
(cd "$stage" && TZ=UTC zip -q -X -D -9 "$zip_file.new" "${entries[@]}")
mv "$zip_file.new" "$zip_file"
echo "$zip_file"

for arch in x64 x86; do
  saver=$stage/$name/Vellumar.scr
  [ "$arch" = x86 ] || saver=$stage/$name/64-bit/Vellumar.scr
  msi_file=$out/$name-$arch.msi
  "$here/msi.sh" "$arch" "$saver" "$version" "$stamp" "$msi_file.new"
  [ -z "${VELLUMAR_SIGN_PKCS12:-}" ] || "$here/sign.sh" "$stamp" "$msi_file.new"
  mv "$msi_file.new" "$msi_file"
  echo "$msi_file"
done

(cd "$out" && find . -maxdepth 1 -type f ! -name SHA256SUMS ! -name '*.new' -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum -- >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)
echo "$out/SHA256SUMS"
