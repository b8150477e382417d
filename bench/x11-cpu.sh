#!/usr/bin/env bash
# CPU per second of wall time of the X11 saver on the root window against XScreenSaver's
# ripples mode at the same 60 ms frame period, each with the X server's share, on one
# 1920x1080 Xvfb, measured in one run. Not a test: it prints a table and never fails on speed.
#   x11-cpu.sh VELLUMAR TEST_HELPER [SECONDS [WARM_UP_SECONDS]]
# Each program runs WARM_UP_SECONDS first (default 15: the water covers the screen after about
# 200 frames, and with it the cost of a frame grows), then its CPU time (utime + stime from
# /proc/PID/stat, the program and the Xvfb process) is read over SECONDS (default 20).
# Rows: vellumar --root with shared memory, vellumar --root on a second Xvfb without the
# MIT-SHM extension (the plain-image path), and ripples -root -delay 60000 (its manual: the
# delay is per frame, in microseconds), which takes the desktop through xscreensaver-getimage.
set -uo pipefail

VELLUMAR=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
HELPER=$2
SECONDS_MEASURED=${3:-20}
WARM_UP=${4:-15}
RIPPLES=/usr/libexec/xscreensaver/ripples
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../tests/x11/X11TestLib.sh"
trap cleanup EXIT
[ -x "$RIPPLES" ] || fail "$RIPPLES is missing (Debian package xscreensaver-data-extra)"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vellumar-bench.XXXXXX")
trap 'cleanup; rm -rf "$WORK"' EXIT
# ripples' helper reads the image settings from the home directory: the desktop, as ours.
export HOME=$WORK
printf 'grabDesktopImages:\tTrue\nchooseRandomImages:\tFalse\ngrabVideoFrames:\tFalse\n' >"$HOME/.xscreensaver"
TICKS=$(getconf CLK_TCK)

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Runs "$@" on the current display; sets PROGRAM_MS and SERVER_MS (per second).
measure() {
  local server=$1
  shift
  "$@" >/dev/null 2>"$WORK/program.err" &
  local pid=$!
  started $pid
  sleep "$WARM_UP"
  kill -0 "$pid" 2>/dev/null || fail "$* ended: $(cat "$WORK/program.err")"
  local p0 s0 t0 p1 s1 t1
  p0=$(cpu_ticks $pid) s0=$(cpu_ticks "$server") t0=$(date +%s.%N)
  sleep "$SECONDS_MEASURED"
  p1=$(cpu_ticks $pid) s1=$(cpu_ticks "$server") t1=$(date +%s.%N)
  kill "$pid"
  wait "$pid" 2>/dev/null
  read -r PROGRAM_MS SERVER_MS < <(awk -v p0="$p0" -v p1="$p1" -v s0="$s0" -v s1="$s1" -v t0="$t0" -v t1="$t1" \
    -v hz="$TICKS" 'BEGIN { w = t1 - t0; printf "%.1f %.1f\n", (p1 - p0) * 1000 / hz / w, (s1 - s0) * 1000 / hz / w }')
}

prepare_display() {
  start_display 1920x1080x24 "$@"
  [ -f "$WORK/desktop.png" ] || draw_desktop "$WORK/desktop.png" 1920x1080
  "$HELPER" desktop "$WORK/desktop.png" || fail "cannot show the desktop picture"
}

echo "CPU per second of wall time, 1920x1080 Xvfb, ${WARM_UP} s warm-up, ${SECONDS_MEASURED} s measured"
prepare_display
SHARED_SERVER=${XVFB_PIDS[-1]}
measure "$SHARED_SERVER" "$VELLUMAR" --root
ours=$PROGRAM_MS ours_server=$SERVER_MS
measure "$SHARED_SERVER" "$RIPPLES" -root -delay 60000
ripples=$PROGRAM_MS ripples_server=$SERVER_MS
prepare_display -extension MIT-SHM
measure "${XVFB_PIDS[-1]}" "$VELLUMAR" --root
plain=$PROGRAM_MS plain_server=$SERVER_MS

printf '\n| %-46s | %10s | %10s | %10s |\n' "program (ms of CPU per s)" "program" "Xvfb" "total"
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..48})" "------------" "------------" "------------"
row() { printf '| %-46s | %10s | %10s | %10s |\n' "$1" "$2" "$3" "$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.1f", a + b }')"; }
row "vellumar --root (MIT-SHM)" "$ours" "$ours_server"
row "vellumar --root (no MIT-SHM: XPutImage)" "$plain" "$plain_server"
row "ripples -root -delay 60000" "$ripples" "$ripples_server"
awk -v a="$ours" -v b="$ours_server" -v c="$ripples" -v d="$ripples_server" \
  'BEGIN { printf "\nvellumar / ripples, totals with the X server: %.2f (target: at most 0.50)\n", (a + b) / (c + d) }'
