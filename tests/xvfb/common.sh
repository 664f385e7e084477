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

# ---- pictures at the screen's resolution (sharp_pictures.sh, pixels_at_ratio_1.sh)

# Like start_game, with the game's options after the program: $1 program,
# then the options. Sets WORK, PID and WID.
start_game_with() {
  WORK=$(mktemp -d)
  cp "$1" "$WORK/pellaro"
  shift
  (cd "$WORK" && SDL_AUDIODRIVER=dummy exec ./pellaro "$@") &
  PID=$!
  trap 'stop_game_with' EXIT
  WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Pellaro$' | head -n 1) ||
    fail "the main window did not appear"
}

# Stops the game started last, waits for it to end and removes its folder.
# A game that does not end within 5 s of being asked is killed.
stop_game_with() {
  kill "$PID" 2>/dev/null || true
  i=0
  while kill -0 "$PID" 2>/dev/null && [ "$i" -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
  kill -9 "$PID" 2>/dev/null || true
  wait "$PID" 2>/dev/null || true
  rm -rf "$WORK"
}

# Saves what window $1 shows as $2, once the window has its size $3 ("WxH"):
# the window may still be growing into a scaled size when it first appears.
window_shot() {
  i=0
  until [ "$(xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')" = "$3" ]; do
    i=$((i + 1)); [ "$i" -lt 100 ] || fail "the window never became $3"
    sleep 0.1
  done
  import -window "$1" "$2"
}

# Paints the rectangles given after $1 as pairs of inclusive corners
# ("x1,y1 x2,y2 x1,y1 x2,y2 ...") in magenta on image $1, so that two images
# can be compared outside them.
mask() {
  img=$1; shift
  while [ $# -ge 2 ]; do
    fill_rect "$img" magenta "$1" "$2"
    shift 2
  done
}

# Draws picture file $2 on image $1 with its top left corner at ($3, $4).
put_picture() {
  convert "$1" "$2" -geometry "+$3+$4" -composite "$1"
}

# Fills the rectangle with inclusive corners $3 ("x1,y1") and $4 on image $1
# with colour $2.
fill_rect() {
  convert "$1" +antialias -fill "$2" -draw "rectangle $3 $4" "$1"
}

# Puts together in $1 the main window as the pictures in folder $2 (files
# <id>.$3) make it at the whole device pixel ratio $4: the scene with the
# signal box in colour $5, the digits $6 and $7 on the scale, and the three
# buttons.
expected_window() {
  out=$1; dir=$2; ext=$3; r=$4
  convert -size "$((561 * r))x$((449 * r))" xc:'#000080' "$out"
  put_picture "$out" "$dir/110.$ext" 0 0
  fill_rect "$out" "$5" "$((233 * r)),$((385 * r))" "$((291 * r - 1)),$((395 * r - 1))"
  put_picture "$out" "$dir/30$6.$ext" $((232 * r)) $((399 * r))
  put_picture "$out" "$dir/30$7.$ext" $((264 * r)) $((399 * r))
  put_picture "$out" "$dir/201.$ext" $((480 * r)) $((144 * r))
  put_picture "$out" "$dir/205.$ext" $((480 * r)) $((192 * r))
  put_picture "$out" "$dir/202.$ext" $((480 * r)) $((240 * r))
}

# Fails unless images $1 and $2 are the same pixel for pixel; $3 names them.
# On a failure both are kept in /tmp for a look.
same_pixels() {
  n=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [ "$n" = 0 ] && return
  keep=$(mktemp -d /tmp/pellaro-xvfb.XXXXXX)
  cp "$1" "$keep/got.png"; cp "$2" "$keep/expected.png"
  fail "$3: $n pixels differ (see $keep)"
}

# The runs of colours down column $2 of image $1, one "first-last #RRGGBB" a
# line; from row $3 (0) to row $4 (the last).
column_runs() {
  top=${3:-0}
  height=$(( ${4:-$(($(identify -format %h "$1") - 1))} - top + 1 ))
  convert "$1" -crop "1x$height+$2+$top" +repage -depth 8 txt:- | tail -n +2 |
    awk -v top="$top" '{ split($1, p, /[,:]/); y = p[2] + top
           if ($3 != colour) { if (colour != "") print first "-" last, colour; first = y; colour = $3 }
           last = y }
         END { print first "-" last, colour }'
}
