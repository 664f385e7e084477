#!/bin/sh
# Builds the game into build/ (the pictures and sounds are made on the way).
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
echo "build: start the game with ./build/pellaro"
