# Shared by the scripts that run programs on a private X display (tests/e2e, tests/reliability,
# tests/x11). Sourced, not run.
# A script lists the programs it starts in STARTED_PIDS (`started PID`); `start_display` lists
# its Xvfbs in XVFB_PIDS. `cleanup`, the EXIT trap, ends both, each by its own process id, and
# none of its waits is unbounded: a process that ignores SIGTERM gets SIGKILL after 5 s.

source "$(dirname "${BASH_SOURCE[0]}")/../../cmake/processes.sh"

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




# Waits up to $3 seconds for file $1 to hold a line matching $2.
wait_line() { wait_until "$3" grep -q -- "$2" "$1" 2>/dev/null; }


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
