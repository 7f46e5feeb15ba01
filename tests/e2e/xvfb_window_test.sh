#!/usr/bin/env bash
# The game under a virtual X server: a 640 x 480 window titled
# "Rumbo Town Demo" appears; closing it shows the closing screen, and
# closing it again while that screen is up ends the program with code 0.
# Exits 77 (skipped) when xvfb-run, xwininfo or python3 is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3

# The game asks for full screen by default; this test is about the window.
printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nCDPath=%s\n' "${RUMBO_DATA:?}" \
    >RumboTownDemo.ini
"$game" >"$out" 2>&1 &
pid=$!
for _ in $(seq 200); do
    xwininfo -name "Rumbo Town Demo" >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended before its window appeared"
    sleep 0.05
done
window_geometry "Rumbo Town Demo"
[[ "$width" == 640 && "$height" == 480 ]] || fail "client area ${width}x${height}, expected 640x480"

# The closing screen belongs to the town: wait until it is up (the intro
# movie plays first, slowly on a busy machine).
for _ in $(seq 600); do
    grep -q '^town: ready' "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended before the town was ready"
    sleep 0.05
done
grep -q '^town: ready' "$out" || fail "the town did not come up"

# Closing a window as a window manager does: a WM_DELETE_WINDOW client message.
close_window "$window" || fail "could not send the close request"
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the game ended without its closing screen"
close_window "$window" || fail "could not send the second close request"

wait_exit
[[ -n "$code" ]] || fail "the game did not end after its window was closed"
[[ "$code" == 0 ]] || fail "exit code $code after the window was closed"
echo "ok: ${width}x${height} window, exit code 0 on close"
