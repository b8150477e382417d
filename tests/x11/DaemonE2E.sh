#!/usr/bin/env bash
# Debian's XScreenSaver daemon runs vellumar as its only mode under Xvfb: activating the
# daemon shows the desktop under ripples that move, through shared memory; deactivating it
# ends our process (SIGTERM from the daemon) and leaves no shared memory; the daemon then
# exits. Everything this script starts ends with it.
#   DaemonE2E.sh VELLUMAR TEST_HELPER WORK_DIR
#
# XScreenSaver refuses to run modes as root ("running as root: not launching hacks"), so as
# root the daemon and its commands run as the user nobody, with a private home directory
# that nobody owns.
set -uo pipefail

VELLUMAR=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
HELPER=$2
source "$(dirname "$0")/X11TestLib.sh"
RUN=$(fresh_dir "$3/run") || fail "no work folder"
DAEMON_PID=""
PRIVATE_TMP=""
AS_USER=()
if [ "$(id -u)" = 0 ]; then
  AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

finish() {
  if [ -n "$DAEMON_PID" ] && kill -0 "$DAEMON_PID" 2>/dev/null; then
    as_user xscreensaver-command -exit >/dev/null 2>&1
    wait_exit "$DAEMON_PID" 5 || kill "$DAEMON_PID" 2>/dev/null
  fi
  cleanup
  [ -n "$PRIVATE_TMP" ] && rm -rf "$PRIVATE_TMP"
  return 0
}
trap finish EXIT

as_user() {
  "${AS_USER[@]}" env HOME="$SAVER_HOME" DISPLAY="$DISPLAY" PATH="$PATH" "$@"
}

# The daemon's user must reach the program and own its home: inside the build folder when
# it can, else in a private folder under /tmp.
SAVER_HOME=$RUN/home
PROGRAM=$VELLUMAR
if [ ${#AS_USER[@]} -gt 0 ] && ! "${AS_USER[@]}" test -x "$VELLUMAR" -a -x "$RUN"; then
  PRIVATE_TMP=$(mktemp -d /tmp/vellumar-daemon.XXXXXX)
  chmod 755 "$PRIVATE_TMP"
  cp "$VELLUMAR" "$PRIVATE_TMP/vellumar"
  PROGRAM=$PRIVATE_TMP/vellumar
  SAVER_HOME=$PRIVATE_TMP/home
fi
mkdir -p "$SAVER_HOME"
cat >"$SAVER_HOME/.xscreensaver" <<SETTINGS
mode:		one
selected:	0
timeout:	1:00:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
grabDesktopImages:	True
chooseRandomImages:	False
grabVideoFrames:	False
programs:	\\
		$PROGRAM --root \\n\\

SETTINGS
[ ${#AS_USER[@]} -gt 0 ] && chown -R nobody:nogroup "$SAVER_HOME"

WIDTH=800
HEIGHT=600
start_display ${WIDTH}x${HEIGHT}x24
note "display $DISPLAY, the mode runs as $("${AS_USER[@]}" id -un)"
show_desktop "$RUN/drawn.png" ${WIDTH}x${HEIGHT}

# From a folder the daemon's user may enter.
cd "$SAVER_HOME" || fail "cannot enter $SAVER_HOME"
as_user xscreensaver -no-splash -verbose >"$RUN/daemon.log" 2>&1 &
DAEMON_PID=$!
daemon_answers() {
  ended "$DAEMON_PID" && fail "the daemon ended: $(tail -5 "$RUN/daemon.log")"
  as_user xscreensaver-command -time >/dev/null 2>&1
}
wait_until 10 daemon_answers
as_user xscreensaver-command -time >/dev/null 2>&1 || fail "the daemon does not answer: $(tail -5 "$RUN/daemon.log")"
note "the daemon runs"

# Our program's process, started by the daemon (none yet).
mode_pid() {
  pgrep -u "$("${AS_USER[@]}" id -u)" -f "^$PROGRAM --root" | head -n1
}
[ -z "$(mode_pid)" ] || fail "the mode runs before the daemon was activated"

as_user xscreensaver-command -activate >/dev/null || fail "xscreensaver-command -activate failed"
mode_draws() {
  MODE=$(mode_pid)
  [ -n "$MODE" ] && [ -n "$(segments_of "$MODE")" ]
}
wait_until 10 mode_draws
[ -n "$MODE" ] || fail "the daemon did not start the mode: $(grep -i -E 'vellumar|forked|error' "$RUN/daemon.log" | tail -5)"
[ -n "$(segments_of "$MODE")" ] || fail "the mode draws without shared memory"
note "the daemon started the mode, process $MODE, on window $(tr '\0' '\n' <"/proc/$MODE/environ" | grep '^XSCREENSAVER_WINDOW=' | cut -d= -f2)"

sleep 1.5
kill -0 "$MODE" 2>/dev/null || fail "the mode ended by itself: $(tail -5 "$RUN/daemon.log")"
expect_ripples " under the daemon"

as_user xscreensaver-command -deactivate >/dev/null || fail "xscreensaver-command -deactivate failed"
wait_until 10 ended "$MODE" || fail "deactivating the daemon did not end the mode"
[ -z "$(segments_of "$MODE")" ] || fail "the mode left shared memory behind: $(ipcs -m -p)"
grep -q -E "vellumar.*(exited|killed|terminated)|pid $MODE" "$RUN/daemon.log" &&
  note "the daemon says: $(grep -E "pid $MODE|vellumar" "$RUN/daemon.log" | tail -1 | cut -c1-120)"
! grep -q "vellumar: " "$RUN/daemon.log" || fail "the mode complained: $(grep "vellumar: " "$RUN/daemon.log")"
note "deactivating ended the mode; no shared memory is left"

as_user xscreensaver-command -exit >/dev/null || fail "xscreensaver-command -exit failed"
wait_exit "$DAEMON_PID" 10 && [ "$EXIT_STATUS" = 0 ] || fail "the daemon did not exit with status 0 (${EXIT_STATUS:-still running})"
DAEMON_PID=""
[ -z "$(mode_pid)" ] || fail "a mode outlived the daemon"
note "the daemon exited"
echo "PASS: XScreenSaver's daemon runs vellumar"
