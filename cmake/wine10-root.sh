#!/usr/bin/env bash
# Makes ROOT a Debian sid chroot with wine 10, unless it is ready already.
#   wine10-root.sh ROOT
# Debian sid builds wine 10 in the new WoW64 mode: its 64-bit package carries the 32-bit
# Windows libraries and runs 32-bit Windows programs with 64-bit Unix code only, which this
# machine's kernel can run (it cannot start a 32-bit Linux loader). Needs root, debootstrap
# and Debian's mirror; takes a minute or two and about 2 GB.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: wine10-root.sh ROOT" >&2; exit 2; }
mkdir -p "$(dirname "$1")"
root=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
[ -f "$root/.vellumar-ready" ] && exit 0

exec 9>"$root.lock"
flock 9
[ -f "$root/.vellumar-ready" ] && exit 0
# A root half made by a stopped run is made again. Mounts into it live only in the
# namespaces of the commands that made them; one seen here was made by hand: leave it be.
if awk -v r="$root/" 'index($2 "/", r) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
  echo "wine10-root.sh: something is mounted inside $root; unmount it first" >&2
  exit 1
fi
rm -rf "$root"
echo "wine10-root.sh: making the wine 10 chroot $root" >&2
debootstrap --variant=minbase sid "$root" http://deb.debian.org/debian >"$root.log" 2>&1 ||
  { tail -20 "$root.log" >&2; exit 1; }
# The sid index this machine's mirror serves is past its Valid-Until date.
echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99vellumar-no-valid-until"
# Besides wine, the X libraries it loads when present (its recommendations): without them an
# unmanaged full-screen window of a 32-bit program never receives its timer messages.
"$(dirname "$0")/in-root.sh" "$root" /bin/sh -c '
  apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends wine64 wine \
    libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1 &&
  apt-get clean' >>"$root.log" 2>&1 || { tail -20 "$root.log" >&2; exit 1; }
"$(dirname "$0")/in-root.sh" "$root" /usr/lib/x86_64-linux-gnu/wine/wine --version >&2
touch "$root/.vellumar-ready"
