#!/bin/sh
# Full screen on a 1920 x 1080 screen with a window open over the game: the
# help, the leaderboard asking for a name, and the leaderboard of a score that
# makes no place. Real F11 presses take it out of full screen with the game
# and bring both back; then the program ends, by SIGTERM with the window
# still open, or after the window's own close button, by the main window
# destroyed. Each time the program must end by itself with status 0 (a crash
# gives another status, and the sanitizer build reports it).
#   fullscreen_guests.sh <path-to-pellaro>        (on a 1920x1080 virtual screen)
. "$(dirname "$0")/common.sh"
CLOSE_RED="228,64,96"

# The screen point of the close button of a window W x H shown over the game,
# and one beside its cross, in the button's red: the frame, 4 pixels round
# the window with a 30-pixel title bar, is centred on the game (whose middle
# is the screen's); the 22-pixel button stands 2 pixels in from the border,
# centred in the title bar.
close_button() {
  awk -v w="$1" -v h="$2" -v aside="${3:-0}" 'BEGIN {
    fx = int(960 - (w + 8) * 1.2 + 0.5); fy = int(540 - (h + 34) * 1.2 + 0.5)
    printf "%d %d", fx + (w + 8 - 17 - aside) * 2.4, fy + 15 * 2.4 }'
}

# try WINDOW ENDING: one round; WINDOW is help, place or noplace, ENDING term
# or close.
try() {
  WORK=$(mktemp -d)
  case $1 in
    help) title=帮助; size="348 252" ;;
    *) title=排行榜; size="307 372" ;;
  esac
  # A board of ten better scores leaves the game's score no place.
  [ "$1" = noplace ] && for i in 1 2 3 4 5 6 7 8 9 10; do printf 'a,5000\r\n'; done > "$WORK/dreb0.tmp"
  start_game "$PROGRAM" --fullscreen
  wait_geometry "$WID" "0,0 1920x1080"
  if [ "$1" = help ]; then
    click_at "$WID" "$(X 500)" "$(Y 260)"
  else
    click_at "$WID" "$(X 505)" "$(Y 161)"
    wait_pixel "$WID" "$(X 260)" "$(Y 390)" "255,0,0" 30
    xdotool key --delay 300 0 0 0
  fi
  # shellcheck disable=SC2086
  set -- "$1" "$2" $(close_button $size 8)
  wait_pixel "$WID" "$3" "$4" "$CLOSE_RED" 30

  xdotool key F11
  SMALL=$(window_titled Pellaro 10)
  wait_geometry "$SMALL" "120,67 561x449"
  window_titled "$title" 10 > /dev/null
  xdotool key F11
  wait_geometry "$WID" "0,0 1920x1080"
  wait_pixel "$WID" "$3" "$4" "$CLOSE_RED" 10

  if [ "$2" = term ]; then
    kill -TERM "$PID"
  else
    # shellcheck disable=SC2086
    xdotool mousemove $(close_button $size) click 1
    i=0
    while [ "$(pixel_of "$WID" "$3" "$4")" = "$CLOSE_RED" ]; do
      i=$((i + 1)); [ "$i" -lt 100 ] || fail "$1: its close button did not close it"
      sleep 0.1
    done
    xdotool windowclose "$WID"
  fi
  game_ends_within 30 || fail "$1, $2: the game did not end"
  status=0; wait "$PID" || status=$?
  [ "$status" = 0 ] || fail "$1, $2: the game ended with status $status"
  rm -rf "$WORK"
}

PROGRAM=$1
for window in help place noplace; do
  for ending in term close; do
    try "$window" "$ending"
  done
done
echo "ok: windows over the full screen go out and back with F11 and end cleanly"
