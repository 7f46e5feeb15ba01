#!/usr/bin/env bash
# Sprites and the custom cursor in a scaled window under a virtual X server:
# with "WindowScale=2" the 640 x 480 drawing area fills a 1280 x 960 window;
# the red sprite at (100, 100) shows at twice those coordinates, and the
# pointer moved into the window brings the engine's green cursor to the
# drawing-area point under it.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3 or ImageMagick is missing.
set -u
demo=${DISPLAY_DEMO:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1600x1200 xwininfo python3 import convert

printf '[Engine]\nWindowScale=2\nUseDirectDraw=0\n[Engine.Debug]\nLogFile=0\n' >display_demo.ini
"$demo" >"$out" 2>&1 &
pid=$!
for _ in $(seq 200); do
    grep -q ready "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the demo ended early"
    sleep 0.05
done
grep -q ready "$out" || fail "the demo never showed a frame"
window_geometry "Rumbo Display Demo"
[[ "$width" == 1280 && "$height" == 960 ]] || fail "window ${width}x${height}, expected 1280x960"

# Move the pointer to window pixel (600, 400): drawing-area point (300, 200).
python3 - $((left + 600)) $((top + 400)) <<'PY' || fail "could not move the pointer"
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                           ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
x.XWarpPointer(display, 0, x.XDefaultRootWindow(display), 0, 0, 0, 0, int(sys.argv[1]), int(sys.argv[2]))
x.XFlush(display)
x.XCloseDisplay(display)
PY
sleep 0.5

import -window root "$dir/screen.png" || fail "no screenshot"
is background 20 20 0 0 255
is "red sprite" 210 210 255 0 0
is "red sprite edge" 263 263 255 0 0
is "right of the sprite" 265 210 0 0 255
is cursor 610 410 0 255 0
is "cursor edge" 623 423 0 255 0
is "right of the cursor" 626 410 0 0 255

touch quit
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after quit"
echo "ok: scaled window with sprites and the custom cursor"
