# Processes and X displays for scripts: bounded waits, ending processes by their own ids, and a
# private Xvfb. Sourced by the wine runner and by the tests' session helpers (tests/lib).

# Runs "${@:2}" every 50 ms until it succeeds, for at most $1 (whole) seconds of the clock,
# however long each run takes; false if it never did.
wait_until() {
  local deadline=$((${EPOCHREALTIME//[!0-9]/} + $1 * 1000000))
  shift
  until "$@"; do
    [ "${EPOCHREALTIME//[!0-9]/}" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits up to $2 seconds for process $1, a child of this shell, to end and leaves its exit
# status in EXIT_STATUS; false on timeout. (Not in a subshell: only this shell can reap it.)
wait_exit() {
  EXIT_STATUS=""
  wait_until "$2" ended "$1" || return 1
  EXIT_STATUS=0
  wait "$1" 2>/dev/null || EXIT_STATUS=$?
}

# Ends our children "$@": SIGTERM (and SIGCONT, for a stopped one), then SIGKILL after 5 s.
end_processes() {
  local pid
  for pid in "$@"; do kill "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null; done
  for pid in "$@"; do
    wait_exit "$pid" 5 || { kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
  done
}

# Starts an Xvfb in a session of its own (it is ended by its id, never through a process
# group) on a free display, screen $1 (WxHxD), Xvfb options "${@:2}", and waits up to 20 s
# for the display number it writes once it takes connections. Sets XVFB_DISPLAY (":N") and
# XVFB_PID; false, with the server ended, when it does not come up.
launch_xvfb() {
  local geometry=$1 fifo number
  shift
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/vellumar-displayfd.XXXXXX")
  mkfifo "$fifo" || return 1
  # -noreset: what a program left on the screen (the desktop picture) outlives it; the server
  # would reset when its last client leaves.
  setsid Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset "$@" 3>"$fifo" >/dev/null 2>&1 </dev/null &
  XVFB_PID=$!
  number=$(timeout 20 head -n1 "$fifo")
  rm -f "$fifo"
  XVFB_DISPLAY=:$number
  [ -n "$number" ] || { end_processes "$XVFB_PID"; return 1; }
}
