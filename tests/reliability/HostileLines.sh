#!/usr/bin/env bash
# Hostile command lines through the real saver under wine and Xvfb (1024x768).
#   HostileLines.sh WINE_RUN SAVER HELPER HOSTILE_LINES WORK_DIR [COUNT] [SEED]
# HostileLines.exe makes COUNT lines from SEED and runs the saver with each (see its header
# for how a run may end). Here: the prefix is checked to have wine's crash dialog off, the
# pointer rests where wine's first mouse event reports it, and after the runs no saver,
# debugger or other program of ours is left in the prefix.
set -uo pipefail

WINE_RUN=$1 SAVER=$2 HELPER=$3 HOSTILE_LINES=$4 WORK=$5 COUNT=${6:-204} SEED=${7:-7031}
source "$(dirname "$0")/ReliabilityLib.sh"
begin_run
xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))

"$WINE" "$HOSTILE_LINES" "$(windows_path "$SAVER")" "$COUNT" "$SEED" >"$RUN/lines.log" 2>&1
status=$?
grep -E '^run ' "$RUN/lines.log" | grep -E 'DID NOT END|CRASHED|LEFT BEHIND|NOT STARTED' | head -20
sed -n '/^summary/,$p' "$RUN/lines.log"
[ "$status" = 0 ] || fail "some hostile lines failed (status $status); every run is in $RUN/lines.log"

"$WINE_SERVER" -p 0
sleep 1
left=$(leftover_programs)
[ -z "$left" ] || fail "processes left after the hostile lines: $left"
grep -qE '^summary: [0-9]+ lines, 0 failed' "$RUN/lines.log" || fail "no summary from the runner"
echo "PASS: $COUNT hostile command lines"
