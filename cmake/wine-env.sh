# Sourced by the wine runner and the test scripts: the wine that runs our Windows programs,
# the machine's own (wine 8 on Debian 12, wine 10 on Debian 13): wine64 runs the 64-bit
# programs and hands the 32-bit ones to wine32:i386's loader, in the same prefix.
# Sets WINE and WINE_SERVER, the commands that run a Windows program and the wineserver, and
# exports what wine itself reads: loader and server, quiet debug channels, no Mono or Gecko
# installer prompts. WINE_SHOWS_OTHER_PROCESS_CHILDREN says whether what a child window paints
# reaches the screen when its parent belongs to another process (the saver's preview box):
# wine 8 does not show it, wine 10 does.
# make_wine_prefix makes a prefix for it.
VELLUMAR_WINE_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64
WINE=$WINELOADER
WINE_SERVER=$WINESERVER
if [ "$(. /etc/os-release && echo "${VERSION_ID%%.*}")" = 12 ]; then
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=no
else
  WINE_SHOWS_OTHER_PROCESS_CHILDREN=yes
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Where the one template prefix of this machine's wine lives (see make_wine_prefix).
VELLUMAR_WINE_TEMPLATE=${VELLUMAR_WINE_TEMPLATE:-$(cd "$VELLUMAR_WINE_TOOLS/.." && pwd)/build/wine-template}

# Makes PREFIX a ready prefix (wine's crash dialog off, so that a crashing program fails
# instead of hanging), unless it is one already. Every prefix is a copy of one template,
# made once under a lock: a fresh prefix is mostly wine's libraries (0.7 to 1.4 GB), which
# wine never writes there, so the copy hard-links them and copies the rest (registry, ini and
# other files that wine and programs rewrite in place; wine writes a registry file with more
# than one link in place).
make_wine_prefix() {
  local prefix=$1 template=$VELLUMAR_WINE_TEMPLATE
  [ -f "$prefix/.vellumar-ready" ] && return 0
  mkdir -p "$(dirname "$template")" || return 1
  (
    flock 8
    [ -f "$template/.vellumar-ready" ] && exit 0
    rm -rf "$template"
    WINEPREFIX=$template "$WINE" wineboot -i >/dev/null 2>&1 || exit 1
    WINEPREFIX=$template "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1 || exit 1
    # The registry reaches the disk when the server ends.
    WINEPREFIX=$template "$WINE_SERVER" -w
    touch "$template/.vellumar-ready"
  ) 8>"$template.lock" || return 1
  rm -rf "$prefix" "$prefix.new" && mkdir -p "$(dirname "$prefix")" || return 1
  cp -al "$template" "$prefix.new" || return 1
  find "$prefix.new" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.nls' -o -iname '*.drv' \
    -o -iname '*.sys' -o -iname '*.vxd' -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' \
    -o -iname '*.ds' -o -iname '*.com' -o -iname '*.ax' -o -iname '*.msstyles' -o -iname '*.mod' \) \
    -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f" || exit 1; done' copy {} + || return 1
  mv "$prefix.new" "$prefix"
}
