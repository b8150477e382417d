# Sourced by the wine runner and the test scripts: the wine that runs our Windows programs.
#   VELLUMAR_WINE_ROOT unset or empty: this machine's wine 8, which runs 64-bit programs only.
#   VELLUMAR_WINE_ROOT=DIR: wine 10 in WoW64 mode inside the Debian sid chroot DIR (made by
#   wine10-root.sh), which runs 32-bit and 64-bit programs.
# Sets WINE and WINE_SERVER, the commands that run a Windows program and the wineserver, and
# exports what wine itself reads: loader and server (as wine sees them), quiet debug
# channels, no Mono or Gecko installer prompts. WINE_SHOWS_OTHER_PROCESS_CHILDREN says whether
# what a child window paints reaches the screen when its parent belongs to another process
# (the saver's preview box): wine 8 does not show it, wine 10 does.
VELLUMAR_WINE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ -n "${VELLUMAR_WINE_ROOT:-}" ]; then
  WINE=$VELLUMAR_WINE_TOOLS/wine10/wine
  WINE_SERVER=$VELLUMAR_WINE_TOOLS/wine10/wineserver
  export WINELOADER=/usr/lib/x86_64-linux-gnu/wine/wine
  export WINESERVER=/usr/lib/x86_64-linux-gnu/wine/wineserver
  unset WINEARCH
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=yes
else
  # /usr/bin/wine would pick the 32-bit loader, which this kernel cannot start.
  WINE=/usr/lib/wine/wine64
  WINE_SERVER=/usr/lib/wine/wineserver64
  export WINELOADER=$WINE WINESERVER=$WINE_SERVER WINEARCH=win64
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=no
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
