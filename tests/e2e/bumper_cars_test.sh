#!/usr/bin/env bash
# The bumper cars in the real game on the generated data, with no display
# and no sound card: a town script drives the truck into the fairground's
# zone (its scene loads and starts the bumper cars), then plays each arena's
# part: the enemy placed and started, five seconds of roaming, the bumps the
# mission asks for, and the next arena. The game is ended with SIGTERM; the
# profile it saves holds the mission's completed bit (8) and all three
# arenas seen (7), and the log holds no error.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
make_install
printf 'print("e2e: done")\n' >"$m/done.lua"
{
    # The fairground: from its drive-through point into its zone; its scene talks a while.
    printf 'Event Town.SetUserControl(0)\nEvent Truck.SetPosition(1088, 448)\nEvent Truck.DriveTo(832, 448)\n'
    printf 'Event system.Sleep(20000)\nEvent Town.SetUserControl(0)\n'
    for arena in 0 1 2; do
        printf 'Event Town.SetLoadEnemyFlag()\nEvent system.Sleep(200)\nEvent Town.PointToBuilding(-1)\n'
        printf 'Event Town.StartEnemy()\nEvent system.Sleep(5000)\n'
        for bump in 1 2 3; do printf 'Event Town.IncrementBumperCarScore()\n'; done
        [[ $arena -lt 2 ]] && printf 'Event Town.NextBumperCarBuilding()\n'
    done
    printf 'Event system.RunScript($GAMEPATH\\mission\\e2e\\done.lua)\n'
} >"$m/e2e.seq"
start_game 30 "$dir/data"
wait_for "e2e: done" 60
grep -q "town: enter 2 Fairground" "$dir/out" || fail "the truck did not enter the fairground"
stop_game
completed=$(sed -n 's/^CompletedFlag=\([0-9]*\)\r*$/\1/p' rumbo.pxu | head -1)
arenas=$(sed -n 's/^BumperCarBldgCompleteFlag=\([0-9]*\)\r*$/\1/p' rumbo.pxu | head -1)
(( (completed & 8) != 0 )) || fail "CompletedFlag=$completed has no bit 8"
[[ $arenas == 7 ]] || fail "BumperCarBldgCompleteFlag=$arenas"
check_log
echo "ok: the bumper cars won through the fairground's scene; CompletedFlag=$completed, arenas $arenas"
