#!/usr/bin/env bash
# CPU per second of wall time of the Windows saver under wine against its presentation floor,
# each with the shares of the wineserver and the X server, on one 1920x1080 Xvfb, measured in
# one run. Not a test: it prints a table and never fails on speed.
#   wine-cpu.sh SAVER.scr SHOWPICTURE.exe [SECONDS [WARM_UP_SECONDS]]
# The picture program stays resident as the desktop, as a logged-in session has programs
# running. Each program runs WARM_UP_SECONDS first (default 15: the water covers the screen
# after about 200 frames, and with it the cost of a frame grows), then its CPU time (utime +
# stime from /proc/PID/stat: the program's own process, the prefix's wineserver and the Xvfb)
# is read over SECONDS (default 20), and a key press ends it.
# Rows: `SAVER /s`, and `SHOWPICTURE paced`, the floor: the saver's window and three timers,
# and on every frame tick one full-screen transfer through the saver's presentation call of a
# picture made once, with no water.
# The prefix is VELLUMAR_WINE_DIR's (default: a fresh one in the work folder, made first).
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: wine-cpu.sh SAVER.scr SHOWPICTURE.exe [SECONDS [WARM_UP_SECONDS]]" >&2
  exit 2
fi
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
SAVER=$(absolute "$1")
SHOW_PICTURE=$(absolute "$2")
SECONDS_MEASURED=${3:-20}
WARM_UP=${4:-15}
HERE=$(cd "$(dirname "$0")" && pwd)
WINE_RUN=$HERE/../cmake/wine-run.sh
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vellumar-wine-bench.XXXXXX")
source "$HERE/../tests/lib/WineSession.sh"
trap 'wine_cleanup; rm -rf "$WORK"' EXIT
TICKS=$(getconf CLK_TCK)
WIDTH=1920
HEIGHT=1080

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The wineserver of this prefix: the one whose environment names WINEPREFIX.
wineserver_pid() {
  local dir
  for dir in /proc/[0-9]*; do
    case "$(readlink "$dir/exe" 2>/dev/null)" in */wineserver*) ;; *) continue ;; esac
    tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo "${dir#/proc/}"; return 0; }
  done
  return 1
}

# Runs the Windows program "$@" with the pointer at rest (a move ends the saver); sets
# PROGRAM_MS, WINESERVER_MS and SERVER_MS (per second).
measure() {
  xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
  "$WINE" "$@" >/dev/null 2>"$WORK/program.err" &
  local pid=$!
  started $pid
  sleep "$WARM_UP"
  kill -0 "$pid" 2>/dev/null || fail "$* ended: $(cat "$WORK/program.err")"
  local wineserver p0 w0 s0 t0 p1 w1 s1 t1
  wineserver=$(wineserver_pid) || fail "no wineserver for $WINEPREFIX"
  p0=$(cpu_ticks $pid) w0=$(cpu_ticks "$wineserver") s0=$(cpu_ticks "$XVFB") t0=$(date +%s.%N)
  sleep "$SECONDS_MEASURED"
  p1=$(cpu_ticks $pid) w1=$(cpu_ticks "$wineserver") s1=$(cpu_ticks "$XVFB") t1=$(date +%s.%N)
  kill -0 "$pid" 2>/dev/null || fail "$* ended while measured: $(cat "$WORK/program.err")"
  xdotool key space
  wait_exit "$pid" 10 || note "$* did not end on a key; ended by signal"
  end_processes "$pid"
  read -r PROGRAM_MS WINESERVER_MS SERVER_MS < <(awk -v p0="$p0" -v p1="$p1" -v w0="$w0" -v w1="$w1" \
    -v s0="$s0" -v s1="$s1" -v t0="$t0" -v t1="$t1" -v hz="$TICKS" \
    'BEGIN { k = 1000 / hz / (t1 - t0); printf "%.1f %.1f %.1f\n", (p1 - p0) * k, (w1 - w0) * k, (s1 - s0) * k }')
}

echo "CPU per second of wall time, ${WIDTH}x$HEIGHT Xvfb, $("$WINE" --version), ${WARM_UP} s warm-up," \
  "${SECONDS_MEASURED} s measured"
start_display ${WIDTH}x${HEIGHT}x24
XVFB=${XVFB_PIDS[-1]}
# The known picture as the desktop; the first run in a fresh prefix makes the prefix.
"$WINE_RUN" "$SHOW_PICTURE" >"$WORK/show-picture.log" 2>&1 &
started $!
wait_until 120 xdotool search --onlyvisible --name '^Vellumar test picture$' >/dev/null ||
  fail "the picture program did not come up: $(cat "$WORK/show-picture.log")"

measure "$SAVER" /s
saver=$PROGRAM_MS saver_wineserver=$WINESERVER_MS saver_server=$SERVER_MS
measure "$SHOW_PICTURE" paced
floor=$PROGRAM_MS floor_wineserver=$WINESERVER_MS floor_server=$SERVER_MS

printf '\n| %-34s | %10s | %10s | %10s | %10s |\n' "program (ms of CPU per s)" "program" "wineserver" "Xvfb" "total"
printf '|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..36})" "------------" "------------" "------------" "------------"
total() { awk -v a="$1" -v b="$2" -v c="$3" 'BEGIN { printf "%.1f", a + b + c }'; }
row() { printf '| %-34s | %10s | %10s | %10s | %10s |\n' "$1" "$2" "$3" "$4" "$(total "$2" "$3" "$4")"; }
row "$(basename "$SAVER") /s" "$saver" "$saver_wineserver" "$saver_server"
row "$(basename "$SHOW_PICTURE") paced (floor)" "$floor" "$floor_wineserver" "$floor_server"
awk -v a="$(total "$saver" "$saver_wineserver" "$saver_server")" \
  -v b="$(total "$floor" "$floor_wineserver" "$floor_server")" \
  'BEGIN { printf "\nsaver / floor, totals with the wineserver and the X server: %.2f\n", (b > 0 ? a / b : 0) }'
