#!/usr/bin/env bash
# The fire mission in the real game under a virtual X server: the install
# directory's welcome scene (the town's AutoRun) locks the view, loads a
# mission file with one small fire at a known point, starts it and turns
# play-fire on. A screenshot shows the parked fire engine and its hose where
# the truck stood; the XTest pointer aims at the fire and clicks, the water
# puts it out, and after SIGTERM the profile records the win (CompletedFlag
# 4) with no error in the log.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }
export XDG_STATE_HOME="$dir/state"

printf '[Engine]\r\nUseDirectDraw=0\r\n[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$PWD" "${RUMBO_DATA:?}" >RumboTownDemo.ini
# The view's top-left at (782, 1210) keeps the truck (1102, 1450) in the
# middle; the fire stands at map (1232, 1310), window (450, 100).
printf '[Mission]\r\nMissionType=5\r\n[Level00]\r\nNumReqItems=1\r\nFireUpdateMin=600000\r\nFireUpdateMax=600000\r\n[Phase0]\r\nAdd35=1232, 1310\r\n' \
    >firetest.ini
cat >welcome.seq <<'SEQ'
Event Town.SetUserControl(0)
Event Town.LockScreen(782, 1210)
Event Town.LoadMission($GAMEPATH\firetest.ini)
Event Town.StartMission()
Event Town.NextPhase()
Event Town.SetPlayFireState(1)
SEQ
start_town
sleep 1

# count R G B X Y W H: pixels near the colour in the window's rectangle.
count() {
    convert "$dir/screen.png" -crop "$6x$7+$((left + $4))+$((top + $5))" +repage -fuzz 8% \
        -fill white -opaque "rgb($1,$2,$3)" -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}
import -window root "$dir/screen.png" || fail "no screenshot"
# The engine's red body below the middle, the hose's brass nozzle above it.
red=$(count 210 40 40 256 236 128 52)
brass=$(count 230 180 50 160 170 280 110)
(( red > 1500 )) || fail "no fire engine where the truck stood ($red red pixels)"
(( brass > 20 )) || fail "no hose nozzle above the engine ($brass brass pixels)"

mouse 466 120
sleep 0.5
mouse 466 120 click
sleep 3
kill -TERM "$pid"
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after SIGTERM"
grep -q $'^CompletedFlag=4\r$' rumbo.pxu || fail "the win was not recorded: $(grep CompletedFlag rumbo.pxu | head -1)"
grep -qi "error" "$dir/state/rumbotown/DEBUG.LOG" && fail "errors in the log: $(cat "$dir/state/rumbotown/DEBUG.LOG")"
echo "ok: the engine and hose stood in for the truck, one click put the fire out and the win was saved"
