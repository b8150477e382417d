# Shared by the end-to-end tests of the configure dialog and the installer. Sourced, not run.
# Each test gets its own Xvfb (on a free display) and runs Windows programs through the wine
# runner in a wine folder of its own (VELLUMAR_WINE_DIR), so that what it changes in the
# prefix's registry never meets another test.
#   WINE_RUN          the wine runner (cmake/wine-run.sh)
#   VELLUMAR_WINE_DIR the wine folder

source "$(dirname "${BASH_SOURCE[0]}")/XSession.sh"

# Runs a wine program to its end (registry edits and the like); its output is dropped.
wine_quiet() {
  "$WINE_RUN" "$@" >/dev/null 2>&1
}

# The Windows spelling of a Unix path, through wine's Z: drive.
windows_path() {
  local path
  path=$(cd "$1" && pwd)
  echo "Z:${path//\//\\}"
}

# Waits up to $2 seconds (default 30) for a visible window whose title is exactly $1 and
# prints its X id.
wait_window() {
  local title=$1 limit=${2:-30} id i
  for ((i = 0; i < limit * 10; i++)); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# True when the X window is a direct child of the root window: a top-level window.
is_top_level() {
  xwininfo -id "$1" -children 2>/dev/null | grep -q 'Parent window id: .*(the root window)'
}

# Visible windows on the display, one id a line, sorted.
visible_windows() {
  xdotool search --onlyvisible --name '' 2>/dev/null | sort
}

# Waits up to $2 seconds (default 20) for process $1, a child of this shell, to end, and
# leaves its exit status in EXIT_STATUS. Fails (returns 1) on timeout.
EXIT_STATUS=""
wait_exit() {
  local pid=$1 limit=${2:-20} i
  for ((i = 0; i < limit * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      EXIT_STATUS=0
      wait "$pid" || EXIT_STATUS=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits up to $3 seconds (default 15) until the recording program's log $1 holds $2 starts.
wait_records() {
  local log=$1 count=$2 limit=${3:-15} i
  for ((i = 0; i < limit * 10; i++)); do
    [ -f "$log" ] && [ "$(grep -c '^command: ' "$log")" -ge "$count" ] && return 0
    sleep 0.1
  done
  return 1
}

# The command line of the n-th start in a recording program's log, without the line's CR.
recorded_command() {
  grep '^command: ' "$1" | sed -n "${2}p" | sed 's/^command: //; s/\r$//'
}

recorded_show() {
  grep '^show: ' "$1" | sed -n "${2}p" | sed 's/^show: //; s/\r$//'
}

recorded_directory() {
  grep '^directory: ' "$1" | sed -n "${2}p" | sed 's/^directory: //; s/\r$//'
}

# Starts the test's wine session and keeps it up: one wine program runs for the whole test,
# so that the wineserver and wine's desktop stay up between the programs the test starts
# (each run would start them anew). The first run in a fresh wine folder makes the prefix and
# shows wine's own progress window meanwhile; the next run waits for it, so what the test
# watches afterwards is only its programs' doing. Without a window manager, wine's windows are
# made unmanaged: a managed window waits for a manager that never answers whenever it hides.
start_wine_session() {
  "$WINE_RUN" ping.exe -n 3600 127.0.0.1 >/dev/null 2>&1 &
  STARTED_PIDS+=("$!")
  wine_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || fail "wine does not run"
}
