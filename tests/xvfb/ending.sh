#!/bin/sh
# The game ends promptly when it is told to from outside its windows, as when
# its window is closed: SIGTERM after sounds have played, SIGTERM while the
# leaderboard waits for a name (which is then not saved), SIGHUP, SIGINT, its
# window destroyed by another program, and the X server gone.
#   ending.sh <path-to-pellaro>
. "$(dirname "$0")/common.sh"

# expect_end WHAT: the game must be gone within a generous bound.
expect_end() {
  game_ends_within 20 || fail "$1 did not end the game"
  wait "$PID" 2>/dev/null || true
}

# Once the lamb has set off and arrived, the sound library has started.
start_game "$1"
click_at "$WID" 505 160
wait_pixel "$WID" 260 390 "255,0,0" 30
kill -TERM "$PID"
expect_end "SIGTERM during a game"

# Three leading zeros end the first game at level 0: the leaderboard opens on
# a fresh board and asks for a name. A name typed but not confirmed is lost.
start_game "$1"
click_at "$WID" 505 160
wait_pixel "$WID" 260 390 "255,0,0" 30
xdotool key 0 0 0
BOARD=$(window_titled 排行榜 30)
click_at "$BOARD" 120 52
xdotool type Lamb
kill -TERM "$PID"
expect_end "SIGTERM with the leaderboard open"
i=0; : > "$WORK/fresh"; while [ "$i" -lt 10 ]; do printf '0,0\r\n' >> "$WORK/fresh"; i=$((i + 1)); done
cmp "$WORK/dreb0.tmp" "$WORK/fresh" || fail "a name that was not confirmed was saved"

start_game "$1"
kill -HUP "$PID"
expect_end "SIGHUP"

start_game "$1"
click_at "$WID" 505 160
kill -INT "$PID"
expect_end "SIGINT during a walk"

start_game "$1"
xdotool windowclose "$WID"
expect_end "destroying the main window"

start_game "$1"
kill "$XVFB_PID"
expect_end "losing the X server"
echo "ok: the game ends when told to from outside"
