#!/bin/sh
# Full-screen switching benchmark: how long entering and leaving full screen
# takes, from the switch to the first frame drawn at the new size, on a
# virtual screen of 1920 x 1080 and one of 3840 x 2160. The game starts in
# its window and switches TIMES times (F11's own path), a third of a second
# apart; the first entry draws the pictures at the new scale from their
# sources, later ones find them drawn. Options after the first two go to
# the game (--keypad: the on-screen keypad goes along).
#   scripts/bench_fullscreen.sh [build-dir] [times] [game options...]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
TIMES=${2:-11}
shift $(($# < 2 ? $# : 2))
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
here=$(pwd)
for screen in 1920x1080 3840x2160; do
  out=$(mktemp)
  XVFB_SCREEN=${screen}x24 PELLARO_MEASURE_SWITCHING=$TIMES SDL_AUDIODRIVER=dummy \
    sh "$here/tests/xvfb/run.sh" "$BUILD/pellaro" "$@" 2>"$out" >/dev/null || true
  awk -v screen="$screen" '
    /^(enter|leave) [0-9.]+ ms$/ {
      if ($1 == "enter" && first == "") { first = $2; next }
      v[$1, ++n[$1]] = $2
    }
    function median(kind,   i, j, t, k) {
      k = n[kind]
      for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++)
        if (v[kind, j] < v[kind, i]) { t = v[kind, i]; v[kind, i] = v[kind, j]; v[kind, j] = t }
      return k % 2 ? v[kind, (k + 1) / 2] : (v[kind, k / 2] + v[kind, k / 2 + 1]) / 2
    }
    END {
      if (first == "") { print screen ": no switch was measured"; exit 1 }
      printf "%s: first entry %.1f ms; then entering median %.1f ms (%d times), leaving median %.1f ms (%d times)\n",
             screen, first, median("enter"), n["enter"], median("leave"), n["leave"]
    }' "$out"
  rm -f "$out"
done
