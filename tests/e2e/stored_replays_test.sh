#!/usr/bin/env bash
# The stored replays: every tests/e2e/replays/K.replay (the bot's win of
# mission kind K from a fresh profile) played by the game to the time its
# recording stopped must leave the profile of its row in
# stored_replays_lib.sh, no error in the game's log, and end on the screen
# of tests/e2e/reference/K.qex (per channel within 1 of the 16-bit colour,
# at most 0.5 % of the pixels beyond). Every kind is checked; each failure
# names the kind and what differs, and keeps the screenshot and the diff
# picture in the current folder. Exits 77 (skipped) when no replay is
# stored at all.
#
# Usage: stored_replays_test.sh [KIND...]   (default: every stored replay)
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
source "$here/stored_replays_lib.sh"
tool="$(dirname "$game")/rumbo-tool"
keep=$PWD
if (($# == 0)); then
    for replay in "$here"/replays/*.replay; do
        [[ -f $replay ]] && set -- "$@" "$(basename "$replay" .replay)"
    done
    (($# > 0)) || { echo "no stored replay in $here/replays: skipped"; exit 77; }
fi
data_ini log

failed=()
for kind in "$@"; do
    replay=$here/replays/$kind.replay
    reference=$here/reference/$kind.qex
    why=()
    start=$SECONDS
    if [[ ! -f $replay ]]; then
        why+=("no replay $replay")
    elif ! rm -f "$dir/state/rumbotown/DEBUG.LOG" || ! play_replay "$replay" "$dir/shot.bmp"; then
        why+=("the game failed: $(tail -3 "$dir/out" | tr '\n' ' ')")
    else
        mapfile -t why < <(check_stored_profile "$kind")
        grep -qi error "$dir/state/rumbotown/DEBUG.LOG" &&
            why+=("errors in the log: $(grep -i error "$dir/state/rumbotown/DEBUG.LOG" | head -3 | tr '\n' ' ')")
        if [[ ! -f $reference ]]; then
            why+=("no reference picture $reference")
        elif ! "$tool" image-compare "$dir/shot.bmp" "$reference" --tolerance 1 --max-differing 0.5% \
            --diff "$keep/stored-replay-$kind-diff.bmp" >"$dir/compare" 2>&1; then
            cp "$dir/shot.bmp" "$keep/stored-replay-$kind.bmp"
            why+=("the last screen differs from the reference: $(tr '\n' ' ' <"$dir/compare")")
            why+=("the screenshot is kept as $keep/stored-replay-$kind.bmp")
        fi
    fi
    if ((${#why[@]} == 0)); then
        echo "kind $kind: won as stored, same last screen ($((SECONDS - start)) s)"
        continue
    fi
    failed+=("$kind")
    echo "FAIL kind $kind:"
    printf '  %s\n' "${why[@]}"
done
((${#failed[@]} == 0)) || {
    echo "FAIL: the stored replays of kind(s) ${failed[*]} no longer play as recorded;" \
        "regenerate with tools/update-e2e-replays ${failed[*]} if the data changed on purpose"
    exit 1
}
echo "ok: the stored replays of kind(s) $* win as recorded and end on their reference screens"
