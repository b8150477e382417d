#!/usr/bin/env bash
# Installation, in two parts: `cmake --install` lays out the program, its XScreenSaver
# settings file and its manual page where Debian's XScreenSaver looks for them (layout), and
# xscreensaver-settings reads the settings file without complaint and starts the installed
# program in its preview (settings).
#   InstallE2E.sh layout|settings BUILD_DIR VELLUMAR WORK_DIR
# The settings part needs a private mount namespace; where the machine refuses one it exits
# with 77, which ctest reports as skipped.
#
# xscreensaver-settings reads settings files only from /usr/share/xscreensaver/config. Rather
# than write there, the check runs it in a private mount namespace in which a folder holding
# links to the system's files and our installed one is mounted over that folder; the mount
# ends with the program and is never seen outside it.
set -uo pipefail

PART=$1 BUILD=$2 VELLUMAR=$3
source "$(dirname "$0")/X11TestLib.sh"
WORK=$(fresh_dir "$4") || fail "no work folder"
# The user nobody runs the settings program as root's stand-in and must reach the installed
# program and its home: inside the build folder when it can, else in a private folder in /tmp.
SHARED=$WORK
if [ "$(id -u)" = 0 ] && ! setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$WORK"; then
  SHARED=$(mktemp -d /tmp/vellumar-install.XXXXXX)
  chmod 755 "$SHARED"
fi
finish() {
  cleanup
  [ "$SHARED" != "$WORK" ] && rm -rf "$SHARED"
  return 0
}
trap finish EXIT

# ---- A prefix of one's own (and, for the layout, /usr through DESTDIR as a package build does it).
cmake --install "$BUILD" --prefix "$SHARED/prefix" >"$WORK/install.log" || fail "cmake --install failed: $(cat "$WORK/install.log")"

# ---- The layout: what is installed where, the settings file and the manual page.
check_layout() {
  DESTDIR=$WORK/destdir cmake --install "$BUILD" --prefix /usr >>"$WORK/install.log" || fail "cmake --install with DESTDIR failed"
  for root in "$SHARED/prefix" "$WORK/destdir/usr"; do
    [ -x "$root/libexec/xscreensaver/vellumar" ] || fail "no program in $root/libexec/xscreensaver"
    cmp -s "$VELLUMAR" "$root/libexec/xscreensaver/vellumar" || fail "the installed program is not the built one"
    [ -f "$root/share/xscreensaver/config/vellumar.xml" ] || fail "no settings file in $root/share/xscreensaver/config"
    [ -f "$root/share/man/man6/vellumar.6x" ] || fail "no manual page in $root/share/man/man6"
  done
  installed=$(cd "$WORK/destdir" && find . -type f | sort | tr '\n' ' ')
  [ "$installed" = "./usr/libexec/xscreensaver/vellumar ./usr/share/man/man6/vellumar.6x ./usr/share/xscreensaver/config/vellumar.xml " ] ||
    fail "the installation holds other files: $installed"
  # Debian's XScreenSaver keeps its own modes in the same places.
  for peer in /usr/libexec/xscreensaver/ripples /usr/share/xscreensaver/config/ripples.xml /usr/share/man/man6/ripples.6x.gz; do
    [ -e "$peer" ] || fail "$peer is missing: is this Debian's XScreenSaver?"
  done
  note "installed: $installed(beside XScreenSaver's own modes with the prefix /usr)"

  "$SHARED/prefix/libexec/xscreensaver/vellumar" --help | grep -q -- "--window-id" || fail "the installed program does not run"

  python3 - "$SHARED/prefix/share/xscreensaver/config/vellumar.xml" <<'PY' || fail "the settings file"
import sys
import xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
assert root.tag == "screensaver", root.tag
assert root.get("name") == "vellumar", root.get("name")
assert root.get("_label"), "no label"
assert [c.get("arg") for c in root.iter("command")] == ["--root"], "the command is not --root"
assert root.find("_description") is not None and root.find("_description").text.strip(), "no description"
PY
  MANWIDTH=80 man --warnings -l "$SHARED/prefix/share/man/man6/vellumar.6x" >"$WORK/man.txt" 2>"$WORK/man.err" || fail "man cannot show the page"
  [ ! -s "$WORK/man.err" ] || fail "the manual page has faults: $(cat "$WORK/man.err")"
  for option in --root --window-id --display --ticks XSCREENSAVER_WINDOW "EXIT STATUS"; do
    grep -q -- "$option" "$WORK/man.txt" || fail "the manual page says nothing of $option"
  done
  note "the settings file parses and names the command --root; the manual page renders without warnings"
  echo "PASS: installation"
}
[ "$PART" = settings ] || { check_layout; exit; }


