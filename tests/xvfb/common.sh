# Helpers for the tests that run the real program on a virtual X server
# (started by xvfb-run). Sourced by the test, benchmark and screenshot scripts.
set -eu

fail() { echo "FAIL: $*" >&2; exit 1; }

# Copies the program into a fresh folder, so that its board files land there,
# and starts it silently. Sets WORK, PID and WID.
start_game() {
  WORK=$(mktemp -d)
  trap 'kill "$PID" 2>/dev/null || true; rm -rf "$WORK"' EXIT
  cp "$1" "$WORK/pellaro"
  (cd "$WORK" && SDL_AUDIODRIVER=dummy exec ./pellaro) &
  PID=$!
  WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Pellaro$' | head -n 1) ||
    fail "the main window did not appear"
}

# The colour of the pixel at (x, y) of window $1, as "r,g,b".
pixel_of() {
  import -window "$1" "$WORK/shot.png"
  convert "$WORK/shot.png" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# Waits up to $4 seconds until pixel (x, y) of window $1 has colour $2,$3... ;
# usage: wait_pixel WID X Y "r,g,b" SECONDS
wait_pixel() {
  i=0
  while [ "$i" -lt "$(($5 * 10))" ]; do
    [ "$(pixel_of "$1" "$2" "$3")" = "$4" ] && return 0
    sleep 0.1
    i=$((i + 1))
  done
  fail "pixel ($2,$3) never became $4 (it is $(pixel_of "$1" "$2" "$3"))"
}

# Clicks at (x, y) inside window $1.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}
