#!/bin/sh
# Play benchmark: CPU use and resident memory of the game while idle and while
# a scripted player plays. The player reads the digit on the scale from the
# screen (comparing it with the digit pictures) and types the right totals,
# so that deliveries, hops and sounds keep coming.
#   scripts/bench_play.sh [build-dir] [seconds] [ratio | fullscreen]
# `ratio` is the device pixel ratio of the screen (as in bench_startup.sh).
# `fullscreen` plays with --fullscreen on a screen of BENCH_SCREEN pixels
# (3840x2160 unless set), the game at the scale full screen picks.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build}
SECONDS_PLAY=${2:-20}
MODE=${3:-1}
if [ "$MODE" = fullscreen ]; then SCREEN=${BENCH_SCREEN:-3840x2160}; else SCREEN=1920x1200; fi
[ -x "$BUILD/pellaro" ] || { echo "build the game first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 ${SCREEN}x24" "$0" "$BUILD" "$SECONDS_PLAY" "$MODE"
fi
# Where the game's logical pixel (0,0) lands and how many device pixels one
# logical pixel takes: full screen centres the 561 x 449 game at the largest
# scale in tenths that fits.
X0=0; Y0=0; RATIO=$MODE; OPTIONS=
if [ "$MODE" = fullscreen ]; then
  W=${SCREEN%x*}; H=${SCREEN#*x}
  RATIO=$(awk -v w="$W" -v h="$H" 'BEGIN { s = w / 561; if (h / 449 < s) s = h / 449; printf "%.1f", int(s * 10 + 1e-9) / 10 }')
  X0=$(awk -v w="$W" -v r="$RATIO" 'BEGIN { printf "%d", (w - int(561 * r + 0.5)) / 2 }')
  Y0=$(awk -v h="$H" -v r="$RATIO" 'BEGIN { printf "%d", (h - int(449 * r + 0.5)) / 2 }')
  OPTIONS=--fullscreen
fi
. tests/xvfb/common.sh
# The digit pictures as the screen shows them (render_art writes the 1x
# bitmaps as BMP, other ratios as PNG).
DIGITS=$(mktemp -d)
QT_QPA_PLATFORM=offscreen "$BUILD/render_art" --ratio "$RATIO" src/assets/art "$DIGITS" 2>/dev/null
EXT=png; [ "$RATIO" = 1 ] && EXT=bmp
[ "$MODE" = fullscreen ] || export QT_SCALE_FACTOR="$RATIO"
start_game "$BUILD/pellaro" $OPTIONS
trap 'stop_game; rm -rf "$WORK" "$DIGITS"' EXIT
HZ=$(getconf CLK_TCK)

# Device pixel of logical coordinate $1 across and down (the toolkit's rounding).
devx() { awk -v v="$1" -v r="$RATIO" -v o="$X0" 'BEGIN { printf "%d", o + int(v * r + 0.5) }'; }
devy() { awk -v v="$1" -v r="$RATIO" -v o="$Y0" 'BEGIN { printf "%d", o + int(v * r + 0.5) }'; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$PID/stat"; }
rss_mib() { awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$PID/status"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# CPU use in per cent of one core: percent TICKS MILLISECONDS
percent() { awk -v t="$1" -v ms="$2" -v hz="$HZ" 'BEGIN { printf "%.1f", t / hz * 100000 / ms }'; }

LABEL="ratio $RATIO"; [ "$MODE" = fullscreen ] && LABEL="full screen $SCREEN at $RATIO"
sleep 1
t0=$(now_ms); c0=$(cpu_ticks)
sleep 5
t1=$(now_ms); c1=$(cpu_ticks)
echo "$LABEL, idle: CPU $(percent $((c1 - c0)) $((t1 - t0)))% of one core, resident $(rss_mib) MiB"

# The player looks only at the scale: its signal pixel and its units box,
# taken from the screen in one small piece (a whole 4K screen would take it
# most of a second a look).
LX=$(devx 258); LY=$(devy 388)
LOOK="$(($(devx 296) - LX))x$(($(devy 451) - LY))+$LX+$LY"
# Full screen covers the screen, whose piece comes quicker than the window's.
SOURCE=$WID; [ "$MODE" = fullscreen ] && SOURCE=root
look() { import -window "$SOURCE" -crop "$LOOK" +repage "$WORK/look.png"; }
signal_colour() {
  x=$(($(devx 260) - LX)); y=$(($(devy 390) - LY))
  convert "$WORK/look.png" -format "%[fx:int(255*p{$x,$y}.r)],%[fx:int(255*p{$x,$y}.g)],%[fx:int(255*p{$x,$y}.b)]" info:
}
# The digit shown in the units box of the scale, from the last look: the
# digit picture it is closest to.
UNITS="$(($(devx 294) - $(devx 264)))x$(($(devy 449) - $(devy 399)))+$(($(devx 264) - LX))+$(($(devy 399) - LY))"
# Both are compared at the digits' own 30 x 50 pixels, so reading takes as
# long at any scale.
for d in 0 1 2 3 4 5 6 7 8 9; do convert "$DIGITS/30$d.$EXT" -sample '30x50!' "$DIGITS/small$d.png"; done
units_on_scale() {
  convert "$WORK/look.png" -crop "$UNITS" +repage -sample '30x50!' "$WORK/units.png"
  for d in 0 1 2 3 4 5 6 7 8 9; do
    echo "$(compare -metric AE -fuzz 10% "$WORK/units.png" "$DIGITS/small$d.png" null: 2>&1) $d"
  done | sort -n | head -n 1 | awk '{print $2}'
}

xdotool mousemove --window "$WID" "$(devx 505)" "$(devy 160)" click 1
t0=$(now_ms); c0=$(cpu_ticks); peak=0
total=0; answers=0
end=$((t0 + SECONDS_PLAY * 1000))
while [ "$(now_ms)" -lt "$end" ]; do
  look
  if [ "$(signal_colour)" = "255,0,0" ]; then
    d=$(units_on_scale)
    total=$((total + d))
    [ -z "${BENCH_DEBUG:-}" ] || echo "read $d, typing $total at $(now_ms)" >&2
    xdotool type --delay 30 "$total"
    answers=$((answers + 1))
    sleep 0.4
  fi
  r=$(awk '/VmRSS/ {print $2}' "/proc/$PID/status"); [ "$r" -gt "$peak" ] && peak=$r
done
t1=$(now_ms); c1=$(cpu_ticks)
echo "$LABEL, playing: $answers right answers in $(( (t1 - t0) / 1000 )) s, CPU $(percent $((c1 - c0)) $((t1 - t0)))% of one core, resident $(rss_mib) MiB (peak $((peak / 1024)) MiB)"
