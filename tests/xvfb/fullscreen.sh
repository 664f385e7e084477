#!/bin/sh
# Full screen on a 1920 x 1080 screen: --fullscreen covers the screen with the
# game scaled to fit and centred; clicks beside the game do nothing, a click
# on the scaled start button starts a game; F11 leaves full screen and comes
# back with the same game still running; the leaderboard opens over the game
# and takes a name from the keyboard.
#   fullscreen.sh <path-to-pellaro>        (on a 1920x1080 virtual screen)
. "$(dirname "$0")/common.sh"
start_game "$1" --fullscreen
wait_geometry "$WID" "0,0 1920x1080"

NAVY="0,0,128"; GRASS="126,199,34"
# The navy panel ends on the game's last column; the meadow goes on beside it.
wait_pixel "$WID" 1632 800 "$NAVY" 10
[ "$(pixel_of "$WID" 1633 800)" = "$GRASS" ] || fail "no meadow right of the game"
[ "$(pixel_of "$WID" 286 800)" = "$GRASS" ] || fail "no meadow left of the game"
# Before a game the time bar's column shows the panel's navy; in a game its
# first row turns red at the first tick.
[ "$(pixel_of "$WID" "$(X 454)" "$(Y 1)")" = "$NAVY" ] || fail "the time bar shows before a game"

# A click beside the game does nothing.
click_at "$WID" 100 900
sleep 1
[ "$(pixel_of "$WID" "$(X 454)" "$(Y 1)")" = "$NAVY" ] || fail "a click beside the game started one"

# The scaled start button starts a game: the cart comes to the scale and its
# signal box turns red.
click_at "$WID" "$(X 505)" "$(Y 161)"
wait_pixel "$WID" "$(X 260)" "$(Y 390)" "255,0,0" 30

# F11 gives the ordinary window back, with the game still on the scale, ...
xdotool key F11
SMALL=$(window_titled Pellaro 10)
wait_geometry "$SMALL" "120,67 561x449"
[ "$(pixel_of "$SMALL" 260 390)" = "255,0,0" ] || fail "the game changed on leaving full screen"
[ "$(pixel_of "$SMALL" 454 1)" = "255,0,0" ] || fail "the time bar went away on leaving full screen"
# Both windows give the desktop the icon at every size, up to 256 x 256.
for w in "$WID" "$SMALL"; do
  xprop -len 99999999 -id "$w" _NET_WM_ICON | grep -q "Icon (256 x 256)" || fail "window $w has no large icon"
done
# ... and F11 there goes full screen again.
xdotool key F11
wait_geometry "$WID" "0,0 1920x1080"
wait_pixel "$WID" "$(X 260)" "$(Y 390)" "255,0,0" 10

# Three wrong digits end the game (a leading 0 is always wrong on the scale);
# the leaderboard opens over the game, and the first game of a level makes the
# board, so it asks for a name.
xdotool key --delay 300 0 0 0
# The leaderboard's frame: its title bar in the sky's colour over the sign.
i=0
until [ "$(pixel_of "$WID" 960 "$(Y 100)")" = "255,255,255" ]; do
  i=$((i + 1)); [ "$i" -lt 100 ] || fail "no leaderboard over the game"
  sleep 0.1
done
map_text "小明"
type_text "小明"
xdotool key Return
i=0
until [ -f "$BOARDS/dreb0.tmp" ] && head -n 1 "$BOARDS/dreb0.tmp" | grep -q "^$(printf '\320\241\303\367'),"; do
  i=$((i + 1)); [ "$i" -lt 100 ] || fail "the name typed on the full screen did not reach the board"
  sleep 0.1
done
geometry "$WID" | grep -q "^0,0 1920x1080$" || fail "full screen was left"
echo "ok: full screen, F11 both ways, the leaderboard over the game"
