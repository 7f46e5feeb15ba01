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
python3 - "$box" <<'PY' || fail "could not close the box"
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
window = int(sys.argv[1], 16)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.display = display
event.xclient.window = window
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
if not x.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
    sys.exit(1)
x.XFlush(display)
x.XCloseDisplay(display)
PY
wait_for answered
touch quit
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after quit"
echo "ok: the error box is a dialog of the game's window and holds the game until answered"
