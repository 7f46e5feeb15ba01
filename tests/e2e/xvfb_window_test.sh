#!/usr/bin/env bash
# The game under a virtual X server: a 640 x 480 window titled
# "Rumbo Town Demo" appears, and closing it ends the program with code 0.
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

# Closing a window as a window manager does: a WM_DELETE_WINDOW client message.
python3 - "$window" <<'PY' || fail "could not send the close request"
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
event.xclient.l[1] = 0  # CurrentTime
if not x.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
    sys.exit(1)
x.XFlush(display)
x.XCloseDisplay(display)
PY

wait_exit
[[ -n "$code" ]] || fail "the game did not end after its window was closed"
[[ "$code" == 0 ]] || fail "exit code $code after the window was closed"
echo "ok: ${width}x${height} window, exit code 0 on close"
