#!/usr/bin/env bash
# The stored replays (tests/e2e/replays/<kind>.replay, made by the bot with
# seed 1) still win their kinds in the shipped game: each, played with
# --exit-after at the end time its last line gives, saves a profile with
# the win (the completed flag; for the kinds that count items, the item's
# bit too), and the log holds no error. A replay that no longer wins was
# made on other data: make it again with the bot.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
cd "$dir/home" || fail "no home"
printf '[Engine.Debug]\r\nLogFile=1\r\nDebugLevel=4\r\n[Engine.Game]\r\nUseBlueScreenError=0\r\n[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' \
    "$dir/home" "$data" >RumboTownDemo.ini

played=0
for replay in "$here"/replays/*.replay; do
    kind=$(basename "$replay" .replay)
    remake="make it again: rumbo-bot --kind $kind --seed 1 --record $replay"
    end=$(sed -n 's/^# end \([0-9]*\)$/\1/p' "$replay")
    [[ -n "$end" ]] || fail "$replay has no end time; $remake"
    rm -f rumbo.pxu
    start=$SECONDS
    "$game" --replay "$replay" --exit-after "$end" >"$dir/out" 2>&1 || fail "kind $kind: the replay failed"
    echo "kind $kind: $end ms of game time in $((SECONDS - start)) s"
    [[ "$(profile_value CompletedFlag)" != "CompletedFlag=0" ]] || fail "kind $kind is not won; $remake"
    if ((kind <= 2)); then
        [[ "$(profile_value ItemCompletedFlag)" != "ItemCompletedFlag=0" ]] || fail "kind $kind: no item won; $remake"
    fi
    check_log
    played=$((played + 1))
done
((played > 0)) || fail "no replays in $here/replays"
echo "ok: $played stored replays win their kinds"
