# Sourced by the end-to-end runs of the real game without a display: a
# scratch folder removed at exit (and the game killed if still running), the
# dummy drivers, message boxes answered "Quit", and helpers to make a test
# install, start the game, wait for its output and stop it. Needs RUMBOTOWN
# and RUMBO_DATA. Sets game, data, dir (with run/ and home/), pid and here.
set -u
game=$(realpath "${RUMBOTOWN:?}")
data=$(realpath "${RUMBO_DATA:?}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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
fail() {
    echo "FAIL $*"
    [[ -f "$dir/out" ]] && tail -40 "$dir/out"
    exit 1
}

# A test install in $dir/data: every file of the generated data linked, and
# the world's AutoRun replaced by mission\e2e\e2e.seq, which the test writes
# into $m (with whatever else it needs there).
make_install() {
    cp -rs "$data" "$dir/data" || fail "cannot link the data"
    rm "$dir/data/world.ini"
    sed 's/^AutoRun=.*/AutoRun=mission\\e2e\\e2e.seq/' "$data/world.ini" >"$dir/data/world.ini"
    grep -q '^AutoRun=mission' "$dir/data/world.ini" || fail "world.ini has no AutoRun to replace"
    m="$dir/data/mission/e2e"
    mkdir -p "$m"
}

# Replaces a linked file of the test install by a file of its own.
own_file() {
    rm -f "$dir/data/$1"
    cat >"$dir/data/$1"
}

# start_game FPS DATA: the option file in $dir/home (the log on, data read
# from DATA) and the game started there, its output in $dir/out.
start_game() {
    cd "$dir/home" || fail "no home"
    printf '[Engine]\r\nMaxFramesPerSecond=%s\r\n[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
        "$1" "$dir/home" "$2" >RumboTownDemo.ini
    "$game" >"$dir/out" 2>&1 &
    pid=$!
}

# wait_for TEXT SECONDS: until the game's output holds TEXT; fails when the
# game ends first or the time is up.
wait_for() {
    local tenths=$(($2 * 10))
    for _ in $(seq "$tenths"); do
        grep -q "$1" "$dir/out" && return 0
        kill -0 "$pid" 2>/dev/null || fail "the game ended before \"$1\""
        sleep 0.1
    done
    fail "no \"$1\" in $2 s"
}

# SIGTERM, and the game must end with code 0.
stop_game() {
    kill -TERM "$pid"
    wait "$pid"
    local code=$?
    pid=
    [[ $code -eq 0 ]] || fail "exit code $code after SIGTERM"
}

# The first player's value of a profile key, as "Key=value".
profile_value() {
    [[ -f "$dir/home/rumbo.pxu" ]] || fail "no rumbo.pxu after exit"
    grep -a -m1 "^$1=" "$dir/home/rumbo.pxu" | tr -d '\r'
}

# No line of the game's log says "error".
check_log() {
    grep -qi "error" "$dir/state/rumbotown/DEBUG.LOG" && fail "errors in the log: $(cat "$dir/state/rumbotown/DEBUG.LOG")"
    return 0
}
