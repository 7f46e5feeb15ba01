#!/usr/bin/env bash
# The closing screen under a virtual X server: closing the window shows it
# (the thank-you card); its play picture brings the town back; closing again
# and the door picture end the game with exit code 0 and open nothing. In a
# second run the book picture hands the about page to a fake xdg-open, once,
# and the game ends with exit code 0.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

# The fake opener writes each argument on a line of its own.
mkdir "$dir/bin"
printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done >>"%s/opened"\n' "$dir" >"$dir/bin/xdg-open"
chmod +x "$dir/bin/xdg-open"
export PATH="$dir/bin:$PATH"
printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Options]\nPublisherPage=%s\n' \
    'file://$GAMEPATH\about.html' >RumboTownDemo.ini
printf '[Startup]\nInstallPath=%s\nCDPath=%s\n' "$PWD" "${RUMBO_DATA:?}" >>RumboTownDemo.ini

# wait_for COUNT PATTERN: waits up to 20 s until COUNT lines of the output match.
wait_for() {
    for _ in $(seq 400); do
        (($(grep -c "$2" "$out" 2>/dev/null) >= $1)) && return
        kill -0 "$pid" 2>/dev/null || fail "the game ended while waiting for \"$2\""
        sleep 0.05
    done
    fail "no $1 lines \"$2\""
}
start() {
    "$game" >"$out" 2>&1 &
    pid=$!
    wait_for 1 '^town: ready'
    window_geometry "Rumbo Town Demo"
    mouse 320 240
}
# closing_screen: closes the window and checks that the thank-you card shows.
closing_screen() {
    close_window "$window" || fail "could not close the window"
    shows "the closing card's paper" 320 270 250 240 209 24
    kill -0 "$pid" 2>/dev/null || fail "the game ended instead of showing the closing screen"
    shows "the closing screen's play picture" 290 372 235 150 40 40
}

start
closing_screen
mouse 352 407 click
wait_for 2 '^town: ready'
closing_screen
mouse 495 398 click
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after the door"
[[ ! -e "$dir/opened" ]] || fail "a page was opened: $(cat "$dir/opened")"

start
closing_screen
mouse 215 394 click
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after the book"
sleep 0.5
opened=$(cat "$dir/opened" 2>/dev/null)
[[ "$opened" == "file://${RUMBO_DATA}/about.html" ]] || fail "the book opened \"$opened\""
echo "ok: the closing screen plays on, quits, and opens the about page once"
