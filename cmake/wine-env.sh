# Sourced by the wine runner and the test scripts: the wine that runs our Windows programs.
#   On Debian 13: the machine's wine 10, for 32- and 64-bit programs (with wine32:i386).
#   On Debian 12: the machine's wine 8 for 64-bit programs; for 32-bit ones
#   (VELLUMAR_WINE_BITS=32, the i686 build) Debian 13's wine 10 in the chroot
#   build/debian13-root (made by debian13-root.sh on first use), so that every change runs
#   on two Win32 implementations.
# Sets WINE and WINE_SERVER, the commands that run a Windows program and the wineserver, and
# exports what wine itself reads: loader and server (as wine sees them), quiet debug
# channels, no Mono or Gecko installer prompts. WINE_SHOWS_OTHER_PROCESS_CHILDREN says whether
# what a child window paints reaches the screen when its parent belongs to another process
# (the saver's preview box): wine 8 does not show it, wine 10 does.
VELLUMAR_WINE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Both releases name their 64-bit loader and server so; the loader starts 32-bit programs
# through /usr/lib/wine/wine, the loader of wine32:i386, where that is installed.
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
unset WINEARCH VELLUMAR_WINE_ROOT
WINE=$WINELOADER
WINE_SERVER=$WINESERVER
WINE_SHOWS_OTHER_PROCESS_CHILDREN=yes
if [ "$(. /etc/os-release && echo "${VERSION_ID%%.*}")" != 13 ]; then
  if [ "${VELLUMAR_WINE_BITS:-64}" = 32 ]; then
    export VELLUMAR_WINE_ROOT=$(cd "$VELLUMAR_WINE_TOOLS/.." && pwd)/build/debian13-root
    WINE=$VELLUMAR_WINE_TOOLS/debian13/wine
    WINE_SERVER=$VELLUMAR_WINE_TOOLS/debian13/wineserver
  else
    export WINEARCH=win64
    WINE_SHOWS_OTHER_PROCESS_CHILDREN=no
  fi
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
