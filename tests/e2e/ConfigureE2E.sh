#!/usr/bin/env bash
# Configure mode of the real saver under Xvfb: for each command line that asks for it, the
# configure dialog appears as a top-level window titled "3D Vellumar ScreenSaver", and
# closing it (the Close command, Escape or "Quit") ends the program with status 0.
# usage: ConfigureE2E.sh WINE_RUN SAVER_SCR WORK_DIR
set -uo pipefail
WINE_RUN=$1 SAVER=$2 WORK=$3
source "$(dirname "$0")/DialogsE2ELib.sh"
fresh_dir "$WORK" >/dev/null || fail "no work folder"
start_wine_session

# Starts the saver with the given arguments, checks its dialog, closes it with the key $1.
check_configure() {
  local closeKey=$1
  shift
  open_dialog "$@"
  is_top_level "$DIALOG" || fail "the dialog is not a top-level window (arguments '$*')"
  [ "$(visible_windows | wc -l)" -ge 1 ] || fail "nothing visible"
  sleep 0.3
  kill -0 "$DIALOG_PID" 2>/dev/null || fail "the saver ended before the dialog was closed"
  press $closeKey
  wait_exit "$DIALOG_PID" 20 || fail "the saver did not end after $closeKey (arguments '$*')"
  [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS after $closeKey (arguments '$*')"
  wait_window "$DIALOG_TITLE" 1 >/dev/null && fail "the dialog is still shown after the saver ended"
  note "ok: arguments '$*' closed with $closeKey"
}

check_configure alt+F4
check_configure alt+F4 /c
check_configure Escape /c:1234
check_configure Escape -c 1234
check_configure Escape /cp 5
check_configure Escape /screen
# "Quit" is the second tab stop after the home-page button, which has the focus at the start.
check_configure "Tab space" /c
echo "configure: all checks passed"
