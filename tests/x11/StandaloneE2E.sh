#!/usr/bin/env bash
# The saver's own full-screen window under Xvfb, on the clock: from before its start to its
# first ripples the screen shows the desktop, never black or anything else; it covers the
# screen and shows the desktop under ripples that move; the pointer resting where it was does
# not end it; a one-pixel move, a key (Alt alone too), the left, middle and right buttons end
# it with 0, the wheel and further buttons do not; SIGTERM and SIGINT end it with 0; no shared
# memory is left after any end. On the root window (--root), too, the desktop from the start.
#   StandaloneE2E.sh VELLUMAR TEST_HELPER SCREEN_WATCH WORK_DIR
set -uo pipefail

VELLUMAR=$1 HELPER=$2 SCREEN_WATCH=$3
source "$(dirname "$0")/X11TestLib.sh"
RUN=$(fresh_dir "$4/run") || fail "no work folder"
trap cleanup EXIT

WIDTH=800
HEIGHT=600
start_display ${WIDTH}x${HEIGHT}x24
note "display $DISPLAY"
show_desktop "$RUN/drawn.png" ${WIDTH}x${HEIGHT}

# Starts the saver with the pointer resting at the centre and waits until its window is up;
# sets SAVER_PID. The first three starts of its own window and every start on the root are
# watched from before the start until the first ripples: the screen shows the desktop all
# along, never black or anything else.
starts=0
start_saver() {
  local watch=no
  xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
  starts=$((starts + 1))
  if [ "$starts" -le 3 ] || [ "$ROOT_MODE" = yes ]; then
    watch=yes
    watch_start "start-$starts"
  fi
  "$VELLUMAR" "$@" >"$RUN/saver.out" 2>"$RUN/saver.err" &
  SAVER_PID=$!
  started $SAVER_PID
  [ "$watch" = no ] || watched "start $starts (vellumar${*:+ $*})"
  wait_until 5 saver_shown
  sleep 0.3
}

saver_shown() {
  kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended by itself: $(cat "$RUN/saver.err")"
  [ -n "$(segments_of "$SAVER_PID")" ] && { [ "$ROOT_MODE" = yes ] || xdotool search --name '^Vellumar$' >/dev/null 2>&1; }
}
ROOT_MODE=no

expect_running() {
  sleep "${2:-1}"
  kill -0 "$SAVER_PID" 2>/dev/null || fail "$1 ended the saver"
}

expect_end() {
  local label=$1
  wait_exit "$SAVER_PID" 5 || fail "$label did not end the saver"
  [ "$EXIT_STATUS" = 0 ] || fail "after $label the saver ended with status $EXIT_STATUS"
  [ -z "$(segments_of "$SAVER_PID")" ] || fail "after $label shared memory is left"
  [ ! -s "$RUN/saver.err" ] || fail "after $label: $(cat "$RUN/saver.err")"
  note "$label ended the saver with status 0"
}

# ---- Covers the screen, shows the desktop under moving ripples; resting does not end it.
start_saver
window=$(xdotool search --name '^Vellumar$' | head -n1)
geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /^ *Width/ {w=$NF} /^ *Height/ {h=$NF} /Map State/ {m=$NF} END {print w "x" h "+" x "+" y, m}')
[ "$geometry" = "${WIDTH}x${HEIGHT}+0+0 IsViewable" ] || fail "the window is $geometry, not the whole screen"
note "the window covers the screen: $geometry"
xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))  # to where it rests already
expect_running "the pointer at rest" 1.5
expect_ripples ""

xdotool mousemove $((WIDTH / 2 + 1)) $((HEIGHT / 2))
expect_end "a one-pixel move"

# ---- Keys and the three buttons end it; the wheel and buttons 8 and 9 do not.
for action in "key space" "key Escape" "key alt" "click 1" "click 2" "click 3"; do
  start_saver
  expect_running "the start before '$action'" 0.5
  xdotool $action
  expect_end "'xdotool $action'"
done

start_saver
for button in 4 5 6 7 8 9; do xdotool click $button; done
expect_running "the wheel or buttons 8 and 9"
note "the wheel and buttons 8 and 9 did not end it"
xdotool keydown shift
expect_end "pressing Shift"
xdotool keyup shift

# ---- Signals end it cleanly.
for signal in TERM INT HUP; do
  start_saver
  kill -$signal "$SAVER_PID"
  expect_end "SIG$signal"
done

# ---- On the root window, as XScreenSaver's daemon runs it, the same from the first moment.
ROOT_MODE=yes
for start in 1 2 3; do
  start_saver --root
  kill -TERM "$SAVER_PID"
  expect_end "SIGTERM (--root, start $start)"
done

echo "PASS: the saver's own window and the root window"
