#!/usr/bin/env bash
# A person's game, recorded and played again: under a virtual X server the
# game runs with --record in real time while the XTest pointer drives the
# truck down the street into the bakery and back out; the recording, played
# in a second run under the dummy video driver as fast as it can, ends on the
# same screen and saves the same profile, byte for byte.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3 or libXtst is missing.
set -u
game=${RUMBOTOWN:?}
data=${RUMBO_DATA:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

# Each run has a home of its own: the option file, and the profile it saves.
for run in live replayed; do
    mkdir "$run"
    printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nInstallPath=%s\nCDPath=%s\n' \
        "$PWD/$run" "$data" >"$run/RumboTownDemo.ini"
done

# The live run: 14 s of game time at one step of real time each.
end=14000
cd live || fail "no live home"
start_town --record "$dir/person.replay" --exit-after $end --screenshot "$((end - 10)):$dir/live.bmp"
# Below the truck: it drives down into the bakery's zone and is pulled in.
mouse 320 420
wait_output '^town: enter 0 Bakery ' 100
# Wandering over the scene, then steering up and to the right.
mouse 200 200
sleep 0.5
mouse 500 120
for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
wait_exit
[[ "$code" == 0 ]] || fail "the live run: exit code ${code:-none}"
cd ..
[[ -f "$dir/person.replay" ]] || fail "no recording"
moves=$(grep -c ' move ' "$dir/person.replay")
(( moves >= 2 )) || fail "the recording holds $moves moves: $(cat "$dir/person.replay")"
[[ -f live/rumbo.pxu && -f "$dir/live.bmp" ]] || fail "the live run saved no profile or screenshot"

# The replay, headless and as fast as it can.
cd replayed || fail "no replay home"
SDL_VIDEODRIVER=dummy "$game" --replay "$dir/person.replay" --exit-after $end \
    --screenshot "$((end - 10)):$dir/replayed.bmp" >"$out" 2>&1
code=$?
cd ..
[[ $code -eq 0 ]] || fail "the replay: exit code $code"
grep -q '^town: enter 0 Bakery ' "$out" || fail "the replay did not drive into the bakery"
cmp -s live/rumbo.pxu replayed/rumbo.pxu || fail "the replay saved another profile"
cmp -s "$dir/live.bmp" "$dir/replayed.bmp" || fail "the replay ended on another screen"
echo "ok: a live game of $moves recorded moves replayed headless to the same screen and profile"
