#!/bin/sh
# At a device pixel ratio of 1 the main window shows the embedded bitmaps
# themselves, pixel for pixel, where the layout puts them: at start-up, when
# the cart stands on the scale and at the end of a game. The expected windows
# are put together from the bitmaps; the captions (drawn by the font) and the
# inside of the time bar (it fills with the clock) are left out of the
# comparison, and the time bar is checked on its own.
#   pixels_at_ratio_1.sh <path-to-pellaro> <folder-of-the-embedded-bitmaps>
. "$(dirname "$0")/common.sh"
PICTURES=$2
OUT=$(mktemp -d)
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

# The captions (the sign's total, the typed entry, the score) and the inside
# of the time bar, as pairs of inclusive corners.
CAPTIONS="240,180 288,212 368,408 440,440 472,352 544,384"
BAR="451,1 456,446"

# The window as the bitmaps make it: the signal box in colour $2, the
# digits $3 $4 on the scale.
expected() {
  expected_window "$1" "$PICTURES" bmp 1 "$2" "$3" "$4"
}

# The digit the scale's units box shows in screenshot $1.
units_on_scale() {
  convert "$1" -crop 30x50+264+399 +repage "$OUT/units.png"
  for d in 0 1 2 3 4 5 6 7 8 9; do
    [ "$(compare -metric AE "$OUT/units.png" "$PICTURES/30$d.bmp" null: 2>&1)" = 0 ] && { echo "$d"; return; }
  done
  fail "the scale's units box shows no digit picture"
}

# The time bar in screenshot $1: light yellow round red rows over dark blue.
check_bar() {
  colours=$(convert "$1" -crop 6x446+451+1 +repage -unique-colors -depth 8 txt:- | tail -n +2 |
            awk '{print $3}' | sort | tr '\n' ' ')
  [ "$colours" = "#000080 #FF0000 " ] || fail "the time bar shows $colours"
  top=$(column_runs "$1" 453 | head -n 2 | awk '{print $2}' | tr '\n' ' ')
  [ "$top" = "#FFFF80 #FF0000 " ] || fail "the time bar does not fill from the top: $top"
}

compare_masked() {  # screenshot expected what
  # shellcheck disable=SC2086
  mask "$1" $CAPTIONS $BAR
  # shellcheck disable=SC2086
  mask "$2" $CAPTIONS $BAR
  same_pixels "$1" "$2" "$3"
}

start_game "$1"
trap 'stop_game; rm -rf "$WORK" "$OUT"' EXIT

# Start-up: the dark blue signal box, 0 0 on the scale, the three buttons.
wait_pixel "$WID" 245 200 "253,246,103" 30
window_shot "$WID" "$OUT/start.png" 561x449
expected "$OUT/want-start.png" '#000080' 0 0
compare_masked "$OUT/start.png" "$OUT/want-start.png" "the window at start-up"

# The cart stands on the scale: the lamb's frame B at 130, the red signal
# box, the amount on the scale, the three try markers, the time bar running.
click_at "$WID" 505 160
wait_pixel "$WID" 260 390 "255,0,0" 30
window_shot "$WID" "$OUT/delivery.png" 561x449
expected "$OUT/want-delivery.png" '#FF0000' 0 "$(units_on_scale "$OUT/delivery.png")"
put_picture "$OUT/want-delivery.png" "$PICTURES/102.bmp" 130 248
for x in 472 497 522; do put_picture "$OUT/want-delivery.png" "$PICTURES/204.bmp" "$x" 8; done
fill_rect "$OUT/want-delivery.png" '#FFFF80' 450,0 458,448
check_bar "$OUT/delivery.png"
compare_masked "$OUT/delivery.png" "$OUT/want-delivery.png" "the window with the cart on the scale"

# Three wrong entries end the game: the lamb and the markers are gone, the
# scale reads 0 0 again, the signal box stays red, the time bar stops.
xdotool key 0
sleep 0.3
xdotool key 0
sleep 0.3
xdotool key 0
BOARD=$(window_titled 排行榜 30)
# Out of the way of the screenshot (no window manager moves it).
xdotool windowmove "$BOARD" 700 500
sleep 0.5
window_shot "$WID" "$OUT/end.png" 561x449
expected "$OUT/want-end.png" '#FF0000' 0 0
fill_rect "$OUT/want-end.png" '#FFFF80' 450,0 458,448
check_bar "$OUT/end.png"
compare_masked "$OUT/end.png" "$OUT/want-end.png" "the window at the end of the game"
echo "ok: at ratio 1 the window shows the embedded bitmaps, pixel for pixel"
