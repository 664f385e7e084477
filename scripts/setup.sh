#!/bin/sh
# Installs the Debian 12 packages that are missing, through sudo when not run
# as root; with everything there already it changes nothing and asks for no
# password.
#   scripts/setup.sh          everything: build, tests, the Debian package and its checks
#   scripts/setup.sh play     only what building and playing the game needs
#   scripts/setup.sh package  what building the Debian package needs
set -eu

# Building and playing the game.
PLAY_PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libqt6svg6
  libgl-dev libxkbcommon-dev libxcb1-dev
  libsdl2-dev libsndfile1-dev
  fonts-arphic-uming
  libqt6sql6-sqlite
"
# Making the Debian package (dpkg-shlibdeps; CPack finds programs with file).
PACKAGE_PACKAGES="$PLAY_PACKAGES dpkg-dev file"
# The tests and the package's checks, on top of those.
PACKAGES="$PACKAGE_PACKAGES
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick pulseaudio pulseaudio-utils
  clang-14 libclang-rt-14-dev
  desktop-file-utils appstream man-db groff-base fakeroot lintian
"

case "${1:-all}" in
  play) WANTED=$PLAY_PACKAGES ;;
  package) WANTED=$PACKAGE_PACKAGES ;;
  all) WANTED=$PACKAGES ;;
  *) echo "usage: scripts/setup.sh [play|package|all]" >&2; exit 2 ;;
esac

missing=""
for p in $WANTED; do
  dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null | grep -q '^ii' || missing="$missing $p"
done
if [ -z "$missing" ]; then
  echo "setup: all packages are installed"
  exit 0
fi

echo "setup: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
  AS_ROOT=""
elif command -v sudo >/dev/null 2>&1; then
  AS_ROOT=sudo
else
  echo "setup: these Debian packages are missing; as root, run:" >&2
  echo "  apt-get install$missing" >&2
  exit 1
fi
# shellcheck disable=SC2086
$AS_ROOT env DEBIAN_FRONTEND=noninteractive apt-get update -q -o DPkg::Lock::Timeout=600
# shellcheck disable=SC2086
$AS_ROOT env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
  -o DPkg::Lock::Timeout=600 --no-install-recommends $missing
echo "setup: all packages are installed"
