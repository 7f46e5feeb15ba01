# Shared pieces of the tests that run a program under a virtual X server.
# A test sources this file, then calls xvfb_setup; the functions it gets:
#   xvfb_setup SCREEN TOOL...  exits 77 (skipped) when a tool is missing, runs
#                              the test again inside xvfb-run with that screen
#                              size, and leaves it in a fresh work directory
#                              ($dir/work) with the environment set for the
#                              engine; $dir is removed at exit and a program
#                              started into $pid is killed.
#   fail TEXT                  prints the failure and the program's output ($out), exits 1
#   window_geometry TITLE      sets $left $top $width $height of the named window
#   pixel X Y                  "r g b" of window pixel (X, Y) of $dir/screen.png
#   is NAME X Y R G B [TOL]    fails unless each channel is within TOL (16) of the value
#   wait_exit                  waits up to 10 s for $pid to end; sets $code ("" if it did not)
#   start_town ARG...          starts $game with the arguments into $pid (output in $out),
#                              waits for the town and the window's geometry
#   wait_output PATTERN TENTHS waits up to TENTHS / 10 s for a line of $out matching
#                              PATTERN; fails when $pid ends first
#   mouse X Y [click]          moves the XTest pointer to window pixel (X, Y) (of the last
#                              window_geometry), and clicks the left button

xvfb_setup() {
    local screen=$1
    shift
    local tool
    for tool in xvfb-run "$@"; do
        command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
    done
    if [[ "${XVFB_INSIDE:-}" != 1 ]]; then
        XVFB_INSIDE=1 exec xvfb-run -a -s "-screen 0 ${screen}x24" bash "$0"
    fi
    dir=$(mktemp -d)
    pid=
    out="$dir/program.out"
    trap xvfb_cleanup EXIT
    export XDG_RUNTIME_DIR="$dir/run" SDL_AUDIODRIVER=dummy RUMBO_MESSAGEBOX=Quit
    export LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    unset SDL_VIDEODRIVER
    mkdir -m 700 "$dir/run" "$dir/work"
    cd "$dir/work" || exit 1
}

xvfb_cleanup() {
    [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$dir"
}

fail() {
    echo "FAIL $*"
    cat "$out" 2>/dev/null
    exit 1
}

window_geometry() {
    local info
    info=$(xwininfo -name "$1") || fail "no window titled \"$1\""
    left=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    top=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/^ *Width: *//p' <<<"$info")
    height=$(sed -n 's/^ *Height: *//p' <<<"$info")
    window=$(sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p' <<<"$info")
}

pixel() {
    convert "$dir/screen.png" -crop "1x1+$(($1 + left))+$(($2 + top))" -depth 8 txt:- |
        sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

is() {
    local name=$1 tolerance=${7:-16} r g b pair
    read -r r g b <<<"$(pixel "$2" "$3")"
    [[ -n "${r:-}" ]] || fail "$name: no pixel at $2,$3"
    for pair in "$r $4" "$g $5" "$b $6"; do
        set -- $pair
        (( $1 - $2 <= tolerance && $2 - $1 <= tolerance )) || fail "$name: got $r $g $b"
    done
}

wait_output() {
    for _ in $(seq $(($2 * 2))); do
        grep -q "$1" "$out" 2>/dev/null && return
        kill -0 "$pid" 2>/dev/null || fail "the program ended before \"$1\""
        sleep 0.05
    done
    grep -q "$1" "$out" || fail "no \"$1\" in $(($2 / 10)) s"
}

start_town() {
    "$game" "$@" >"$out" 2>&1 &
    pid=$!
    wait_output '^town: ready' 150
    window_geometry "Rumbo Town Demo"
}

wait_exit() {
    code=
    for _ in $(seq 200); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            code=$?
            pid=
            return
        fi
        sleep 0.05
    done
}

# close_window ID: asks the window to close as a window manager does (a
# WM_DELETE_WINDOW client message). Fails when the request cannot be sent.
close_window() {
    python3 - "$1" <<'PY'
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
}

# mouse X Y [click]: moves the pointer to window pixel (X, Y), and clicks the left button.
mouse() {
    python3 - $((left + $1)) $((top + $2)) "${3:-}" <<'PY' || fail "could not drive the pointer"
import ctypes, ctypes.util, sys, time
x = ctypes.CDLL("libX11.so.6")
t = ctypes.CDLL(ctypes.util.find_library("Xtst"))
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
t.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
t.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
t.XTestFakeMotionEvent(display, -1, int(sys.argv[1]), int(sys.argv[2]), 0)
x.XFlush(display)
if sys.argv[3] == "click":
    time.sleep(0.2)
    t.XTestFakeButtonEvent(display, 1, 1, 0)
    x.XFlush(display)
    time.sleep(0.1)
    t.XTestFakeButtonEvent(display, 1, 0, 0)
    x.XFlush(display)
x.XCloseDisplay(display)
PY
}

# keys KEYSYM...: presses and releases each key in turn with XTest ("grave", "t", "Return", "Escape").
keys() {
    python3 - "$@" <<'PY' || fail "could not type the keys"
import ctypes, ctypes.util, sys, time
x = ctypes.CDLL("libX11.so.6")
t = ctypes.CDLL(ctypes.util.find_library("Xtst"))
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XStringToKeysym.restype = ctypes.c_ulong
x.XStringToKeysym.argtypes = [ctypes.c_char_p]
x.XKeysymToKeycode.restype = ctypes.c_ubyte
x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
t.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x.XOpenDisplay(None)
if not display:
    sys.exit(1)
for name in sys.argv[1:]:
    code = x.XKeysymToKeycode(display, x.XStringToKeysym(name.encode()))
    if not code:
        sys.exit(1)
    for down in (1, 0):
        t.XTestFakeKeyEvent(display, code, down, 0)
        x.XFlush(display)
        time.sleep(0.1)
x.XCloseDisplay(display)
PY
}

# shows NAME X Y R G B [TOL]: takes screenshots for up to 15 s until window
# pixel (X, Y) is within TOL (16) of the colour; fails as `is` does otherwise.
shows() {
    local r g b
    for _ in $(seq 60); do
        import -window root "$dir/screen.png" || fail "no screenshot"
        read -r r g b <<<"$(pixel "$2" "$3")"
        if [[ -n "${r:-}" ]] && (( r - $4 <= ${7:-16} && $4 - r <= ${7:-16} && g - $5 <= ${7:-16} &&
            $5 - g <= ${7:-16} && b - $6 <= ${7:-16} && $6 - b <= ${7:-16} )); then
            return
        fi
        sleep 0.25
    done
    is "$@"
}
