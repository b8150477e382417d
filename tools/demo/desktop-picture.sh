#!/bin/sh
# Draws the replay demo's desktop picture with ImageMagick: a sky, a sun, three desktop icons
# and a range of green hills, 640x400.
#   desktop-picture.sh OUT.png
set -e
[ $# -eq 1 ] || { echo "usage: desktop-picture.sh OUT.png" >&2; exit 2; }
exec /usr/bin/convert -size 640x400 gradient:'#0b3d6b'-'#7cc6e8' \
  \( -size 640x400 tile:pattern:hexagons -negate -alpha copy -channel A -evaluate multiply 0.35 +channel \
     -fill white -colorize 100 \) -composite \
  -fill '#f6d365' -stroke '#c9822b' -strokewidth 4 -draw 'circle 520,90 560,90' \
  -stroke '#3a3a3a' -strokewidth 2 -fill '#e9edf2' -draw 'roundrectangle 24,24 72,72 8,8' \
  -fill '#f2c14e' -draw 'roundrectangle 24,100 72,148 8,8' \
  -fill '#9ad1a0' -draw 'roundrectangle 24,176 72,224 8,8' \
  -stroke none -fill '#2e8b57' -draw 'polygon 0,400 0,300 120,250 260,320 400,260 520,330 640,280 640,400' \
  "$1"
