#!/usr/bin/env bash
# Killed at any moment, the saver leaves no shared memory segment behind: SIGKILL at many
# moments of its start and of a run whose window keeps changing size (each size a new
# segment), and its X server killed under it at some; then no segment that a killed saver
# created is left once the server has let go of it.
#   KillE2E.sh VELLUMAR TEST_HELPER WORK_DIR [ROUNDS]
set -uo pipefail

VELLUMAR=$1 HELPER=$2 ROUNDS=${4:-210}
source "$(dirname "$0")/X11TestLib.sh"
WORK=$(fresh_dir "$3") || fail "no work folder"
trap cleanup EXIT
RANDOM=7  # the same moments on every run

# Without XScreenSaver's image helper the saver starts at once, drawing over the window.
mkdir -p "$WORK/no-helper"
printf '#!/bin/sh\nexit 3\n' >"$WORK/no-helper/xscreensaver-getimage"
chmod +x "$WORK/no-helper/xscreensaver-getimage"
export PATH="$WORK/no-helper:$PATH"
export HOME=$WORK/home
mkdir -p "$HOME"

segment_ids() { ipcs -m | awk '$2 ~ /^[0-9]+$/ { print $2 }' | sort; }
BEFORE=$(segment_ids)
declare -a KILLED=()

# A moment in seconds: 0 to 59 ms, most of them within the first 20 (the start).
moment() {
  local ms=$((RANDOM % 3 == 0 ? RANDOM % 60 : RANDOM % 20))
  printf '0.%03d' "$ms"
}

# Starts the saver with "$@" and kills it at a moment. The X server is stopped first: a saver
# that was waiting for an answer then dies in that wait, wherever it was.
kill_at_moment() {
  "$VELLUMAR" "$@" >/dev/null 2>&1 &
  local pid=$!
  KILLED+=("$pid")
  sleep "$(moment)"
  kill -STOP "$SERVER"
  sleep 0.02
  kill -KILL "$pid" 2>/dev/null
  kill -CONT "$SERVER"
  wait "$pid" 2>/dev/null
}

start_display 320x240x24
SERVER=${XVFB_PIDS[-1]}
note "display $DISPLAY"
helper_window window 200x150+10+10
HOST=$WINDOW

# The host window keeps changing size: every change makes the saver drop its image and make
# a new one.
(
  while :; do
    for size in "210 150" "190 140" "220 160" "200 150"; do
      # shellcheck disable=SC2086
      xdotool windowsize "$HOST" $size 2>/dev/null
      sleep 0.03
    done
  done
) &
RESIZER=$!
started $RESIZER

for ((round = 0; round < ROUNDS; round++)); do
  case $((round % 3)) in
    0) kill_at_moment ;;
    1) kill_at_moment --root ;;
    2) kill_at_moment --window-id "$HOST" ;;
  esac
done
kill "$RESIZER" 2>/dev/null
note "${#KILLED[@]} savers killed at moments of their start and run"

# The X server killed under a saver that starts or runs: the saver ends by itself.
for ((round = 0; round < 4; round++)); do
  start_display 320x240x24
  server=${XVFB_PIDS[-1]}
  "$VELLUMAR" --root >/dev/null 2>&1 &
  pid=$!
  KILLED+=("$pid")
  sleep "$(moment)"
  kill -KILL "$server"
  wait_exit "$pid" 10 && [ "$EXIT_STATUS" = 1 ] || fail "the saver outlived its X server (${EXIT_STATUS:-still running})"
  wait "$server" 2>/dev/null
  rm -f "/tmp/.X${DISPLAY#:}-lock" "/tmp/.X11-unix/X${DISPLAY#:}"
done
note "4 X servers killed under their savers"

# The surviving server detaches a killed client's segments when it sees the connection close.
killed_segments_gone() {
  left=$(ipcs -m -p | awk -v killed=" ${KILLED[*]} " '$1 ~ /^[0-9]+$/ && index(killed, " " $3 " ") { print $1 }')
  left=$(comm -23 <(echo "$left" | sed '/^$/d' | sort) <(echo "$BEFORE"))
  [ -z "$left" ]
}
wait_until 5 killed_segments_gone
after=$(segment_ids | wc -l)
note "segments on the machine: $(echo "$BEFORE" | sed '/^$/d' | wc -l) before, $after after"
[ -z "$left" ] || fail "$(echo "$left" | wc -l) segments of killed savers are left: $(echo $left)"
echo "PASS: ${#KILLED[@]} savers killed, no shared memory left"
