#!/bin/sh
# Start-up benchmark: time from starting the program to its main window being
# shown, and the resident memory once it is up. Runs on a virtual X server.
#   scripts/bench_startup.sh [build-dir] [runs]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
RUNS=${2:-10}
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD" "$RUNS"
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$BUILD/pellaro" "$WORK/"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
total=0; best=999999; worst=0; rss_total=0
i=0
while [ "$i" -lt "$RUNS" ]; do
  start=$(now_ms)
  (cd "$WORK" && SDL_AUDIODRIVER=dummy exec ./pellaro) &
  pid=$!
  until xdotool search --onlyvisible --name '^Pellaro$' >/dev/null 2>&1; do sleep 0.005; done
  shown=$(now_ms)
  sleep 1
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  ms=$((shown - start))
  total=$((total + ms)); rss_total=$((rss_total + rss))
  [ "$ms" -lt "$best" ] && best=$ms
  [ "$ms" -gt "$worst" ] && worst=$ms
  i=$((i + 1))
done
echo "start-up to window shown over $RUNS runs: mean $((total / RUNS)) ms, best $best ms, worst $worst ms"
echo "resident memory 1 s after start: $((rss_total / RUNS / 1024)) MiB"
