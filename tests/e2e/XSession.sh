# Shared by the end-to-end and reliability scripts. Sourced, not run.
# A script gets an Xvfb of its own on a free display (WIDTH x HEIGHT, 1024 x 768 unless set)
# and lists the programs it starts in STARTED_PIDS; `cleanup` ends them, the wineserver of
# the prefix in VELLUMAR_WINE_DIR, and the Xvfb. WINE and WINE_SERVER run a Windows program
# and the wineserver directly, under the wine the build's tests use (cmake/wine-env.sh).
source "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine-env.sh"

XVFB_PID=""
declare -a STARTED_PIDS=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

note() { echo "-- $*"; }

start_display() {
  local fifo display
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/vellumar-displayfd.XXXXXX")
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${WIDTH:-1024}x${HEIGHT:-768}x24" -nolisten tcp -noreset 3>"$fifo" \
    >/dev/null 2>&1 </dev/null &
  XVFB_PID=$!
  display=$(timeout 20 head -n1 "$fifo")
  rm -f "$fifo"
  [ -n "$display" ] || fail "Xvfb did not start"
  export DISPLAY=":$display"
}

cleanup() {
  local pid
  for pid in "${STARTED_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${STARTED_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  WINEPREFIX="$VELLUMAR_WINE_DIR/prefix" "$WINE_SERVER" -k 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  return 0
}
