#!/usr/bin/env bash
# The package for Windows users: made twice from the same program files, with their file
# times changed in between, it must come out the same byte for byte; it holds exactly the
# guide, the two savers and the installer, unchanged, in a fixed order under one folder.
#   PackageTest.sh WIN32_BUILD WIN64_BUILD WORK_DIR
set -uo pipefail
WIN32=$1 WIN64=$2 WORK=$3
PACKAGE=$(cd "$(dirname "$0")/../../tools/package" && pwd)/package.sh
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK" && mkdir -p "$WORK/first" "$WORK/second" "$WORK/unpacked" || fail "no work folder"

first=$("$PACKAGE" "$WIN32" "$WIN64" "$WORK/first") || fail "the first packing failed"
touch "$WIN32/host/Vellumar.scr" "$WIN64/host/Vellumar.scr" "$WIN32/installer/installer.exe"
sleep 1
second=$("$PACKAGE" "$WIN32" "$WIN64" "$WORK/second") || fail "the second packing failed"
[ "$(basename "$first")" = Vellumar-1.0.0.1-windows.zip ] || fail "the package is named $(basename "$first")"
cmp "$first" "$second" || fail "two packings of the same files differ"
echo "-- two packings are the same, byte for byte: $(sha256sum <"$first" | cut -c1-16)"

zipinfo "$first" || fail "zipinfo cannot read the package"
names=$(zipinfo -1 "$first")
expected=$'Vellumar-1.0.0.1/README.txt\nVellumar-1.0.0.1/Vellumar.scr\nVellumar-1.0.0.1/installer.exe\nVellumar-1.0.0.1/64-bit/Vellumar.scr'
[ "$names" = "$expected" ] || fail "the package holds, in this order: $names"
(cd "$WORK/unpacked" && unzip -q "$first") || fail "the package does not unpack"
dir=$WORK/unpacked/Vellumar-1.0.0.1
cmp "$dir/Vellumar.scr" "$WIN32/host/Vellumar.scr" || fail "the 32-bit saver is not the built one"
cmp "$dir/64-bit/Vellumar.scr" "$WIN64/host/Vellumar.scr" || fail "the 64-bit saver is not the built one"
cmp "$dir/installer.exe" "$WIN32/installer/installer.exe" || fail "the installer is not the built one"
file "$dir/Vellumar.scr" | grep -q 'PE32 executable' || fail "Vellumar.scr is not a 32-bit program"
file "$dir/64-bit/Vellumar.scr" | grep -q 'PE32+ executable' || fail "64-bit/Vellumar.scr is not a 64-bit program"
file "$dir/installer.exe" | grep -q 'PE32 executable' || fail "installer.exe is not a 32-bit program"
[ "$(grep -c $'\r$' "$dir/README.txt")" = "$(wc -l <"$dir/README.txt")" ] || fail "the guide has lines without CR LF"
for topic in 'System32' 'SysWOW64' 'Windows XP with Service Pack 3' 'Remove it' 'installer.exe'; do
  grep -q "$topic" "$dir/README.txt" || fail "the guide does not mention $topic"
done
echo "PASS: package for Windows users"
