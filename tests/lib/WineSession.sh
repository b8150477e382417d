# Shared by the scripts that run our Windows programs under wine on a private Xvfb (tests/e2e,
# tests/reliability). Sourced after WORK is set, not run.
# WINE and WINE_SERVER run a Windows program and the wineserver directly, under the wine the
# build's tests use (cmake/wine-env.sh), in the prefix of VELLUMAR_WINE_DIR (default $WORK/wine).
source "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/Session.sh"
export VELLUMAR_WINE_DIR=${VELLUMAR_WINE_DIR:-$WORK/wine}
export WINEPREFIX=$VELLUMAR_WINE_DIR/prefix

# The EXIT trap: the programs the script started, the prefix's wineserver, then the display.
wine_cleanup() {
  end_started
  "$WINE_SERVER" -k 2>/dev/null
  cleanup
}

# The Windows spelling of an existing path, through wine's Z: drive.
windows_path() {
  local path
  path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  echo "Z:${path//\//\\}"
}

# Finds the prefix's temporary folder (TEMP_DIR) and removes what an earlier saver left there.
clean_temp_dir() {
  TEMP_DIR=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d \( -name Temp -o -name temp \) | head -n1)
  [ -d "$TEMP_DIR" ] || fail "no temporary directory in the prefix"
  saver_temp_files -delete
}

# The saver's snapshot file and "~ex" temporary files in TEMP_DIR (find's further arguments
# "$@" act on them; by default their paths are printed).
saver_temp_files() {
  find "$TEMP_DIR" -maxdepth 1 \( -iname 'cTempPicture.bmp' -o -iname '~ex*' \) "$@" 2>/dev/null
}
