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

# book_collection: $m/collect.ini, a collection of three books on the long
# road along the top of the town, one per location, with its panel.
book_collection() {
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

# data_ini [log]: the option file in $dir/home naming the data and nothing
# else (the shipped frame cap; with "log", the log on in full, errors kept
# out of the way of a run).
data_ini() {
    local log=
    [[ ${1:-} == log ]] &&
        log='[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n'
    printf "$log"'[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' "$dir/home" "$data" >"$dir/home/RumboTownDemo.ini"
}

# replay_end FILE: the game time a recording stopped (its "# end MS" line).
replay_end() {
    awk '$1 == "#" && $2 == "end" && $3 ~ /^[0-9]+$/ { end = $3 } END { if (end == "") exit 1; print end }' "$1"
}

# play_replay FILE SHOT [OPTION...]: FILE played by the game in $dir/home
# from a fresh profile up to the time its recording stopped, with the screen
# of the last pass before it saved as SHOT (a BMP); its output in $dir/out.
# Returns the game's exit code.
play_replay() {
    local replay end step
    replay=$(realpath "$1") && [[ -f $replay ]] || { echo "no replay $1" >"$dir/out"; return 1; }
    end=$(replay_end "$replay") || { echo "$1 has no '# end MS' line" >"$dir/out"; return 1; }
    step=$(awk '$1 == "step" { print $2; exit }' "$replay")
    rm -f "$dir/home/rumbo.pxu" "$dir/home/rumbo.pxu.bak"
    (cd "$dir/home" && exec "$game" --replay "$replay" --exit-after "$end" \
        --screenshot "$((end > ${step:-10} ? end - ${step:-10} : 0)):$2" "${@:3}") >"$dir/out" 2>&1
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

# Pictures for tests that look at saved frames (SDL_VIDEO_DUMMY_SAVE_FRAMES):
#   picture tga FILE W H R,G,B [R,G,B]  a 24-bit picture in one colour, or
#                                       its left half in the first and its
#                                       right half in the second
#   picture count FRAME [R,G,B]         the pixels of a saved BMP in that
#                                       pure colour (default green: each
#                                       channel within 24 of 0 or 255)
#   picture both FRAME...               how many of the frames hold at least
#                                       50 pixels each of green and of blue
# Pure green and pure blue are colours nothing in the game's pictures uses,
# so a test paints what it looks for in them.
picture() {
    python3 - "$@" <<'PY'
import struct, sys
LOW = bytes(int(v < 24) for v in range(256))
HIGH = bytes(int(v > 231) for v in range(256))
def count(path, rgb):
    d = open(path, 'rb').read()
    off = struct.unpack_from('<I', d, 10)[0]
    w, h = struct.unpack_from('<ii', d, 18)
    step = struct.unpack_from('<H', d, 28)[0] // 8
    pitch = (w * step + 3) & ~3
    rows = b''.join(d[off + y * pitch: off + y * pitch + w * step] for y in range(abs(h)))
    # One bit a pixel per channel that matches; the pixels match where all do.
    hits = -1
    for channel, want in enumerate(rgb[::-1]):
        hits &= int.from_bytes(rows[channel::step].translate(HIGH if want > 127 else LOW), 'big')
    return bin(hits).count('1')
def colour(text):
    return [int(c) for c in text.split(',')]
if sys.argv[1] == 'tga':
    w, h = int(sys.argv[3]), int(sys.argv[4])
    left = colour(sys.argv[5])
    right = colour(sys.argv[6] if len(sys.argv) > 6 else sys.argv[5])
    row = b''.join(bytes((c[2], c[1], c[0])) for c in [left] * (w // 2) + [right] * (w - w // 2))
    head = struct.pack('<BBBHHBHHHHBB', 0, 0, 2, 0, 0, 0, 0, 0, w, h, 24, 0x20)
    open(sys.argv[2], 'wb').write(head + row * h)
elif sys.argv[1] == 'count':
    print(count(sys.argv[2], colour(sys.argv[3] if len(sys.argv) > 3 else '0,255,0')))
else:
    print(sum(1 for f in sys.argv[2:] if count(f, [0, 255, 0]) >= 50 and count(f, [0, 0, 255]) >= 50))
PY
}

# Saving frames: every frame the dummy video driver shows is written to
# $dir/home; SDL leaks a few bytes doing it.
save_frames() {
    export SDL_VIDEO_DUMMY_SAVE_FRAMES=1
    export LSAN_OPTIONS="suppressions=$here/lsan_save_frames.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}
# The newest complete saved frame (the newest of all may still be written).
last_frame() { find "$dir/home" -maxdepth 1 -name 'SDL_window*.bmp' | sort | tail -2 | head -1; }
# Keeps only the newest few frames.
prune_frames() { find "$dir/home" -maxdepth 1 -name 'SDL_window*.bmp' | sort | head -n -4 | xargs -r rm -f; }

# watch_green WORD...: until the game's output holds "e2e: WORD" for every
# word, counting the green pixels of the frame a moment after each word
# first shows, into green[WORD] (and the blue ones into blue[WORD]); fails
# when the game ends first or after 90 s.
declare -A green=() blue=()
watch_green() {
    for _ in $(seq 900); do
        local all=1 word f
        for word in "$@"; do
            [[ -n "${green[$word]:-}" ]] && continue
            if grep -q "e2e: $word" "$dir/out"; then
                sleep 0.3
                f=$(last_frame)
                [[ -n "$f" ]] || fail "no frame saved by \"e2e: $word\""
                green[$word]=$(picture count "$f")
                blue[$word]=$(picture count "$f" 0,0,255)
            else
                all=0
            fi
        done
        ((all)) && return 0
        kill -0 "$pid" 2>/dev/null || fail "the game ended early"
        prune_frames
        sleep 0.1
    done
    fail "the run did not print every word of: $*"
}
