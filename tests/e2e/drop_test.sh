#!/usr/bin/env bash
# The real game plays the catching mission on its own: a test install (the
# generated data, linked, with a world whose AutoRun is this test's
# sequence) loads and starts the drop, lets waves land for 8 s, scores the
# required catches, asks for the end sequence and prints "e2e: done" from a
# Lua script. The dummy video driver saves every frame: before the drop no
# frame shows ground junk, while waves land one does, and after the end none
# does. After SIGTERM the profile holds the catching game's completed bit
# (2), and the log no error.
#
# To find the junk in a frame, the install draws the eight pieces of ground
# junk in pure green, a colour nothing else in the town uses, and lets each
# last four seconds; the falls are faster and the waves closer than in the
# game, so that eight seconds see several landings.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
save_frames
make_install
picture tga "$m/green.tga" 160 32 0,255,0
for i in 0 1 2 3 4 5 6 7; do
    [[ -f "$data/OBJECTS/junk$i.ini" ]] || fail "no ground junk $i in the data"
    printf '[QexSprite]\r\nName=junk%d\r\nNumStates=1\r\nSolidObject=0\r\n[State000]\r\nFileName=$GAMEPATH\\mission\\e2e\\green.tga\r\nNumFrames=4\r\nFrameRate=1\r\n' \
        "$i" | own_file "OBJECTS/junk$i.ini"
done
sed -e 's/^DropSpeedMin=.*/DropSpeedMin=300/' -e 's/^DropSpeedMax=.*/DropSpeedMax=400/' \
    -e 's/^DropTimerIntervalMin=.*/DropTimerIntervalMin=1000/' -e 's/^DropTimerIntervalMax=.*/DropTimerIntervalMax=1500/' \
    "$data/mission/drop/Drop.ini" >"$m/drop.ini"
req=$(awk -F= '/^\[Level00\]/{on=1} on && /^NumReqItems=/{print $2+0; exit}' "$m/drop.ini")
[[ "$req" -ge 1 ]] || fail "no NumReqItems in the drop's first level"

# The truck waits far from the view, so that it catches nothing itself.
{
    printf 'Event Town.SetUserControl(0)\nEvent Town.SetTruckScrollsMap(0)\nEvent Truck.SetPosition(6000, 3500)\n'
    printf 'Event system.Sleep(1000)\nEvent system.RunScript($GAMEPATH\\mission\\e2e\\start.lua)\n'
    printf 'Event Town.LoadMission($GAMEPATH\\mission\\e2e\\drop.ini)\nEvent Town.StartMission()\nEvent Town.StartDropping()\n'
    printf 'Event system.Sleep(8000)\nEvent system.RunScript($GAMEPATH\\mission\\e2e\\landed.lua)\nEvent system.Sleep(1500)\n'
    for _ in $(seq "$req"); do printf 'Event Town.IncrementDropScore()\n'; done
    printf 'Event Town.DoEndSequence()\nEvent system.Sleep(5000)\nEvent system.RunScript($GAMEPATH\\mission\\e2e\\done.lua)\n'
} >"$m/e2e.seq"
for word in start landed done; do echo "print(\"e2e: $word\")" >"$m/$word.lua"; done

start_game 10 "$dir/data"

watch_green start landed done
stop_game
[[ ${green[start]} -eq 0 ]] || fail "${green[start]} green pixels before the drop: the colour is not the junk's alone"
[[ ${green[landed]} -gt 0 ]] || fail "no ground junk in the frame while waves land"
[[ ${green[done]} -eq 0 ]] || fail "ground junk (${green[done]} pixels) left after the end"
completed=$(profile_value CompletedFlag)
[[ "$completed" == "CompletedFlag=2" ]] || fail "the first player's $completed"
check_log
echo "ok: the drop won by the game itself; $completed; junk pixels ${green[start]}/${green[landed]}/${green[done]}"
