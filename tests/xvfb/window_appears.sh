#!/bin/sh
# Starts the real program and checks its main window: title, client size,
# place on the screen, and that the scene is drawn.
#   window_appears.sh <path-to-pellaro>
. "$(dirname "$0")/common.sh"
start_game "$1"

[ "$(xdotool getwindowname "$WID")" = "Pellaro" ] || fail "wrong title"
info=$(xwininfo -id "$WID")
echo "$info" | grep -q "Width: 561" || fail "width is not 561: $info"
echo "$info" | grep -q "Height: 449" || fail "height is not 449: $info"
echo "$info" | grep -q "Absolute upper-left X:  120" || fail "not 1800 twips from the left: $info"
echo "$info" | grep -q "Absolute upper-left Y:  67" || fail "not 1000 twips from the top: $info"

# The sign's yellow face, the dark blue signal box and the navy panel.
wait_pixel "$WID" 245 200 "253,246,103" 10
[ "$(pixel_of "$WID" 260 390)" = "0,0,128" ] || fail "the signal box is not dark blue"
[ "$(pixel_of "$WID" 540 120)" = "0,0,128" ] || fail "the panel is not navy"
echo "ok: the main window appears"
