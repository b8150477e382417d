# Shared by the end-to-end tests of the configure dialog and the installer. Sourced, not run.
# Each test gets its own Xvfb (on a free display) and runs Windows programs through the wine
# runner in a wine folder of its own (VELLUMAR_WINE_DIR), so that what it changes in the
# prefix's registry never meets another test.
#   WINE_RUN          the wine runner (cmake/wine-run.sh)
#   VELLUMAR_WINE_DIR the wine folder

: "${VELLUMAR_WINE_DIR:?the dialogs tests run in a wine folder of their own}"
source "$(dirname "${BASH_SOURCE[0]}")/../lib/WineSession.sh"

# Runs a wine program to its end (registry edits and the like); its output is dropped.
wine_quiet() { "$WINE_RUN" "$@" >/dev/null 2>&1; }

# The X id of a visible window whose title is exactly $1, when there is one.
window_titled() {
  local id
  id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
  [ -n "$id" ] && echo "$id"
}

# Waits up to $2 seconds for a visible window whose title is exactly $1 and prints its X id.
wait_window() { wait_until "$2" window_titled "$1"; }

# True when the X window is a direct child of the root window: a top-level window.
is_top_level() {
  xwininfo -id "$1" -children 2>/dev/null | grep -q 'Parent window id: .*(the root window)'
}

# Visible windows on the display, one id a line, sorted.
visible_windows() {
  xdotool search --onlyvisible --name '' 2>/dev/null | sort
}

# Starts the saver ($SAVER) with "$@" and waits up to 40 s for its configure dialog; sets
# DIALOG_PID and DIALOG, the dialog's X id.
DIALOG_TITLE='3D Vellumar ScreenSaver'
open_dialog() {
  "$WINE_RUN" "$SAVER" "$@" &
  DIALOG_PID=$!
  started $DIALOG_PID
  DIALOG=$(wait_window "$DIALOG_TITLE" 40) || fail "no window titled '$DIALOG_TITLE' for arguments '$*'"
}

# Gives the dialog the focus and presses the keys "$@" there.
press() {
  xdotool windowfocus --sync "$DIALOG" 2>/dev/null
  xdotool key --clearmodifiers "$@"
}

records_at_least() { [ -f "$1" ] && [ "$(grep -c '^command: ' "$1")" -ge "$2" ]; }

# Waits up to 15 s until the recording program's log $1 holds $2 starts.
wait_records() { wait_until 15 records_at_least "$1" "$2"; }

# Field $1 (command, show or directory) of the $3-th start in the recording program's log $2,
# without the line's CR.
recorded() {
  grep "^$1: " "$2" | sed -n "${3}p" | sed "s/^$1: //; s/\r\$//"
}

# Starts the test's wine session and keeps it up: one wine program runs for the whole test,
# so that the wineserver and wine's desktop stay up between the programs the test starts
# (each run would start them anew). The first run in a fresh wine folder makes the prefix and
# shows wine's own progress window meanwhile; the next run waits for it, so what the test
# watches afterwards is only its programs' doing. Without a window manager, wine's windows are
# made unmanaged: a managed window waits for a manager that never answers whenever it hides.
# Ends them all with the script.
start_wine_session() {
  trap wine_cleanup EXIT
  start_display 1024x768x24
  "$WINE_RUN" ping.exe -n 3600 127.0.0.1 >/dev/null 2>&1 &
  started $!
  wine_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || fail "wine does not run"
}
