#!/bin/sh
# Makes docs/screenshot.png: the main window during a game, on a virtual X
# server.   scripts/screenshot.sh [build-dir]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD"
fi
. tests/xvfb/common.sh
start_game "$BUILD/pellaro"
click_at "$WID" 505 160
sleep 3
mkdir -p docs
import -window "$WID" docs/screenshot.png
echo "wrote docs/screenshot.png"
