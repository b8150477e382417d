# Shared by the reliability scripts: the wine environment of one private prefix, an Xvfb of
# our own, and the checks every run needs. Sourced after WINE_RUN, SAVER, HELPER and WORK are set.
#
# The saver runs under wine directly ($WINE, not through the runner), so that its Linux
# process is ours to watch. The runner is used once, first, to make the prefix (with wine's
# crash dialog switched off); nothing else of it runs while our programs do, because its
# last run ends the prefix's wineserver.
WIDTH=1024
HEIGHT=768
export VELLUMAR_WINE_DIR=${VELLUMAR_WINE_DIR:-$WORK/wine}
export WINEPREFIX=$VELLUMAR_WINE_DIR/prefix
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/XSession.sh"

# Makes the prefix (through the runner) and checks that a crash cannot open a dialog.
prepare_prefix() {
  "$WINE_RUN" reg query 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog >"$WORK/crash-dialog.txt" 2>&1 ||
    fail "the prefix has no crash-dialog setting: $(cat "$WORK/crash-dialog.txt")"
  grep -Eiq 'ShowCrashDialog[[:space:]]+REG_DWORD[[:space:]]+0x0' "$WORK/crash-dialog.txt" ||
    fail "wine's crash dialog is not switched off: $(cat "$WORK/crash-dialog.txt")"
  note "prefix $WINEPREFIX, ShowCrashDialog = 0"
  # From here on one wineserver serves the whole script (cleanup ends it).
  "$WINE_SERVER" -p
  # With no window manager on the display, wine holds a managed window that hides for two
  # seconds, waiting for one; the saver's full-screen window is run unmanaged instead.
  "$WINE" reg add 'HKCU\Software\Wine\AppDefaults\Vellumar.scr\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 || fail "could not set the saver's window unmanaged"
  TEMP_DIR=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d \( -name Temp -o -name temp \) | head -n1)
  [ -d "$TEMP_DIR" ] || fail "no temporary directory in the prefix"
}

# Linux processes of our prefix other than its wineserver: "PID NAME COMMAND LINE" lines.
prefix_processes() {
  local file pid comm
  for file in $(grep -lszxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ); do
    pid=${file#/proc/}
    pid=${pid%/environ}
    [ "$pid" = "$$" ] && continue
    comm=$(cat "/proc/$pid/comm" 2>/dev/null) || continue
    case "$comm" in
      wineserver* | grep) ;;
      *) echo "$pid $comm $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | cut -c1-80)" ;;
    esac
  done
}

# Saver or debugger processes of our prefix still running (wine's own services excluded).
leftover_programs() {
  prefix_processes | awk 'tolower($2) ~ /^(vellumar\.scr|winedbg)/' || true
}

# Waits up to $2 seconds for our child process $1 to end and puts its exit status in
# EXIT_STATUS; false on timeout. (Not in a subshell: only this shell can reap its children.)
wait_exit() {
  local pid=$1 limit=${2:-20} i
  EXIT_STATUS=""
  for ((i = 0; i < limit * 20; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_STATUS=0
      wait "$pid" || EXIT_STATUS=$?
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# The saver's X window, once it is mapped (wine names the class after the program).
saver_window() {
  xdotool search --onlyvisible --classname 'vellumar.scr' 2>/dev/null | head -n1
}

temp_leftovers() {
  find "$TEMP_DIR" -maxdepth 1 \( -iname 'cTempPicture.bmp' -o -iname '~ex*.tmp' \) -printf '%f ' 2>/dev/null
}