# ---- xscreensaver-settings with our file among the system's.
mkdir -p "$SHARED/config" "$SHARED/home"
ln -s /usr/share/xscreensaver/config/* "$SHARED/config/"
cp "$SHARED/prefix/share/xscreensaver/config/vellumar.xml" "$SHARED/config/"
printf 'mode:\tone\nselected:\t0\nprograms:\t\\\n\t\tvellumar --root \\n\\\n\n' >"$SHARED/home/.xscreensaver"
AS_USER=()
PREVIEW=yes
if [ "$(id -u)" = 0 ]; then
  # The settings program runs its preview only for a user other than root.
  AS_USER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown -R nobody:nogroup "$SHARED/home"
  "${AS_USER[@]}" test -x "$SHARED/prefix/libexec/xscreensaver/vellumar" ||
    fail "the user nobody cannot run the installed program in $SHARED"
  NAMESPACE=(unshare --mount --propagation private)
else
  # Without root, a user namespace allows the mount, but inside it the settings program is root
  # and shows no preview: only the reading of the settings file is checked.
  NAMESPACE=(unshare --map-root-user --mount --propagation private)
  PREVIEW=no
fi
if ! "${NAMESPACE[@]}" true 2>/dev/null; then
  echo "SKIPPED: xscreensaver-settings with our file needs a private mount namespace, which this machine refuses"
  exit 77
fi
start_display 1024x768x24
# shellcheck disable=SC2016
"${NAMESPACE[@]}" bash -c 'mount --bind "$1" /usr/share/xscreensaver/config && shift && exec "$@"' mount \
  "$SHARED/config" "${AS_USER[@]}" env HOME="$SHARED/home" PATH="$SHARED/prefix/libexec/xscreensaver:$PATH" \
  DISPLAY="$DISPLAY" xscreensaver-settings --debug >"$WORK/settings.log" 2>&1 &
SETTINGS_PID=$!
started $SETTINGS_PID
wait_line "$WORK/settings.log" 'forked [0-9]* (vellumar)' 30 || fail "the settings program did not start our preview: $(tail -5 "$WORK/settings.log")"
sleep 2
kill -0 "$SETTINGS_PID" 2>/dev/null || fail "the settings program ended: $(tail -5 "$WORK/settings.log")"
grep -q 'reading /usr/share/xscreensaver/config/vellumar.xml' "$WORK/settings.log" || fail "the settings program did not read our file"
! grep -q -E 'vellumar.xml does not exist|parser error|WARNING: vellumar|vellumar: ' "$WORK/settings.log" ||
  fail "the settings program complains: $(grep -E 'vellumar|parser error' "$WORK/settings.log" | head -5)"
note "xscreensaver-settings lists vellumar and read vellumar.xml without complaint"
preview=$(sed -n 's/.*forked \([0-9]*\) (vellumar).*/\1/p' "$WORK/settings.log" | tail -n1)
if [ "$PREVIEW" = yes ]; then
  kill -0 "$preview" 2>/dev/null || fail "the preview ended: $(grep -i vellumar "$WORK/settings.log" | tail -3)"
  note "its preview runs the installed program (process $preview)"
fi
end_started
wait_until 5 ended "$preview" || fail "the preview outlived the settings program"
findmnt /usr/share/xscreensaver/config >/dev/null && fail "a mount over the settings folder is left"
echo "PASS: the settings program with the installed file"
