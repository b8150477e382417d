#!/usr/bin/env bash
# Makes ROOT a minimal chroot of the Debian release CODENAME (bookworm, trixie), unless it is
# ready already.
#   release-root.sh CODENAME ROOT
# Such a chroot builds the Debian package with another release's tools, and runs that
# release's whole suite (./run installs what that needs inside it). Needs root, debootstrap and
# Debian's mirror; takes about a minute.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: release-root.sh CODENAME ROOT" >&2; exit 2; }
codename=$1
mkdir -p "$(dirname "$2")"
root=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
[ -f "$root/.vellumar-ready" ] && exit 0

exec 9>"$root.lock"
flock 9
[ -f "$root/.vellumar-ready" ] && exit 0
# A root half made by a stopped run is made again. Mounts into it live only in the
# namespaces of the commands that made them; one seen here was made by hand: leave it be.
if awk -v r="$root/" 'index($2 "/", r) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
  echo "release-root.sh: something is mounted inside $root; unmount it first" >&2
  exit 1
fi
rm -rf "$root"
echo "release-root.sh: making the Debian $codename chroot $root" >&2
debootstrap --variant=minbase "$codename" "$root" http://deb.debian.org/debian >"$root.log" 2>&1 ||
  { tail -20 "$root.log" >&2; exit 1; }
# The packages installed into it are not kept once installed: they would add a fifth to its
# size. Removed after each dpkg run, since apt-get (unlike apt) keeps them whatever
# Binary::apt::APT::Keep-Downloaded-Packages says.
rm -f "$root"/var/cache/apt/archives/*.deb
echo 'DPkg::Post-Invoke { "rm -f /var/cache/apt/archives/*.deb /var/cache/apt/archives/partial/*.deb || true"; };' \
  >"$root/etc/apt/apt.conf.d/90vellumar-keep-nothing"
touch "$root/.vellumar-ready"
