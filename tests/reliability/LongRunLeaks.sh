#!/usr/bin/env bash
# Resource use of the real saver over a long run under wine and Xvfb (1024x768).
#   LongRunLeaks.sh WINE_RUN SAVER HELPER WORK_DIR [FRAMES]
# The saver runs full screen over a patterned backdrop until it has presented FRAMES frames
# (default 3,000: three minutes at 60 ms) and for at least three minutes. Checked:
#   - frames: every presentation (gdi32.SetDIBitsToDevice, traced by wine's relay channel
#     for that one function) is counted; screenshots 30 s apart all differ;
#   - resident memory: VmRSS of the saver's Linux process, every 5 s. After a warm-up of
#     30 s it may grow by at most 1 MiB: all the saver's pixel and water memory (about
#     15 MiB at this size) is allocated before its window exists and a tick allocates
#     nothing, so a leak of even 350 bytes a frame, or one screen-sized row every 40
#     frames, crosses that line, while the allocator's and wine's own small movements stay
#     well under it;
#   - GDI objects: wine's GetGuiResources is a stub, so the helper counts the live entries of
#     the saver's own GDI handle table (read from its process environment block, see
#     GdiObjectCount.h), every 5 s. After warm-up the count must not change by more than 2
#     (a sample can fall inside a tick); a leak of one object in a thousand frames shows.
# Then a key ends the saver, which must exit with status 0.
set -uo pipefail

WINE_RUN=$1 SAVER=$2 HELPER=$3 WORK=$4 FRAMES_TO_RUN=${5:-3000}
MIN_SECONDS=$((FRAMES_TO_RUN * 60 / 1000))
MAX_SECONDS=$((MIN_SECONDS * 2))
WARM_UP=30
RSS_TOLERANCE_KB=1024
GDI_TOLERANCE=2
source "$(dirname "$0")/ReliabilityLib.sh"
begin_run
# Only the saver's run below traces (+relay); every other program runs with WINEDEBUG=-all.
"$WINE" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d gdi32.SetDIBitsToDevice /f \
  >/dev/null 2>&1 || fail "could not limit the relay trace to the presentation call"

"$WINE" "$HELPER" backdrop >"$RUN/backdrop.log" 2>&1 &
started $!
sleep 3

xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
WINEDEBUG=-all,+relay "$WINE" "$SAVER" /s 2>"$RUN/relay.log" >/dev/null &
SAVER_PID=$!
started $SAVER_PID
"$WINE" "$HELPER" gdi-watch Vellumar.scr 5000 2>&1 | tr -d '\r' >"$RUN/gdi.log" &
started $!

frames() { grep -c 'Ret  gdi32.SetDIBitsToDevice' "$RUN/relay.log"; }

: >"$RUN/rss.log"
start=$(date +%s)
shot=0
while :; do
  now=$(($(date +%s) - start))
  kill -0 "$SAVER_PID" 2>/dev/null || fail "the saver ended by itself after $now s"
  rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$SAVER_PID/status")
  count=$(frames)
  echo "$now $rss $count" >>"$RUN/rss.log"
  [ "$count" -ge "$FRAMES_TO_RUN" ] && [ "$now" -ge "$MIN_SECONDS" ] && break
  [ "$now" -ge "$MAX_SECONDS" ] && fail "only $count frames presented in $now s"
  if [ $((now / 30)) -ge "$shot" ] && [ "$now" -ge 5 ]; then
    import -window root "$RUN/shot-$shot.png"
    shot=$((shot + 1))
  fi
  sleep 5
done
total_frames=$(frames)
total_seconds=$(($(date +%s) - start))
xdotool key space
wait_exit "$SAVER_PID" 10 || fail "a key did not end the saver after the long run"
[ "$EXIT_STATUS" = 0 ] || fail "the saver ended with status $EXIT_STATUS after the long run"

note "$total_frames frames presented in $total_seconds s"
for ((k = 1; k < shot; k++)); do
  changed=$(compare -metric AE "$RUN/shot-$((k - 1)).png" "$RUN/shot-$k.png" null: 2>&1 | cut -d' ' -f1)
  [ "${changed:-0}" -gt 1000 ] 2>/dev/null || fail "the screen stood still between screenshots $((k - 1)) and $k"
done
note "$shot screenshots 30 s apart, each different from the one before"

# Memory: the first sample after the warm-up against the last one and the highest one.
read -r base_time base_rss _ < <(awk -v w="$WARM_UP" '$1 >= w' "$RUN/rss.log" | head -n1)
read -r end_time end_rss end_frames < <(tail -n1 "$RUN/rss.log")
max_rss=$(awk -v w="$WARM_UP" '$1 >= w && $2 > m { m = $2 } END { print m }' "$RUN/rss.log")
first_rss=$(head -n1 "$RUN/rss.log" | cut -d' ' -f2)
note "resident memory: $first_rss kB at the start, $base_rss kB after the warm-up ($base_time s), $end_rss kB at $end_time s ($end_frames frames), highest $max_rss kB"
[ $((max_rss - base_rss)) -le "$RSS_TOLERANCE_KB" ] ||
  fail "resident memory grew by $((max_rss - base_rss)) kB after the warm-up: $(tr '\n' ';' <"$RUN/rss.log")"

# GDI objects, the same way.
grep -q '^gdi ' "$RUN/gdi.log" || fail "no GDI object counts: $(cat "$RUN/gdi.log")"
grep -q '^gdi [0-9]* -1$' "$RUN/gdi.log" && fail "the GDI handle table could not be read: $(head -3 "$RUN/gdi.log")"
read -r gdi_base gdi_min gdi_max gdi_end < <(awk -v w="$WARM_UP" '$1 == "gdi" && $2 >= w * 1000 {
    if (n++ == 0) { b = $3; lo = $3; hi = $3 } if ($3 < lo) lo = $3; if ($3 > hi) hi = $3; e = $3 }
  END { print b, lo, hi, e }' "$RUN/gdi.log")
gdi_first=$(awk '$1 == "gdi" { print $3; exit }' "$RUN/gdi.log")
note "GDI objects of the saver: $gdi_first at the first sample, $gdi_base after the warm-up, between $gdi_min and $gdi_max after it, $gdi_end at the end"
[ $((gdi_max - gdi_base)) -le "$GDI_TOLERANCE" ] && [ $((gdi_base - gdi_min)) -le "$GDI_TOLERANCE" ] ||
  fail "the saver's GDI objects changed after the warm-up: $(grep '^gdi' "$RUN/gdi.log" | tr '\n' ';')"
left=$(leftover_programs)
[ -z "$left" ] || fail "processes left: $left"
echo "PASS: long run without leaks"
