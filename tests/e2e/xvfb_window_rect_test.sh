#!/usr/bin/env bash
# SetAppWindowRect under a virtual X server. In a window: the window takes the
# new client size and the screen is made again at that size, so the picture
# shows one pixel per pixel (the red sprite at (100, 100) stays there, and
# beyond the 640 x 480 background the new area is black). In full screen: the
# window and the screen are made again, full screen, at the new size (a new
# window, and a screen of that size).
# Exits 77 (skipped) when xvfb-run, xwininfo, python3 or ImageMagick is missing.
set -u
demo=${DISPLAY_DEMO:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo import convert

# wait_for TEXT: until the demo has written a line starting with TEXT (10 s at most).
wait_for() {
    for _ in $(seq 200); do
        grep -q "^$1" "$out" 2>/dev/null && return 0
        kill -0 "$pid" 2>/dev/null || fail "the demo ended while waiting for \"$1\""
        sleep 0.05
    done
    fail "the demo never wrote \"$1\""
}

# run OPTIONS: starts the demo with that option file and waits for its first frame.
run() {
    printf '%b' "$1" >display_demo.ini
    : >"$out"
    "$demo" >"$out" 2>&1 &
    pid=$!
    wait_for ready
}

finish() {
    touch quit
    wait_exit
    [[ "$code" == 0 ]] || fail "exit code ${code:-none} after quit"
    rm -f quit
}

run '[Engine]\nUseDirectDraw=0\nWindowScale=1\n[Engine.Debug]\nLogFile=0\n'
echo "40 30 800 600" >resize
wait_for resized
grep -qx "resized 800 600 window" "$out" || fail "in a window: $(grep resized "$out")"
sleep 0.5
window_geometry "Rumbo Display Demo"
[[ "$width" == 800 && "$height" == 600 ]] || fail "client area ${width}x${height}, expected 800x600"
import -window root "$dir/screen.png" || fail "no screenshot"
is background 20 20 0 0 255
is "red sprite, unscaled" 110 110 255 0 0
is "right of the sprite, unscaled" 140 110 0 0 255
is "beyond the background" 700 550 0 0 0
finish

run '[Engine]\nUseDirectDraw=1\n[Engine.Debug]\nLogFile=0\n'
window_geometry "Rumbo Display Demo"
first=$window
echo "0 0 800 600" >resize
wait_for resized
grep -qx "resized 800 600 full" "$out" || fail "in full screen: $(grep resized "$out")"
sleep 0.5
# Without a window manager a full-screen window keeps the size it was made with.
window_geometry "Rumbo Display Demo"
[[ "$window" != "$first" ]] || fail "the full-screen window was not made again"
[[ "$width" == 800 && "$height" == 600 ]] || fail "full-screen window ${width}x${height}, expected 800x600"
finish
echo "ok: the window and the screen take the new size, windowed and full screen"
