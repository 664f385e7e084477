#!/bin/sh
# Plays a whole game with real X input: a click on the start button, keys
# that are not digits (which must cost nothing), three right totals typed with
# Shift held on the digit row, three wrong digits typed in three ways, then a
# Chinese name in the leaderboard window; checks the bytes of the board file.
#   play_a_game.sh <path-to-pellaro> <folder-of-the-rendered-pictures>
#   INSTALLED=1 play_a_game.sh <installed-pellaro> <folder-of-the-rendered-pictures>
#                                   (see start_game)
. "$(dirname "$0")/common.sh"
DIGITS=$2
[ -f "$DIGITS/300.bmp" ] || fail "no digit pictures in '$DIGITS'"
start_game "$1"
map_text "小明"                    # long before the name is typed

click_at "$WID" 505 160            # the start button
# The signal box turns red when the cart stands on the scale.
wait_pixel "$WID" 260 390 "255,0,0" 30

# Keys that are not digits are ignored.
xdotool key Return BackSpace a space Escape

# Three deliveries answered right, with Shift held: the keys then give
# symbols ("!", "@", ...) and the digit comes from the key's place in the row.
# A right answer raises the score; by then the scale is at rest again, so the
# next red box is the next arrival.
total=0; delivery=0
while [ "$delivery" -lt 3 ]; do
  wait_pixel "$WID" 260 390 "255,0,0" 30
  i=0
  while :; do                      # level 0 brings 1 to 9 goods
    d=$(units_digit "$DIGITS")
    case $d in [1-9]) break ;; esac
    i=$((i + 1)); [ "$i" -lt 100 ] || fail "the scale shows no amount"
    sleep 0.1; pixel_of "$WID" 260 390 >/dev/null
  done
  total=$((total + d))
  score=$(region_of "$WID" 472 352 73 33)
  # shellcheck disable=SC2046
  xdotool key --delay 50 $(echo "$total" | sed 's/./shift+& /g')
  wait_change "$WID" 472 352 73 33 "$score" 30
  delivery=$((delivery + 1))
done

# A leading 0 is always wrong once the amount is on the scale: Shift plus the
# digit-row 0 and then the plain 0 cost two tries ...
wait_pixel "$WID" 260 390 "255,0,0" 30
xdotool key shift+0
sleep 0.3
xdotool key 0
sleep 0.5
if xdotool search --onlyvisible --name '^排行榜$' >/dev/null 2>&1; then
  fail "the game ended before the third wrong digit"
fi
# ... and the keypad 0 (Num Lock on) costs the third.
xdotool key KP_0
BOARD=$(window_titled 排行榜 30)

# The first game at a level always makes the board: type a name in Chinese.
sleep 0.3
click_at "$BOARD" 120 52
type_text "小明"
xdotool key Return
i=0
while xdotool search --onlyvisible --name '^排行榜$' >/dev/null 2>&1; do
  i=$((i + 1)); [ "$i" -lt 300 ] || fail "the leaderboard did not close"
  sleep 0.1
done

# "小明" in the board's code page with the game's score, then nine fresh lines.
points=$(head -n 1 "$BOARDS/dreb0.tmp" | cut -d, -f2 | tr -d '\r')
case $points in
  '' | 0* | *[!0-9]*) od -c "$BOARDS/dreb0.tmp" | head; fail "no points on the board: '$points'" ;;
esac
printf '\320\241\303\367,%s\r\n' "$points" > "$WORK/expected"
i=0; while [ "$i" -lt 9 ]; do printf '0,0\r\n' >> "$WORK/expected"; i=$((i + 1)); done
cmp "$BOARDS/dreb0.tmp" "$WORK/expected" || { od -c "$BOARDS/dreb0.tmp" | head; fail "board file bytes"; }
echo "ok: a whole game was played ($points points)"
