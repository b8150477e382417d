#!/bin/sh
# Prints, one a line, the Debian packages of the wine that runs our Windows programs (see
# wine-env.sh): wine64 for the 64-bit programs and wine32:i386 beside it for the 32-bit ones,
# with the X libraries wine loads when present in both widths: without them an unmanaged
# full-screen window of a 32-bit program never receives its timer messages. The same names
# serve Debian 12 and 13.
set -e
{
  echo wine64 wine wine32:i386
  for lib in libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1; do
    echo "$lib" "$lib:i386"
  done
} | tr ' ' '\n'
