#!/usr/bin/env bash
# Bit for bit: in every mode the screen shows exactly what vellumar-render computes from the
# picture the saver started from and the same tick list, with shared memory and without.
#   BitForBitE2E.sh VELLUMAR VELLUMAR_RENDER TEST_HELPER WORK_DIR
# Modes: its own full-screen window, --root, --window-id, XSCREENSAVER_WINDOW with --root (as
# the daemon starts a mode); a window that grows (the animation starts over on the picture
# scaled to the new size); a window destroyed under the saver; no image helper.
set -uo pipefail

VELLUMAR=$1 RENDER=$2 HELPER=$3
source "$(dirname "$0")/X11TestLib.sh"
WORK=$(fresh_dir "$4") || fail "no work folder"
trap cleanup EXIT

SIZE=640x480
WIDTH=640
HEIGHT=480
LIST="std:45"
ODD_LIST="1,3,2,2,1,7,1,3,0,1,1,1,3,2,1"
HOST_AREA=300x200+50+40

# xscreensaver-getimage reads its settings from the home directory: a desktop snapshot only.
export HOME=$WORK/home
mkdir -p "$HOME"
printf 'grabDesktopImages:\tTrue\nchooseRandomImages:\tFalse\ngrabVideoFrames:\tFalse\n' >"$HOME/.xscreensaver"

# Starts the saver with arguments "$@" and waits for its line; sets SAVER_PID.
start_replay() {
  : >"$RUN/saver.out"
  "$VELLUMAR" "$@" >"$RUN/saver.out" 2>"$RUN/saver.err" &
  SAVER_PID=$!
  started $SAVER_PID
  wait_line "$RUN/saver.out" "^vellumar: replayed" 30 ||
    fail "vellumar $*: no line after the replay: $(cat "$RUN/saver.err")"
}

# The screen area $2 (all of it when empty) against vellumar-render's picture from $1 and
# the tick list $3.
expect_render() {
  local source=$1 area=$2 ticks=$3 label=$4
  "$RENDER" --source "$source" --ticks "$ticks" --output "$RUN/expected.png" || fail "$label: vellumar-render failed"
  screenshot "$RUN/shown.png" "$area"
  local changed
  changed=$(differing_pixels "$RUN/expected.png" "$RUN/shown.png")
  [ "$changed" = 0 ] || fail "$label: $changed pixels differ from vellumar-render's"
  # The water must have changed the picture, or the comparison proves nothing.
  [ "$(differing_pixels "$source" "$RUN/shown.png")" -gt 1000 ] || fail "$label: the screen shows no water"
  note "$label: the screen is vellumar-render's picture, pixel for pixel"
}

# Checks that the saver used shared memory exactly when the display offers it.
expect_segments() {
  local pid=$1 label=$2
  if [ "$SHM" = yes ]; then
    [ -n "$(segments_of "$pid")" ] || fail "$label: no shared memory segment while running"
  else
    [ -z "$(segments_of "$pid")" ] || fail "$label: a shared memory segment on a display without MIT-SHM"
  fi
}

# Ends the saver with SIGTERM and checks the status and the segments.
stop_saver() {
  local label=$1
  kill -TERM "$SAVER_PID"
  wait_exit "$SAVER_PID" 10 || fail "$label: SIGTERM did not end the saver"
  [ "$EXIT_STATUS" = 0 ] || fail "$label: SIGTERM ended the saver with status $EXIT_STATUS"
  [ -z "$(segments_of "$SAVER_PID")" ] || fail "$label: shared memory left after the end"
}

crop() {
  convert "$1" -crop "$2" +repage "$3"
}

