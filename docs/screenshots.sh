#!/usr/bin/env bash
# Takes the README's screenshots of the real window on a virtual display:
# at start, in the middle of a game, after the automatic loader's packing, the
# analysis menu's count and its packing browser, the designer and its nearest
# unique variants.
#   docs/screenshots.sh [build/bin/tessaro]      (writes docs/*.png)
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
menu=$((HEIGHT - 664 - 20))  # menu bar above the 664-pixel client area, status bar below

# Clicks at a point of the client area, in pixels (twips / 15).
at() { xdotool mousemove $((X + $1)) $((Y + menu + $2)) click 1; sleep 0.15; }
block() { at 764 $((354 + 12 * ($1 - 1) + 6)); }   # lstPiece entry
load() { at 528 360; }
org() { at 480 360; }
turn() { case $1 in Z) at 480 376;; X) at 528 376;; Y) at 576 376;; esac; }
xinc() { at 544 400; }
yinc() { at 520 432; }
zinc() { at 490 462; }
shot() { import -window "$win" "docs/$1"; echo "docs/$1"; }

shot window-start.png

# Three blocks of a solution by hand.
block 1; org; xinc; load
block 2; turn X; org; load
block 3; turn Z; turn Z; org; yinc; load
block 4; org; xinc
shot window-play.png

# The automatic loader packs the box.
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+v; sleep 0.4; xdotool key Down Return; sleep 0.4
at 152 532   # LOAD
for _ in $(seq 100); do   # the search ends with its message box
    box=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -v "^$win$" | head -1) && [ -n "$box" ] && break
    sleep 0.1
done
import -window root "$tmp/with-message.png"
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
sleep 0.5
shot window-auto.png

# The analysis menu; its dialogs stand over the window, so these take the screen's part.
crop() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "docs/$1"; echo "docs/$1"; }
analysis() { xdotool windowfocus --sync "$win" 2>/dev/null || true; xdotool key alt+a; sleep 0.4; xdotool key "$@"; }

# 解の数を数える…: the result box over the window.
analysis Return
sleep 1.5
crop analysis-count.png
xdotool key Return
sleep 0.5

# 解を見る…: packing 3 of the sample in the box view.
analysis Down Return
sleep 1.5
next() { xdotool mousemove $((X + 870)) $((Y + 586)) click 1; sleep 0.5; }   # 次へ, beside the box view
next; next
crop analysis-browser.png

# The count's offer on the sample: 唯一解に近づける… lists the nearest variants with one packing.
xdotool key Escape; sleep 0.5   # the browser closes
analysis Return
sleep 1.5
xdotool key Tab space   # from OK to the offered button
for _ in $(seq 300); do   # the variants are listed once the search ends
    dlg=$(xdotool search --onlyvisible --name "^唯一解に近づける$" 2>/dev/null | head -1) && [ -n "$dlg" ] && break
    sleep 0.1
done
sleep 8
window() { eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/W_/')"; import -window root -crop "${W_WIDTH}x${W_HEIGHT}+${W_X}+${W_Y}" +repage "docs/$2"; echo "docs/$2"; }
window "$dlg" design-nearest.png
xdotool key Escape; sleep 0.5

# ﾂｰﾙ → パズルの自動作成…: five 3x3x3 puzzles of six blocks, hardest first, the first drawn.
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key alt+t; sleep 0.4; xdotool key Up Return; sleep 1
dlg=$(xdotool search --onlyvisible --name "^パズルの自動作成$" | head -1)
xdotool windowfocus --sync "$dlg" 2>/dev/null || true
xdotool key Return   # 探す
sleep 8
window "$dlg" design-dialog.png
xdotool key Return   # 採用: the puzzle comes into the window, made and unsaved
sleep 1
