#!/usr/bin/env bash
# The race in the real game, headless: a test install's AutoRun loads a
# short course on the race track's right-hand straight without an enemy,
# starts the race, drives the player's truck through the waypoints and onto
# the finish banner. The win runs win.seq (a copy that says so when it
# starts) and records the race won by vehicle 0 in the profile, which the
# game saves when SIGTERM ends it. Nothing may be logged as an error.
#
# The panel's flags are drawn with a lit frame in pure green: no frame shows
# green before the race, and the frame at the win shows lit flags.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
save_frames
make_install

# Three waypoints up the straight to the banner, the race's flags on the HUD.
race="$data/mission/Race/race.ini"
finish=$(grep '^FinishLine=' "$race" | tr -d '\r')
[[ -n "$finish" ]] || fail "race.ini names no finish line"
picture tga "$m/flag.tga" 64 32 128,128,128 0,255,0
{
    printf '[Mission]\r\nMissionType=7\r\n%s\r\n' "$finish"
    printf '[Waypoints]\r\nCount=3\r\nWaypoint0=4800, 3200\r\nWaypoint1=4800, 3050\r\nWaypoint2=4800, 2840\r\n'
    sed -n '/^\[Level00\]/,$p' "$race" | sed 's/^RightIconName\([0-9]*\)=.*/RightIconName\1=$GAMEPATH\\mission\\e2e\\flag.tga\r/'
} >"$m/race.ini"
grep -q 'e2e\\flag.tga' "$m/race.ini" || fail "race.ini names no right icons"
for word in start won done; do echo "print(\"e2e: $word\")" >"$m/$word.lua"; done
{
    printf 'Event system.RunScript($GAMEPATH\\mission\\e2e\\won.lua)\n'
    tr -d '\r' <"$data/mission/Race/win.seq"
} | own_file "mission/Race/win.seq"
cat >"$m/e2e.seq" <<'EOF'
Event Town.SetUserControl(0)
Event Town.StopTutorial()
Event Truck.SetPosition(4800, 3300)
Event system.Sleep(500)
Event system.RunScript($GAMEPATH\mission\e2e\start.lua)
Event Town.LoadMission($GAMEPATH\mission\e2e\race.ini)
Event Town.StartMission()
Event Town.OpenHud()
Event Town.RaceStarted()
Event Truck.DriveThru(4800, 3200)
Event Truck.DriveThru(4800, 3050)
Event Truck.DriveTo(4800, 2850)
Event system.Sleep(7000)
Event system.RunScript($GAMEPATH\mission\e2e\done.lua)
EOF

start_game 30 "$dir/data"
watch_green start won done
stop_game
[[ ${green[start]} -eq 0 ]] || fail "${green[start]} green pixels before the race: the colour is not the flags' alone"
[[ ${green[won]} -gt 0 ]] || fail "no lit flag on the panel at the win"
flag=$(profile_value CompletedFlag)
((($(cut -d= -f2 <<<"$flag") & 0x20) != 0)) || fail "$flag, without the race won by vehicle 0"
check_log
echo "ok: the race was won at the banner with the flags lit (${green[won]} pixels); $flag"
