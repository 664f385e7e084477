#!/bin/sh
# Random input, a net for crashes: clicks anywhere and on the game's buttons,
# digits, F11 pressed and F11 sent straight to the game's window, Escape,
# Enter, the close buttons of the windows over the full-screen game, short
# waits, and now and then the main window destroyed as another program may
# (the game then ends, and starts again). Half the events start in the
# window, half full screen. Every end of the game must be a clean one, status
# 0; a crash gives another status (and the sanitizer build reports it).
# MONKEY_SEED=N plays a failed run's events again (their timing differs).
#   monkey.sh <path-to-pellaro> [events per half]   (on a 1920x1080 screen)
. "$(dirname "$0")/common.sh"
PROGRAM=$1
EVENTS=${2:-150}
SEED=${MONKEY_SEED:-$(od -An -N3 -tu4 /dev/urandom | tr -d ' ')}
failed() { fail "$* (seed $SEED: MONKEY_SEED=$SEED repeats these events)"; }

# The events, one a line: "click X Y", "button X Y X Y" (a button of the
# game where it stands in the window and full screen), "key K", "send F11",
# "close", "wait", "destroy".
WORK=$(mktemp -d)
EVENTS_FILE=$WORK/events
awk -v seed="$SEED" -v n="$((EVENTS * 2))" 'BEGIN {
  srand(seed)
  for (i = 0; i < n; i++) {
    r = rand()
    if (r < 0.25) printf "click %d %d\n", int(rand() * 1920), int(rand() * 1080)
    else if (r < 0.45) {  # start, level or help, in the window and full screen
      y = 164 + 48 * int(rand() * 3)
      printf "button %d %d %d %d\n", 120 + 500, 67 + y, 287 + int(500 * 2.4 + 0.5), 1 + int(y * 2.4 + 0.5)
    }
    else if (r < 0.70) printf "key %d\n", int(rand() * 10)
    else if (r < 0.76) print "key F11"
    else if (r < 0.79) print "send F11"
    else if (r < 0.84) print "key Escape"
    else if (r < 0.89) print "key Return"
    else if (r < 0.93) print "close"
    else if (r < 0.99) print "wait"
    else print "destroy"
  }
}' > "$EVENTS_FILE"

# The game's window as it shows now: the full-screen stage or the window.
shown() { xdotool search --onlyvisible --name '^Pellaro$' 2>/dev/null | head -n 1; }

# Starts the game ($1: options) for the events that follow.
begin() {
  start_game "$PROGRAM" "$@"
  OPTIONS="$*"
}

# The game must have ended by itself, cleanly.
ended() {
  status=0; wait "$PID" || status=$?
  [ "$status" = 0 ] || failed "the game ended with status $status after event $n ($event)"
}

n=0
while read -r event; do
  n=$((n + 1))
  if [ "$n" = 1 ]; then begin; elif [ "$n" = $((EVENTS + 1)) ]; then
    kill -TERM "$PID"; game_ends_within 30 || failed "SIGTERM did not end the game"; ended
    begin --fullscreen
  fi
  set -- $event
  case $1 in
    click) xdotool mousemove "$2" "$3" click --delay 0 1 ;;
    button) xdotool mousemove "$2" "$3" click --delay 0 1 mousemove "$4" "$5" click --delay 0 1 ;;
    key) xdotool key --delay 0 "$2" ;;
    send) w=$(shown); [ -z "$w" ] || xdotool key --delay 0 --window "$w" F11 ;;
    close)  # where the close buttons of the help and the leaderboard stand
      xdotool mousemove 1346 233 click --delay 0 1 mousemove 1297 89 click --delay 0 1 ;;
    wait) sleep 0.2 ;;
    destroy) w=$(shown); [ -z "$w" ] || { xdotool windowclose "$w"; destroyed=1; } ;;
  esac 2>/dev/null || true
  sleep 0.02
  if [ -n "${destroyed:-}" ] || ! game_running; then
    destroyed=
    game_ends_within 30 || failed "destroying the main window did not end the game"
    ended
    # shellcheck disable=SC2086
    begin $OPTIONS
  fi
done < "$EVENTS_FILE"
kill -TERM "$PID"
game_ends_within 30 || failed "SIGTERM did not end the game"
ended
echo "ok: $((EVENTS * 2)) random events, in the window and full screen, no crash (seed $SEED)"
