#!/bin/sh
# The parents' window on years of made-up play: it opens from --progress,
# under its own title, and draws its charts (not one flat colour); the game's
# window does not open.
#   progress.sh <path-to-pellaro> <path-to-make_history>
. "$(dirname "$0")/common.sh"
WORK=$(mktemp -d)
trap 'kill "$PID" 2>/dev/null || true; rm -rf "$WORK"' EXIT
XDG_DATA_HOME=$WORK/data
export XDG_DATA_HOME
mkdir -p "$XDG_DATA_HOME/pellaro"
"$2" "$XDG_DATA_HOME/pellaro/history.sqlite" --years 2 >/dev/null || fail "no history was made"

SDL_AUDIODRIVER=dummy "$1" --progress &
PID=$!
WID=$(window_titled "家长：学习进度" 30)
xdotool search --onlyvisible --name '^Pellaro$' >/dev/null 2>&1 && fail "the game's window opened too"

# Once drawn, the window shows many colours: the charts' points and lines,
# the calendar's shades, the text.
i=0
while :; do
  colours=$(import -window "$WID" -format %k info: 2>/dev/null || true)
  [ "${colours:-0}" -ge 20 ] && break
  i=$((i + 1)); [ "$i" -lt 100 ] || fail "the window did not draw its charts (${colours:-0} colours)"
  sleep 0.2
done
echo "ok: the parents' window opens and draws ($colours colours)"
