#!/bin/sh
# Practice: a simulated learner played through the practice chooser and
# through the game's own draw, 30 seeds each (tools/practice_sim), then the
# chooser's cost on ten years of near-daily play made by make_history.
# Builds nothing: build first (scripts/build.sh or cmake --build build).
#   scripts/bench_practice.sh [build-dir]
set -eu
BUILD=${1:-build}
for tool in practice_sim make_history; do
  if [ ! -x "$BUILD/$tool" ]; then
    echo "bench_practice: $BUILD/$tool is missing; build first" >&2
    exit 1
  fi
done
"$BUILD/practice_sim" --seeds 30
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$BUILD/make_history" "$dir/history.sqlite" --years 10 >/dev/null
"$BUILD/practice_sim" --measure "$dir/history.sqlite"
