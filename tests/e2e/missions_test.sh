#!/usr/bin/env bash
# The real game plays two missions on its own: a test install (the generated
# data, linked, with a world whose AutoRun is this test's sequence) loads a
# three-book collection and a delivery to all four mail boxes, drives the
# truck over the books and through the boxes, and prints "e2e: done" from a
# Lua script. After SIGTERM the saved profile holds both wins: the completed
# flag of the collections and the item bits of books (1 << 2) and mail
# (1 << 14). No error is logged on the way.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
make_install

book_collection

# Every mail box is a target, so the drive does not depend on the pick.
cat >"$m/mail.ini" <<'EOF'
[Mission]
MissionType=1
MissionSubID=14
ObjectName=Mail Box
FinishSequenceFilename=$GAMEPATH\mission\SpawnMail\finish.seq
[Level00]
NumReqItems=4
NumHudSets=1
LeftIconName00=$GAMEPATH\HUD\mailL.tga
LeftIconPos00=8,36
NumRightIcons00=4
RightIconName00=$GAMEPATH\HUD\mailR.tga
RightIconPos0000=52,40
RightIconPos0001=73,40
RightIconPos0002=94,40
RightIconPos0003=115,40
EOF

# The truck starts a short way before each book and drives over it; then
# it drives through each mail box (without losing control, the bounce does
# not hold it off the box). The finish scenes end each mission.
cat >"$m/e2e.seq" <<'EOF'
Event Town.SetUserControl(0)
Event Truck.SetLoseControlOnCollisions(0)
Event Town.LoadMission($GAMEPATH\mission\e2e\collect.ini)
Event Town.StartMission()
Event Truck.SetPosition(1250, 448)
Event Truck.DriveTo(1516, 448)
Event Truck.SetPosition(2250, 448)
Event Truck.DriveTo(2516, 448)
Event Truck.SetPosition(3250, 448)
Event Truck.DriveTo(3516, 448)
Event system.Sleep(4000)
Event Town.LoadMission($GAMEPATH\mission\e2e\mail.ini)
Event Town.StartMission()
Event Truck.SetPosition(1800, 448)
Event Truck.DriveTo(1952, 520)
Event Truck.SetPosition(2050, 1344)
Event Truck.DriveTo(2208, 1416)
Event Truck.SetPosition(3380, 2240)
Event Truck.DriveTo(3232, 2168)
Event Truck.SetPosition(4350, 1856)
Event Truck.DriveTo(4512, 1784)
Event system.Sleep(4000)
Event system.RunScript($GAMEPATH\mission\e2e\done.lua)
EOF
echo 'print("e2e: done")' >"$m/done.lua"

start_game 30 "$dir/data"
wait_for "e2e: done" 90
stop_game
completed=$(profile_value CompletedFlag)
items=$(profile_value ItemCompletedFlag)
[[ "$completed" == "CompletedFlag=1" ]] || fail "the first player's $completed"
[[ "$items" == "ItemCompletedFlag=$(((1 << 2) | (1 << 14)))" ]] || fail "the first player's $items"
check_log
echo "ok: both missions won by the game itself; $completed, $items"
