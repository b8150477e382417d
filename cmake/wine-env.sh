# Sourced by the wine runner and the test scripts: the wine that runs our Windows programs.
#   VELLUMAR_WINE_BITS=32 (the i686 build): a wine that runs 32-bit programs. The machine's
#   own when it is built in the new WoW64 mode (Debian 13's wine 10); on Debian 12, whose
#   wine needs a 32-bit Linux loader, Debian 13's wine in the chroot build/debian13-root
#   (made by debian13-root.sh on first use).
#   Otherwise: the machine's own wine (8 on Debian 12, 10 on Debian 13).
# Sets WINE and WINE_SERVER, the commands that run a Windows program and the wineserver, and
# exports what wine itself reads: loader and server (as wine sees them), quiet debug
# channels, no Mono or Gecko installer prompts. WINE_SHOWS_OTHER_PROCESS_CHILDREN says whether
# what a child window paints reaches the screen when its parent belongs to another process
# (the saver's preview box): wine 8 does not show it, wine 10 does.
VELLUMAR_WINE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Both releases name the 64-bit loader and server so; /usr/bin/wine would pick a 32-bit
# loader on Debian 12, which this kernel may not start.
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
unset WINEARCH VELLUMAR_WINE_ROOT
if [ -d /usr/lib/x86_64-linux-gnu/wine/i386-windows ]; then
  # WoW64 mode: one 64-bit loader runs 32- and 64-bit programs (wine 9 and later).
  WINE=$WINELOADER
  WINE_SERVER=$WINESERVER
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=yes
elif [ "${VELLUMAR_WINE_BITS:-64}" = 32 ]; then
  export VELLUMAR_WINE_ROOT=$(cd "$VELLUMAR_WINE_TOOLS/.." && pwd)/build/debian13-root
  WINE=$VELLUMAR_WINE_TOOLS/debian13/wine
  WINE_SERVER=$VELLUMAR_WINE_TOOLS/debian13/wineserver
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=yes
else
  WINE=$WINELOADER
  WINE_SERVER=$WINESERVER
  export WINEARCH=win64
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=no
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
