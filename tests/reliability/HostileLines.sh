#!/usr/bin/env bash
# Hostile command lines through the real saver under wine and Xvfb (1024x768).
#   HostileLines.sh WINE_RUN SAVER HELPER HOSTILE_LINES WORK_DIR [COUNT] [SEED]
# HostileLines.exe makes COUNT lines from SEED and runs the saver with each (see its header
# for how a run may end). Here: the prefix is checked to have wine's crash dialog off, the
# pointer rests where wine's first mouse event reports it, and after the runs no saver,
# debugger or other program of ours is left in the prefix.
set -uo pipefail

WINE_RUN=$1
SAVER=$2
HELPER=$3
HOSTILE_LINES=$4
WORK=$5
COUNT=${6:-204}
SEED=${7:-7031}
rm -rf "$WORK/run"
mkdir -p "$WORK/run"
source "$(dirname "$0")/ReliabilityLib.sh"
trap cleanup EXIT

start_display
note "display $DISPLAY"
prepare_prefix
rm -f "$TEMP_DIR"/cTempPicture.bmp "$TEMP_DIR"/~ex*.tmp
xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))

SAVER_WINDOWS="Z:$(cd "$(dirname "$SAVER")" && pwd)/$(basename "$SAVER")"
SAVER_WINDOWS=${SAVER_WINDOWS//\//\\}
"$WINE" "$HOSTILE_LINES" "$SAVER_WINDOWS" "$COUNT" "$SEED" >"$WORK/run/lines.log" 2>&1
status=$?
grep -E '^run ' "$WORK/run/lines.log" | grep -E 'DID NOT END|CRASHED|LEFT BEHIND|NOT STARTED' | head -20
sed -n '/^summary/,$p' "$WORK/run/lines.log"
[ "$status" = 0 ] || fail "some hostile lines failed (status $status); every run is in $WORK/run/lines.log"

"$WINE_SERVER" -p 0
sleep 1
left=$(leftover_programs)
[ -z "$left" ] || fail "processes left after the hostile lines: $left"
grep -qE '^summary: [0-9]+ lines, 0 failed' "$WORK/run/lines.log" || fail "no summary from the runner"
echo "PASS: $COUNT hostile command lines"
