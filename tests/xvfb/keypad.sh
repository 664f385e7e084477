#!/bin/sh
# A whole game full screen with the on-screen keypad, by mouse clicks alone,
# on a 1920 x 1080 screen: a click on the scaled start button, three right
# totals clicked on the keypad's keys (read from the scale on the screen),
# then three wrong keys: the game ends and the leaderboard opens over the
# game, as with the keyboard, and keeps the score under a name.
#   keypad.sh <path-to-pellaro> <folder-of-the-rendered-pictures>   (1920x1080)
. "$(dirname "$0")/common.sh"
DIGITS=$2
[ -f "$DIGITS/300.bmp" ] || fail "no digit pictures in '$DIGITS'"
start_game "$1" --fullscreen --keypad
wait_geometry "$WID" "0,0 1920x1080"
map_text "小明"

# Where things stand at 1920 x 1080 (see the README): the game at 2.4 from
# (3, 1), the keypad's tray at (1365, 172), 551 x 735, its keys as in the
# window's column (40 x 40, 46 apart, the first at (5, 5.5) in the tray's
# 142 x 189.5) grown 551 / 142 times.
GX() { awk -v v="$1" 'BEGIN { printf "%d", 3 + int(v * 2.4 + 0.5) }'; }
GY() { awk -v v="$1" 'BEGIN { printf "%d", 1 + int(v * 2.4 + 0.5) }'; }
# The middle of the key of digit $1: 1 2 3 on top, 0 below 8.
key_at() {
  awk -v d="$1" 'BEGIN { c = d == 0 ? 1 : (d - 1) % 3; r = d == 0 ? 3 : int((d - 1) / 3)
    printf "%d %d", 1365 + (25 + 46 * c) * 551 / 142, 172 + (25.5 + 46 * r) * 735 / 189.5 }'
}
press_key() {
  # shellcheck disable=SC2046
  click_at "$WID" $(key_at "$1")
}

# The keypad's tray beside the game, the meadow beyond it.
NAVY="0,0,128"; GRASS="126,199,34"
wait_pixel "$WID" "$(GX 560)" 800 "$NAVY" 30
[ "$(pixel_of "$WID" 1918 800)" = "$GRASS" ] || fail "no meadow right of the keypad"
# The tray's deep blue floor between the keys 1, 2, 4 and 5.
tray=$(pixel_of "$WID" 1551 360)
echo "$tray" | awk -F, '{ exit !($1 < 30 && $2 < 30 && $3 >= 130 && $3 <= 160) }' ||
  fail "no keypad tray between the keys: $tray"


click_at "$WID" "$(GX 505)" "$(GY 161)"    # the start button
total=0; delivery=0
while [ "$delivery" -lt 3 ]; do
  # The signal box turns red when the cart stands on the scale.
  wait_pixel "$WID" "$(GX 260)" "$(GY 390)" "255,0,0" 30
  d=$(scaled_digit "$WID" "$DIGITS" "$(GX 264)" "$(GY 399)" 72 120)
  case $d in [1-9]) ;; *) fail "the scale shows no amount ($d)" ;; esac
  total=$((total + d))
  score=$(region_of "$WID" "$(GX 472)" "$(GY 352)" 176 80)
  for digit in $(echo "$total" | sed 's/./& /g'); do
    press_key "$digit"
    sleep 0.1
  done
  # A right answer raises the score; by then the scale is at rest again.
  wait_change "$WID" "$(GX 472)" "$(GY 352)" 176 80 "$score" 30
  delivery=$((delivery + 1))
done

# Three wrong keys (a leading 0 is always wrong on the scale) end the game.
wait_pixel "$WID" "$(GX 260)" "$(GY 390)" "255,0,0" 30
press_key 0
sleep 0.3
press_key 0
sleep 0.5
# Still playing: the leaderboard's white is not over the game.
[ "$(pixel_of "$WID" "$(GX 280)" "$(GY 100)")" != "255,255,255" ] || fail "the game ended before the third wrong key"
press_key 0
# The leaderboard over the game asks for the name of the first game's player.
i=0
until [ "$(pixel_of "$WID" "$(GX 280)" "$(GY 100)")" = "255,255,255" ]; do
  i=$((i + 1)); [ "$i" -lt 300 ] || fail "no leaderboard over the game"
  sleep 0.1
done
# A child tapping the keypad meanwhile (it waits, as the game does), or the
# meadow beside it, does not take the name box's keys away.
press_key 5
click_at "$WID" 1918 800
type_text "小明"
xdotool key Return
i=0
until [ -f "$BOARDS/dreb0.tmp" ] && head -n 1 "$BOARDS/dreb0.tmp" | grep -q "^$(printf '\320\241\303\367'),[1-9]"; do
  i=$((i + 1)); [ "$i" -lt 300 ] || { od -c "$BOARDS/dreb0.tmp" | head -3; fail "the score did not reach the board"; }
  sleep 0.1
done
points=$(head -n 1 "$BOARDS/dreb0.tmp" | cut -d, -f2 | tr -d '\r')
echo "ok: a game played on the keypad full screen ($points points)"
