#!/usr/bin/env bash
# End to end: the real Vellumar.scr under Xvfb (1024x768x24) and wine.
#   SaverE2E.sh WINE_RUN SAVER SHOW_PICTURE PREVIEW_HOST SCREEN_WATCH WORK_DIR
# Full screen over a known picture (snapshot file, upright picture, ripples, animation), what
# the screen shows from before each start to the first ripples, the three ways it ends and the
# mouse event at rest that must not end it, the preview child, preview requests without a
# usable host, and the time from start to the first frame.
# Every program it starts, the prefix's wineserver and its Xvfb end with it.
set -uo pipefail

WINE_RUN=$1 SAVER=$2 SHOW_PICTURE=$3 PREVIEW_HOST=$4 SCREEN_WATCH=$5 WORK=$6
source "$(dirname "$0")/../lib/WineSession.sh"
WORK=$(work_dir "$WORK") && RUN=$(fresh_dir "$WORK/run") || fail "no work folder"
CHECK="/usr/bin/python3 $(cd "$(dirname "$0")" && pwd)/saver_check.py"
WIDTH=1024
HEIGHT=768
trap wine_cleanup EXIT

screenshot() {
  import -window root "$RUN/$1.png" && convert "$RUN/$1.png" -depth 8 "rgb:$RUN/$1.rgb"
}

# Starts the saver in full-screen mode, watched from before its start (start $1), with the
# pointer resting at the screen's centre, where wine's first mouse-move event reports it;
# sets SAVER_PID.
start_full_screen() {
  xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
  watch_start "saver-$1" --tally "$RUN/saver.tally"
  "$WINE_RUN" "$SAVER" /s >>"$RUN/saver.log" 2>&1 &
  SAVER_PID=$!
  started $SAVER_PID
}

# Waits until the watched start $1 got to its ripples, then for the mouse event at rest to
# have come and gone.
wait_saver_running() {
  watched "saver start $1"
  sleep 1.5
  kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended without input (the first mouse event at rest ended it?)"
}

start_display ${WIDTH}x${HEIGHT}x24
note "display $DISPLAY"

# The known picture as the desktop.
"$WINE_RUN" "$SHOW_PICTURE" >"$RUN/show-picture.log" 2>&1 &
PICTURE_PID=$!
started $PICTURE_PID
picture_shown() {
  kill -0 "$PICTURE_PID" 2>/dev/null || fail "the picture program ended: $(cat "$RUN/show-picture.log")"
  screenshot desktop
  $CHECK desktop "$RUN/desktop.rgb" $WIDTH $HEIGHT >/dev/null 2>&1
}
wait_until 120 picture_shown  # the first run in a fresh prefix makes the prefix
$CHECK desktop "$RUN/desktop.rgb" $WIDTH $HEIGHT || fail "the test picture did not come up"
note "the test picture is the desktop"

clean_temp_dir

# ---- The floor of the start: a window like the saver's that shows the desktop picture at once
# and whenever asked, and never erases. What it shows besides the desktop before its first
# ripple is this wine's own, for any program's new full-screen window (some wines map the window
# black before its first content reaches the screen); over as many starts, the saver may show
# no more (judged after its three starts below).
for start in 1 2 3; do
  xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
  watch_start "floor-$start" --tally "$RUN/floor.tally"
  "$WINE_RUN" "$SHOW_PICTURE" first-frame >>"$RUN/floor.log" 2>&1 &
  FLOOR_PID=$!
  started $FLOOR_PID
  watched "floor start $start"
  xdotool key space
  wait_exit "$FLOOR_PID" 10 || fail "the floor program did not end on a key"
done

# ---- Full screen: snapshot, picture, animation; a one-pixel move ends it.
$CHECK watch "$TEMP_DIR" "$RUN/kept" 60 >"$RUN/watch.log" 2>&1 &
started $!
wait_line "$RUN/watch.log" watching 10

start_full_screen 1
wait_line "$RUN/watch.log" '^delete cTempPicture.bmp' 20
watched "saver start 1"
sleep 1
screenshot first
sleep 1
screenshot later
kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended without input"
$CHECK picture "$RUN/first.rgb" $WIDTH $HEIGHT || fail "full screen: the picture through the water"
changed=$(compare -metric AE "$RUN/first.png" "$RUN/later.png" null: 2>&1 | cut -d' ' -f1)
[ "${changed:-0}" -gt 0 ] 2>/dev/null || fail "full screen: the animation does not run (no pixel changed)"
note "the animation runs: $changed pixels changed in one second"

