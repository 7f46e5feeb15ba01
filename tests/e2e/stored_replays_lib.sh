# Sourced after game_lib.sh by the stored-replay test and by
# tools/update-e2e-replays: what the profile of a fresh player holds after
# the stored replay of each mission kind has won it, and the check of it.
#
# One row per kind:
#   activity  the profile's activity of the kind (its <activity>Level and
#             <activity>TitleID keys)
#   bit       the kind's bit of CompletedFlag (the race's is that of the
#             player's truck)
#   sub       the won mission file's MissionSubID, whose bit ItemCompletedFlag
#             gets (kinds 0-2; "-" for the others, which leave it alone)
#   level     the activity's level after the win: 1 when it was won faster
#             than the file's TimerIntervalMin, else 0 (a fresh player's level
#             cannot go lower); the title follows it from 0 to 1
# ("?": not known yet, until the bot wins the kind)
# A regenerated replay may win another mission file or another level: the
# update tool prints what its run's profile holds in this table's form.
STORED_EXPECTATIONS="
0 Collection 0x01 7  1
1 Collection 0x01 14 1
2 Collection 0x01 4  1
3 Drop       0x02 -  1
4 BumperCar  0x08 -  0
5 Fire       0x04 -  1
6 Fish       0x10 -  1
7 Race       0x20 -  1
"

# The value of a profile key, without the name.
profile_number() {
    local line
    line=$(profile_value "$1") || return 1
    echo "${line#*=}"
}

# stored_row KIND: the kind's row of the table ("" when it has none).
stored_row() { awk -v k="$1" '$1 == k' <<<"$STORED_EXPECTATIONS"; }

# stored_profile_row KIND: the row the saved profile ($dir/home/rumbo.pxu)
# makes for the kind, in the table's form.
stored_profile_row() {
    local activity completed items sub=- bit
    read -r _ activity _ <<<"$(stored_row "$1")"
    completed=$(profile_number CompletedFlag)
    items=$(profile_number ItemCompletedFlag)
    if (($1 <= 2)); then
        sub=none
        for bit in $(seq 0 14); do ((items >> bit & 1)) && sub=$bit; done
    fi
    printf '%s %-10s 0x%02x %-2s %s\n' "$1" "$activity" "$completed" "$sub" "$(profile_number "${activity}Level")"
}

# check_stored_profile KIND: prints what the saved profile lacks of the
# kind's row, one line each; returns 1 when anything does.
check_stored_profile() {
    local row activity bit sub level completed items got title
    row=$(stored_row "$1")
    [[ -n $row ]] || { echo "no expectations for kind $1 in the table"; return 1; }
    read -r _ activity bit sub level <<<"$row"
    [[ -f $dir/home/rumbo.pxu ]] || { echo "no profile saved"; return 1; }
    completed=$(profile_number CompletedFlag)
    items=$(profile_number ItemCompletedFlag)
    local problems=()
    ((completed & bit)) || problems+=("CompletedFlag=$completed lacks the kind's bit $bit")
    if [[ $sub == "?" ]]; then
        problems+=("the table has no sub-ID for kind $1")
    elif [[ $sub != - ]] && ! ((items >> sub & 1)); then
        problems+=("ItemCompletedFlag=$items lacks the bit of sub-ID $sub")
    fi
    got=$(profile_number "${activity}Level")
    title=$(profile_number "${activity}TitleID")
    if [[ $level == "?" ]]; then
        problems+=("the table has no level for kind $1")
    else
        [[ $got == "$level" ]] || problems+=("${activity}Level=$got, not $level")
        [[ $title == "$level" ]] || problems+=("${activity}TitleID=$title, not $level (it follows the level)")
    fi
    ((${#problems[@]} == 0)) && return 0
    printf '%s\n' "${problems[@]}"
    return 1
}
