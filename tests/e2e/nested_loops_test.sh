#!/usr/bin/env bash
# Nested loops in a replayed run: the town's sequence plays a blocking
# full-screen movie, then loads a three-book collection and opens the HUD.
# The replay clicks the HUD's close button, which asks "Are you sure?" in
# the game's modal dialog, and answers it with a click on No. Every pass of
# the movie's and the dialog's own loops steps the run's clock, so the movie
# ends by game time and the dialog sees the replayed click; the mission goes
# on, the sequence drives over the books, and the run ends at --exit-after
# with code 0 and the win in the saved profile. A No that never arrived
# (the dialog hanging) or a Yes would leave the mission unwon.
source "$(dirname "${BASH_SOURCE[0]}")/game_lib.sh"
make_install
tool="$(dirname "$game")/rumbo-tool"

book_collection
# The drive waits until well after the dialog's answer (10.5 s).
cat >"$m/e2e.seq" <<'EOF'
Event system.PlayMovie($GAMEPATH\movies\catchoutro0.smk, -1, -1, 1, 0)
Event system.RunScript($GAMEPATH\mission\e2e\movie.lua)
Event Town.SetUserControl(0)
Event Truck.SetLoseControlOnCollisions(0)
Event Town.LoadMission($GAMEPATH\mission\e2e\collect.ini)
Event Town.StartMission()
Event Town.OpenHud()
Event system.Sleep(8000)
Event Truck.SetPosition(1250, 448)
Event Truck.DriveTo(1516, 448)
Event Truck.SetPosition(2250, 448)
Event Truck.DriveTo(2516, 448)
Event Truck.SetPosition(3250, 448)
Event Truck.DriveTo(3516, 448)
Event system.Sleep(4000)
Event system.RunScript($GAMEPATH\mission\e2e\done.lua)
EOF
for word in movie done; do echo "print(\"e2e: $word\")" >"$m/$word.lua"; done

cd "$dir/home" || fail "no home"
printf '[Startup]\r\nInstallPath=%s\r\nCDPath=%s\r\n' "$dir/home" "$dir/data" >RumboTownDemo.ini
# The HUD's close button at the top right, then No, below the question.
printf 'replay 1\nseed 1\n8900 move 500 14\n9000 down 500 14 1\n9050 up 500 14 1\n' >nested.replay
printf '10400 move 334 375\n10500 down 334 375 1\n10550 up 334 375 1\n' >>nested.replay
"$game" --replay nested.replay --exit-after 40000 --screenshot 2000:movie.bmp --screenshot 8990:town.bmp \
    --screenshot 10000:dialog.bmp --screenshot 11000:answered.bmp >"$dir/out" 2>&1
code=$?
[[ $code -eq 0 ]] || fail "exit code $code"
grep -q '^e2e: movie' "$dir/out" || fail "the blocking movie did not end"
grep -q '^e2e: done' "$dir/out" || fail "the sequence did not reach its end"
# Most of the screen changes when the movie goes, the dialog comes and it goes again.
for pair in movie:town town:dialog dialog:answered; do
    "$tool" image-compare "${pair%:*}.bmp" "${pair#*:}.bmp" --tolerance 1 --max-differing 0.5% >compare.out &&
        fail "$pair: the same screen"
    differing=$(sed -n 's/^differing \([0-9]*\) of.*/\1/p' compare.out)
    ((differing > 307200 / 3)) || fail "$pair: only $(cat compare.out)"
done
completed=$(profile_value CompletedFlag)
[[ "$completed" == "CompletedFlag=1" ]] || fail "the mission was not won after No: $completed"
echo "ok: the blocking movie ended by game time, the dialog was answered No by the replay, the mission was" \
    "won and the run ended at --exit-after with $completed saved"
