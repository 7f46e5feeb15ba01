#!/usr/bin/env bash
# The bot (rumbo-bot --kind $BOT_KIND) wins its kind of mission from a fresh
# profile with seed 1: it ends with code 0 within its budget of game time,
# the profile saved with the kind's win, and its recording ends with the
# end time. The recording, replayed by the shipped game with --exit-after
# at that time, ends on the same profile, byte for byte.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
bot=$(realpath "${RUMBO_BOT:?}")
kind=${BOT_KIND:?}
cd "$dir/home" || fail "no home"
printf '[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$dir/home" "$data" >RumboTownDemo.ini

start=$SECONDS
"$bot" --kind "$kind" --seed 1 --record bot.replay >"$dir/out" 2>&1
code=$?
grep '^bot:' "$dir/out"
echo "kind $kind: $((SECONDS - start)) s of wall time"
[[ $code -eq 0 ]] || fail "kind $kind: exit code $code"
grep -q "^bot: kind $kind won in " "$dir/out" || fail "kind $kind: no win"
check_log
[[ "$(profile_value CompletedFlag)" != "CompletedFlag=0" ]] || fail "kind $kind: no completed flag"
end=$(sed -n 's/^# end \([0-9]*\)$/\1/p' bot.replay)
[[ -n "$end" ]] || fail "kind $kind: the recording has no end time"
mv rumbo.pxu bot.pxu
"$game" --replay bot.replay --exit-after "$end" >"$dir/out" 2>&1 || fail "kind $kind: the replay failed"
cmp -s bot.pxu rumbo.pxu || fail "kind $kind: the replay of the bot's recording saved another profile"
echo "ok: kind $kind won by the bot; its recording ($(grep -c ' move ' bot.replay) moves, ends at $end ms)" \
    "replays to the same profile"
