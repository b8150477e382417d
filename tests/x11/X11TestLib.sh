# Shared by the X11 saver's test scripts. Sourced, not run.
# `start_display NAME WxHxD [Xvfb options]` starts an Xvfb of its own on a free display and sets
# DISPLAY; every program a script starts goes into STARTED_PIDS (`started PID`), and `cleanup`
# (the EXIT trap) ends them and the Xvfbs, each by its own process id.

declare -a STARTED_PIDS=()
declare -a XVFB_PIDS=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

note() { echo "-- $*"; }

started() { STARTED_PIDS+=("$1"); }

start_display() {
  local geometry=$1 fifo number
  shift
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/vellumar-x11-displayfd.XXXXXX")
  mkfifo "$fifo"
  # -noreset: the desktop picture must survive its program; the server would reset when its
  # last client leaves.
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset "$@" 3>"$fifo" >/dev/null 2>&1 </dev/null &
  XVFB_PIDS+=($!)
  number=$(timeout 20 head -n1 "$fifo")
  rm -f "$fifo"
  [ -n "$number" ] || fail "Xvfb $geometry $* did not start"
  export DISPLAY=":$number"
}

cleanup() {
  local pid
  for pid in "${STARTED_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${STARTED_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  for pid in "${XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  return 0
}

# Waits up to $2 seconds for our child $1 to end and sets EXIT_STATUS; false on timeout.
wait_exit() {
  local pid=$1 limit=${2:-10} i
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

# Waits up to $3 seconds for file $1 to hold a line matching $2.
wait_line() {
  local file=$1 pattern=$2 limit=${3:-20} i
  for ((i = 0; i < limit * 20; i++)); do
    grep -q -- "$pattern" "$file" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# The screen (or the part WxH+X+Y of it) as a PNG file.
screenshot() {
  local file=$1 area=${2:-}
  if [ -n "$area" ]; then
    import -window root -crop "$area" +repage "$file"
  else
    import -window root "$file"
  fi
}

# Pixels that differ between two pictures of the same size.
differing_pixels() {
  compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

# The shared memory segments process $1 created that still exist.
segments_of() {
  ipcs -m -p | awk -v pid="$1" '$3 == pid { print $1 }'
}

# A desktop picture at the display's size: a gradient, a sun and hills under a fixed noise, so
# that a pixel taken from the wrong place shows.
draw_desktop() {
  local file=$1 size=$2
  local width=${size%x*} height=${size#*x}
  convert -size "$size" gradient:'#0b3d6b'-'#7cc6e8' \
    \( -size "$size" pattern:checkerboard -alpha set -channel A -evaluate set 18% +channel \) -composite \
    -fill '#f6d365' -draw "circle $((width * 4 / 5)),$((height / 5)) $((width * 4 / 5 + width / 16)),$((height / 5))" \
    -fill '#2e8b57' -draw "polygon 0,$height 0,$((height * 5 / 8)) $((width / 5)),$((height / 2)) $((width * 2 / 5)),$((height * 2 / 3)) $((width * 3 / 5)),$((height / 2)) $((width * 4 / 5)),$((height * 2 / 3)) $width,$((height * 3 / 5)) $width,$height" \
    -seed 12 -attenuate 0.4 +noise Gaussian -depth 8 -type TrueColor "PNG24:$file"
}
