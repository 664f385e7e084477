#!/bin/sh
# Start-up benchmark: Pellaro against a bare Qt Widgets window of the same
# size (tools/startup_clock/bare_window.cpp), in the same run on one virtual
# X server, runs of the two interleaved. Each run is timed by
# tools/startup_clock from the fork of the process to the X server's
# MapNotify of its top-level window. Three cases: a plain screen (device
# pixel ratio 1), a desktop scaling by 2 (QT_SCALE_FACTOR=2) and full screen
# (`pellaro --fullscreen` against a bare window shown full screen, ratio 1);
# for a build that has the on-screen keypad, the window and full screen with
# it (`--keypad`, against the same bare windows); and a family of three
# children, whose first window asks who plays.
# Two warm-up runs of each program come first and are not counted. Prints
# the median and mean of each, the ratio Pellaro / bare, and the resident
# memory 1 s after the window was mapped (one extra run each).
#   scripts/bench_startup.sh [build-dir] [runs]
# PELLARO_MEASURE_STARTUP=1 ./pellaro shows where the game's own time goes.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
RUNS=${2:-10}
for tool in pellaro startup_clock bare_window; do
  [ -x "$BUILD/$tool" ] || { echo "build the game first (scripts/build.sh): no $BUILD/$tool" >&2; exit 1; }
done
# Always on a virtual X server of its own, whatever display there is; one
# that keeps running between the runs (-noreset), so each finds it warm.
if [ -z "${PELLARO_BENCH_ON_XVFB:-}" ]; then
  PELLARO_BENCH_ON_XVFB=1 XVFB_SCREEN=1920x1200x24 exec tests/xvfb/run.sh "$0" "$BUILD" "$RUNS"
fi
BUILD=$(cd "$BUILD" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The game keeps its boards beside the program: a copy of its own, and a
# data folder of its own.
mkdir -p "$WORK/game" "$WORK/data" "$WORK/runtime"
chmod 700 "$WORK/runtime"
cp "$BUILD/pellaro" "$WORK/game/"
export XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/runtime" SDL_AUDIODRIVER=dummy
unset PELLARO_MEASURE_STARTUP

# clock FILE RATIO PROGRAM [ARGS]: one timed start, its milliseconds added to FILE.
clock() {
  file=$1 ratio=$2; shift 2
  line=$(cd "$WORK/game" && QT_SCALE_FACTOR=$ratio "$BUILD/startup_clock" -- "$@") ||
    { echo "$* did not map a window" >&2; exit 1; }
  echo "${line#map_ms=}" >> "$file"
}

# memory RATIO PROGRAM [ARGS]: resident KiB 1 s after the window was mapped.
memory() {
  ratio=$1; shift
  line=$(cd "$WORK/game" && QT_SCALE_FACTOR=$ratio "$BUILD/startup_clock" --rss-after 1000 -- "$@")
  echo "${line#*rss_kib=}"
}

# stats FILE: "median mean" in ms.
stats() {
  sort -n "$1" | awk '{ v[NR] = $1; s += $1 }
    END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f %.1f", m, s / NR }'
}

# bench NAME RATIO [PELLARO-ARGS]: the bare window gets --fullscreen too.
bench() {
  name=$1 ratio=$2; shift 2
  : > "$WORK/bare.ms"; : > "$WORK/game.ms"
  for warm in 1 2; do
    clock "$WORK/warm.ms" "$ratio" "$BUILD/bare_window" "$@"
    clock "$WORK/warm.ms" "$ratio" ./pellaro "$@"
  done
  i=0
  while [ "$i" -lt "$RUNS" ]; do
    # Which goes first alternates, so neither always follows the other.
    if [ $((i % 2)) -eq 0 ]; then
      clock "$WORK/bare.ms" "$ratio" "$BUILD/bare_window" "$@"
      clock "$WORK/game.ms" "$ratio" ./pellaro "$@"
    else
      clock "$WORK/game.ms" "$ratio" ./pellaro "$@"
      clock "$WORK/bare.ms" "$ratio" "$BUILD/bare_window" "$@"
    fi
    i=$((i + 1))
  done
  set -- $(stats "$WORK/bare.ms") $(stats "$WORK/game.ms") "$@"
  bare_median=$1 bare_mean=$2 game_median=$3 game_mean=$4; shift 4
  bare_kib=$(memory "$ratio" "$BUILD/bare_window" "$@")
  game_kib=$(memory "$ratio" ./pellaro "$@")
  awk -v n="$name" -v r="$RUNS" -v bm="$bare_median" -v ba="$bare_mean" -v gm="$game_median" -v ga="$game_mean" \
      -v bk="$bare_kib" -v gk="$game_kib" 'BEGIN {
    printf "%-12s start-up to window mapped, %d runs each: Pellaro median %.1f ms, mean %.1f ms; bare Qt window median %.1f ms, mean %.1f ms; Pellaro / bare: %.2fx (median), %.2fx (mean)\n", n, r, gm, ga, bm, ba, gm / bm, ga / ba
    printf "%-12s resident memory 1 s after the window was mapped: Pellaro %.1f MiB, bare Qt window %.1f MiB\n", n, gk / 1024, bk / 1024 }'
}

bench "ratio 1:" 1
bench "ratio 2:" 2
bench "full screen:" 1 --fullscreen
if "$WORK/game/pellaro" --help | grep -q -- --keypad; then
  bench "keypad:" 1 --keypad
  bench "full keypad:" 1 --fullscreen --keypad
fi

# A family of three children: the first window is the one that asks who plays.
for child in 小明:panda Lily:duck 阿宝:bear; do
  "$BUILD/pellaro" --add-child "${child%%:*}" --picture "${child#*:}" >/dev/null
done
bench "3 children:" 1

# choose NAME [PELLARO-ARGS]: from the digit key that chooses the second
# child to the game's window drawn, by the game's own start-up marks.
choose() {
  name=$1; shift
  : > "$WORK/choose.ms"
  i=0
  while [ "$i" -lt "$RUNS" ]; do
    (cd "$WORK/game" && PELLARO_MEASURE_STARTUP=1 exec ./pellaro "$@" 2> "$WORK/marks") &
    pid=$!
    wid=$(xdotool search --sync --onlyvisible --name '^Pellaro$' | head -n 1)
    sleep 0.5
    xdotool windowfocus --sync "$wid" key 2
    j=0
    until grep -q 'first frame drawn' "$WORK/marks" && [ "$(grep -c 'first frame drawn' "$WORK/marks")" -ge 2 ]; do
      j=$((j + 1)); [ "$j" -lt 100 ] || { echo "the game did not come after the choice:" >&2; cat "$WORK/marks" >&2; exit 1; }
      sleep 0.05
    done
    kill "$pid"; wait "$pid" 2>/dev/null || true
    awk '/child chosen/ { c = $3 } /first frame drawn/ { f = $3 } END { printf "%.1f\n", f - c }' "$WORK/marks" >> "$WORK/choose.ms"
    i=$((i + 1))
  done
  set -- $(stats "$WORK/choose.ms")
  printf "%-12s choosing a child to the game's window drawn, %d runs: median %.1f ms, mean %.1f ms\n" "$name" "$RUNS" "$1" "$2"
}
choose "choose:"
choose "choose, full:" --fullscreen

