#!/usr/bin/env bash
# Two real copies of the game: the second ends at once with code 0 while the
# first keeps running; the first then ends cleanly (code 0) on SIGTERM.
set -u
game=${RUMBOTOWN:?}
dir=$(mktemp -d)
first=
cleanup() {
    [[ -n "$first" ]] && kill -KILL "$first" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$dir/run" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy RUMBO_MESSAGEBOX=Quit
unset DISPLAY WAYLAND_DISPLAY
mkdir -m 700 "$dir/run" "$dir/work"
cd "$dir/work"

fail() { echo "FAIL $*"; exit 1; }
# A frame limit lets the idle game sleep between passes.
printf '[Engine]\r\nMaxFramesPerSecond=30\r\n[Engine.Debug]\r\nLogFile=0\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nCDPath=%s\r\n' \
    "${RUMBO_DATA:?}" > RumboTownDemo.ini
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

"$game" >"$dir/first.out" 2>&1 &
first=$!
lock="$dir/run/Rumbo Town Demo.lock"
# The first copy holds its lock once it is up.
for _ in $(seq 200); do
    [[ -e "$lock" ]] && ! flock -n "$lock" true && break
    kill -0 "$first" 2>/dev/null || fail "the first copy ended early: $(cat "$dir/first.out")"
    sleep 0.05
done
flock -n "$lock" true && fail "the first copy does not hold the lock"

start=$(date +%s%N)
timeout 20 "$game" >"$dir/second.out" 2>&1
code=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[[ $code -eq 0 ]] || fail "second copy exit code $code: $(cat "$dir/second.out")"
(( elapsed_ms < 5000 )) || fail "second copy took $elapsed_ms ms"
kill -0 "$first" 2>/dev/null || fail "the first copy did not survive the second"

# Idle for a second at 30 passes a second: far below a busy core.
before=$(cpu_ticks "$first")
sleep 1
used=$(( $(cpu_ticks "$first") - before ))
hz=$(getconf CLK_TCK)
(( used * 4 < hz )) || fail "the idle game used $used of $hz CPU ticks in one second"

kill -TERM "$first"
wait "$first"
code=$?
first=
[[ $code -eq 0 ]] || fail "first copy exit code $code after SIGTERM"
echo "ok: second copy ended with 0 after $elapsed_ms ms; idle CPU $used/$hz ticks per second"
