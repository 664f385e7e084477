#!/bin/sh
# Builds the Debian package build-package/pellaro_<version>_<arch>.deb: a
# build for /usr with the program in /usr/games and every player's boards in
# their own data folder, compiled with Debian's hardening flags and packaged
# by CPack, stripped, with the dependencies dpkg-shlibdeps works out. Installs
# the Debian packages the build needs first when they are missing.
#   scripts/package.sh     then: sudo apt install ./build-package/pellaro_*.deb
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh package
BUILD=build-package
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELLARO_TESTS=OFF -DPELLARO_SANITIZE=OFF -DPELLARO_BOARDS_IN_USER_DATA=ON \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS"
cmake --build "$BUILD" -j "$(nproc)"
rm -f "$BUILD"/pellaro_*.deb
(cd "$BUILD" && cpack -G DEB)
echo "package: $(ls "$BUILD"/pellaro_*.deb)"
