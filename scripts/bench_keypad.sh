#!/bin/sh
# Keypad benchmark: how soon a digit pressed on the on-screen keypad is on
# the screen, against the same kind of digit typed on the keyboard, full
# screen on a virtual 3840 x 2160 screen. A scripted player reads the scale
# and answers ANSWERS loads right, its digits clicked on the keypad and
# typed on the keyboard in turn. The game (PELLARO_MEASURE_KEYS=1) times each
# press that puts a digit on the red display, from the X server's time stamp
# of the press to the end of the first repaint after it.
#   scripts/bench_keypad.sh [build-dir] [answers]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ANSWERS=${2:-10}
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${PELLARO_BENCH_ON_XVFB:-}" ]; then
  PELLARO_BENCH_ON_XVFB=1 XVFB_SCREEN=3840x2160x24 exec sh tests/xvfb/run.sh sh "$0" "$BUILD" "$ANSWERS"
fi
BUILD=$(cd "$BUILD" && pwd)
DIGITS=$BUILD/generated/pictures
. tests/xvfb/common.sh
OUT=$(mktemp)
PELLARO_MEASURE_KEYS=1 start_game "$BUILD/pellaro" --fullscreen --keypad 2>"$OUT"
trap 'stop_game; rm -rf "$WORK" "$OUT"' EXIT
wait_geometry "$WID" "0,0 3840x2160"

# At 3840 x 2160 the game stands at 4.8 from (9, 2) and the keypad's tray at
# (2733, 348), 1097 x 1464 (see the README).
GX() { awk -v v="$1" 'BEGIN { printf "%d", 9 + int(v * 4.8 + 0.5) }'; }
GY() { awk -v v="$1" 'BEGIN { printf "%d", 2 + int(v * 4.8 + 0.5) }'; }
key_at() {
  awk -v d="$1" 'BEGIN { c = d == 0 ? 1 : (d - 1) % 3; r = d == 0 ? 3 : int((d - 1) / 3)
    printf "%d %d", 2733 + (25 + 46 * c) * 1097 / 142, 348 + (25.5 + 46 * r) * 1464 / 189.5 }'
}

sleep 2    # the first frame, drawn from the pictures' sources at 4.8
click_at "$WID" "$(GX 505)" "$(GY 161)"
total=0; answer=0; press=0
while [ "$answer" -lt "$ANSWERS" ]; do
  wait_pixel "$WID" "$(GX 260)" "$(GY 390)" "255,0,0" 30
  total=$((total + $(scaled_digit "$WID" "$DIGITS" "$(GX 264)" "$(GY 399)" 144 240)))
  score=$(region_of "$WID" "$(GX 472)" "$(GY 352)" 350 158)
  for digit in $(echo "$total" | sed 's/./& /g'); do
    if [ $((press % 2)) -eq 0 ]; then
      # shellcheck disable=SC2046
      click_at "$WID" $(key_at "$digit")
    else
      xdotool key "$digit"
    fi
    press=$((press + 1))
    sleep 0.3
  done
  wait_change "$WID" "$(GX 472)" "$(GY 352)" 350 158 "$score" 30
  answer=$((answer + 1))
done
stop_game
awk '
  /^(keypad|keyboard) [0-9.]+ ms/ { v[$1, ++n[$1]] = $2; q[$1] += $4 + 0 }
  function report(kind,   i, j, t, k) {
    k = n[kind]
    if (!k) { print kind ": nothing measured"; bad = 1; return }
    for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++)
      if (v[kind, j] < v[kind, i]) { t = v[kind, i]; v[kind, i] = v[kind, j]; v[kind, j] = t }
    printf "%-8s press to the digit on the screen, %d presses: median %.1f ms, best %.1f ms, worst %.1f ms (from the X server to the game: %.1f ms on average)\n",
           kind, k, k % 2 ? v[kind, (k + 1) / 2] : (v[kind, k / 2] + v[kind, k / 2 + 1]) / 2, v[kind, 1], v[kind, k], q[kind] / k
  }
  END { report("keypad"); report("keyboard"); exit bad }' "$OUT"
