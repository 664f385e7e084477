#!/bin/sh
# Makes the README's pictures on a virtual X server:
#   docs/screenshot.png   the main window during a game;
#   docs/sharper-at-2x.png  a detail of the game on a screen scaling by 2:
#     left, the 1x pictures blown up (what such a screen showed before the
#     pictures were drawn from their sources), right, as the game draws it.
#   scripts/screenshot.sh [build-dir]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$BUILD"
fi
. tests/xvfb/common.sh
SHOTS=$(mktemp -d)

# The window $1 times larger, $2 s into a game, saved as $3.
shoot() {
  QT_SCALE_FACTOR=$1 && export QT_SCALE_FACTOR
  start_game_with "$BUILD/pellaro"
  unset QT_SCALE_FACTOR
  xdotool mousemove --window "$WID" $((505 * $1)) $((160 * $1)) click 1
  sleep "$2"
  import -window "$WID" "$3"
  stop_game_with
}
shoot 1 3 "$SHOTS/1x.png"
shoot 2 3 "$SHOTS/2x.png"

mkdir -p docs
cp "$SHOTS/1x.png" docs/screenshot.png
# The lamb at the scale and the scale's digits: logical (150,279), 190 x 170.
convert "$SHOTS/1x.png" -crop 190x170+150+279 +repage -filter point -resize 200% "$SHOTS/before.png"
convert "$SHOTS/2x.png" -crop 380x340+300+558 +repage "$SHOTS/after.png"
convert "$SHOTS/before.png" "$SHOTS/after.png" -bordercolor white -border 4 +append +repage docs/sharper-at-2x.png
rm -rf "$SHOTS"
echo "wrote docs/screenshot.png and docs/sharper-at-2x.png"
