#!/usr/bin/env bash
# The monkey (rumbo-bot --monkey SEED): a bad seed is refused with code 2;
# two game minutes of its random input from a fresh profile end at the exit
# time with code 0 (under the sanitizer build: no leak at exit, no fault on
# the way), the profile saved, no error in the log and the input recorded;
# and a shorter run's recording, replayed by the game itself, ends on the
# same screen and profile, byte for byte.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
bot=$(realpath "${RUMBO_BOT:?}")
cd "$dir/home" || fail "no home"
printf '[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$dir/home" "$data" >RumboTownDemo.ini

for seed in x -1 ''; do
    "$bot" --monkey "$seed" >"$dir/out" 2>&1
    code=$?
    [[ $code -eq 2 ]] || fail "exit code $code for the seed \"$seed\""
done
grep -q '^usage: rumbo-bot' "$dir/out" || fail "no usage text for a bad seed"

# A shorter run of another seed beside the long one, with folders of its own
# (and so a single-instance lock of its own): its recording is replayed below.
mkdir short && mkdir -m 700 "$dir/run2" || fail "no folders for the short run"
sed "s|$dir/home|$dir/home/short|" RumboTownDemo.ini >short/RumboTownDemo.ini
(cd short && XDG_RUNTIME_DIR="$dir/run2" XDG_STATE_HOME="$dir/state2" exec "$bot" --monkey 2 --exit-after 20000 \
    --record short.replay --screenshot 19990:bot.bmp >out 2>&1) &
short=$!
start=$SECONDS
"$bot" --monkey 1 --exit-after 120000 --record monkey.replay >"$dir/out" 2>&1
code=$?
echo "two game minutes of the monkey: $((SECONDS - start)) s"
[[ $code -eq 0 ]] || fail "the monkey's run: exit code $code"
[[ -f rumbo.pxu ]] || fail "the monkey's run saved no profile"
check_log
grep -q '^town: ready' "$dir/out" || fail "the monkey never reached the town"
moves=$(grep -c ' move ' monkey.replay)
clicks=$(grep -c ' down ' monkey.replay)
ups=$(grep -c ' up ' monkey.replay)
keys=$(grep -c ' key ' monkey.replay)
((moves > 500 && clicks > 10 && keys > 0)) || fail "too little input: $moves moves, $clicks clicks, $keys keys"
# Every press went up again, and no key came with a modifier (Alt+Q, Alt+F4).
[[ $clicks -eq $ups ]] || fail "$clicks presses but $ups releases"
grep -E ' (keyup?) [0-9]+ [^0]' monkey.replay && fail "a key with a modifier"

# The recording of a run replays in the shipped game to the same end.
wait $short || fail "the short monkey run failed: $(tail short/out)"
cd short || fail "no short run"
mv rumbo.pxu bot.pxu || fail "the short monkey run saved no profile"
"$game" --replay short.replay --exit-after 20000 --screenshot 19990:game.bmp >"$dir/out" 2>&1 ||
    fail "the replay of the monkey's recording failed"
cmp -s bot.pxu rumbo.pxu || fail "the replay saved another profile"
cmp -s bot.bmp game.bmp || fail "the replay ended on another screen"
echo "ok: the monkey made $moves moves, $clicks clicks and $keys keys in two game minutes;" \
    "its recording replays to the same profile and screen"
