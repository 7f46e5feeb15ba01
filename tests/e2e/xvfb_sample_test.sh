#!/usr/bin/env bash
# The engine sample under a virtual X server, driven with the real mouse:
# the green room shows its buttons and radio buttons, a button under the
# pointer shows its hover picture, a click on "NEXT ROOM" fades over to the
# red room (the first room got no fade), whose sequence picks the blue radio
# button, and quitting plays no fade out. A screenshot of each room is kept
# in $SAMPLE_SHOTS when that is set.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
sample=${ENGINE_SAMPLE:?}
data=${SAMPLE_DATA:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }
cp -r "$data/." .

"$sample" >"$out" 2>&1 &
pid=$!
# wait_for LINE: until the sample has written that line (10 s at most).
wait_for() {
    for _ in $(seq 200); do
        grep -qx "$1" "$out" 2>/dev/null && return 0
        kill -0 "$pid" 2>/dev/null || fail "the sample ended while waiting for \"$1\""
        sleep 0.05
    done
    fail "the sample never wrote \"$1\""
}
wait_for ready
window_geometry "Rumbo Engine Sample"
[[ "$width" == 640 ]] || fail "window width $width, expected 640"

shot() {
    import -window root "$dir/screen.png" || fail "no screenshot"
    [[ -n "${SAMPLE_SHOTS:-}" ]] && convert "$dir/screen.png" -crop "640x480+$left+$top" "$SAMPLE_SHOTS/$1.png"
    return 0
}
# The green room, its buttons in their "up" pictures.
mouse 600 250
sleep 0.3
shot green-room
is "green room" 600 250 30 90 40
is "NEXT ROOM button" 425 410 40 120 220
is "QUIT button" 25 410 200 60 60
is "RED radio button" 190 110 170 40 40
is "GREEN radio button" 190 166 40 140 40
is "BLUE radio button" 190 222 40 60 170
grep -q '^fade' "$out" && fail "the first room faded in"

# The pointer over "NEXT ROOM" shows its hover picture.
mouse 520 428
sleep 0.3
shot hover
is "NEXT ROOM under the pointer" 425 410 116 156 206

# A click fades over to the red room, whose sequence picks the blue radio button.
mouse 520 428 click
wait_for "click NEXT ROOM"
wait_for "enter 1"
wait_for "choose BLUE"
mouse 600 250
sleep 0.3
shot red-room
is "red room" 600 250 90 40 30
is "BLUE radio button, chosen" 190 222 20 30 85
diff <(grep -E '^(click|fade|enter)' "$out") - <<'EXPECTED' || fail "unexpected order of room switch steps"
enter 0
click NEXT ROOM
fade FADE1.SMK
enter 1
fade FADE0.SMK
EXPECTED

# Quitting leaves the room without a fade out.
touch quit
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after quit"
[[ $(grep -c '^fade' "$out") == 2 ]] || fail "a fade played while quitting"
echo "ok: the engine sample's rooms, buttons, sequences and fades"
