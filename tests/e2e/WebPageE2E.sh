#!/usr/bin/env bash
# The home-page button of the real saver's configure dialog under Xvfb. The prefix's
# HKEY_CLASSES_ROOT\htmlfile\shell\open\command names a recording program of ours; pressing
# Enter (the button is the focused default button) must start it with exactly the value's
# text followed by the address, and leave the dialog open (the NT family). Without the key
# nothing is started and nothing is shown.
# usage: WebPageE2E.sh WINE_RUN SAVER_SCR RECORDER_EXE WORK_DIR
set -uo pipefail
WINE_RUN=$1 SAVER=$2 RECORDER=$3 WORK=$4
source "$(dirname "$0")/DialogsE2ELib.sh"

ADDRESS='http://www.example.com/vellumar/'
KEY='HKCR\htmlfile\shell\open\command'

rm -rf "$WORK" && mkdir -p "$WORK/browser" || fail "no work folder"
cp "$RECORDER" "$WORK/browser/browser.exe" || fail "copy"
LOG=$WORK/browser/browser.log
BROWSER=$(windows_path "$WORK/browser/browser.exe")
start_wine_session

set_command() { # name ('' for the default value), data
  wine_quiet reg delete "$KEY" /f
  if [ -z "$1" ]; then
    wine_quiet reg add "$KEY" /ve /d "$2" /f || fail "reg add"
  else
    wine_quiet reg add "$KEY" /v "$1" /d "$2" /f || fail "reg add"
  fi
}

# Opens the dialog, presses Enter, and expects the recorder's start $1 ('' for none).
press_home_page() {
  local expected=$1 before
  rm -f "$LOG"
  open_dialog /c
  sleep 0.3
  before=$(visible_windows)
  press Return
  if [ -n "$expected" ]; then
    wait_records "$LOG" 1 || fail "nothing started for '$expected'"
    sleep 0.5
    [ "$(grep -c '^command: ' "$LOG")" -eq 1 ] || fail "started more than once"
    local got
    got=$(recorded command "$LOG" 1)
    [ "$got" = "$expected" ] || fail "started '$got', expected '$expected'"
  else
    sleep 3
    [ ! -e "$LOG" ] || fail "started '$(recorded command "$LOG" 1)' without a registered command"
    [ "$(visible_windows)" = "$before" ] || fail "something was shown"
  fi
  # On the NT family the dialog stays open after the button.
  kill -0 "$DIALOG_PID" 2>/dev/null || fail "the dialog closed after the home-page button"
  wait_window "$DIALOG_TITLE" 1 >/dev/null || fail "the dialog is gone after the home-page button"
  press Escape
  wait_exit "$DIALOG_PID" 20 || fail "the saver did not end after Escape"
  [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
}

set_command '' "$BROWSER "
press_home_page "$BROWSER $ADDRESS"
note "ok: value ending in a space"

set_command '' "\"$BROWSER\""
press_home_page "\"$BROWSER\"$ADDRESS"
note "ok: value ending in a quote"

set_command '' "\"$BROWSER\" \"%1\" "
press_home_page "\"$BROWSER\" \"%1\" $ADDRESS"
note "ok: value holding %1"

set_command 'open' "$BROWSER -named"
press_home_page "$BROWSER -named$ADDRESS"
note "ok: first value not the default value"

wine_quiet reg delete "$KEY" /f
press_home_page ''
note "ok: no key, nothing started"

# The Windows 95 family (wine reports it when told to for this program): the button ends the
# dialog, and with it the program, and still opens the page.
wine_quiet reg add 'HKCU\Software\Wine\AppDefaults\Vellumar.scr' /v Version /d win98 /f || fail "reg add"
set_command '' "$BROWSER "
rm -f "$LOG"
open_dialog /c
sleep 0.3
press Return
wait_exit "$DIALOG_PID" 20 || fail "the dialog stayed open after the home-page button on Windows 98"
[ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS on Windows 98"
wait_records "$LOG" 1 || fail "nothing started on Windows 98"
[ "$(recorded command "$LOG" 1)" = "$BROWSER $ADDRESS" ] || fail "started '$(recorded command "$LOG" 1)' on Windows 98"
wine_quiet reg delete 'HKCU\Software\Wine\AppDefaults\Vellumar.scr' /f
note "ok: Windows 98 closes the dialog and opens the page"
echo "web page: all checks passed"
