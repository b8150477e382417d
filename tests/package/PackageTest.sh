#!/usr/bin/env bash
# The packages for Windows users: made twice from the same program files, with their file
# times changed in between, the zip, both Installer packages and SHA256SUMS must come out the
# same byte for byte; the zip holds exactly the guide, the two savers and the installer,
# unchanged, in a fixed order under one folder.
#   PackageTest.sh WIN32_BUILD WIN64_BUILD WORK_DIR
set -uo pipefail
WIN32=$1 WIN64=$2 WORK=$3
PACKAGE=$(cd "$(dirname "$0")/../../tools/package" && pwd)/package.sh
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK" && mkdir -p "$WORK/first" "$WORK/second" "$WORK/unpacked" && WORK=$(cd "$WORK" && pwd) || fail "no work folder"
unset VELLUMAR_SIGN_PKCS12

written=$("$PACKAGE" "$WIN32" "$WIN64" "$WORK/first" 2>"$WORK/first.err") || fail "the first packing failed"
[ "$(cat "$WORK/first.err")" = "package.sh: VELLUMAR_SIGN_PKCS12 is not set: the programs and packages are not signed" ] ||
  fail "without a key the packing said: $(cat "$WORK/first.err")"
touch "$WIN32/host/Vellumar.scr" "$WIN64/host/Vellumar.scr" "$WIN32/installer/installer.exe"
sleep 1
"$PACKAGE" "$WIN32" "$WIN64" "$WORK/second" >/dev/null 2>&1 || fail "the second packing failed"
files=$'Vellumar-1.0.0.1-windows.zip\nVellumar-1.0.0.1-x64.msi\nVellumar-1.0.0.1-x86.msi\nSHA256SUMS'
[ "$written" = "$(sed "s|^|$WORK/first/|" <<<"$files")" ] || fail "the packing wrote: $written"
[ "$(ls "$WORK/first" | LC_ALL=C sort)" = "$(LC_ALL=C sort <<<"$files")" ] || fail "the output folder holds: $(ls "$WORK/first")"
for file in $files; do
  cmp "$WORK/first/$file" "$WORK/second/$file" || fail "two packings of the same files differ in $file"
  echo "-- $file is the same in both packings: $(sha256sum <"$WORK/first/$file" | cut -c1-16)"
done
(cd "$WORK/first" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
[ "$(wc -l <"$WORK/first/SHA256SUMS")" = 3 ] || fail "SHA256SUMS does not list the three packages"
first=$WORK/first/Vellumar-1.0.0.1-windows.zip

# On 64-bit Windows the 32-bit package's System32 is SysWOW64, whose savers the settings never
# offer: it refuses there and names the package that serves.
for arch in x64 x86; do
  msiinfo export "$WORK/first/Vellumar-1.0.0.1-$arch.msi" LaunchCondition >"$WORK/$arch.conditions" || fail "msiinfo cannot read the $arch package"
done
grep -q $'^Installed OR NOT VersionNT64\t.*install Vellumar-1.0.0.1-x64.msi instead\.' "$WORK/x86.conditions" ||
  fail "the x86 package does not refuse 64-bit Windows naming the x64 package: $(cat "$WORK/x86.conditions")"
grep -q $'^Installed OR VersionNT64\t.*install Vellumar-1.0.0.1-x86.msi instead\.' "$WORK/x64.conditions" ||
  fail "the x64 package does not refuse 32-bit Windows naming the x86 package: $(cat "$WORK/x64.conditions")"

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
for topic in 'System32' 'Windows XP with Service Pack 3' 'Remove it' 'installer.exe' 'ScreenSaver 1.0.0.1' \
  'Vellumar-1.0.0.1-x64.msi' 'Vellumar-1.0.0.1-x86.msi' 'msiexec /i '; do
  grep -q "$topic" "$dir/README.txt" || fail "the guide does not mention $topic"
done
# A saver in SysWOW64 is never offered, so the guide must not send one there.
! grep -q 'into C:\\Windows\\SysWOW64' "$dir/README.txt" || fail "the guide has a saver copied into SysWOW64"
echo "PASS: package for Windows users"
