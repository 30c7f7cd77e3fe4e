#!/usr/bin/env bash
# The Debian package CPack builds from BUILD_DIR: where its files go and what
# its control fields say.
#   package_test.sh BUILD_DIR
set -u
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(ls "$tmp"/*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no .deb"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$tmp/list"
cat "$tmp/list"
for f in /usr/games/tessaro /usr/games/tessaro-cli /usr/libexec/tessaro/tessaro-cli-export /usr/share/tessaro/Init.ini \
         /usr/share/applications/org.tessaro.Tessaro.desktop /usr/share/metainfo/org.tessaro.Tessaro.metainfo.xml \
         /usr/share/man/man6/tessaro.6.gz /usr/share/man/man6/tessaro-cli.6.gz \
         /usr/share/doc/tessaro/copyright /usr/share/doc/tessaro/changelog.Debian.gz; do
    grep -qx "$f" "$tmp/list" || fail "missing $f"
done
grep -q '^/usr/bin/' "$tmp/list" && fail "a program outside /usr/games in a games package"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"
dpkg-deb -f "$deb" Maintainer | grep -q '@tessaro.org>$' || fail "maintainer address"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2 ] || fail "no extended description"
echo "package $(basename "$deb") holds what it should"
