#!/usr/bin/env bash
# Runs one Windows program under wine and returns its exit status. Used as the
# cross-compiling emulator of the Windows builds, so ctest calls it as
#   wine-run.sh PROGRAM.exe [ARGS...]
# Which wine: see wine-env.sh.
#
# Every build folder gets its own wine prefix (<build>/wine/prefix, see make_wine_prefix).
# Runs in the same build folder share one session: one wineserver and, when the caller has
# no DISPLAY, one Xvfb on a free display. The last run to leave ends both, so parallel ctest
# jobs never pull the server from under each other.
#
# Environment: VELLUMAR_WINE_DIR overrides <build>/wine; VELLUMAR_WINE_SCREEN sets the Xvfb
# screen (default 1024x768x24); VELLUMAR_WINE_FILE_LIMIT_KB limits the size of the files the
# program can write, as a full disk would.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: wine-run.sh PROGRAM [ARGS...]" >&2
  exit 2
fi

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/processes.sh"

# The build folder is the nearest folder above the program that holds CMakeCache.txt.
find_build_dir() {
  local dir
  dir=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || return 1
  while [ "$dir" != "/" ]; do
    [ -f "$dir/CMakeCache.txt" ] && { echo "$dir"; return 0; }
    dir=$(dirname "$dir")
  done
  return 1
}

if [ -n "${VELLUMAR_WINE_DIR:-}" ]; then
  STATE=$VELLUMAR_WINE_DIR
else
  BUILD=$(find_build_dir "$1") || BUILD=$(find_build_dir "$PWD/x") || {
    echo "wine-run.sh: no build folder above $1; set VELLUMAR_WINE_DIR" >&2
    exit 2
  }
  STATE=$BUILD/wine
fi
mkdir -p "$STATE/users"
export WINEPREFIX=$STATE/prefix
LOCK=$STATE/lock
SESSION=$STATE/session   # "DISPLAY XVFB_PID" of the shared Xvfb, when this script started one

# Users whose process has gone (killed by a ctest timeout, say) no longer count.
live_users() {
  local n=0 f
  for f in "$STATE"/users/*; do
    [ -e "$f" ] || continue
    if ended "$(basename "$f")"; then rm -f "$f"; else n=$((n + 1)); fi
  done
  echo "$n"
}

# The server outlives this run (it is in a session of its own): the last run out ends it.
start_xvfb() {
  launch_xvfb "${VELLUMAR_WINE_SCREEN:-1024x768x24}" || return 1
  echo "$XVFB_DISPLAY $XVFB_PID" >"$SESSION"
}

# Join the session (start it when this is the only run), under the lock.
exec 9>"$LOCK"
flock 9
touch "$STATE/users/$$"
OWN_DISPLAY=${DISPLAY:-}
if [ -z "$OWN_DISPLAY" ]; then
  read -r SESSION_DISPLAY SESSION_XVFB 2>/dev/null <"$SESSION" || SESSION_DISPLAY=""
  if [ -z "$SESSION_DISPLAY" ] || ended "${SESSION_XVFB:-}"; then
    if ! start_xvfb; then
      echo "wine-run.sh: Xvfb did not start" >&2
      rm -f "$STATE/users/$$"
      exit 125
    fi
    read -r SESSION_DISPLAY SESSION_XVFB <"$SESSION"
  fi
  export DISPLAY=$SESSION_DISPLAY
fi
if ! make_wine_prefix "$WINEPREFIX"; then
  echo "wine-run.sh: could not create the wine prefix $WINEPREFIX" >&2
  rm -f "$STATE/users/$$"
  exit 125
fi
flock -u 9

# Leave the session; the last run out ends the wineserver and the Xvfb this script started.
leave() {
  flock 9
  rm -f "$STATE/users/$$"
  if [ "$(live_users)" -eq 0 ]; then
    "$WINE_SERVER" -k 2>/dev/null
    if [ -f "$SESSION" ]; then
      read -r _ xvfb_pid <"$SESSION"
      ended "${xvfb_pid:-}" || kill "$xvfb_pid" 2>/dev/null
      rm -f "$SESSION"
    fi
  fi
  flock -u 9
}

child=""
on_signal() {
  [ -n "$child" ] && kill "$child" 2>/dev/null
  leave
  exit 130
}
trap on_signal INT TERM HUP

if [ -n "${VELLUMAR_WINE_FILE_LIMIT_KB:-}" ]; then
  # A full disk, for tests of partly written files: the program's writes stop at the limit
  # and fail (EFBIG, SIGXFSZ ignored). The wineserver is started first so that the registry
  # it saves is not limited.
  "$WINE_SERVER" -p 5 >/dev/null 2>&1
  ( ulimit -f "$VELLUMAR_WINE_FILE_LIMIT_KB" && trap '' XFSZ && exec "$WINE" "$@" ) &
else
  "$WINE" "$@" &
fi
child=$!
wait "$child"
status=$?
child=""
leave
exit "$status"
