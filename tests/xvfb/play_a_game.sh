#!/bin/sh
# Plays a whole game with real X input: a click on the start button, keys
# that are not digits (which must cost nothing), three wrong digits typed in
# three ways, then a Chinese name in the leaderboard window; checks the bytes
# of the board file.
#   play_a_game.sh <path-to-pellaro>
#   INSTALLED=1 play_a_game.sh <installed-pellaro>   (see start_game)
. "$(dirname "$0")/common.sh"
start_game "$1"
map_text "小明"                    # long before the name is typed

click_at "$WID" 505 160            # the start button
# The signal box turns red when the cart stands on the scale.
wait_pixel "$WID" 260 390 "255,0,0" 30

# Keys that are not digits are ignored.
xdotool key Return BackSpace a space Escape
sleep 0.3
# A leading 0 is always wrong once the amount is on the scale: Shift plus the
# digit-row 0 and then the plain 0 cost two tries ...
xdotool key shift+0
sleep 0.3
xdotool key 0
sleep 0.5
if xdotool search --onlyvisible --name '^排行榜$' >/dev/null 2>&1; then
  fail "the game ended before the third wrong digit"
fi
# ... and the keypad 0 (Num Lock on) costs the third.
xdotool key KP_0
BOARD=$(timeout 30 xdotool search --sync --onlyvisible --name '^排行榜$' | head -n 1) ||
  fail "the leaderboard did not open after the third wrong digit"

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

# "小明" in the board's code page, score 0, then nine fresh lines.
printf '\320\241\303\367,0\r\n' > "$WORK/expected"
i=0; while [ "$i" -lt 9 ]; do printf '0,0\r\n' >> "$WORK/expected"; i=$((i + 1)); done
cmp "$BOARDS/dreb0.tmp" "$WORK/expected" || { od -c "$BOARDS/dreb0.tmp" | head; fail "board file bytes"; }
echo "ok: a whole game was played"
