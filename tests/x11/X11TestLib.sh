# Shared by the X11 saver's test scripts (and bench/x11-cpu.sh). Sourced, not run.
# The private Xvfb, the bounded waits and the clean-up are tests/lib/Session.sh's; here are
# the X11 saver's own: pictures of the screen and of the desktop, shared memory segments.
source "$(dirname "${BASH_SOURCE[0]}")/../lib/Session.sh"
PICTURES="/usr/bin/python3 $(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/x11_pictures.py"

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

# Makes a window of TEST_HELPER's ($HELPER; kind $1: window, window32 or input-only; geometry
# $2), its report in a new file under WORK; sets WINDOW to its id and WINDOW_PID to its process.
helper_window() {
  local report
  report=$(mktemp "$WORK/window.XXXXXX")
  "$HELPER" "$1" "$2" >"$report" &
  WINDOW_PID=$!
  started $WINDOW_PID
  wait_line "$report" '^0x' 10 || fail "the test helper made no $1 $2"
  WINDOW=$(head -n1 "$report")
}

# Shows the desktop picture $1 (WxH; drawn there first when missing) on the root window
# through TEST_HELPER ($HELPER) and checks it on the screen: $RUN/desktop.png (and .ppm).
show_desktop() {
  [ -f "$1" ] || draw_desktop "$1" "$2"
  "$HELPER" desktop "$1" || fail "cannot show the desktop picture"
  screenshot "$RUN/desktop.png"
  [ "$(differing_pixels "$1" "$RUN/desktop.png")" = 0 ] || fail "the desktop picture is not on the screen"
  convert "$RUN/desktop.png" "$RUN/desktop.ppm"
}

# Checks that the screen shows the desktop under ripples that move, $1 saying where.
expect_ripples() {
  local moved share
  screenshot "$RUN/first.png"
  sleep 0.5
  screenshot "$RUN/later.png"
  moved=$(differing_pixels "$RUN/first.png" "$RUN/later.png")
  [ "$moved" -gt 500 ] || fail "the ripples do not move$1: $moved pixels changed in half a second"
  convert "$RUN/later.png" "$RUN/later.ppm"
  share=$($PICTURES share "$RUN/desktop.ppm" "$RUN/later.ppm")
  awk -v s="$share" 'BEGIN { exit !(s >= 50 && s < 99.5) }' ||
    fail "the screen$1 matches the desktop in $share% of its pixels, not the desktop under ripples"
  note "the desktop under ripples$1: $share% of the pixels as on the desktop, $moved changed in half a second"
}
