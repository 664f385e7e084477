#!/bin/sh
# Makes the README's pictures on a virtual X server:
#   docs/screenshot.png   the main window during a game;
#   docs/sharper-at-2x.png  a detail of the game on a screen scaling by 2:
#     left, the 1x pictures blown up (what such a screen showed before the
#     pictures were drawn from their sources), right, as the game draws it;
#   docs/fullscreen.png  a game full screen on a 1920 x 1080 screen, halved;
#   docs/keypad.png  the same with the on-screen keypad, halved;
#   docs/progress.png  the parents' window on a year of made-up play.
#   scripts/screenshot.sh [build-dir]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
if [ -z "${DISPLAY:-}" ]; then
  # Full screen on a screen of its own, of a common size.
  xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$BUILD" fullscreen
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$BUILD"
fi
. tests/xvfb/common.sh
SHOTS=$(mktemp -d)
mkdir -p docs
# The game and the parents' window read and write a data folder of the
# pictures' own, never the user's.
XDG_DATA_HOME=$SHOTS/data
export XDG_DATA_HOME

if [ "${2:-}" = fullscreen ]; then
  start_game "$BUILD/pellaro" --fullscreen
  sleep 1
  # The start button: game pixel (505,160), scaled by 2.4 and centred.
  xdotool mousemove --window "$WID" $((287 + 505 * 24 / 10)) $((1 + 160 * 24 / 10)) click 1
  sleep 4
  import -window root "$SHOTS/full.png"
  stop_game
  convert "$SHOTS/full.png" -filter Lanczos -resize 50% docs/fullscreen.png
  # With the keypad the game stands at 2.4 from (3, 1).
  start_game "$BUILD/pellaro" --fullscreen --keypad
  sleep 1
  xdotool mousemove --window "$WID" $((3 + 505 * 24 / 10)) $((1 + 160 * 24 / 10)) click 1
  sleep 4
  import -window root "$SHOTS/keypad.png"
  stop_game
  convert "$SHOTS/keypad.png" -filter Lanczos -resize 50% docs/keypad.png
  rm -rf "$SHOTS"
  echo "wrote docs/fullscreen.png and docs/keypad.png"
  exit 0
fi

# The window $1 times larger, $2 s into a game, saved as $3.
shoot() {
  QT_SCALE_FACTOR=$1 && export QT_SCALE_FACTOR
  start_game "$BUILD/pellaro"
  unset QT_SCALE_FACTOR
  xdotool mousemove --window "$WID" $((505 * $1)) $((160 * $1)) click 1
  sleep "$2"
  import -window "$WID" "$3"
  stop_game
}
shoot 1 3 "$SHOTS/1x.png"
shoot 2 3 "$SHOTS/2x.png"

cp "$SHOTS/1x.png" docs/screenshot.png
# The lamb at the scale and the scale's digits: logical (150,279), 190 x 170.
convert "$SHOTS/1x.png" -crop 190x170+150+279 +repage -filter point -resize 200% "$SHOTS/before.png"
convert "$SHOTS/2x.png" -crop 380x340+300+558 +repage "$SHOTS/after.png"
convert "$SHOTS/before.png" "$SHOTS/after.png" -bordercolor white -border 4 +append +repage docs/sharper-at-2x.png

# The parents' window on a year of made-up daily play.
mkdir -p "$XDG_DATA_HOME/pellaro"
"$BUILD/make_history" "$XDG_DATA_HOME/pellaro/history.sqlite" --years 1 >/dev/null
SDL_AUDIODRIVER=dummy "$BUILD/pellaro" --progress &
pid=$!
wid=$(window_titled "家长：学习进度" 30)
sleep 2
import -window "$wid" docs/progress.png
kill "$pid"; wait "$pid" 2>/dev/null || true
rm -rf "$SHOTS"
echo "wrote docs/screenshot.png, docs/sharper-at-2x.png and docs/progress.png"
