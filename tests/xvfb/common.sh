# Helpers for the tests that run the real program on a virtual X server
# (started by tests/xvfb/run.sh or xvfb-run). Sourced by the test, benchmark
# and screenshot scripts.
set -eu
# Window titles are Chinese: xdotool matches them only in a UTF-8 locale.
LC_ALL=C.UTF-8
export LC_ALL

fail() { echo "FAIL: $*" >&2; exit 1; }

# Prints the id of the visible window titled exactly $1, waiting up to $2
# seconds for it to appear; fails when none does. Use as
# ID=$(window_titled TITLE SECONDS): the assignment then ends the script.
window_titled() {
  id=$(timeout "$2" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
  [ -n "$id" ] || fail "no window titled '$1' appeared within $2 s"
  echo "$id"
}

# Copies the program ($1) into a fresh folder, so that its board files land
# there, and starts it with the game's options that follow ($2...), silently
# unless GAME_AUDIO names SDL's audio driver to use.
# Sets WORK, PID, WID and BOARDS, the folder of the board files. A script
# that starts the game again keeps the folder, and so the boards. With
# INSTALLED=1 the program ($1, a path or a command) is started as it is
# installed, from the fresh folder, and its boards are expected in the user's
# data folder.
start_game() {
  WORK=${WORK:-$(mktemp -d)}
  trap 'stop_game; rm -rf "$WORK"' EXIT
  if [ "${INSTALLED:-0}" = 1 ]; then
    program=$1
    BOARDS=${XDG_DATA_HOME:-$HOME/.local/share}/pellaro
  else
    cp "$1" "$WORK/pellaro"
    program=./pellaro
    BOARDS=$WORK
  fi
  shift
  (cd "$WORK" && SDL_AUDIODRIVER=${GAME_AUDIO:-dummy} exec "$program" "$@") &
  PID=$!
  WID=$(window_titled Pellaro 30)
}

# True while the game started by start_game runs (a process that has ended
# but is not yet reaped counts as ended).
game_running() {
  { read -r stat < "/proc/$PID/stat"; } 2>/dev/null || return 1
  state=${stat##*) }
  [ "${state%% *}" != Z ]
}

# Waits up to $1 seconds for the game to end; true if it did.
game_ends_within() {
  i=0
  while game_running; do
    [ "$i" -lt "$(($1 * 10))" ] || return 1
    sleep 0.1
    i=$((i + 1))
  done
}

# Ends the game if it still runs (killing it outright if it has not gone ten
# seconds after SIGTERM) and reaps it.
stop_game() {
  kill "$PID" 2>/dev/null || true
  game_ends_within 10 || kill -9 "$PID" 2>/dev/null || true
  wait "$PID" 2>/dev/null || true
}

# Where window $1 stands and how large it is, as "x,y WxH".
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                           /Width:/ {w=$2} /Height:/ {h=$2} END {print x "," y " " w "x" h}'
}

# Waits up to ten seconds until window $1 stands at $2 ("x,y WxH").
wait_geometry() {
  i=0
  until [ "$(geometry "$1")" = "$2" ]; do
    i=$((i + 1)); [ "$i" -lt 100 ] || fail "window $1 is $(geometry "$1"), not $2"
    sleep 0.1
  done
}

# Full screen on a 1920 x 1080 screen: the game's 561 x 449 pixels scaled by
# 2.4 are 1346 x 1078 device pixels, centred, columns 287 to 1632 and rows 1
# to 1078. X and Y give the screen column and row of a game pixel.
X() { awk -v v="$1" 'BEGIN { printf "%d", 287 + int(v * 2.4 + 0.5) }'; }
Y() { awk -v v="$1" 'BEGIN { printf "%d", 1 + int(v * 2.4 + 0.5) }'; }

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

# The digit in the units box of the scale in the last screenshot (taken by
# pixel_of), found by comparing it with the rendered digit pictures in folder
# $1; "?" when it matches none.
units_digit() {
  convert "$WORK/shot.png" -crop 30x50+264+399 +repage "$WORK/units.png"
  for d in 0 1 2 3 4 5 6 7 8 9; do
    if [ "$(compare -metric AE "$WORK/units.png" "$1/30$d.bmp" null: 2>&1)" = 0 ]; then
      echo "$d"; return
    fi
  done
  echo "?"
}

# The digit the scale's units box shows in window $1 where it is drawn at
# another scale, at (x, y) and w x h on the screen: the rendered 1x digit in
# folder $2 it is nearest to, once made as small.
# usage: scaled_digit WID FOLDER X Y W H
scaled_digit() {
  import -window "$1" "$WORK/shot.png"
  convert "$WORK/shot.png" -crop "$5x$6+$3+$4" +repage -resize '30x50!' "$WORK/units.png"
  for d in 0 1 2 3 4 5 6 7 8 9; do
    echo "$(compare -metric RMSE "$WORK/units.png" "$2/30$d.bmp" null: 2>&1 | cut -d' ' -f1) $d"
  done | sort -n | head -n 1 | cut -d' ' -f2
}

# A fingerprint of what window $1 shows in the box at (x, y) of size w x h.
region_of() {
  import -window "$1" -crop "$4x$5+$2+$3" +repage rgb:- | cksum
}

# Waits up to $7 seconds until the box of window $1 at (x, y) of size w x h
# no longer has fingerprint $6; usage: wait_change WID X Y W H PRINT SECONDS
wait_change() {
  i=0
  while [ "$(region_of "$1" "$2" "$3" "$4" "$5")" = "$6" ]; do
    [ "$i" -lt "$(($7 * 10))" ] || fail "the box at ($2,$3) never changed"
    sleep 0.1
    i=$((i + 1))
  done
}

# Clicks at (x, y) inside window $1.
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# The keysym of each character of $1, one a line as X prints them ("0x61",
# "0x1005c0f"): Latin-1 characters are their own keysyms, the rest are
# Unicode keysyms.
keysyms_of() {
  printf %s "$1" | perl -CI -ne 'printf "0x%x\n", ord($_) < 0x100 ? ord($_) : 0x1000000 | ord($_) for split //'
}

# Makes sure every character of $1, in any script, has a key of its own in the
# keyboard map, mapping each missing one to a spare key for good (the virtual
# X server is the test's own). xdotool's own typing of a character missing
# from the map binds it to a spare key only while the key is pressed; the game
# reads the map when it handles the change, often after the map was put back,
# and then drops or mistakes the character.
map_text() {
  for sym in $(keysyms_of "$1"); do
    listed=$(printf '0x%04x' "$sym")    # as xmodmap lists keysyms
    xmodmap -pk | grep -q "	$listed (" && continue
    spare=$(xmodmap -pke | awk 'NF == 3 && $3 == "=" { k = $2 } END { print k }')
    [ -n "$spare" ] || fail "map_text: no spare key left for $listed"
    xmodmap -e "keycode $spare = $listed"
    xmodmap -pk | grep -q "	$listed (" || fail "map_text: $listed did not reach the keyboard map"
  done
}

# Types $1, in any script, into the window that has the keyboard focus, with
# keys that are already in the map when they are pressed. A client handles a
# map change before the key presses sent after it, so the game reads every
# character right.
type_text() {
  map_text "$1"
  keys=
  for sym in $(keysyms_of "$1"); do keys="$keys $(printf '0x%04x' "$sym")"; done
  # shellcheck disable=SC2086
  xdotool key --delay 60 $keys
}

# ---- pictures at the screen's resolution (sharp_pictures.sh, pixels_at_ratio_1.sh)

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
