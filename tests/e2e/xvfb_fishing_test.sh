#!/usr/bin/env bash
# Fishing under a virtual X server: a town script loads and starts the
# fishing with the truck standing by the river dock and the view locked;
# the intro runs and ends in "StartFishing"; a click on the river 300
# pixels down-right of the rod tip casts the line, and a screenshot taken while
# the line is out shows it dark grey between the rod tip and the lure.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

# The view's origin on the map while it is locked.
view_x=4900
view_y=2850
printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nInstallPath=%s\nCDPath=%s\n' \
    "$PWD" "${RUMBO_DATA:?}" >RumboTownDemo.ini
sed 's/^AutoRun=.*/AutoRun=$GAMEPATH\\gofish.seq/' "$RUMBO_DATA/world.ini" >world.ini
# Beside the dock (5250, 3035), out of its zone's pull.
printf '%s\n' 'Event Town.SetUserControl(0)' 'Event Truck.SetPosition(5150, 3100)' 'Event Truck.Stop()' \
    "Event Town.LockScreen($view_x, $view_y)" 'Event Town.LoadMission($GAMEPATH\mission\Fishing\fishing.ini)' \
    'Event Town.StartMission()' 'Event Town.OpenHud()' >gofish.seq
"$game" >"$out" 2>&1 &
pid=$!
for _ in $(seq 600); do
    grep -q '^fishing: started' "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended before the fishing started"
    sleep 0.05
done
grep -q '^fishing: started' "$out" || fail "the intro did not start the fishing"
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
line=$(grep -m1 '^fishing: cast ' "$out") || fail "the click cast nothing"
read -r tip_x tip_y < <(sed 's/^fishing: cast from \([0-9-]*\),\([0-9-]*\) .*/\1 \2/' <<<"$line")
wx=$((tip_x - view_x))
wy=$((tip_y - view_y))
# Once that line is back, the cast the test checks: down-right onto the
# river, 300 px from the rod tip.
sleep 2
mouse $((wx + 212)) $((wy + 212)) click
for _ in $(seq 20); do
    [[ $(grep -c '^fishing: cast ' "$out") -ge 2 ]] && break
    sleep 0.05
done
[[ $(grep -c '^fishing: cast ' "$out") -ge 2 ]] || fail "the click on the river cast nothing"
# The lure flies 300 px in a quarter second, then comes back to 130 px in half a second.
sleep 0.3
import -window root "$dir/screen.png" || fail "no screenshot"
# Along the first 100 px of the line (the lure never comes closer than 130): dark grey.
for d in 14 42 70; do
    is "line at +$d,+$d" $((wx + d)) $((wy + d)) 64 64 64 24
done

kill -TERM "$pid"
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after SIGTERM"
grep -i 'error' "$out" && fail "errors were logged"
echo "ok: the intro started the fishing and the cast line shows between the rod tip and the lure"
