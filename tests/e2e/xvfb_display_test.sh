#!/usr/bin/env bash
# Sprites and the custom cursor in a scaled window under a virtual X server:
# with "WindowScale=2" the 640 x 480 drawing area fills a 1280 x 960 window;
# the red sprite at (100, 100) shows at twice those coordinates, and the
# pointer moved into the window brings the engine's green cursor to the
# drawing-area point under it.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3 or ImageMagick is missing.
set -u
demo=${DISPLAY_DEMO:?}
for tool in xvfb-run xwininfo python3 import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done

if [[ "${1:-}" != "--inside" ]]; then
    exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" --inside
fi

dir=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$dir/run" SDL_AUDIODRIVER=dummy RUMBO_MESSAGEBOX=Quit
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset SDL_VIDEODRIVER
mkdir -m 700 "$dir/run" "$dir/work"
cd "$dir/work"
printf '[Engine]\nWindowScale=2\nUseDirectDraw=0\n[Engine.Debug]\nLogFile=0\n' >display_demo.ini
fail() { echo "FAIL $*"; cat "$dir/demo.out" 2>/dev/null; exit 1; }

"$demo" >"$dir/demo.out" 2>&1 &
pid=$!
for _ in $(seq 200); do
    grep -q ready "$dir/demo.out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the demo ended early"
    sleep 0.05
done
grep -q ready "$dir/demo.out" || fail "the demo never showed a frame"
info=$(xwininfo -name "Rumbo Display Demo") || fail "no window"
width=$(sed -n 's/^ *Width: *//p' <<<"$info")
height=$(sed -n 's/^ *Height: *//p' <<<"$info")
left=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
top=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
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
# The colour of one screen pixel as "r g b" (0-255).
pixel() {
    convert "$dir/screen.png" -crop "1x1+$(($1 + left))+$(($2 + top))" -depth 8 txt:- |
        sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
is() { # is NAME X Y R G B: each channel within 16 of the expected value
    read -r r g b <<<"$(pixel "$2" "$3")"
    [[ -n "${r:-}" ]] || fail "$1: no pixel at $2,$3"
    for pair in "$r $4" "$g $5" "$b $6"; do
        set -- $pair
        (( $1 - $2 <= 16 && $2 - $1 <= 16 )) || fail "$1 at window pixel: got $r $g $b"
    done
}
is background 20 20 0 0 255
is "red sprite" 210 210 255 0 0
is "red sprite edge" 263 263 255 0 0
is "right of the sprite" 265 210 0 0 255
is cursor 610 410 0 255 0
is "cursor edge" 623 423 0 255 0
is "right of the cursor" 626 410 0 0 255

touch quit
code=
for _ in $(seq 200); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        code=$?
        pid=
        break
    fi
    sleep 0.05
done
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after quit"
echo "ok: scaled window with sprites and the custom cursor"
