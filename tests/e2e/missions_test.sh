#!/usr/bin/env bash
# The real game plays two missions on its own: a test install (the generated
# data, linked, with a world whose AutoRun is this test's sequence) loads a
# three-book collection and a delivery to all four mail boxes, drives the
# truck over the books and through the boxes, and prints "e2e: done" from a
# Lua script. After SIGTERM the saved profile holds both wins: the completed
# flag of the collections and the item bits of books (1 << 2) and mail
# (1 << 14). No error is logged on the way.
set -u
game=${RUMBOTOWN:?}
data=${RUMBO_DATA:?}
dir=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$dir/run" XDG_STATE_HOME="$dir/state" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy RUMBO_MESSAGEBOX=Quit
unset DISPLAY WAYLAND_DISPLAY
mkdir -m 700 "$dir/run" "$dir/home"
fail() { echo "FAIL $*"; [[ -f "$dir/out" ]] && tail -40 "$dir/out"; exit 1; }

# The install: every data file linked, the world's own AutoRun replaced.
cp -rs "$(cd "$data" && pwd)" "$dir/data" || fail "cannot link the data"
rm "$dir/data/world.ini"
sed 's/^AutoRun=.*/AutoRun=mission\\e2e\\e2e.seq/' "$data/world.ini" >"$dir/data/world.ini"
grep -q '^AutoRun=mission' "$dir/data/world.ini" || fail "world.ini has no AutoRun to replace"
m="$dir/data/mission/e2e"
mkdir -p "$m"

# Three books on the long road along the top of the town, one per location.
cat >"$m/collect.ini" <<'EOF'
[Mission]
MissionType=0
MissionSubID=2
FinishSequenceFilename=$GAMEPATH\mission\Collect\finish.seq
[Locations]
NumLocations=3
Pos00=1500,432
Pos01=2500,432
Pos02=3500,432
[Level00]
NumReqItems=3
NumTotalItems=3
NumHiddenItems=0
ItemName=$GAMEPATH\mission\Collect\bookItem.ini
NumHudSets=1
LeftIconName00=$GAMEPATH\HUD\bookL.tga
LeftIconPos00=8,36
NumRightIcons00=3
RightIconName00=$GAMEPATH\HUD\bookR.tga
RightIconPos0000=52,40
RightIconPos0001=73,40
RightIconPos0002=94,40
EOF

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

cd "$dir/home"
printf '[Engine]\r\nMaxFramesPerSecond=30\r\n[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$dir/home" "$dir/data" >RumboTownDemo.ini
"$game" >"$dir/out" 2>&1 &
pid=$!
for _ in $(seq 900); do
    grep -q "e2e: done" "$dir/out" && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    sleep 0.1
done
grep -q "e2e: done" "$dir/out" || fail "the run did not finish in 90 s"
kill -TERM "$pid"
wait "$pid"
code=$?
pid=
[[ $code -eq 0 ]] || fail "exit code $code after SIGTERM"
[[ -f rumbo.pxu ]] || fail "no rumbo.pxu after exit"
completed=$(grep -a -m1 '^CompletedFlag=' rumbo.pxu | tr -d '\r')
items=$(grep -a -m1 '^ItemCompletedFlag=' rumbo.pxu | tr -d '\r')
[[ "$completed" == "CompletedFlag=1" ]] || fail "the first player's $completed"
[[ "$items" == "ItemCompletedFlag=$(((1 << 2) | (1 << 14)))" ]] || fail "the first player's $items"
grep -qi "error" "$dir/state/rumbotown/DEBUG.LOG" && fail "errors in the log: $(cat "$dir/state/rumbotown/DEBUG.LOG")"
echo "ok: both missions won by the game itself; $completed, $items"
