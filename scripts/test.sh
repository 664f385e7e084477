#!/bin/sh
# Builds and runs the whole test suite: the normal build (including the tests
# that run the real program under a virtual X server and the check of the
# installed files), the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of the board-file fuzzer.
# Installs the Debian packages it needs first when they are missing.
#   FUZZ_SECONDS=0 skips the fuzzer; SKIP_SANITIZE=1 skips the sanitizer build.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
JOBS=$(nproc)

echo "== tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"

if [ "${SKIP_SANITIZE:-0}" != 1 ]; then
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELLARO_SANITIZE=ON
  cmake --build build-sanitize -j "$JOBS"
  # The real program on virtual X servers too, one at a time as always.
  ctest --test-dir build-sanitize --output-on-failure -j "$JOBS"
fi

FUZZ_SECONDS=${FUZZ_SECONDS:-45}
if [ "$FUZZ_SECONDS" -gt 0 ]; then
  echo "== board reader fuzzing for ${FUZZ_SECONDS}s"
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DPELLARO_FUZZ=ON
  cmake --build build-fuzz --target fuzz_board -j "$JOBS"
  mkdir -p build-fuzz/corpus
  build-fuzz/tests/fuzz_board -max_total_time="$FUZZ_SECONDS" -max_len=4096 \
      build-fuzz/corpus tests/fuzz_corpus
fi
echo "== all tests passed"
