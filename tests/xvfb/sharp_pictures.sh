#!/bin/sh
# On a screen that scales, every picture is drawn from its SVG source at the
# screen's own resolution, in the same place and size, and the bands of the
# scene and the boxes the game fills fall on whole device rows.
#   sharp_pictures.sh <path-to-pellaro> <path-to-render_art> <art-folder>
# At QT_SCALE_FACTOR=2 the window must be what render_art's pictures at
# ratio 2 make of it (captions left out), its bands exact and its buttons'
# edges smooth, not pixel-doubled; with the cart on the scale the lamb, the
# try markers and the time bar follow. With --zoom 1.5 (a ratio that puts
# logical pixels on fractions of device pixels) the bands, the signal box and
# the buttons still land exactly.
. "$(dirname "$0")/common.sh"
GAME=$1
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
for r in 2 1.5; do
  QT_QPA_PLATFORM=offscreen "$2" --ratio "$r" "$3" "$OUT/r$r" 2>/dev/null || fail "render_art --ratio $r"
done
R2=$OUT/r2

# The colours down a column: "first-last colour" runs, blank-separated.
runs() { column_runs "$@" | tr '\n' ' '; }

# ---- QT_SCALE_FACTOR=2
export QT_SCALE_FACTOR=2
start_game "$GAME"
trap 'stop_game; rm -rf "$WORK" "$OUT"' EXIT
unset QT_SCALE_FACTOR
wait_pixel "$WID" 490 400 "253,246,103" 30
window_shot "$WID" "$OUT/start.png" 1122x898

# Every logical position doubled: the scene, the dark blue signal box on the
# brown-grey band, 0 0 on the scale, the three buttons.
expected_window "$OUT/want.png" "$R2" png 2 '#000080' 0 0
cp "$OUT/start.png" "$OUT/got.png"
for img in "$OUT/got.png" "$OUT/want.png"; do
  mask "$img" 480,360 577,425 736,816 881,881 944,704 1089,769   # the captions
done
same_pixels "$OUT/got.png" "$OUT/want.png" "the window at ratio 2"

# The bands: sky, grass, brown-grey, blue on whole device rows.
want="0-449 #8ECFF5 450-769 #7EC722 770-789 #766456 790-897 #00B2EC "
[ "$(runs "$OUT/start.png" 40)" = "$want" ] || fail "bands at ratio 2: $(runs "$OUT/start.png" 40)"

# The start button's oval edge is smooth: a pixel-doubled picture would be
# unchanged by keeping one pixel of every 2 x 2 block and doubling it again.
convert "$OUT/start.png" -crop 100x70+960+288 +repage "$OUT/button.png"
convert "$OUT/button.png" -sample 50% -sample 200% "$OUT/doubled.png"
n=$(compare -metric AE "$OUT/button.png" "$OUT/doubled.png" null: 2>&1) || true
[ "$n" -gt 500 ] || fail "the start button looks pixel-doubled ($n pixels differ from a doubled copy)"

# The cart on the scale: frame B of the lamb at 130, the try markers, and
# the time bar filled on whole device columns beside the scene.
click_at "$WID" 1010 320
wait_pixel "$WID" 520 780 "255,0,0" 30
window_shot "$WID" "$OUT/delivery.png" 1122x898
for part in "406x274+260+496 102" "32x32+944+16 204" "32x32+994+16 204" "32x32+1044+16 204"; do
  set -- $part
  convert "$OUT/delivery.png" -crop "$1" +repage "$OUT/part.png"
  same_pixels "$OUT/part.png" "$R2/$2.png" "picture $2 at $1"
done
bar=$(convert "$OUT/delivery.png" -crop 12x892+902+2 +repage -unique-colors -depth 8 txt:- | tail -n +2 |
      awk '{print $3}' | sort | tr '\n' ' ')
[ "$bar" = "#000080 #FF0000 " ] || fail "the time bar's inside shows $bar"
edge=$(convert "$OUT/delivery.png" -crop 1x898+901+0 +repage -crop 1x896+0+0 +repage -unique-colors -depth 8 txt:- |
       tail -n +2 | awk '{print $3}' | tr '\n' ' ')
[ "$edge" = "#FFFF80 " ] || fail "the time bar's left edge shows $edge"
stop_game

# ---- --zoom 1.5: logical pixel 385 begins at device row 577.5
start_game "$GAME" --zoom 1.5
trap 'stop_game; rm -rf "$WORK" "$OUT"' EXIT
wait_pixel "$WID" 368 300 "253,246,103" 30
window_shot "$WID" "$OUT/zoom.png" 842x674
want="0-337 #8ECFF5 338-577 #7EC722 578-592 #766456 593-673 #00B2EC "
[ "$(runs "$OUT/zoom.png" 40)" = "$want" ] || fail "bands at --zoom 1.5: $(runs "$OUT/zoom.png" 40)"
# The signal box covers exactly the band's rows, columns 350..436 (between
# the sign and the digits).
box=$(runs "$OUT/zoom.png" 400 560 598)
[ "$box" = "560-577 #7EC722 578-592 #000080 593-598 #00B2EC " ] || fail "signal box at --zoom 1.5: $box"
row=$(convert "$OUT/zoom.png" -crop 3x1+348+585 +repage -depth 8 txt:- | tail -n +2 | awk '{print $3}' | tr '\n' ' ')
[ "$row" = "#766456 #766456 #000080 " ] || fail "signal box's left edge at --zoom 1.5: $row"
row=$(convert "$OUT/zoom.png" -crop 3x1+435+585 +repage -depth 8 txt:- | tail -n +2 | awk '{print $3}' | tr '\n' ' ')
[ "$row" = "#000080 #000080 #766456 " ] || fail "signal box's right edge at --zoom 1.5: $row"
for part in "75x53+720+216 201" "75x53+720+288 205" "75x53+720+360 202"; do
  set -- $part
  convert "$OUT/zoom.png" -crop "$1" +repage "$OUT/part.png"
  same_pixels "$OUT/part.png" "$OUT/r1.5/$2.png" "picture $2 at $1 with --zoom 1.5"
done
echo "ok: pictures drawn at the screen's resolution, bands and boxes on whole device pixels"
