#!/bin/sh
# Play benchmark: CPU use and resident memory of the game while idle and while
# a scripted player plays. The player reads the digit on the scale from the
# screen (comparing it with the rendered digit pictures) and types the right
# totals, so that deliveries, hops and sounds keep coming.
#   scripts/bench_play.sh [build-dir] [seconds]
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
SECONDS_PLAY=${2:-20}
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD" "$SECONDS_PLAY"
fi
DIGITS="$PWD/$BUILD/generated/pictures"
. tests/xvfb/common.sh
start_game "$BUILD/pellaro"
HZ=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
rss_mib() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$PID/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# CPU use in per cent of one core: percent TICKS MILLISECONDS
percent() { awk -v t="$1" -v ms="$2" -v hz="$HZ" 'BEGIN { printf "%.1f", t / hz * 100000 / ms }'; }

sleep 1
t0=$(now_ms); c0=$(cpu_ticks)
sleep 5
t1=$(now_ms); c1=$(cpu_ticks)
echo "idle: CPU $(percent $((c1 - c0)) $((t1 - t0)))% of one core, resident $(rss_mib) MiB"

xdotool mousemove --window "$WID" 505 160 click 1
t0=$(now_ms); c0=$(cpu_ticks); peak=0
total=0; answers=0
end=$((t0 + SECONDS_PLAY * 1000))
while [ "$(now_ms)" -lt "$end" ]; do
  if [ "$(pixel_of "$WID" 260 390)" = "255,0,0" ]; then
    d=$(units_digit "$DIGITS")
    [ "$d" = "?" ] && continue
    total=$((total + d))
    xdotool type --delay 30 "$total"
    answers=$((answers + 1))
    sleep 0.4
  fi
  r=$(awk '/VmRSS/ {print $2}' "/proc/$PID/status"); [ "$r" -gt "$peak" ] && peak=$r
done
t1=$(now_ms); c1=$(cpu_ticks)
echo "playing: $answers right answers in $(( (t1 - t0) / 1000 )) s, CPU $(percent $((c1 - c0)) $((t1 - t0)))% of one core, resident $(rss_mib) MiB (peak $((peak / 1024)) MiB)"
