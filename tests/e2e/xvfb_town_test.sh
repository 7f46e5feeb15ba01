#!/usr/bin/env bash
# The game's town under a virtual X server, driven with the real pointer:
# the town comes up with the truck at its start point in the middle of the
# window; the pointer held right of the truck drives it right while the view
# follows (the truck stays in the middle), and SIGTERM leaves the town with
# the truck further right.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nInstallPath=%s\nCDPath=%s\n' \
    "$PWD" "${RUMBO_DATA:?}" >RumboTownDemo.ini
start_town
grep -qx 'town: ready truck=1102,1450' "$out" || fail "the town did not come up with the truck at 1102,1450"

# truck_in_middle NAME: the 48 x 48 pixels in the middle of the window are
# mostly truck: other than the ground at the window's corner, and no key
# colour anywhere.
truck_in_middle() {
    import -window root "$dir/screen.png" || fail "no screenshot"
    local corner truck key
    corner=$(pixel 5 5)
    read -r r g b <<<"$corner"
    truck=$(convert "$dir/screen.png" -crop "48x48+$((left + 296))+$((top + 216))" +repage \
        -fill black -opaque "rgb($r,$g,$b)" -fill white +opaque black -format '%[fx:int(mean*2304)]' info:)
    key=$(convert "$dir/screen.png" -crop "640x480+$left+$top" +repage -fill black -opaque white \
        -fill white -opaque 'rgb(255,0,255)' -fill black +opaque white -format '%[fx:int(mean*307200)]' info:)
    (( truck > 600 )) || fail "$1: only $truck of the middle 48 x 48 pixels differ from the ground ($corner)"
    (( key == 0 )) || fail "$1: $key pixels show the key colour"
}
mouse 320 240
sleep 0.3
truck_in_middle "at the start"

# Two seconds with the pointer right of the truck.
mouse 600 240
sleep 2
truck_in_middle "after driving right"

kill -TERM "$pid"
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after SIGTERM"
x=$(sed -n 's/^town: leave truck=\([0-9-]*\),[0-9-]*$/\1/p' "$out")
[[ -n "$x" ]] || fail "no \"town: leave\" line"
(( x > 1102 + 100 )) || fail "the truck left the town at x=$x, not right of its start"
echo "ok: the town's truck drove right from 1102 to $x and stayed in the middle of the view"
