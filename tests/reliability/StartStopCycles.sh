#!/usr/bin/env bash
# Start-stop cycles of the real saver under wine and Xvfb (1024x768).
#   StartStopCycles.sh WINE_RUN SAVER HELPER WORK_DIR [CYCLES]
# Every cycle starts the saver full screen and, once its window shows and the mouse event at
# rest has passed, ends it with one input, in rotation: a key, a mouse click, a one-pixel
# mouse move, another program's window taking the activation. Each run must end with
# status 0 within 5 s of its input, and leave no snapshot file, no "~ex" temporary file and
# no saver or debugger process behind.
set -uo pipefail

WINE_RUN=$1 SAVER=$2 HELPER=$3 WORK=$4 CYCLES=${5:-30}
source "$(dirname "$0")/ReliabilityLib.sh"
begin_run

KEYS=(space Escape a Return Alt_L F10 Shift_L 7)
BUTTONS=(1 3 2)
MOVES=("1 0" "0 1" "-- -1 0" "0 -1")
BACK=("-- -1 0" "0 -1" "1 0" "0 1")
declare -A ENDED=()
window_or_end() {
  [ -n "$(saver_window)" ] || { ended "$pid" && fail "cycle $cycle: the saver ended before its window showed"; }
}

# The pointer starts where wine's first mouse event reports it, the screen's centre, and is
# not put back after a move: wine keeps the position the last saver saw, and a pointer moved
# behind its back would show up as a move in the next saver.
xdotool mousemove $((WIDTH / 2)) $((HEIGHT / 2))
for ((cycle = 1; cycle <= CYCLES; cycle++)); do
  "$WINE" "$SAVER" /s >/dev/null 2>&1 &
  pid=$!
  started $pid
  wait_until 10 window_or_end
  [ -n "$(saver_window)" ] || fail "cycle $cycle: no saver window after 10 s"
  # Wine's own mouse event at rest comes just after the window shows; it must not end it.
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "cycle $cycle: the saver ended without input"

  case $((cycle % 4)) in
    1) input="key ${KEYS[$(((cycle / 4) % ${#KEYS[@]}))]}"; xdotool $input ;;
    2) input="click ${BUTTONS[$(((cycle / 4) % ${#BUTTONS[@]}))]}"; xdotool $input ;;
    3) move=$(((cycle / 4) % ${#MOVES[@]}))
       input="mousemove_relative ${MOVES[$move]}"; xdotool $input ;;
    0) input="another window activated"
       "$WINE" "$HELPER" activate 1000 >"$RUN/activate-$cycle.log" 2>&1 &
       helper=$!
       started $helper ;;
  esac
  started=$(date +%s%N)
  # Wine 10 does not always send its event at rest before a move that follows 0.5 s later: the
  # saver then takes the moved position for its first one, as it should. Any move after that
  # must end it: the one back.
  if [[ $input == mousemove_relative* ]] && ! wait_exit "$pid" 2; then
    note "cycle $cycle: no mouse event at rest came before '$input'; moving back"
    xdotool mousemove_relative ${BACK[$move]}
    input="$input, then back"
    wait_exit "$pid" 5 || fail "cycle $cycle: '$input' did not end the saver within 5 s"
  elif [[ $input != mousemove_relative* ]]; then
    wait_exit "$pid" 5 || fail "cycle $cycle: '$input' did not end the saver within 5 s"
  fi
  elapsed=$((($(date +%s%N) - started) / 1000000))
  [ "$EXIT_STATUS" = 0 ] || fail "cycle $cycle: after '$input' the saver ended with status $EXIT_STATUS"
  if [ "$input" = "another window activated" ]; then
    wait_exit "$helper" 10 || fail "cycle $cycle: the activating program did not end"
    grep -q '^activated' "$RUN/activate-$cycle.log" || fail "cycle $cycle: $(cat "$RUN/activate-$cycle.log")"
  fi
  left=$(saver_temp_files -printf '%f ')
  [ -z "$left" ] || fail "cycle $cycle: left in the temporary directory: $left"
  left=$(leftover_programs)
  [ -z "$left" ] || fail "cycle $cycle: processes left: $left"
  kind=${input%% *}
  [ "$input" = "another window activated" ] && kind=deactivation
  ENDED[$kind]=$((${ENDED[$kind]:-0} + 1))
  note "cycle $cycle: '$input' ended the saver with status 0 after $elapsed ms; nothing left behind"
done

summary=""
for kind in key click mousemove_relative deactivation; do summary+=" $kind ${ENDED[$kind]:-0},"; done
note "$CYCLES full-screen starts, each ended with status 0:${summary%,}"
echo "PASS: start-stop cycles"
