#!/bin/sh
# Runs COMMAND inside the chroot ROOT, in the current directory when ROOT has it.
#   in-root.sh ROOT COMMAND [ARGS...]
# The chroot gets /proc, /dev, the X server's sockets and this project's folder at the same
# path, so that programs, wine prefixes and work folders are the same files inside and out.
# With VELLUMAR_ROOT_BUILD=DIR, DIR stands in for the project's build folder inside, so that
# builds made with the chroot's compilers never meet the machine's own; the build lock stays the
# machine's (build/.build.lock, see ./run), so that builds inside and out take turns.
# The mounts are made in a private mount namespace of this command alone and end with it:
# no removal of the build folder can reach through them into the real /dev. The chroot's
# folder is bound onto itself first, so that its root is a mount point as a real machine's
# is, and programs inside can make private mount namespaces of their own.
set -e
[ $# -ge 2 ] || { echo "usage: in-root.sh ROOT COMMAND [ARGS...]" >&2; exit 2; }
root=$(cd "$1" && pwd)
shift
project=$(cd "$(dirname "$0")/.." && pwd)
build=${VELLUMAR_ROOT_BUILD:-}
if [ -n "$build" ]; then
  mkdir -p "$build"
  build=$(cd "$build" && pwd)
fi
exec unshare --mount --propagation private -- /bin/sh -c '
  root=$1 project=$2 build=$3 here=$4
  shift 4
  mount --bind "$root" "$root"
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mkdir -p "$root$project" "$root/tmp/.X11-unix"
  # What is mounted inside the project folder here (inside such a chroot: the build folder that
  # stands in for build/) comes along, but for this chroot itself.
  inner=$(awk -v p="$project/" -v r="$root" '"'"'index($5, p) == 1 && index($5 "/", r "/") != 1 { print $5 }'"'"' /proc/self/mountinfo)
  mount --bind "$project" "$root$project"
  for mounted in $inner; do mount --bind "$mounted" "$root$mounted"; done
  if [ -n "$build" ]; then
    mkdir -p "$root$project/build"
    touch "$project/build/.build.lock" "$build/.build.lock"
    mount --bind "$build" "$root$project/build"
    mount --bind "$project/build/.build.lock" "$root$project/build/.build.lock"
  fi
  if [ -d /tmp/.X11-unix ]; then mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"; fi
  # Inside, build/ is the build folder already: a chroot made from there keeps it.
  unset VELLUMAR_ROOT_BUILD
  exec chroot "$root" /bin/sh -c "cd \"\$0\" 2>/dev/null || cd /; exec \"\$@\"" "$here" "$@"
' in-root "$root" "$project" "$build" "$PWD" "$@"
