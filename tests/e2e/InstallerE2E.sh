#!/usr/bin/env bash
# The installer under wine: a recording program of ours stands as rundll32.exe in the
# installer's own folder, which the platform searches first. The installer must start it
# exactly once with "desk.cpl,InstallScreenSaver vellumar.scr", hidden, in the directory it
# was started from, whatever its own arguments, end with status 0 and show no window.
# usage: InstallerE2E.sh WINE_RUN INSTALLER_EXE RECORDER_EXE WORK_DIR
set -uo pipefail
WINE_RUN=$1 INSTALLER=$2 RECORDER=$3 WORK=$4
source "$(dirname "$0")/DialogsE2ELib.sh"

rm -rf "$WORK" && mkdir -p "$WORK/app" "$WORK/elsewhere" || fail "no work folder"
cp "$INSTALLER" "$WORK/app/installer.exe" && cp "$RECORDER" "$WORK/app/rundll32.exe" || fail "copy"
LOG=$WORK/app/rundll32.log
EXPECTED='rundll32.exe desk.cpl,InstallScreenSaver vellumar.scr'
start_wine_session

# Runs the installer from folder $1 with the remaining arguments, watching the display while
# it runs; checks status, the one new start and its command line and directory.
check_run() {
  local from=$1
  shift
  local before runs_before pid windows
  runs_before=0
  [ -f "$LOG" ] && runs_before=$(grep -c '^command: ' "$LOG")
  before=$(visible_windows)
  (cd "$from" && exec "$WINE_RUN" "$WORK/app/installer.exe" "$@") &
  pid=$!
  started $pid
  # Any window the installer shows (a message box would wait for a click) appears meanwhile.
  windows=""
  while kill -0 "$pid" 2>/dev/null; do
    windows=$(comm -13 <(echo "$before") <(visible_windows))
    [ -n "$windows" ] && break
    sleep 0.05
  done
  [ -z "$windows" ] || fail "the installer showed a window: $(for w in $windows; do xdotool getwindowname "$w"; done)"
  wait_exit "$pid" 30 || fail "the installer did not end"
  [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS with arguments '$*'"
  wait_records "$LOG" $((runs_before + 1)) || fail "rundll32.exe was not started (arguments '$*')"
  sleep 0.5
  [ "$(grep -c '^command: ' "$LOG")" -eq $((runs_before + 1)) ] || fail "more than one start"
  local got
  got=$(recorded command "$LOG" $((runs_before + 1)))
  [ "$got" = "$EXPECTED" ] || fail "started '$got', expected '$EXPECTED'"
  got=$(recorded show "$LOG" $((runs_before + 1)))
  [ "$got" = 0 ] || fail "started with show state '$got', not SW_HIDE (0)"
  got=$(recorded directory "$LOG" $((runs_before + 1)))
  [ "$got" = "$(windows_path "$from")" ] || fail "started in '$got', expected '$(windows_path "$from")'"
  note "ok: from $(basename "$from") with arguments '$*'"
}

check_run "$WORK/elsewhere"
check_run "$WORK/elsewhere" /s "vellumar.scr" --help
check_run "$WORK/elsewhere" "a b" '"'
check_run "$WORK/app"
[ ! -e "$WORK/elsewhere/vellumar.scr" ] || fail "the work folder holds a saver file"
echo "installer: all checks passed"
