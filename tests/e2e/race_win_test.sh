#!/usr/bin/env bash
# The race in the real game, headless: a test AutoRun (world.ini and the
# files it names are put in the install folder, where they come before the
# generated data) loads a short course on the race track's right-hand
# straight without an enemy, starts the race, drives the player's truck
# through the waypoints and onto the finish banner. The win runs win.seq
# (a copy that says so when it has run to its end) and records the race won
# by vehicle 0 in the profile, which the game saves when SIGTERM ends it.
# Nothing may be logged as an error.
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
cd "$dir/home"
fail() { echo "FAIL $*"; cat "$dir/out"; cat "$dir/state/rumbotown/DEBUG.LOG" 2>/dev/null; exit 1; }

printf '[Engine]\r\nMaxFramesPerSecond=30\r\n[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$dir/home" "$data" >RumboTownDemo.ini
sed 's/^AutoRun=.*/AutoRun=race_e2e.seq\r/' "$data/world.ini" >world.ini
mkdir -p mission/Race
# Three waypoints up the straight to the banner, the race's flags on the HUD.
finish=$(grep '^FinishLine=' "$data/mission/Race/race.ini" | tr -d '\r')
[[ -n "$finish" ]] || fail "race.ini names no finish line"
{
    printf '[Mission]\r\nMissionType=7\r\n%s\r\n' "$finish"
    printf '[Waypoints]\r\nCount=3\r\nWaypoint0=4800, 3200\r\nWaypoint1=4800, 3050\r\nWaypoint2=4800, 2840\r\n'
    sed -n '/^\[Level00\]/,$p' "$data/mission/Race/race.ini"
} >mission/Race/e2e.ini
printf 'print("e2e: done")\n' >e2e_done.lua
printf 'print("e2e: won")\n' >e2e_won.lua
{ tr -d '\r' <"$data/mission/Race/win.seq"; printf 'Event system.RunScript($GAMEPATH\\e2e_won.lua)\n'; } >mission/Race/win.seq
cat >race_e2e.seq <<'EOF'
Event Town.SetUserControl(0)
Event Town.StopTutorial()
Event Truck.SetPosition(4800, 3300)
Event Town.LoadMission($GAMEPATH\mission\Race\e2e.ini)
Event Town.StartMission()
Event Town.RaceStarted()
Event Truck.DriveThru(4800, 3200)
Event Truck.DriveThru(4800, 3050)
Event Truck.DriveTo(4800, 2850)
Event system.Sleep(7000)
Event system.RunScript($GAMEPATH\e2e_done.lua)
EOF

"$game" >"$dir/out" 2>&1 &
pid=$!
for _ in $(seq 600); do
    grep -q "^e2e: done" "$dir/out" && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    sleep 0.05
done
grep -q "^e2e: done" "$dir/out" || fail "the AutoRun did not end"
kill -TERM "$pid"
wait "$pid"
code=$?
pid=
[[ $code -eq 0 ]] || fail "exit code $code after SIGTERM"
grep -q '^e2e: won' "$dir/out" || fail "win.seq did not run"
flag=$(sed -n 's/^CompletedFlag=\([0-9]*\)\r$/\1/p' rumbo.pxu | head -1)
(( (flag & 0x20) != 0 )) || fail "CompletedFlag is '$flag', without the race won by vehicle 0"
grep -qi "error" "$dir/state/rumbotown/DEBUG.LOG" && fail "errors in the log"
echo "ok: the race was won at the banner; CompletedFlag $flag"
