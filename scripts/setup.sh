#!/bin/sh
# Installs every Debian 12 package the game, its asset build and its tests
# need. Run as root (or through sudo).
set -eu
PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libqt6svg6
  libgl-dev libxkbcommon-dev libxcb1-dev
  libsdl2-dev libsndfile1-dev
  fonts-arphic-uming
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick
  clang-14 libclang-rt-14-dev
"
if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$0" "$@"
fi
export DEBIAN_FRONTEND=noninteractive
# shellcheck disable=SC2086
if ! dpkg -s $PACKAGES >/dev/null 2>&1; then
  apt-get update -q
  apt-get install -y -q --no-install-recommends $PACKAGES
fi
echo "setup: all packages are installed"
