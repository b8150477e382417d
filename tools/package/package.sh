#!/usr/bin/env bash
# Packs the Windows programs and the guide for Windows users into one zip file.
#   package.sh WIN32_BUILD WIN64_BUILD OUTPUT_DIR
# Writes OUTPUT_DIR/Vellumar-VERSION-windows.zip (VERSION from the saver's version block)
# and prints its path. The same program files give the same zip, byte for byte: the entries
# come in a fixed order with fixed times (the last commit's, or the version's release day
# outside a git checkout), fixed permissions and no extra fields of the packing machine.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: package.sh WIN32_BUILD WIN64_BUILD OUTPUT_DIR" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
win32=$1 win64=$2
mkdir -p "$3"
out=$(cd "$3" && pwd)

version=$(sed -n 's/^ *VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' "$top/resources/Vellumar.rc")
[ -n "$version" ] || { echo "package.sh: no FileVersion in resources/Vellumar.rc" >&2; exit 1; }
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
# Windows line ends, for Notepad on older Windows.
sed 's/$/\r/' "$here/README-Windows.txt" >"$stage/$name/README.txt"
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
