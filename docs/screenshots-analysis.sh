#!/usr/bin/env bash
# Takes the README's screenshots of the analysis menu on a virtual display:
# the count's result for the sample and the packing browser.
#   docs/screenshots-analysis.sh [build/bin/tessaro]      (writes docs/analysis-*.png)
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/bin/tessaro}
if [ "${INSIDE_XVFB:-}" != 1 ]; then
    INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

tmp=$(mktemp -d)
trap 'kill $pid 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir -m 700 "$tmp/run"
export XDG_RUNTIME_DIR=$tmp/run
unset QT_QPA_PLATFORM
cp "$exe" "$tmp/tessaro"
cp "$(dirname "$exe")/Init.ini" "$tmp/Init.ini"
"$tmp/tessaro" &
pid=$!
for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
done
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"   # X, Y, WIDTH, HEIGHT
# The window's area of the screen, with whatever dialog stands over it.
shot() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "docs/$1"; echo "docs/$1"; }
menu() { xdotool windowfocus --sync "$win" 2>/dev/null || true; xdotool key alt+a; sleep 0.4; xdotool key "$@"; }

# 解の数を数える…: the result box over the window.
menu Return
sleep 1.5
shot analysis-count.png
xdotool key Return
sleep 0.5

# 解を見る…: packing 3 of the sample in the box view.
menu Down Return
sleep 1.5
next() { xdotool mousemove $((X + 870)) $((Y + 586)) click 1; sleep 0.5; }   # 次へ, beside the box view
next; next
shot analysis-browser.png
