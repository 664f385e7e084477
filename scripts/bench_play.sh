#!/bin/sh
# Play benchmark: CPU use and resident memory of the game while idle and while
# a scripted player plays. The player reads the digit on the scale from the
# screen (comparing it with the digit pictures) and types the right totals,
# so that deliveries, hops and sounds keep coming.
#   scripts/bench_play.sh [build-dir] [seconds] [ratio]
# `ratio` is the device pixel ratio of the screen (as in bench_startup.sh).
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
SECONDS_PLAY=${2:-20}
RATIO=${3:-1}
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$BUILD" "$SECONDS_PLAY" "$RATIO"
fi
. tests/xvfb/common.sh
# The digit pictures as the screen shows them (render_art writes the 1x
# bitmaps as BMP, other ratios as PNG).
DIGITS=$(mktemp -d)
QT_QPA_PLATFORM=offscreen "$BUILD/render_art" --ratio "$RATIO" src/assets/art "$DIGITS" 2>/dev/null
EXT=png; [ "$RATIO" = 1 ] && EXT=bmp
export QT_SCALE_FACTOR="$RATIO"
start_game "$BUILD/pellaro"
trap 'stop_game; rm -rf "$WORK" "$DIGITS"' EXIT
HZ=$(getconf CLK_TCK)

# Device pixel of logical coordinate $1 (the toolkit's rounding).
dev() { awk -v v="$1" -v r="$RATIO" 'BEGIN { printf "%d", int(v * r + 0.5) }'; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
rss_mib() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$PID/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# CPU use in per cent of one core: percent TICKS MILLISECONDS
percent() { awk -v t="$1" -v ms="$2" -v hz="$HZ" 'BEGIN { printf "%.1f", t / hz * 100000 / ms }'; }

sleep 1
t0=$(now_ms); c0=$(cpu_ticks)
sleep 5
t1=$(now_ms); c1=$(cpu_ticks)
echo "ratio $RATIO, idle: CPU $(percent $((c1 - c0)) $((t1 - t0)))% of one core, resident $(rss_mib) MiB"

# The digit shown in the units box of the scale, read from the last
# screenshot: the digit picture it is closest to.
UNITS="$(($(dev 294) - $(dev 264)))x$(($(dev 449) - $(dev 399)))+$(dev 264)+$(dev 399)"
units_on_scale() {
  convert "$WORK/shot.png" -crop "$UNITS" +repage "$WORK/units.png"
  for d in 0 1 2 3 4 5 6 7 8 9; do
    echo "$(compare -metric AE -fuzz 10% "$WORK/units.png" "$DIGITS/30$d.$EXT" null: 2>&1) $d"
  done | sort -n | head -n 1 | awk '{print $2}'
}

SIGNAL_X=$(dev 260); SIGNAL_Y=$(dev 390)
xdotool mousemove --window "$WID" "$(dev 505)" "$(dev 160)" click 1
t0=$(now_ms); c0=$(cpu_ticks); peak=0
total=0; answers=0
end=$((t0 + SECONDS_PLAY * 1000))
while [ "$(now_ms)" -lt "$end" ]; do
  if [ "$(pixel_of "$WID" "$SIGNAL_X" "$SIGNAL_Y")" = "255,0,0" ]; then
    d=$(units_on_scale)
    total=$((total + d))
    xdotool type --delay 30 "$total"
    answers=$((answers + 1))
    sleep 0.4
  fi
  r=$(awk '/VmRSS/ {print $2}' "/proc/$PID/status"); [ "$r" -gt "$peak" ] && peak=$r
done
t1=$(now_ms); c1=$(cpu_ticks)
echo "ratio $RATIO, playing: $answers right answers in $(( (t1 - t0) / 1000 )) s, CPU $(percent $((c1 - c0)) $((t1 - t0)))% of one core, resident $(rss_mib) MiB (peak $((peak / 1024)) MiB)"
