#!/usr/bin/env bash
# The Windows Installer packages under wine, silently, in a fresh 64-bit prefix: the x64
# package puts the saver into System32 and registers it among the installed programs; a later
# version (the fourth field raised) replaces it in place; uninstalling leaves no file and no
# registry entry; the x86 package refuses 64-bit Windows and installs nothing. Without that
# refusal the x86 package installs into its SystemFolder (SysWOW64 here, System32 on 32-bit
# Windows) and uninstalls cleanly. No user's screen saver changes.
#   MsiInstallTest.sh WIN32_BUILD WIN64_BUILD PACKAGE_DIR WORK_DIR
# PACKAGE_DIR holds the unsigned packages package.sh made from these builds.
set -uo pipefail
WIN32=$1 WIN64=$2 PACKAGES=$3 WORK=$4
TOOLS=$(cd "$(dirname "$0")/../../tools/package" && pwd)
source "$TOOLS/../../cmake/wine-env.sh"
source "$TOOLS/product.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$WORK" && mkdir -p "$WORK" && WORK=$(cd "$WORK" && pwd) || fail "no work folder"
export WINEPREFIX=$WORK/prefix
trap '"$WINE_SERVER" -k 2>/dev/null' EXIT
make_wine_prefix "$WINEPREFIX" || fail "no wine prefix"
WINDOWS=$WINEPREFIX/drive_c/windows
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
DESKTOP='HKCU\Control Panel\Desktop'
OTHER_SAVER='C:\windows\system32\other.scr'
"$WINE" reg add "$DESKTOP" /v SCRNSAVE.EXE /d "$OTHER_SAVER" /f >/dev/null 2>&1 || fail "cannot set the user's saver"
cached_before=$(find "$WINDOWS/Installer" -type f 2>/dev/null | sort)

