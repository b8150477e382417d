#!/usr/bin/env bash
# Builds the Debian package of the X11 saver the Debian way on the Debian it runs on (Debian 13
# for the package ./run debian-package makes) and checks it with lintian.
#   deb.sh OUTPUT_DIR WORK_DIR
# Copies this tree's sources into a clean WORK_DIR/vellumar-VERSION (no build folders, nothing
# of an earlier build), runs dpkg-buildpackage -b there, fails on any lintian error or warning,
# and writes OUTPUT_DIR/vellumar_VERSION_ARCH.deb, whose path it prints. As root it first
# installs, when missing, debian/control's Build-Depends and lintian. The files' times come
# from debian/changelog (debhelper's SOURCE_DATE_EPOCH), so the same sources built by the
# same Debian give the same package byte for byte.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: deb.sh OUTPUT_DIR WORK_DIR" >&2; exit 2; }
top=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "deb.sh: $*" >&2; exit 1; }

# The package's version is the product's: debian/changelog must say what the version block says.
version=$(sed -n 's/^ *VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' "$top/resources/Vellumar.rc")
changelog_version=$(sed -n '1s/^vellumar (\([^)]*\)).*/\1/p' "$top/debian/changelog")
[ -n "$version" ] || fail "no FileVersion in resources/Vellumar.rc"
[ "$changelog_version" = "$version" ] ||
  fail "debian/changelog is at version '$changelog_version', the product at $version"

mkdir -p "$1"
out=$(cd "$1" && pwd)
rm -rf "$2"
mkdir -p "$2"
work=$(cd "$2" && pwd)
tree=$work/vellumar-$version
mkdir "$tree"
# What git keeps of the tree, as .gitignore says: no build, output or package folders.
tar -C "$top" --exclude=./.git --exclude=./build --exclude=./out --exclude=./dist --exclude='./perf.data*' \
  -cf - . | tar -C "$tree" -xf -

ready() { command -v lintian >/dev/null && command -v dpkg-checkbuilddeps >/dev/null &&
  (cd "$tree" && dpkg-checkbuilddeps) >/dev/null 2>&1; }
if ! ready; then
  [ "$(id -u)" = 0 ] || fail "the build needs debian/control's Build-Depends and lintian installed"
  echo "deb.sh: installing the build dependencies and lintian" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get build-dep -y -qq --no-install-recommends "$tree" >"$work/apt.log" 2>&1 &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends lintian >>"$work/apt.log" 2>&1 ||
    { tail -20 "$work/apt.log" >&2; fail "apt-get could not install them"; }
  ready || fail "the build dependencies are still missing: $(cd "$tree" && dpkg-checkbuilddeps 2>&1)"
fi

(cd "$tree" && dpkg-buildpackage -b -uc -us -j2) >"$work/build.log" 2>&1 ||
  { tail -30 "$work/build.log" >&2; fail "dpkg-buildpackage failed (whole log: $work/build.log)"; }
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$work/vellumar_${version}_$arch.deb
changes=$work/vellumar_${version}_$arch.changes
[ -f "$deb" ] || fail "dpkg-buildpackage made no $(basename "$deb")"

# Errors and warnings fail the package; the informational tags are shown.
lintian --fail-on error,warning --display-info "$changes" >&2 || fail "lintian found errors or warnings"

cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
