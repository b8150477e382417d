#!/bin/sh
# Prints, one a line, the Debian packages of the wine that runs our Windows programs on this
# machine's release (see wine-env.sh). Debian 13 runs the 32-bit programs itself, through
# wine32:i386 beside wine64, with the X libraries wine loads when present in both widths:
# without them an unmanaged full-screen window of a 32-bit program never receives its timer
# messages. Debian 12 runs only the 64-bit ones itself.
set -e
if [ "$(. /etc/os-release && echo "${VERSION_ID%%.*}")" = 13 ]; then
  echo wine64 wine wine32:i386
  for lib in libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1; do
    echo "$lib" "$lib:i386"
  done
else
  echo wine64
fi | tr ' ' '\n'
