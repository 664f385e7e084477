#!/bin/sh
# Installs the build into a scratch folder under a prefix with a blank in it
# and checks what a desktop needs: every file in its standard place, the
# icons at their sizes, a menu entry that starts the installed program and
# passes desktop-file-validate, metainfo that passes appstreamcli, a manual
# page that renders cleanly, and one version everywhere.
#   check_install.sh <build-dir>
set -eu
BUILD=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$(dirname "$0")/validate.sh"
PREFIX="/opt/pellaro test"
ID=org.pellaro.Pellaro
SIZES="16 22 24 32 48 64 128 256"

DESTDIR=$T cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null
ROOT=$T$PREFIX

{
  echo bin/pellaro
  echo share/applications/$ID.desktop
  for s in $SIZES; do echo "share/icons/hicolor/${s}x$s/apps/$ID.png"; done
  echo share/icons/hicolor/scalable/apps/$ID.svg
  echo share/metainfo/$ID.metainfo.xml
  echo share/man/man6/pellaro.6.gz
  echo share/doc/pellaro/README.md
  echo share/doc/pellaro/copyright
  echo share/doc/pellaro/changelog.gz
} | sort >"$T/expected"
(cd "$ROOT" && find . -type f | sed 's|^\./||' | sort) >"$T/installed"
diff -u "$T/expected" "$T/installed" || fail "the installed files differ from the expected ones"

for s in $SIZES; do
  file "$ROOT/share/icons/hicolor/${s}x$s/apps/$ID.png" | grep -q "PNG image data, $s x $s, 8-bit/color RGBA" ||
    fail "the ${s}x$s icon is not a $s x $s PNG with alpha"
done

DESKTOP=$ROOT/share/applications/$ID.desktop
grep -qx "Exec=\"$PREFIX/bin/pellaro\"" "$DESKTOP" || fail "Exec does not name the installed program: $(grep ^Exec "$DESKTOP")"
grep -qx "Icon=$ID" "$DESKTOP" || fail "Icon is not the theme icon $ID"
validate_desktop_entry "$DESKTOP"
validate_metainfo "$ROOT/share/metainfo/$ID.metainfo.xml"
validate_manual_page "$ROOT/share/man/man6/pellaro.6.gz"

# One version: the program's, the metainfo's release, the changelog's and the manual page's.
version=$("$ROOT/bin/pellaro" --version | sed -n 's/^pellaro //p')
[ -n "$version" ] || fail "pellaro --version printed no version"
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]\"" "$ROOT/share/metainfo/$ID.metainfo.xml" ||
  fail "the metainfo's release is not $version"
gzip -dc "$ROOT/share/doc/pellaro/changelog.gz" | head -n 1 | grep -q "^pellaro ($version) " ||
  fail "the changelog's newest entry is not $version"
gzip -dc "$ROOT/share/man/man6/pellaro.6.gz" | grep -q "^\.TH PELLARO 6 .* \"Pellaro $version\"" ||
  fail "the manual page is not of version $version"
echo "ok: the installed files are complete and valid"
