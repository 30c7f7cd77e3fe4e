#!/usr/bin/env bash
# The real program on a virtual X display: it starts with its title, a second
# copy is refused with its message, and without Init.ini it stops with the
# settings message before any window. Exit 77 (skipped) without xvfb-run.
#   window_smoke.sh PATH/TO/tessaro PATH/TO/Init.ini
set -u

if [ "${1:-}" != "--inside" ]; then
    command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run not installed: skipped"; exit 77; }
    command -v xdotool >/dev/null 2>&1 || { echo "xdotool not installed: skipped"; exit 77; }
    # The server picks a free display itself (-displayfd), so test runs started
    # at the same moment cannot race for one as xvfb-run -a can.
    dir=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
    if [ ! -s "$dir/display" ]; then
        echo "FAIL: Xvfb did not start"; cat "$dir/xvfb.log"; kill "$xvfb" 2>/dev/null; rm -rf "$dir"; exit 1
    fi
    DISPLAY=":$(head -n 1 "$dir/display")" "$0" --inside "$@"
    rc=$?
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    rm -rf "$dir"
    exit $rc
fi
shift
exe=$1
ini=$2

tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for log in "$tmp"/*.log; do [ -s "$log" ] && { echo "--- $log"; cat "$log"; }; done
    exit 1
}

# Our own lock folder, so a Tessaro running elsewhere cannot interfere.
export XDG_RUNTIME_DIR=$tmp/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# The first window of process $1, waiting up to 15 s; prints its id.
window_of() {
    local pid=$1 id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
# Waits up to 10 s for process $1 to end; its exit code goes to $code. Not
# run in $(...): a subshell cannot wait for this shell's children (bash then
# reports -1 when the process ends during the polling).
wait_end() {
    for _ in $(seq 100); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            code=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}
press_return() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    sleep 0.3
    xdotool key Return
}

mkdir "$tmp/prog" "$tmp/bare"
cp "$exe" "$tmp/prog/tessaro"
cp "$ini" "$tmp/prog/Init.ini"
cp "$exe" "$tmp/bare/tessaro"

# 1. The program starts with its title and makes the data folder.
"$tmp/prog/tessaro" 2>"$tmp/first.log" &
first=$!
pids+=("$first")
main=$(window_of "$first") || fail "no main window"
title=$(xdotool getwindowname "$main")
[ "$title" = "Tessaro Ver 1.0.0" ] || fail "title is '$title'"
[ -d "$tmp/prog/Data" ] || fail "data folder not created"
echo "ok: window '$title', data folder made"

# 2. A second copy shows the refusal and ends; the first stays.
"$tmp/prog/tessaro" 2>"$tmp/second.log" &
second=$!
pids+=("$second")
box=$(window_of "$second") || fail "second copy showed nothing"
title=$(xdotool getwindowname "$box")
[ "$title" = "起動時エラー" ] || fail "second copy shows '$title'"
press_return "$box"
wait_end "$second" || fail "second copy did not end"
[ "$code" != 0 ] || fail "second copy ended with 0"
kill -0 "$first" 2>/dev/null || fail "first copy ended too"
echo "ok: second copy refused ('$title'), first still running"

# 3. Quitting from the file menu ends the program.
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key alt+f
sleep 0.5
xdotool key q
wait_end "$first" || fail "quit did not end the program"
[ "$code" = 0 ] || fail "program ended with $code"
echo "ok: 終了 ends the program"

# 4. Without Init.ini: the settings message, then the end, never the window.
"$tmp/bare/tessaro" 2>"$tmp/bare.log" &
bare=$!
pids+=("$bare")
box=$(window_of "$bare") || fail "no message without Init.ini"
title=$(xdotool getwindowname "$box")
[ "$title" = "初期設定ファイル異常" ] || fail "without Init.ini shows '$title'"
press_return "$box"
wait_end "$bare" || fail "did not end without Init.ini"
[ "$code" != 0 ] || fail "ended with 0 without Init.ini"
[ ! -d "$tmp/bare/Data" ] || fail "data folder made without Init.ini"
echo "ok: missing Init.ini stops it ('$title')"
