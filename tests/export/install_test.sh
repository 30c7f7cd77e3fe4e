#!/usr/bin/env bash
# cmake --install --strip into a temporary prefix (the GNUInstallDirs layout,
# nothing of the Debian package's own), then the installed program started
# from its desktop entry's command, offscreen, with a temporary home: it must
# stay up and make its settings, puzzle and log folders under that home.
#   install_test.sh BUILD_DIR
set -u
build=$1
tmp=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -s "$tmp/run.log" ] && cat "$tmp/run.log"; exit 1; }

cmake --install "$build" --prefix "$tmp/prefix" --strip >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "install"; }
p=$tmp/prefix
for f in bin/tessaro bin/tessaro-cli libexec/tessaro/tessaro-cli-export share/tessaro/Init.ini share/applications/org.tessaro.Tessaro.desktop \
         share/icons/hicolor/scalable/apps/org.tessaro.Tessaro.svg share/metainfo/org.tessaro.Tessaro.metainfo.xml \
         share/man/man6/tessaro.6.gz share/man/man6/tessaro-cli.6.gz; do
    [ -e "$p/$f" ] || fail "missing $f"
done
for f in games share/lintian share/doc/tessaro/changelog.Debian.gz; do
    [ -e "$p/$f" ] && fail "$f belongs to the Debian package only"
done
for f in bin/tessaro bin/tessaro-cli libexec/tessaro/tessaro-cli-export; do
    readelf -S "$p/$f" | grep -q '\.symtab' && fail "$f not stripped"
done
[ -e "$p/bin/Init.ini" ] && fail "Init.ini beside the installed executables makes it a portable copy"
# The manual page holds every command's options, from the program's own help.
zcat "$p/share/man/man6/tessaro-cli.6.gz" | sed 's/\\-/-/g' >"$tmp/man.txt"
for o in --max-moves --seconds --problem --pdf --version; do
    grep -q -- "$o" "$tmp/man.txt" || fail "man page lacks $o"
done
grep -q '^Categories=Game;LogicGame;$' "$p/share/applications/org.tessaro.Tessaro.desktop" || fail "categories"

# export runs in its own program, found from the installed tessaro-cli.
"$p/bin/tessaro-cli" export --sample --stl "$tmp/stl" >"$tmp/run.log" 2>&1 || fail "tessaro-cli export from the install"
[ -s "$tmp/stl/block1.stl" ] || fail "export from the install wrote no STL"

exec_line=$(sed -n 's/^Exec=//p' "$p/share/applications/org.tessaro.Tessaro.desktop" | sed 's/ %f$//')
mkdir -p "$tmp/home" "$tmp/run"
chmod 700 "$tmp/run"
env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_DATA_HOME HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" \
    QT_QPA_PLATFORM=offscreen PATH="$p/bin:$PATH" $exec_line >"$tmp/run.log" 2>&1 &
pid=$!
ini=$tmp/home/.config/tessaro/Init.ini
for _ in $(seq 200); do [ -s "$ini" ] && break; sleep 0.1; done
[ -s "$ini" ] || fail "no settings file made at $ini"
cmp -s "$ini" "$p/share/tessaro/Init.ini" || fail "settings differ from the installed default"
[ -d "$tmp/home/.local/share/Tessaro" ] || fail "no puzzle folder"
[ -d "$tmp/home/.local/state/tessaro" ] || fail "no log folder"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program did not stay up"
echo "installed program started with its settings in $ini"
