#!/usr/bin/env bash
# The bumper cars in the real game on the generated data, with no display
# and no sound card: a town script drives the truck into the fairground's
# zone (its scene loads and starts the bumper cars), then plays each arena's
# part: the enemy placed and started, five seconds of roaming, the bumps the
# mission asks for, and the next arena. The game is ended with SIGTERM; the
# profile it saves holds the mission's completed bit (8) and all three
# arenas seen (7), and the log holds no error.
#
# The dummy video driver saves every frame. The install draws the enemies
# in pure green and the help arrow in pure blue, colours nothing else in
# the town uses. At the first arena, once the enemy has started, the truck
# waits at the town's start point (clear of every building's zone) and the
# enemy is held for a second 260 pixels to its right (all enemies drive at
# speed 8 here, so that it can be let go at its own speed): the frames then
# show the enemy and the arrow that points at it, and after five seconds of
# roaming off towards its arena the arrow still shows.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
save_frames
make_install
picture tga "$m/green.tga" 64 64 0,255,0
"$(dirname "$game")/rumbo-tool" smk-encode "$m/green.smk" --fps 10 "$m/green.tga" >/dev/null ||
    fail "cannot make the green enemy"
for name in klank razz smudge grubb; do
    [[ -f "$data/VENEMY/$name.ini" ]] || fail "no enemy $name in the data"
    sed -e 's/^\(State[0-9]*\)=.*$/\1=$GAMEPATH\\mission\\e2e\\green.smk/' \
        -e 's/^MaxDrivingSpeed=.*/MaxDrivingSpeed=8/' "$data/VENEMY/$name.ini" |
        own_file "VENEMY/$name.ini"
done
for i in $(seq -w 0 15); do
    [[ -f "$data/COMMON/helparrow$i.tga" ]] || fail "no help arrow $i in the data"
    rm -f "$dir/data/COMMON/helparrow$i.tga"
    picture tga "$dir/data/COMMON/helparrow$i.tga" 48 48 0,0,255
done
req=$(awk -F= '/^\[Level00\]/{on=1} on && /^NumReqItems=/{print $2+0; exit}' "$data/mission/BumperCars/bumper.ini")
[[ "$req" -ge 1 ]] || fail "no NumReqItems in the bumper cars' first level"
for word in roam roamed done; do echo "print(\"e2e: $word\")" >"$m/$word.lua"; done
{
    # The fairground: from its drive-through point into its zone; its scene talks a while.
    printf 'Event Town.SetUserControl(0)\nEvent Truck.SetPosition(1088, 448)\nEvent Truck.DriveTo(832, 448)\n'
    printf 'Event system.Sleep(20000)\nEvent Town.SetUserControl(0)\n'
    for arena in 0 1 2; do
        printf 'Event Town.SetLoadEnemyFlag()\nEvent system.Sleep(200)\nEvent Town.PointToBuilding(-1)\n'
        printf 'Event Town.StartEnemy()\n'
        if [[ $arena == 0 ]]; then
            printf 'Event Truck.SetPosition(1102, 1450)\nEvent Truck.DriveTo(1102, 1450)\nDynamic Event Enemy.SetPosition(1362, 1450)\n'
            printf 'Dynamic Event Enemy.SetMaxSpeed(0)\nEvent system.RunScript($GAMEPATH\\mission\\e2e\\roam.lua)\n'
            printf 'Event system.Sleep(1000)\nDynamic Event Enemy.SetMaxSpeed(8)\n'
        fi
        printf 'Event system.Sleep(5000)\n'
        [[ $arena == 0 ]] && printf 'Event system.RunScript($GAMEPATH\\mission\\e2e\\roamed.lua)\nEvent system.Sleep(1000)\n'
        for _ in $(seq "$req"); do printf 'Event Town.IncrementBumperCarScore()\n'; done
        [[ $arena -lt 2 ]] && printf 'Event Town.NextBumperCarBuilding()\n'
    done
    printf 'Event system.RunScript($GAMEPATH\\mission\\e2e\\done.lua)\n'
} >"$m/e2e.seq"
start_game 30 "$dir/data"
# While the enemy roams, every frame is looked at (all but the newest,
# which may still be written) and then removed.
for _ in $(seq 600); do
    grep -q "e2e: roam" "$dir/out" && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    prune_frames
    sleep 0.1
done
grep -q "e2e: roam" "$dir/out" || fail "the first arena's enemy did not start within a minute"
both=0
for _ in $(seq 100); do
    grep -q "e2e: roamed" "$dir/out" && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    mapfile -t frames < <(find "$dir/home" -maxdepth 1 -name 'SDL_window*.bmp' | sort | head -n -1)
    if ((${#frames[@]})); then
        both=$((both + $(picture both "${frames[@]}")))
        rm -f "${frames[@]}"
    fi
    sleep 0.2
done
((both > 0)) || fail "no frame showed the enemy and the help arrow together"
sleep 0.3
f=$(last_frame)
arrow=$(picture count "$f" 0,0,255)
((arrow >= 50)) || fail "the arrow was gone after five seconds of roaming ($arrow blue pixels)"
watch_green done
grep -q "town: enter 2 Fairground" "$dir/out" || fail "the truck did not enter the fairground"
stop_game
completed=$(sed -n 's/^CompletedFlag=\([0-9]*\)\r*$/\1/p' rumbo.pxu | head -1)
arenas=$(sed -n 's/^BumperCarBldgCompleteFlag=\([0-9]*\)\r*$/\1/p' rumbo.pxu | head -1)
(( (completed & 8) != 0 )) || fail "CompletedFlag=$completed has no bit 8"
[[ $arenas == 7 ]] || fail "BumperCarBldgCompleteFlag=$arenas"
check_log
echo "ok: the bumper cars won through the fairground's scene; CompletedFlag=$completed, arenas $arenas;" \
    "$both frames showed the enemy and the arrow"
