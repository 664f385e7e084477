#!/bin/sh
# Checks the Debian package the way a family's computer meets it: builds it,
# validates its desktop entry, AppStream data and manual page, lints it,
# installs it with apt (so its dependencies come from the archive), plays one
# short game from the menu entry's command as a new ordinary user and once as
# root, checks that each board landed in the player's own data folder in the
# game's code page and that nothing was written under /usr, then removes the
# package and checks that none of its files or folders is left.
#
# It installs the package and adds a user for a while: meant for CI and
# machines that may be changed. Runs as root or through sudo.
#   scripts/check_package.sh
set -eu
cd "$(dirname "$0")/.."
ROOT=$PWD
if [ "$(id -u)" -eq 0 ]; then AS_ROOT=""; else AS_ROOT=sudo; fi
APT="env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=600"
APP_ID=org.pellaro.Pellaro

T=$(mktemp -d)
chmod 755 "$T"
PLAYER=""
cleanup() {
  [ -z "$PLAYER" ] || $AS_ROOT userdel -r "$PLAYER" 2>/dev/null || true
  if dpkg-query -W -f='${db:Status-Abbrev}' pellaro 2>/dev/null | grep -q '^i'; then
    $AS_ROOT $APT purge pellaro >/dev/null 2>&1 || true
  fi
  $AS_ROOT rm -rf "$T"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
. tests/install/validate.sh
STEP_START=$(date +%s)
step() {
  now=$(date +%s)
  [ -z "${STEP:-}" ] || echo "   ($STEP: $((now - STEP_START)) s)"
  STEP=$1; STEP_START=$now
  echo "== $STEP"
}

step "package"
sh scripts/package.sh >"$T/package.log" 2>&1 || { cat "$T/package.log"; fail "the package was not built"; }
DEB=$(ls "$ROOT"/build-package/pellaro_*.deb)
VERSION=$(dpkg-deb -f "$DEB" Version)
echo "$DEB"
depends=$(dpkg-deb -f "$DEB" Depends)
for lib in fonts-arphic-uming libqt6gui6 libqt6widgets6 libsdl2-2.0-0; do
  echo "$depends" | grep -q "\\b$lib\\b" || fail "Depends lacks $lib: $depends"
done

step "validate the desktop entry, the metainfo and the manual page"
dpkg-deb -x "$DEB" "$T/tree"
DESKTOP=$T/tree/usr/share/applications/$APP_ID.desktop
validate_desktop_entry "$DESKTOP"
grep -qx 'Exec=/usr/games/pellaro' "$DESKTOP" || fail "the menu entry does not start /usr/games/pellaro"
METAINFO=$T/tree/usr/share/metainfo/$APP_ID.metainfo.xml
validate_metainfo "$METAINFO"
grep -q "<release version=\"$VERSION\" date=\"[0-9-]*\"" "$METAINFO" || fail "the metainfo has no release $VERSION"
validate_manual_page "$T/tree/usr/share/man/man6/pellaro.6.gz"

step "lintian"
lint=0
lintian --fail-on error,warning --display-info "$DEB" >"$T/lintian.log" 2>&1 || lint=$?
grep -v 'running with root privileges' "$T/lintian.log" || true
[ "$lint" -eq 0 ] || fail "lintian reports errors or warnings"

step "install with apt"
if dpkg-query -W -f='${db:Status-Abbrev}' pellaro 2>/dev/null | grep -q '^i'; then
  $AS_ROOT $APT purge pellaro >/dev/null
fi
if ! $AS_ROOT $APT install "$DEB" >"$T/apt.log" 2>&1; then
  # The archive's lists may be missing or stale on a machine that had
  # everything else already.
  $AS_ROOT $APT update >/dev/null
  $AS_ROOT $APT install "$DEB" >"$T/apt.log" 2>&1 || { cat "$T/apt.log"; fail "apt-get install"; }
fi
dpkg-query -L pellaro >"$T/files"
# The entry's own command (its actions, such as full screen, have theirs).
EXEC=$(sed -n '/^\[Desktop Entry\]/,/^\[/s/^Exec=//p' "/usr/share/applications/$APP_ID.desktop")

step "play as a new ordinary user, from the menu entry's command"
PLAYER=pellaro-player-$$
$AS_ROOT useradd --create-home --shell /bin/sh "$PLAYER"
HOME_DIR=$(getent passwd "$PLAYER" | cut -d: -f6)
# The play test and the digit pictures it reads the scale with, where the
# player may read them.
cp -r tests/xvfb "$T/xvfb"
cp -r build-package/generated/pictures "$T/pictures"
chmod -R a+rX "$T/xvfb" "$T/pictures"
# A login shell of the player's, as a terminal gives it (its PATH has /usr/games),
# in a UTF-8 locale for the Chinese window names the play test looks for.
as_player() { $AS_ROOT runuser -l "$PLAYER" -c "LANG=C.UTF-8 $1"; }
[ "$(as_player 'pellaro --version')" = "pellaro $VERSION" ] ||
  fail "'pellaro' on an ordinary user's command line does not start version $VERSION"
touch "$T/stamp"
sleep 1
as_player "INSTALLED=1 sh $T/xvfb/run.sh sh $T/xvfb/play_a_game.sh $EXEC $T/pictures"

# The board of level 1 is the player's own and starts with the name 小明 in
# GB18030 (the play test has checked its bytes where it expected it).
check_board() {
  board=$1/.local/share/pellaro/dreb0.tmp
  $AS_ROOT test -f "$board" || fail "no board at $board"
  [ "$($AS_ROOT stat -c %U "$board")" = "$2" ] || fail "$board does not belong to $2"
  printf '\320\241\303\367,' >"$T/name"
  $AS_ROOT head -c 5 "$board" | cmp -s - "$T/name" || fail "$board does not start with 小明 in GB18030"
}
check_board "$HOME_DIR" "$PLAYER"

step "play as root with a fresh home folder"
mkdir "$T/root-home"
$AS_ROOT env -i HOME="$T/root-home" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 INSTALLED=1 sh "$T/xvfb/run.sh" sh "$T/xvfb/play_a_game.sh" "$EXEC" "$T/pictures"
check_board "$T/root-home" root

written=$(find /usr -xdev -newer "$T/stamp" 2>/dev/null | head -n 20)
[ -z "$written" ] || fail "the game wrote under /usr: $written"

step "remove"
$AS_ROOT $APT remove pellaro >/dev/null
# Without configuration files to keep, removing is purging: dpkg forgets it.
status=$(dpkg-query -W -f='${db:Status-Abbrev}' pellaro 2>/dev/null || true)
case "$status" in
  ''|u*|p*) ;;
  *) fail "after apt remove the package is still known to dpkg as '$status'" ;;
esac
while read -r path; do
  [ "$path" = "/." ] && continue
  if [ -d "$path" ]; then
    # A folder that stays must belong to another package.
    dpkg-query -S "$path" >/dev/null 2>&1 || fail "apt remove left the folder $path"
  elif [ -e "$path" ] || [ -L "$path" ]; then
    fail "apt remove left $path"
  fi
done <"$T/files"
$AS_ROOT test -f "$HOME_DIR/.local/share/pellaro/dreb0.tmp" || fail "removing the game removed a player's board"

step "done"
echo "ok: the package builds, is clean, installs, plays, keeps boards per user and removes cleanly"
