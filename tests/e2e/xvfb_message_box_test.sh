#!/usr/bin/env bash
# The error dialog under a virtual X server: the box is a dialog of the
# game's window (WM_TRANSIENT_FOR names it, so it stays in front of it, also
# in full screen), and the game waits for the answer: no frame is shown until
# the box is closed, and then the game goes on.
# Exits 77 (skipped) when xvfb-run, xwininfo, xprop or python3 is missing.
set -u
demo=${DISPLAY_DEMO:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo xprop python3
# The boxes are shown on the display, not answered on standard error.
unset RUMBO_MESSAGEBOX

wait_for() {
    for _ in $(seq 200); do
        grep -q "^$1" "$out" 2>/dev/null && return 0
        kill -0 "$pid" 2>/dev/null || fail "the demo ended while waiting for \"$1\""
        sleep 0.05
    done
    fail "the demo never wrote \"$1\""
}

printf '[Engine]\nUseDirectDraw=1\n[Engine.Debug]\nLogFile=0\n' >display_demo.ini
"$demo" >"$out" 2>&1 &
pid=$!
wait_for ready
window_geometry "Rumbo Display Demo"
game=$window
touch error
wait_for reporting
box=
for _ in $(seq 200); do
    box=$(xwininfo -name "Invalid arguement" 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
    [[ -n "$box" ]] && break
    sleep 0.05
done
[[ -n "$box" ]] || fail "no error box appeared"
parent=$(xprop -id "$box" WM_TRANSIENT_FOR | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
[[ -n "$parent" ]] || fail "the box has no parent window"
(( parent == game )) || fail "the box belongs to window $parent, not the game's $game"
xprop -id "$box" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG || fail "the box is not a dialog"
sleep 0.3
grep -q "^answered" "$out" && fail "the game went on while the box was open"

# Close the box as a window manager does; the game then goes on.
close_window "$box" || fail "could not close the box"
wait_for answered
touch quit
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after quit"
echo "ok: the error box is a dialog of the game's window and holds the game until answered"
