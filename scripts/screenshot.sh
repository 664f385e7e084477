#!/bin/sh
# Makes docs/screenshot.png: the main window during a game, on a virtual X
# server.   scripts/screenshot.sh [build-dir]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD"
fi
WORK=$(mktemp -d)
cp "$BUILD/pellaro" "$WORK/"
(cd "$WORK" && SDL_AUDIODRIVER=dummy exec ./pellaro) &
PID=$!
trap 'kill "$PID" 2>/dev/null || true; rm -rf "$WORK"' EXIT
WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Pellaro$' | head -n 1)
xdotool mousemove --window "$WID" 505 160 click 1
sleep 3
mkdir -p docs
import -window "$WID" docs/screenshot.png
echo "wrote docs/screenshot.png"
