#!/usr/bin/env bash
# The Debian package of the X11 saver: built twice by this machine's Debian from the same
# sources in two folders, it must come out the same byte for byte (deb.sh fails on any lintian
# error or warning); it holds the program where XScreenSaver looks for modes, the settings file
# and the manual page, depends on Xlib, libXext and libXrandr and recommends XScreenSaver with its image
# helper. In a fresh minimal chroot of the same release `apt-get install ./PACKAGE` brings what
# it needs, XScreenSaver's daemon runs the installed program (tests/x11/DaemonE2E.sh), and
# `apt-get purge` leaves no file of the package and no folder that was the package's alone.
# The chroot is removed at the end, whatever happened. That chroot, given only the declared
# build dependencies, then builds the package as well.
#   DebianPackageTest.sh TEST_HELPER WORK_DIR
# TEST_HELPER is x11-test-helper from an x11 build. Needs root, debootstrap and Debian's mirror.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: DebianPackageTest.sh TEST_HELPER WORK_DIR" >&2; exit 2; }
HELPER=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
TOP=$(cd "$(dirname "$0")/../.." && pwd)
IN_ROOT=$TOP/cmake/in-root.sh
CODENAME=$(. /etc/os-release && echo "$VERSION_CODENAME")
fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }
[ -x "$HELPER" ] || fail "no test helper at $HELPER"
rm -rf "$2" && mkdir -p "$2" || fail "no work folder"
WORK=$(cd "$2" && pwd)

first=$("$TOP/tools/package/deb.sh" "$WORK/first" "$WORK/first-build") || fail "the first build failed"
second=$("$TOP/tools/package/deb.sh" "$WORK/second" "$WORK/second-build") || fail "the second build failed"
[ "$(basename "$first")" = vellumar_1.0.0.1_amd64.deb ] || fail "the package is named $(basename "$first")"
cmp "$first" "$second" || fail "two builds of the same sources differ"
note "two builds in two folders are the same, byte for byte: $(sha256sum <"$first" | cut -c1-16)"

dpkg-deb -c "$first" | awk '{ print $1, $6 }' >"$WORK/contents"
for entry in "-rwxr-xr-x ./usr/libexec/xscreensaver/vellumar" \
             "-rw-r--r-- ./usr/share/xscreensaver/config/vellumar.xml" \
             "-rw-r--r-- ./usr/share/man/man6/vellumar.6x.gz" \
             "-rw-r--r-- ./usr/share/doc/vellumar/copyright"; do
  grep -qxF -- "$entry" "$WORK/contents" || fail "the package does not hold $entry: $(cat "$WORK/contents")"
done
depends=$(dpkg-deb -f "$first" Depends)
recommends=$(dpkg-deb -f "$first" Recommends)
for library in libc6 libx11-6 libxext6 libxrandr2; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library: $depends"
done
[ "$recommends" = "xscreensaver, xscreensaver-data" ] || fail "Recommends: $recommends"
note "Depends: $depends; Recommends: $recommends"

# A fresh minimal chroot of this release, removed at the end.
FRESH=$(mktemp -d /var/tmp/vellumar-deb.XXXXXX) || fail "no folder under /var/tmp"
trap 'rm -rf --one-file-system "$FRESH"' EXIT
root=$FRESH/root
started=$SECONDS
"$TOP/cmake/release-root.sh" "$CODENAME" "$root" 2>"$WORK/debootstrap.log" ||
  fail "the chroot was not made: $(tail -5 "$WORK/debootstrap.log")"
note "fresh Debian $CODENAME made in $((SECONDS - started)) s"
cp "$first" "$root/tmp/" || fail "cannot copy the package into the chroot"
in_fresh() { "$IN_ROOT" "$root" "$@"; }
installed() { in_fresh dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

started=$SECONDS
in_fresh /bin/sh -c 'apt-get update -qq && cd /tmp &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./vellumar_1.0.0.1_amd64.deb' >"$WORK/install.log" 2>&1 ||
  fail "apt-get install ./vellumar_1.0.0.1_amd64.deb failed: $(tail -5 "$WORK/install.log")"
for package in vellumar libx11-6 libxext6 libxrandr2 xscreensaver xscreensaver-data; do
  installed "$package" || fail "apt-get install of the package did not install $package"
done
note "apt-get install ./vellumar_1.0.0.1_amd64.deb brought its dependencies and XScreenSaver in $((SECONDS - started)) s"

# What the daemon check drives and looks at the screen with.
in_fresh /bin/sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  xvfb imagemagick python3 procps' >>"$WORK/install.log" 2>&1 ||
  fail "the daemon check's tools did not install: $(tail -5 "$WORK/install.log")"
in_fresh dpkg -L vellumar >"$WORK/files" || fail "dpkg -L vellumar failed"
in_fresh /bin/sh -c 'mkdir -p /tmp/daemon && chmod 755 /tmp/daemon'
in_fresh bash "$TOP/tests/x11/DaemonE2E.sh" /usr/libexec/xscreensaver/vellumar "$HELPER" /tmp/daemon ||
  fail "XScreenSaver's daemon did not run the installed program"

in_fresh /bin/sh -c 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq vellumar' >"$WORK/purge.log" 2>&1 ||
  fail "apt-get purge vellumar failed: $(tail -5 "$WORK/purge.log")"
status=$(in_fresh dpkg-query -W -f='${Status}' vellumar 2>/dev/null)
[ -z "$status" ] || [[ "$status" == *" not-installed" ]] || fail "after the purge dpkg says vellumar is: $status"
left=()
while read -r path; do
  [ "$path" = /. ] && continue
  [ -e "$root$path" ] || [ -L "$root$path" ] || continue
  # A folder another package holds stays.
  [ -d "$root$path" ] && in_fresh dpkg-query -S "$path" >/dev/null 2>&1 && continue
  left+=("$path")
done <"$WORK/files"
[ ${#left[@]} -eq 0 ] || fail "apt-get purge left ${left[*]}"
note "apt-get purge vellumar left none of its $(grep -vc '^/\.$' "$WORK/files") files and folders but those other packages hold"

# The same chroot, given only what debian/control's Build-Depends names (no GoogleTest,
# Google Benchmark or stb_image), builds the package too.
started=$SECONDS
in_fresh "$TOP/tools/package/deb.sh" "$WORK/fresh" "$WORK/fresh-build" >/dev/null ||
  fail "the build with only the declared build dependencies failed"
note "built with only the declared build dependencies in $((SECONDS - started)) s; its configure said:"
grep -- '^-- Skipping' "$WORK/fresh-build/build.log"
echo "PASS: the Debian package builds the same twice, installs, runs under XScreenSaver's daemon and purges"
