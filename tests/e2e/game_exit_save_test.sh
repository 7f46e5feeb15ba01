#!/usr/bin/env bash
# The real game on the generated data: SIGTERM ends it with code 0, and the
# profile file it leaves holds six sections of 34 keys, all empty or zero but
# the first player's played flag, which the town sets.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
start_game 30 "$data"
# Up once the start-up line is in the log.
for _ in $(seq 200); do
    grep -q "profiles in" "$dir/state/rumbotown/DEBUG.LOG" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended early"
    sleep 0.05
done
grep -q "profiles in" "$dir/state/rumbotown/DEBUG.LOG" || fail "the game did not start"
[[ -e rumbo.pxu ]] && fail "the profiles are written at exit only"
stop_game
[[ -f rumbo.pxu ]] || fail "no rumbo.pxu after exit"
sections=$(grep -c '^\[User[0-5]\]' rumbo.pxu)
keys=$(grep -c '=' rumbo.pxu)
# The town marks that the first player has been there; nothing else is set.
nonzero=$(grep '=' rumbo.pxu | grep -v -e $'^UserName=\r$' -e $'=0\r$' | wc -l)
played=$(grep -c $'^PlayedFlag=4\r$' rumbo.pxu)
[[ $sections -eq 6 && $keys -eq 204 && $nonzero -eq 1 && $played -eq 1 ]] ||
    fail "rumbo.pxu has $sections sections, $keys keys, $nonzero non-blank values"
check_log
echo "ok: exit 0 after SIGTERM; rumbo.pxu with 6 x 34 keys, the town played"
