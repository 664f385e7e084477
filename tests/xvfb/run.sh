#!/bin/sh
# Runs a command on a virtual X server of its own and stops the server after.
# The server picks a free display itself (-displayfd) and holds its lock file,
# so runs started at the same moment never share or fight over a display.
#   [XVFB_SCREEN=WxHxD] run.sh <command> [arguments...]   (1024x768x24 unless set)
set -eu
dir=$(mktemp -d)
server=
stop() {
  [ -z "$server" ] || { kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; }
  rm -rf "$dir"
}
trap stop EXIT
trap 'exit 143' TERM INT HUP

# The server writes its display number and a newline to the file once it
# accepts connections. -noreset keeps its state, the keyboard map included,
# when its last client leaves.
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
server=$!
XVFB_PID=$server   # for a test that takes the server away
export XVFB_PID
i=0
until grep -q '^[0-9][0-9]*$' "$dir/display" 2>/dev/null; do
  if ! kill -0 "$server" 2>/dev/null || [ "$i" -ge 300 ]; then
    echo "run.sh: the virtual X server did not start:" >&2
    cat "$dir/log" >&2
    exit 1
  fi
  sleep 0.1
  i=$((i + 1))
done
# The game keeps its boards and its play history in the user's data folder:
# a test of the build never writes into the real one. A test of the installed
# game (INSTALLED=1) plays in the player's own folder, as a player would.
if [ "${INSTALLED:-0}" != 1 ]; then
  XDG_DATA_HOME=${XDG_DATA_HOME:-$dir/data}
  export XDG_DATA_HOME
fi
DISPLAY=:$(cat "$dir/display")
export DISPLAY
status=0
"$@" || status=$?
exit "$status"
