#!/bin/sh
# Start-up benchmark: time from starting the program to its main window being
# shown, and the resident memory once it is up. Runs on a virtual X server.
#   scripts/bench_startup.sh [build-dir] [runs] [ratio]
# `ratio` is the device pixel ratio of the screen (1: a plain screen; 2: a
# desktop scaling by 2, as QT_SCALE_FACTOR sets it); the pictures are then
# drawn from their sources at that ratio.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
RUNS=${2:-10}
RATIO=${3:-1}
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$BUILD" "$RUNS" "$RATIO"
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$BUILD/pellaro" "$WORK/"
export QT_SCALE_FACTOR="$RATIO"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
total=0; best=999999; worst=0; rss_total=0
i=0
while [ "$i" -lt "$RUNS" ]; do
  start=$(now_ms)
  (cd "$WORK" && SDL_AUDIODRIVER=dummy exec ./pellaro) &
  pid=$!
  until xdotool search --onlyvisible --name '^Pellaro$' >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null && [ $(($(now_ms) - start)) -lt 30000 ] ||
      { echo "the game did not show its window" >&2; exit 1; }
    sleep 0.005
  done
  shown=$(now_ms)
  sleep 1
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill -9 "$pid"; wait "$pid" 2>/dev/null || true
  ms=$((shown - start))
  total=$((total + ms)); rss_total=$((rss_total + rss))
  [ "$ms" -lt "$best" ] && best=$ms
  [ "$ms" -gt "$worst" ] && worst=$ms
  i=$((i + 1))
done
echo "ratio $RATIO: start-up to window shown over $RUNS runs: mean $((total / RUNS)) ms, best $best ms, worst $worst ms"
echo "ratio $RATIO: resident memory 1 s after start: $((rss_total / RUNS / 1024)) MiB ($((rss_total / RUNS)) KiB)"