grep -q '^written cTempPicture.bmp' "$RUN/watch.log" || fail "the snapshot file was not written: $(cat "$RUN/watch.log")"
grep -q '^delete cTempPicture.bmp' "$RUN/watch.log" || fail "the snapshot file was not removed"
[ -f "$RUN/kept/snapshot.bmp" ] || fail "the snapshot file could not be watched: $(cat "$RUN/watch.log")"
$CHECK snapshot "$RUN/kept/snapshot.bmp" $WIDTH $HEIGHT 32 || fail "the snapshot file"
# What the start wrote is the desktop: its bottom row first.
python3 - "$RUN/kept/snapshot.bmp" <<'PY' || fail "the snapshot file does not hold the desktop"
import sys
data = open(sys.argv[1], "rb").read()
w, h = 1024, 768
def pixel(x, y_top):
    o = 54 + ((h - 1 - y_top) * w + x) * 4
    b, g, r = data[o], data[o + 1], data[o + 2]
    return (r, g, b)
for x, y in [(0, 0), (1023, 0), (0, 767), (1023, 767), (300, 500), (777, 123)]:
    expected = (x & 255, y & 255, (64 + 16 * (x // 256) + y // 256) & 255)
    if pixel(x, y) != expected:
        sys.exit("pixel %d,%d is %r, not %r" % (x, y, pixel(x, y), expected))
PY
note "the start wrote the whole snapshot file and removed it after reading"

xdotool mousemove $((WIDTH / 2 + 1)) $((HEIGHT / 2))
wait_exit "$SAVER_PID" 10 || fail "a one-pixel mouse move did not end the saver"
[ "$EXIT_STATUS" = 0 ] || fail "after a mouse move the saver ended with status $EXIT_STATUS"
note "a one-pixel mouse move ended the saver with status 0"
[ -z "$(saver_temp_files)" ] || fail "files left in the temporary directory: $(ls "$TEMP_DIR")"
note "no snapshot or ~ex file is left"

# ---- A key press and a mouse click end it too (every kind of input, 30 times over, is the
# reliability tests' start-stop cycles).
start=1
for action in "key space" "click 1"; do
  start=$((start + 1))
  start_full_screen $start
  wait_saver_running $start
  xdotool $action
  wait_exit "$SAVER_PID" 10 || fail "'xdotool $action' did not end the saver"
  [ "$EXIT_STATUS" = 0 ] || fail "after '$action' the saver ended with status $EXIT_STATUS"
  note "'$action' ended the saver with status 0"
done

# What the three starts showed against the floor's three. The floor's black is the platform's
# and varies from start to start; a saver that showed black until its first frame would add
# about a frame at every start, so over three starts one frame of the saver's (60 ms) is allowed.
"$SCREEN_WATCH" --judge "$RUN/floor.tally" "$RUN/saver.tally" 60 >"$RUN/judged.log" 2>&1
judged=$?
note "the saver's starts against the floor's:"
sed -n 's/^screen-watch: /     /p' "$RUN/judged.log"
[ "$judged" = 0 ] || fail "at its start the saver showed more than any program's new window does: $(cat "$RUN/judged.log")"

# ---- Preview: the saver's window is a visible child covering the host's client area, it
# shows the preview bitmap tiled from the host's top-left corner (one clipped tile in a box
# smaller than the bitmap), and destroying the host ends the saver with 0. Wine 8 does not
# put a GDI child window's painting on the screen when its top-level parent belongs to
# another process; there only the geometry is checked here (the painting is checked
# in-process by the window tests).
SAVER_WINDOWS=$(windows_path "$SAVER")
host_reported() { grep -q covers-host "$RUN/host-$box.log" 2>/dev/null || ended "$HOST_PID"; }
PREVIEW_BITMAP=$(cd "$(dirname "$0")/../../resources" && pwd)/Preview.bmp
for box in 300x200 100x80; do
  "$WINE_RUN" "$PREVIEW_HOST" "${box%x*}" "${box#*x}" 3000 "$SAVER_WINDOWS" >"$RUN/host-$box.log" 2>&1 &
  HOST_PID=$!
  started $HOST_PID
  if [ "$WINE_SHOWS_OTHER_PROCESS_CHILDREN" = yes ]; then
    wait_until 60 host_reported
    sleep 1
    screenshot "preview-$box"
    $CHECK preview "$RUN/preview-$box.rgb" $WIDTH $HEIGHT "${box%x*}" "${box#*x}" "$PREVIEW_BITMAP" ||
      fail "preview $box: the host's box does not show the tiled preview bitmap"
  fi
  wait_exit "$HOST_PID" 60 || fail "preview $box: the host did not end"
  grep -q 'child-covers-host' "$RUN/host-$box.log" || fail "preview $box: $(cat "$RUN/host-$box.log")"
  grep -q 'saver-exit 0' "$RUN/host-$box.log" || fail "preview $box: $(cat "$RUN/host-$box.log")"
  [ "$EXIT_STATUS" = 0 ] || fail "preview $box: host status $EXIT_STATUS"
  shown="the saver's child covered the host"
  [ "$WINE_SHOWS_OTHER_PROCESS_CHILDREN" = yes ] && shown="$shown and showed the tiled bitmap pixel for pixel"
  note "preview $box: $shown; destroying the host ended it with status 0"
done

# ---- Preview without a usable host ends at once, with no window.
before=$(xdotool search --onlyvisible --name '' 2>/dev/null | sort)
for handle in "" 0 abc 12345678 4294967295 -1; do
  started=$(date +%s%N)
  status=0
  timeout 30 "$WINE_RUN" "$SAVER" /p ${handle:+"$handle"} >/dev/null 2>&1 || status=$?
  elapsed=$((($(date +%s%N) - started) / 1000000))
  [ "$status" = 0 ] || fail "/p '$handle' ended with status $status"
  [ "$elapsed" -lt 8000 ] || fail "/p '$handle' took $elapsed ms to end"
  note "/p '$handle' ended at once ($elapsed ms, wine start included)"
done
after=$(xdotool search --onlyvisible --name '' 2>/dev/null | sort)
[ "$before" = "$after" ] || fail "a preview without a host left a window"

# ---- Time from process start to the first presented frame, traced by wine's relay
# channel on the presentation call only; printed, not judged. The picture program stays
# resident in the prefix, as a logged-in session has programs running, so wine's services
# are up before the clock starts. Beside the saver, the floor: a program that makes the same
# window and presents one frame at once.
"$WINE_RUN" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d gdi32.SetDIBitsToDevice /f >/dev/null 2>&1
kill -0 "$PICTURE_PID" 2>/dev/null || fail "the picture program ended before the timing runs"
# Sets FIRST_MS to the milliseconds from start to the first presentation of "$@", ended by a key.
time_first_frame() {
  local log=$RUN/relay-$timed.log started pid first
  timed=$((timed + 1))
  xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
  # Wine stamps its trace with CLOCK_MONOTONIC_RAW, which drifts away from /proc/uptime.
  started=$(python3 -c 'import time; print("%.3f" % time.clock_gettime(time.CLOCK_MONOTONIC_RAW))')
  WINEDEBUG=+timestamp,+relay "$WINE" "$@" 2>"$log" &
  pid=$!
  started $pid
  sleep 3
  xdotool key space
  wait_exit "$pid" 10 >/dev/null || fail "timing run of $* did not end"
  first=$(grep -m1 'Ret  gdi32.SetDIBitsToDevice' "$log" | cut -d: -f1)
  [ -n "$first" ] || fail "timing run of $* presented no frame"
  FIRST_MS=$(awk -v a="$first" -v b="$started" 'BEGIN { printf "%d", (a - b) * 1000 }')
}
timed=0
saver_times=() floor_times=()
for round in 1 2 3; do
  time_first_frame "$SAVER" /s
  saver_times+=("$FIRST_MS")
  time_first_frame "$SHOW_PICTURE" first-frame
  floor_times+=("$FIRST_MS")
done
note "first frame after the process started, ${WIDTH}x$HEIGHT: saver ${saver_times[*]} ms;" \
  "floor (same window, one frame at once) ${floor_times[*]} ms"
"$WINE_RUN" reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1

echo "PASS: saver end to end"
