#!/usr/bin/env bash
# The title and map screens under a virtual X server, driven with the real
# pointer and keyboard: the command console takes the game to the title
# screen; its play button brings the town back (after the intro movie); the
# map button opens the map, where Escape closes it with the truck left where
# it was; on a second map a click on the print shop's shape and then on go
# takes the truck there, and the town pulls it into building 9.
# Exits 77 (skipped) when xvfb-run, xwininfo, python3, libXtst or ImageMagick is missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
xvfb_setup 1024x768 xwininfo python3 import convert
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\nAllowCommandConsole=1\n' >RumboTownDemo.ini
printf '[Engine.Game.CommandConsole.Aliases]\nt=PushRoom(0)\n[Startup]\nInstallPath=%s\nCDPath=%s\n' \
    "$PWD" "${RUMBO_DATA:?}" >>RumboTownDemo.ini
"$game" >"$out" 2>&1 &
pid=$!

# wait_for COUNT PATTERN: waits up to 20 s until COUNT lines of the output match.
wait_for() {
    for _ in $(seq 400); do
        (($(grep -c "$2" "$out" 2>/dev/null) >= $1)) && return
        kill -0 "$pid" 2>/dev/null || fail "the game ended while waiting for \"$2\""
        sleep 0.05
    done
    fail "no $1 lines \"$2\""
}
shot() { import -window root "$dir/screen.png" || fail "no screenshot"; }
go_shown() { shot && pixel 170 400 | grep -q '^\(5[0-9]\|6[0-9]\|70\) 1[67][0-9] \([6-7][0-9]\|80\)$'; }
# open_map: clicks the map button (bottom-left) until the map's go button shows.
open_map() {
    for _ in $(seq 3); do
        mouse 32 456 click
        for _ in $(seq 20); do
            go_shown && return
            sleep 0.25
        done
    done
    fail "the map did not open"
}

wait_for 1 '^town: ready'
window_geometry "Rumbo Town Demo"
mouse 320 240

# The console's alias "t" pushes the title room.
keys grave t Return grave
shows "the title's sky" 5 5 116 179 242 24
shows "the title's play button" 480 365 60 170 70 40

mouse 530 381 click
wait_for 2 '^town: ready'

# The map button (bottom-left), then Escape: the map closes, nobody is entered.
open_map
keys Escape
for _ in $(seq 60); do
    go_shown || break
    sleep 0.25
done
go_shown && fail "the map is still open after Escape"
grep -q '^town: enter' "$out" && fail "a building was entered without a choice"

# The map again: the print shop's house (building 9), then go.
open_map
mouse 470 145 click
sleep 0.5
mouse 217 421 click
wait_for 1 '^town: enter 9 '

kill -TERM "$pid"
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after SIGTERM"
echo "ok: title, play, map with Escape, and the map's way to building 9"
