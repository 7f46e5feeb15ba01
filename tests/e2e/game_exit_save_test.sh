#!/usr/bin/env bash
# The real game on the generated data: SIGTERM ends it with code 0, and the
# profile file it leaves holds six sections of 34 keys, all empty or zero but
# the first player's played flag, which the town sets.
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
fail() { echo "FAIL $*"; [[ -f "$dir/out" ]] && cat "$dir/out"; exit 1; }

printf '[Engine]\r\nMaxFramesPerSecond=30\r\n[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$dir/home" "$data" >RumboTownDemo.ini
"$game" >"$dir/out" 2>&1 &
pid=$!
# Up once the start-up line is in the log.
for _ in $(seq 200); do
    grep -q "profiles in" "$dir/state/rumbotown/DEBUG.LOG" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    sleep 0.05
done
grep -q "profiles in" "$dir/state/rumbotown/DEBUG.LOG" || fail "the game did not start"
[[ -e rumbo.pxu ]] && fail "the profiles are written at exit only"
kill -TERM "$pid"
wait "$pid"
code=$?
pid=
[[ $code -eq 0 ]] || fail "exit code $code after SIGTERM"
[[ -f rumbo.pxu ]] || fail "no rumbo.pxu after exit"
sections=$(grep -c '^\[User[0-5]\]' rumbo.pxu)
keys=$(grep -c '=' rumbo.pxu)
# The town marks that the first player has been there; nothing else is set.
nonzero=$(grep '=' rumbo.pxu | grep -v -e $'^UserName=\r$' -e $'=0\r$' | wc -l)
played=$(grep -c $'^PlayedFlag=4\r$' rumbo.pxu)
[[ $sections -eq 6 && $keys -eq 204 && $nonzero -eq 1 && $played -eq 1 ]] ||
    fail "rumbo.pxu has $sections sections, $keys keys, $nonzero non-blank values"
grep -qi "error" "$dir/state/rumbotown/DEBUG.LOG" && fail "errors in the log: $(cat "$dir/state/rumbotown/DEBUG.LOG")"
echo "ok: exit 0 after SIGTERM; rumbo.pxu with 6 x 34 keys, the town played"
