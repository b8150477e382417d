#!/usr/bin/env bash
# Command lines, environment values, windows and displays the saver cannot use: each ends at
# once with one line on stderr and the documented status (2 for what the user gave, 1 for a
# display that fails), never with a crash, and leaves no window or shared memory behind.
#   HostileE2E.sh VELLUMAR TEST_HELPER FAULT_PRELOAD WORK_DIR
set -uo pipefail

VELLUMAR=$1 HELPER=$2 FAULTS=$3
source "$(dirname "$0")/X11TestLib.sh"
WORK=$(fresh_dir "$4") || fail "no work folder"
trap cleanup EXIT
export HOME=$WORK/home
mkdir -p "$HOME"

# Runs "$@" and checks that it ends within 10 s with status $1, nothing on stdout and one line
# on stderr that holds $2.
refused() {
  local status=$1 words=$2
  shift 2
  local got=0
  timeout -k 2 10 "$@" >"$WORK/out" 2>"$WORK/err" </dev/null || got=$?
  [ "$got" = "$status" ] || fail "'$*' ended with status $got, not $status: $(head -c 300 "$WORK/err")"
  [ "$(wc -l <"$WORK/err")" = 1 ] || fail "'$*' wrote $(wc -l <"$WORK/err") lines on stderr: $(head -c 300 "$WORK/err")"
  [ ! -s "$WORK/out" ] || fail "'$*' wrote on stdout: $(head -c 300 "$WORK/out")"
  grep -q -- "$words" "$WORK/err" || fail "'$*': '$(cat "$WORK/err")' does not say '$words'"
  COUNT=$((COUNT + 1))
}

# Starts the saver on WINDOW (in the environment "${@:4}"), makes the window $1 x $2 and checks
# that the saver then ends with status 1 and one line on stderr that holds $3.
ends_on_resize() {
  local saver
  : >"$WORK/out"
  env "${@:4}" "$VELLUMAR" --window-id "$WINDOW" --ticks 1 >"$WORK/out" 2>"$WORK/err" &
  saver=$!
  started $saver
  wait_line "$WORK/out" "^vellumar: replayed" 20 || fail "the saver did not start on window $WINDOW"
  xdotool windowsize "$WINDOW" "$1" "$2"
  wait_exit "$saver" 10 || fail "the saver went on after its window became $1 x $2"
  [ "$EXIT_STATUS" = 1 ] && [ "$(wc -l <"$WORK/err")" = 1 ] && grep -q -- "$3" "$WORK/err" ||
    fail "its window made $1 x $2, the saver ended with status $EXIT_STATUS: $(cat "$WORK/err")"
}

COUNT=0
LONG=$(printf '7%.0s' $(seq 1 5000))

# ---- Without a display.
refused 1 "cannot open the X display (DISPLAY is not set)" env -u DISPLAY "$VELLUMAR"
refused 1 "cannot open the X display ':31999'" env -u DISPLAY "$VELLUMAR" --display :31999
refused 1 "cannot open the X display" env DISPLAY="$(printf 'x\033[2J%.0s' $(seq 1 200))" "$VELLUMAR"
note "without a display: status 1"

# ---- Command lines: refused before the display is opened, so no display is needed.
for args in "--bogus" "-x" "root" "--root --root" "--root=1" "--window-id" "--window-id --root" \
  "--window-id=" "--window-id 0" "--window-id 0x" "--window-id -1" "--window-id 0x20000000" \
  "--window-id 99999999999999999999" "--window-id 12abc" "--window-id $LONG" "--window-id 1 --window-id 1" \
  "--display" "--display=" "--ticks" "--ticks 1,,1" "--ticks std:0" "--ticks std:1000001" \
  "--ticks x" "--ticks 99999999999999999999999" "--ticks -1" "--ticks 1 --ticks 1" "--root extra" "-"; do
  # shellcheck disable=SC2086
  refused 2 "" env -u DISPLAY "$VELLUMAR" $args
done
refused 2 "unknown option '--'" env -u DISPLAY "$VELLUMAR" --
refused 2 "unexpected argument" env -u DISPLAY "$VELLUMAR" ""
refused 2 "unknown option" env -u DISPLAY "$VELLUMAR" "--$(printf '\001\002\033')"
for value in 0 nonsense 0x -3 " 0x400001" 0x20000000 "$LONG" $'0x1\n2' "$(printf '\033]0;x\007')"; do
  refused 2 "XSCREENSAVER_WINDOW holds" env -u DISPLAY XSCREENSAVER_WINDOW="$value" "$VELLUMAR"
  refused 2 "XSCREENSAVER_WINDOW holds" env -u DISPLAY XSCREENSAVER_WINDOW="$value" "$VELLUMAR" --root
done
grep -q $'\033' "$WORK/err" && fail "a control character reached stderr"
[ "$(wc -c <"$WORK/err")" -lt 300 ] || fail "a long value made a long message"
note "$COUNT bad command lines and environment values: status 2, one line each"

# ---- Windows that cannot be drawn on, on a real display.
start_display 640x480x24
note "display $DISPLAY"
refused 2 "window 0x1fffffff, which does not exist" "$VELLUMAR" --window-id 0x1fffffff
refused 2 "XSCREENSAVER_WINDOW names window 0x1ffffffe, which does not exist" env XSCREENSAVER_WINDOW=0x1ffffffe "$VELLUMAR" --root
helper_window input-only 100x100+0+0
refused 2 "an input-only window" "$VELLUMAR" --window-id "$WINDOW"
helper_window window 20000x10+0+0
refused 2 "the window is 20000 x 10; the water covers 1 to 16384 pixels a side" "$VELLUMAR" --window-id "$WINDOW"
# The id of something that is not a window: the root window's default colormap.
colormap=$(xwininfo -root | awk '/Colormap:/ { print $2 }')
refused 2 "which does not exist" "$VELLUMAR" --window-id "$colormap"
note "windows that do not exist, are input-only, too large or not windows: status 2"
# A window that grows beyond what the water covers while the saver runs on it: one line, status 1.
helper_window window 200x100+0+0
ends_on_resize 16385 10 "the window is now 16385 x 10, beyond what the water covers; ending"
note "a window grown beyond 16384 pixels ends the saver with one line and status 1"

# Its own window never appears (as when the server could not make it): the wait for it ends.
refused 1 "the window did not appear within 5 s" env LD_PRELOAD="$FAULTS" VELLUMAR_FAULT=unmapped-window "$VELLUMAR"
note "a window that never appears: status 1 after the bounded wait"
# An X error that came just before the image for a new size is made is not forgotten.
helper_window window 200x100+0+0
ends_on_resize 150 90 "X error: BadWindow" LD_PRELOAD="$FAULTS" VELLUMAR_FAULT=stray-error
note "an X error just before a new size's image ends the saver with one line and status 1"
cleanup

# ---- Visuals other than 24- or 32-bit TrueColor, in every mode.
for depth in 16 8; do
  start_display 320x240x$depth
  words=$([ $depth = 16 ] && echo "depth 16; only 24- and 32-bit" || echo "PseudoColor with depth 8")
  refused 2 "$words" "$VELLUMAR"
  refused 2 "$words" "$VELLUMAR" --root
  root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
  refused 2 "$words" "$VELLUMAR" --window-id "$root"
  refused 2 "$words" env XSCREENSAVER_WINDOW="$root" "$VELLUMAR" --root
  note "a $depth-bit display: '$(cat "$WORK/err")', status 2"
  cleanup
done

echo "PASS: $COUNT hostile starts refused as they should be"
