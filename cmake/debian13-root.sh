#!/usr/bin/env bash
# Makes ROOT a minimal Debian 13 chroot with its wine, unless it is ready already.
#   debian13-root.sh ROOT
# On a Debian 12 machine this chroot's wine 10 (wine64 with wine32:i386) is the second Win32
# implementation, which runs the 32-bit programs. The same chroot builds and tests the project
# with Debian 13's own compilers (./run installs what that needs inside it). Needs root, debootstrap and
# Debian's mirror; takes a minute or two and about 2 GB.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: debian13-root.sh ROOT" >&2; exit 2; }
mkdir -p "$(dirname "$1")"
root=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
[ -f "$root/.vellumar-ready" ] && exit 0

exec 9>"$root.lock"
flock 9
[ -f "$root/.vellumar-ready" ] && exit 0
# A root half made by a stopped run is made again. Mounts into it live only in the
# namespaces of the commands that made them; one seen here was made by hand: leave it be.
if awk -v r="$root/" 'index($2 "/", r) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
  echo "debian13-root.sh: something is mounted inside $root; unmount it first" >&2
  exit 1
fi
rm -rf "$root"
echo "debian13-root.sh: making the Debian 13 chroot $root" >&2
debootstrap --variant=minbase trixie "$root" http://deb.debian.org/debian >"$root.log" 2>&1 ||
  { tail -20 "$root.log" >&2; exit 1; }
# Its wine, as wine-packages.sh names it for Debian 13.
"$(dirname "$0")/in-root.sh" "$root" /bin/sh -c '
  dpkg --add-architecture i386 &&
  apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $("$0") &&
  apt-get clean' "$(cd "$(dirname "$0")" && pwd)/wine-packages.sh" >>"$root.log" 2>&1 || { tail -20 "$root.log" >&2; exit 1; }
"$(dirname "$0")/in-root.sh" "$root" /usr/lib/wine/wine64 --version >&2
touch "$root/.vellumar-ready"
