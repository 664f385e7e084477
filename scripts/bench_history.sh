#!/bin/sh
# The play history at ten years of near-daily play: the file's size, reading
# it back, keeping one more game, and the parents' window opening, drawing
# and switching its period on a virtual X server (tools/measure_progress);
# then the same for a family of three children with ten years each, the
# window also switching to another child.
#   scripts/bench_history.sh [build-dir] [runs]
set -eu
BUILD=${1:-build}
RUNS=${2:-5}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/data/pellaro"
file=$dir/data/pellaro/history.sqlite
"$BUILD/make_history" "$file" --years 10
echo "file: $(du -k "$file" | cut -f1) KiB ($(ls -l "$file" | awk '{printf "%.1f", $5 / 1048576}') MB)"
"$BUILD/make_history" "$file" --measure-load "$RUNS"
"$BUILD/make_history" "$dir/add.sqlite" --measure-add 200
here=$(cd "$(dirname "$0")" && pwd)
# The parents' window over the history in $dir/data, RUNS times.
window() {
  i=0
  while [ "$i" -lt "$RUNS" ]; do
    XDG_DATA_HOME=$dir/data XVFB_SCREEN=1280x900x24 \
      sh "$here/../tests/xvfb/run.sh" "$BUILD/measure_progress" 2>/dev/null
    i=$((i + 1))
  done
}
window

# Three children, ten years each.
rm -rf "$dir/data"
mkdir -p "$dir/data/pellaro"
"$BUILD/make_history" "$file" --years 10 --children 3
echo "three children's file: $(du -k "$file" | cut -f1) KiB ($(ls -l "$file" | awk '{printf "%.1f", $5 / 1048576}') MB)"
window
