# Shared by the scripts that run programs on a private X display (tests/e2e, tests/reliability,
# tests/x11) and by cmake/wine-run.sh. Sourced, not run.
# A script lists the programs it starts in STARTED_PIDS (`started PID`); `start_display` lists
# its Xvfbs in XVFB_PIDS. `cleanup`, the EXIT trap, ends both, each by its own process id, and
# none of its waits is unbounded: a process that ignores SIGTERM gets SIGKILL after 5 s.

declare -a STARTED_PIDS=() XVFB_PIDS=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

note() { echo "-- $*"; }

started() { STARTED_PIDS+=("$@"); }

# Makes folder $1 if missing and prints its absolute path; fresh_dir empties it first.
work_dir() { mkdir -p "$1" && cd "$1" && pwd; }
fresh_dir() { rm -rf "$1" && work_dir "$1"; }

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

# Waits up to $3 seconds for file $1 to hold a line matching $2.
wait_line() { wait_until "$3" grep -q -- "$2" "$1" 2>/dev/null; }

# Ends our children "$@": SIGTERM (and SIGCONT, for a stopped one), then SIGKILL after 5 s.
end_processes() {
  local pid
  for pid in "$@"; do kill "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null; done
  for pid in "$@"; do
    wait_exit "$pid" 5 || { kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; }
  done
}

end_started() {
  end_processes "${STARTED_PIDS[@]}"
  STARTED_PIDS=()
}

# Ends the programs and then the displays: the EXIT trap, and between two displays.
cleanup() {
  end_started
  end_processes "${XVFB_PIDS[@]}"
  XVFB_PIDS=()
  return 0
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

# A private Xvfb for the script (screen $1, further Xvfb options after it): DISPLAY names it.
start_display() {
  launch_xvfb "$@" || fail "Xvfb $* did not start"
  XVFB_PIDS+=("$XVFB_PID")
  export DISPLAY=$XVFB_DISPLAY
}

# What a user sees while a program starts: SCREEN_WATCH (tests/screen) reads the screen every
# few ms, from before the start ("watching") until the first ripples. watch_start LABEL
# [OPTIONS...] starts it with OPTIONS once the screen shows the desktop $RUN/desktop.png again;
# its report goes to $RUN/watch-LABEL.log. Start the program then, and call `watched`.
desktop_back() {
  import -window root "$RUN/back.png" && [ "$(compare -metric AE "$RUN/desktop.png" "$RUN/back.png" null: 2>&1)" = 0 ]
}

watch_start() {
  wait_until 20 desktop_back || fail "the desktop did not come back before start '$1'"
  WATCH_LOG=$RUN/watch-$1.log
  "$SCREEN_WATCH" 30 "${@:2}" >"$WATCH_LOG" 2>&1 &
  WATCH_PID=$!
  started $WATCH_PID
  wait_line "$WATCH_LOG" '^watching' 10 || fail "the screen watcher did not start: $(cat "$WATCH_LOG")"
}

# The verdict on the start watched ($1 says which): its timeline as notes; the test fails when
# the screen showed a flash it must not, or no ripples came.
watched() {
  wait_exit "$WATCH_PID" 40 || fail "$1: the screen watcher did not end"
  local status=$EXIT_STATUS
  note "$1, from the start to the first ripples:"
  sed -n 's/^screen-watch: /     /p' "$WATCH_LOG"
  [ "$status" = 0 ] || fail "$1: $(grep -E 'FLASH|no ripples|could no longer' "$WATCH_LOG" | head -n3)"
}