for SHM in yes no; do
  RUN=$(fresh_dir "$WORK/shm-$SHM") || fail "no work folder"
  if [ "$SHM" = yes ]; then
    start_display ${SIZE}x24
  else
    start_display ${SIZE}x24 -extension MIT-SHM
  fi
  note "display $DISPLAY, shared memory: $SHM"
  show_desktop "$WORK/drawn.png" $SIZE

  # ---- Its own window: the first motion event at rest does not end it; a key does.
  xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
  start_replay --ticks "$LIST"
  expect_segments "$SAVER_PID" "full screen"
  expect_render "$RUN/desktop.png" "" "$LIST" "full screen ($SHM shared memory)"
  xdotool key space
  wait_exit "$SAVER_PID" 10 || fail "full screen: a key did not end it"
  [ "$EXIT_STATUS" = 0 ] || fail "full screen: status $EXIT_STATUS after a key"
  [ -z "$(segments_of "$SAVER_PID")" ] || fail "full screen: shared memory left after the end"

  # ---- The root window, with an odd tick list; it is given back as it was.
  start_replay --root --ticks "$ODD_LIST"
  expect_render "$RUN/desktop.png" "" "$ODD_LIST" "--root, ticks $ODD_LIST"
  stop_saver "--root"
  screenshot "$RUN/root-after.png"
  changed=$(differing_pixels "$RUN/desktop.png" "$RUN/root-after.png")
  [ "$changed" = 0 ] || fail "--root: after SIGTERM $changed pixels of the root differ from the desktop before"
  note "--root: after SIGTERM the root shows the desktop as before, pixel for pixel"

  # ---- A window of another program, named on the command line and by the daemon's variable.
  helper_window window $HOST_AREA
  HOST=$WINDOW HOST_PID=$WINDOW_PID
  crop "$RUN/desktop.png" $HOST_AREA "$RUN/under-host.png"
  start_replay --window-id "$HOST" --ticks "$LIST"
  expect_segments "$SAVER_PID" "--window-id"
  expect_render "$RUN/under-host.png" $HOST_AREA "$LIST" "--window-id $HOST"
  stop_saver "--window-id"

  XSCREENSAVER_WINDOW=$HOST start_replay --root --ticks "$LIST"
  expect_render "$RUN/under-host.png" $HOST_AREA "$LIST" "XSCREENSAVER_WINDOW=$HOST with --root"

  # The window grows: the animation starts over on the first picture scaled to the new size.
  xdotool windowsize "$HOST" 347 263
  wait_line "$RUN/saver.out" "347x263" 20 || fail "no new replay after the window grew: $(cat "$RUN/saver.out")"
  convert "$RUN/under-host.png" "$RUN/under-host.ppm"
  $PICTURES scale "$RUN/under-host.ppm" 347 263 "$RUN/scaled.ppm" || fail "cannot scale the picture"
  convert "$RUN/scaled.ppm" "PNG24:$RUN/scaled.png"
  expect_render "$RUN/scaled.png" 347x263+50+40 "$LIST" "the window grown to 347x263"

  # The window goes away: the saver ends by itself, with 0.
  kill "$HOST_PID"
  wait_exit "$SAVER_PID" 10 || fail "the saver outlived its window"
  [ "$EXIT_STATUS" = 0 ] || fail "the saver ended with status $EXIT_STATUS when its window went away"
  note "the window went away: the saver ended with status 0"

  # ---- Without a working image helper: the water over what the window shows (black).
  mkdir -p "$WORK/broken-helper"
  printf '#!/bin/sh\nexit 3\n' >"$WORK/broken-helper/xscreensaver-getimage"
  chmod +x "$WORK/broken-helper/xscreensaver-getimage"
  helper_window window 200x150+10+10
  PATH="$WORK/broken-helper:$PATH" start_replay --window-id "$WINDOW" --ticks "$LIST"
  grep -q "xscreensaver-getimage: it ended with status 3; drawing over the window's own contents" "$RUN/saver.err" ||
    fail "no word about the failed helper: $(cat "$RUN/saver.err")"
  $PICTURES black 200 150 "$RUN/black.ppm"
  convert "$RUN/black.ppm" "PNG24:$RUN/black.png"
  expect_render "$RUN/black.png" 200x150+10+10 "$LIST" "a helper that fails"
  stop_saver "no helper"

  # ---- SIGTERM while the helper still works: the helper and what it started are stopped and
  # the saver ends with 0.
  mkdir -p "$WORK/slow-helper"
  printf '#!/bin/sh\nsleep 60 &\necho $$ $! >"%s"\nwait\n' "$RUN/slow-helper.pid" >"$WORK/slow-helper/xscreensaver-getimage"
  chmod +x "$WORK/slow-helper/xscreensaver-getimage"
  rm -f "$RUN/slow-helper.pid"
  PATH="$WORK/slow-helper:$PATH" "$VELLUMAR" --window-id "$WINDOW" 2>"$RUN/saver.err" &
  SAVER_PID=$!
  started $SAVER_PID
  wait_line "$RUN/slow-helper.pid" '^[0-9]* [0-9]' 10 || fail "the saver did not start the helper"
  kill -TERM "$SAVER_PID"
  wait_exit "$SAVER_PID" 5 || fail "SIGTERM did not end the saver while its helper ran"
  [ "$EXIT_STATUS" = 0 ] || fail "SIGTERM during the helper: status $EXIT_STATUS"
  # The helper's child, an orphan now, may stay a zombie for a moment until init reaps it.
  for pid in $(cat "$RUN/slow-helper.pid"); do
    grep -q '^State:[[:space:]]*[A-Y]' "/proc/$pid/status" 2>/dev/null && fail "process $pid of the helper outlived the saver"
  done
  note "SIGTERM while the helper ran: the helper and its child stopped, status 0"

  # ---- A window of a 32-bit visual. XScreenSaver's helper fails on it (BadMatch in CopyArea)
  # after unmapping it: the saver maps it again and draws over its opaque black.
  helper_window window32 220x130+300+200
  start_replay --window-id "$WINDOW" --ticks "$LIST"
  grep -q "drawing over the window's own contents" "$RUN/saver.err" || fail "32-bit window: $(cat "$RUN/saver.err")"
  $PICTURES black 220 130 "$RUN/black32.ppm"
  convert "$RUN/black32.ppm" "PNG24:$RUN/black32.png"
  expect_render "$RUN/black32.png" 220x130+300+200 "$LIST" "a 32-bit window"
  stop_saver "32-bit window"

  cleanup
done

echo "PASS: bit for bit in every mode"
