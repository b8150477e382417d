# Shared by the reliability scripts: the wine environment of one private prefix, an Xvfb of
# our own, and the checks every run needs. Sourced after WINE_RUN, SAVER, HELPER and WORK are set.
#
# The saver runs under wine directly ($WINE, not through the runner), so that its Linux
# process is ours to watch. The runner is used once, first, to make the prefix (with wine's
# crash dialog switched off); nothing else of it runs while our programs do, because its
# last run ends the prefix's wineserver.
WIDTH=1024
HEIGHT=768
source "$(dirname "${BASH_SOURCE[0]}")/../lib/WineSession.sh"

# Starts the run: an empty RUN folder, the display, the prefix (made through the runner, and
# checked that a crash cannot open a dialog) with its temporary folder cleared.
begin_run() {
  RUN=$(fresh_dir "$WORK/run") || fail "no work folder"
  trap wine_cleanup EXIT
  start_display ${WIDTH}x${HEIGHT}x24
  note "display $DISPLAY"
  "$WINE_RUN" reg query 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog >"$RUN/crash-dialog.txt" 2>&1 ||
    fail "the prefix has no crash-dialog setting: $(cat "$RUN/crash-dialog.txt")"
  grep -Eiq 'ShowCrashDialog[[:space:]]+REG_DWORD[[:space:]]+0x0' "$RUN/crash-dialog.txt" ||
    fail "wine's crash dialog is not switched off: $(cat "$RUN/crash-dialog.txt")"
  note "prefix $WINEPREFIX, ShowCrashDialog = 0"
  # From here on one wineserver serves the whole script (cleanup ends it).
  "$WINE_SERVER" -p
  # With no window manager on the display, wine holds a managed window that hides for two
  # seconds, waiting for one; the saver's full-screen window is run unmanaged instead.
  "$WINE" reg add 'HKCU\Software\Wine\AppDefaults\Vellumar.scr\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 || fail "could not set the saver's window unmanaged"
  clean_temp_dir
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

# The saver's X window, once it is mapped (wine names the class after the program).
saver_window() {
  xdotool search --onlyvisible --classname 'vellumar.scr' 2>/dev/null | head -n1
}
