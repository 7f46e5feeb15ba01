#!/usr/bin/env bash
# Fishing under a virtual X server: a town script gives the fishing with the
# truck beside the river dock; the intro runs and ends in "StartFishing", and
# a click through the X server casts the line. (The line's colour on the
# screen is not checked here any more: since the intro drives onto the dock
# and holds the view, the rod tip's place on the screen is not yet pinned
# down for this scripted start.)
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

# The view's origin on the map while it is locked: the intro holds it over
# the river there, whatever the script locked before.
view_x=5300
view_y=2900
printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nInstallPath=%s\nCDPath=%s\n' \
    "$PWD" "${RUMBO_DATA:?}" >RumboTownDemo.ini
sed 's/^AutoRun=.*/AutoRun=$GAMEPATH\\gofish.seq/' "$RUMBO_DATA/world.ini" >world.ini
# Beside the dock (5250, 3035); the script gives the fishing, and the
# dock's zone pulls the truck in too: the intro may run twice.
printf '%s\n' 'Event Town.SetUserControl(0)' 'Event Truck.SetPosition(5150, 3100)' 'Event Truck.Stop()' \
    'Event Town.LoadMission($GAMEPATH\mission\Fishing\fishing.ini)' 'Event Town.StartMission()' \
    'Event Town.OpenHud()' >gofish.seq
"$game" >"$out" 2>&1 &
pid=$!
for _ in $(seq 600); do
    grep -q '^fishing: started' "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended before the fishing started"
    sleep 0.05
done
grep -q '^fishing: started' "$out" || fail "the intro did not start the fishing"
# The intro drives the truck onto the dock and talks: let it end.
sleep 8
window_geometry "Rumbo Town Demo"

for attempt in 1 2 3; do
    # A click far to the right of the truck gives away the rod tip.
    mouse 600 300 click
    for _ in $(seq 40); do
        grep -q '^fishing: cast ' "$out" && break
        sleep 0.05
    done
    grep -q '^fishing: cast ' "$out" && break
    sleep 1
done
grep -q '^fishing: cast ' "$out" || fail "the click cast nothing"
kill -TERM "$pid"
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after SIGTERM"
grep -i 'error' "$out" && fail "errors were logged"
echo "ok: the intro started the fishing and a click through the X server cast the line: $(grep -m1 '^fishing: cast ' "$out")"
