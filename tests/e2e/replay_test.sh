#!/usr/bin/env bash
# Driven runs of the real game: an unknown option or a bad replay line ends
# it with code 2 and the reason before any window; a replay that steers the
# truck into the bakery ends at its --exit-after time with code 0, the
# profile saved; what it recorded, played in a second run, ends on the same
# screenshot and profile, byte for byte, and records itself again: the run
# depends on its input alone.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
cd "$dir/home" || fail "no home"
data_ini

"$game" --bogus >"$dir/out" 2>&1
code=$?
[[ $code -eq 2 ]] || fail "exit code $code for an unknown option"
grep -q '^usage: rumbotown' "$dir/out" || fail "no usage text"
printf 'replay 1\n0 move 10 10\n5 move 640 10\n' >bad.replay
"$game" --replay bad.replay >"$dir/out" 2>&1
code=$?
[[ $code -eq 2 ]] || fail "exit code $code for a bad replay"
grep -q '^replay bad.replay:3: bad x' "$dir/out" || fail "no line number for the bad replay"

# The pointer below the truck from the start: it drives down into the bakery.
printf 'replay 1\nseed 1\n100 move 320 400\n3000 move 320 420\n3500 move 330 440\n' >drive.replay
# The first run records what it plays; the second plays that recording and
# records it again.
replay=drive.replay
for run in 1 2; do
    rm -f rumbo.pxu
    "$game" --replay $replay --record rec$run.replay --exit-after 8000 --screenshot "7990:shot$run.bmp" \
        --screenshot 50:early.bmp \
        >"$dir/out" 2>&1
    code=$?
    replay=rec1.replay
    cp rumbo.pxu profile$run.pxu 2>/dev/null
    [[ $code -eq 0 ]] || fail "run $run: exit code $code"
    grep -q '^town: enter 0 ' "$dir/out" || fail "run $run: the truck did not reach the bakery"
    [[ -f rumbo.pxu ]] || fail "run $run: no profile saved"
    [[ $(stat -c %s "shot$run.bmp" 2>/dev/null) -eq $((54 + 640 * 480 * 3)) ]] || fail "run $run: no 640 x 480 24-bit screenshot"
done
cmp -s shot1.bmp shot2.bmp || fail "a replay and its recording ended on different screens"
# References are kept compressed; a screenshot matches its own, and not the
# screen of the start, whose differences are drawn into a diff picture.
tool="$(dirname "$game")/rumbo-tool"
"$tool" image-convert shot1.bmp reference.qex || fail "no QEX reference"
"$tool" image-compare shot2.bmp reference.qex --tolerance 1 --max-differing 0.5% >compare.out ||
    fail "the screenshot does not match its reference: $(cat compare.out)"
grep -q '^differing 0 of 307200 pixels' compare.out || fail "unexpected comparison: $(cat compare.out)"
"$tool" image-compare early.bmp reference.qex --tolerance 1 --max-differing 0.5% --diff diff.bmp >compare.out &&
    fail "the start's screen matched the end's"
[[ -s diff.bmp ]] || fail "no diff picture: $(cat compare.out)"
cmp -s profile1.pxu profile2.pxu || fail "a replay and its recording saved different profiles"
cmp -s rec1.replay rec2.replay || fail "a recording did not record itself: $(diff rec1.replay rec2.replay | head)"
[[ ! -e rec1.replay.new ]] || fail "the recording was left as rec1.replay.new"
echo "ok: usage and bad replays refused with code 2; a replay drives into the bakery, and its recording" \
    "($(grep -c 'move' rec1.replay) moves) replays to the same screen, profile and recording"
