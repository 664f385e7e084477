#!/bin/sh
# Sets up, builds and starts the game: installs the Debian packages the build
# needs when they are missing (through sudo when not run as root), builds into
# build/ and starts ./build/pellaro. Options are passed to the game.
#   scripts/play.sh [--help | --version | ...]
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh play
sh scripts/build.sh
exec ./build/pellaro "$@"