msiexec() { "$WINE" msiexec "$@" /qn >"$WORK/msiexec.log" 2>&1; }
windows_path() { echo "Z:${1//\//\\}"; }
# Value $2 of key $1 (in registry view $3), or nothing.
value() { "$WINE" reg query "$1" /v "$2" ${3:-} 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
# The form Windows Installer keys its registry entries by: the GUID's first three groups
# reversed, then each byte with its two digits swapped.
packed() {
  local g=${1//[\{\}-]/}
  echo "$(rev <<<"${g:0:8}")$(rev <<<"${g:8:4}")$(rev <<<"${g:12:4}")$(sed 's/\(.\)\(.\)/\2\1/g' <<<"${g:16}")"
}
user_saver_unchanged() {
  [ "$(value "$DESKTOP" SCRNSAVE.EXE)" = "$OTHER_SAVER" ] || fail "$1 changed the user's screen saver"
}

# Installed: the file, the entry among the installed programs (in the registry view of the
# package's width, VIEW) and its icon.
VIEW=/reg:64
check_installed() { # MSI VERSION FOLDER SAVER
  local code key
  code=$(product_code "$1") key="$UNINSTALL\\$(product_code "$1")"
  cmp "$WINDOWS/$3/Vellumar.scr" "$4" || fail "$3/Vellumar.scr is not the saver of $(basename "$1")"
  [ "$(value "$key" DisplayName $VIEW)" = "$PRODUCT_NAME" ] || fail "installed programs: name $(value "$key" DisplayName $VIEW)"
  [ "$(value "$key" Publisher $VIEW)" = "$PRODUCT_PUBLISHER" ] || fail "installed programs: publisher $(value "$key" Publisher $VIEW)"
  [ "$(value "$key" DisplayVersion $VIEW)" = "$2" ] || fail "installed programs: version $(value "$key" DisplayVersion $VIEW)"
  [ "$(value "$key" URLInfoAbout $VIEW)" = "$PRODUCT_HOME_PAGE" ] || fail "installed programs: home page $(value "$key" URLInfoAbout $VIEW)"
  [ "$(value "HKLM\\Software\\Classes\\Installer\\Products\\$(packed "$code")" ProductIcon)" = "C:\\windows\\Installer\\$code\\Vellumar.ico" ] ||
    fail "installed programs: no icon"
  cmp "$WINDOWS/Installer/$code/Vellumar.ico" "$TOOLS/../../resources/Vellumar.ico" || fail "installed programs: another icon"
  [ "$("$WINE" reg query "$UNINSTALL" /s $VIEW 2>/dev/null | grep -c "DisplayName *REG_SZ *$PRODUCT_NAME")" = 1 ] ||
    fail "installed programs: not exactly one $PRODUCT_NAME"
  user_saver_unchanged "installing $(basename "$1")"
}

check_removed() { # MSI
  local code
  code=$(product_code "$1")
  [ ! -e "$WINDOWS/system32/Vellumar.scr" ] && [ ! -e "$WINDOWS/syswow64/Vellumar.scr" ] || fail "a saver is left in the system folders"
  "$WINE" reg query "$UNINSTALL\\$code" $VIEW >/dev/null 2>&1 && fail "$(basename "$1") is still among the installed programs"
  "$WINE" reg query "HKLM\\Software\\Classes\\Installer\\Products\\$(packed "$code")" >/dev/null 2>&1 &&
    fail "$(basename "$1") is still registered with Windows Installer"
  user_saver_unchanged "removing $(basename "$1")"
}

X64=$PACKAGES/Vellumar-$PRODUCT_VERSION-x64.msi X86=$PACKAGES/Vellumar-$PRODUCT_VERSION-x86.msi
msiexec /i "$(windows_path "$X64")" || fail "the x64 package did not install: $(cat "$WORK/msiexec.log")"
check_installed "$X64" "$PRODUCT_VERSION" system32 "$WIN64/host/Vellumar.scr"
[ ! -e "$WINDOWS/syswow64/Vellumar.scr" ] || fail "the x64 package wrote into SysWOW64"
echo "-- the x64 package installed into System32"

# A later version, told apart by its fourth field alone, with another saver.
cp "$WIN64/host/Vellumar.scr" "$WORK/later.scr" && printf 'later' >>"$WORK/later.scr"
later_version=${PRODUCT_VERSION%.*}.$((${PRODUCT_VERSION##*.} + 1))
"$TOOLS/msi.sh" x64 "$WORK/later.scr" "$later_version" 0 "$WORK/later.msi" || fail "no later package"
[ "$(product_code "$WORK/later.msi")" != "$(product_code "$X64")" ] || fail "the later version has the same product code"
msiexec /i "$(windows_path "$WORK/later.msi")" || fail "the later version did not install: $(cat "$WORK/msiexec.log")"
check_installed "$WORK/later.msi" "$later_version" system32 "$WORK/later.scr"
"$WINE" reg query "$UNINSTALL\\$(product_code "$X64")" >/dev/null 2>&1 && fail "the earlier version is still installed beside the later one"
echo "-- $later_version replaced $PRODUCT_VERSION in place"
msiexec /x "$(windows_path "$WORK/later.msi")" || fail "the later version did not uninstall: $(cat "$WORK/msiexec.log")"
check_removed "$WORK/later.msi"
echo "-- uninstalled"

VIEW=/reg:32
msiexec /i "$(windows_path "$X86")" && fail "the x86 package installed on 64-bit Windows"
check_removed "$X86"
echo "-- the x86 package refused 64-bit Windows"
cp "$X86" "$WORK/x86-anywhere.msi" &&
  msibuild "$WORK/x86-anywhere.msi" -q "DELETE FROM \`LaunchCondition\` WHERE \`Condition\` = 'Installed OR NOT VersionNT64'" ||
  fail "cannot take the refusal out of the x86 package"
msiexec /i "$(windows_path "$WORK/x86-anywhere.msi")" || fail "the x86 package less its refusal did not install: $(cat "$WORK/msiexec.log")"
check_installed "$WORK/x86-anywhere.msi" "$PRODUCT_VERSION" syswow64 "$WIN32/host/Vellumar.scr"
[ ! -e "$WINDOWS/system32/Vellumar.scr" ] || fail "the x86 package wrote into the 64-bit System32"
msiexec /x "$(windows_path "$WORK/x86-anywhere.msi")" || fail "the x86 package did not uninstall"
check_removed "$WORK/x86-anywhere.msi"
echo "-- the x86 package, less its refusal, installed into its SystemFolder and uninstalled"

# Nothing left: no file of ours, no cached package, nothing in the registry (saved when the
# server ends).
[ "$(find "$WINDOWS/Installer" -type f 2>/dev/null | sort)" = "$cached_before" ] || fail "Windows Installer's folder keeps: $(find "$WINDOWS/Installer")"
[ -z "$(find "$WINEPREFIX/drive_c" -iname '*vellumar*')" ] || fail "left behind: $(find "$WINEPREFIX/drive_c" -iname '*vellumar*')"
"$WINE_SERVER" -k 2>/dev/null; "$WINE_SERVER" -w 2>/dev/null
left=$(grep -i -n -e vellumar -e "$(packed "$(product_code "$X64")")" -e "$(packed "$(product_code "$WORK/later.msi")")" \
  "$WINEPREFIX"/*.reg)
[ -z "$left" ] || fail "left in the registry: $left"
echo "PASS: Windows Installer packages under $("$WINE" --version)"
