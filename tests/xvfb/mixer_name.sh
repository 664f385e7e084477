#!/bin/sh
# The game's sound as a desktop's sound mixer lists it: starts a private
# PulseAudio server with a silent sink, starts the game with SDL's PulseAudio
# driver and a game (whose first sound opens the device), and checks that the
# server lists the stream as the application "Pellaro" with the game's icon.
#   mixer_name.sh <path-to-pellaro>
. "$(dirname "$0")/common.sh"
PULSE=$(mktemp -d)
export PULSE_SERVER="unix:$PULSE/native"
GAME_AUDIO=pulseaudio start_game "$1"
HOME=$PULSE XDG_RUNTIME_DIR=$PULSE pulseaudio -n --daemonize=no --exit-idle-time=-1 \
  -L module-null-sink -L "module-native-protocol-unix socket=$PULSE/native auth-anonymous=1" \
  >"$PULSE/log" 2>&1 &
SERVER=$!
trap 'stop_game; kill "$SERVER" 2>/dev/null; wait "$SERVER" 2>/dev/null; rm -rf "$WORK" "$PULSE"' EXIT
i=0
until pactl info >/dev/null 2>&1; do
  i=$((i + 1)); [ "$i" -lt 300 ] || { cat "$PULSE/log" >&2; fail "the PulseAudio server did not start"; }
  sleep 0.1
done

click_at "$WID" 505 160            # the start button: the lamb sets off with a sound
i=0
until pactl list sink-inputs | grep -q 'application.name = "Pellaro"'; do
  i=$((i + 1)); [ "$i" -lt 300 ] || { pactl list sink-inputs >&2; fail "no sound stream of the application Pellaro"; }
  sleep 0.1
done
pactl list sink-inputs | grep -q 'application.icon_name = "org.pellaro.Pellaro"' ||
  { pactl list sink-inputs >&2; fail "the stream does not carry the game's icon"; }
echo "ok: the mixer lists the game's sound as Pellaro with its icon"
