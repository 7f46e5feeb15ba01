#!/usr/bin/env bash
# Black-box checks of rumbo-tool's town data commands: maps, sprite sheets and mouth tables.
set -u
tool=${RUMBO_TOOL:?}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # name expected actual
    if [[ "$2" != "$3" ]]; then
        printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}
le32() { local v=$1 shift; for shift in 0 8 16 24; do printf "\\x$(printf %02x $((v >> shift & 255)))"; done; }
le16() { local v=$1; printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $((v >> 8 & 255)))"; }
# A 24-bit bitmap WxH of one colour (blue green red bytes); rows padded to 4 bytes.
bmp() { # file width height b g r
    local w=$2 h=$3 pad=$(( (4 - $2 * 3 % 4) % 4 )) row
    local size=$(( (w * 3 + pad) * h ))
    { printf 'BM'; le32 $((54 + size)); le32 0; le32 54; le32 40; le32 "$w"; le32 "$h"; printf '\x01\0\x18\0'
      le32 0; le32 "$size"; le32 2835; le32 2835; le32 0; le32 0
      for _ in $(seq "$h"); do for _ in $(seq "$w"); do printf "\\x$4\\x$5\\x$6"; done; head -c "$pad" /dev/zero; done
    } > "$1"
}
# A map file: tile size, columns, rows, then "name:attribute" entries, "--", then the cell indices.
map() { # file tw th columns rows entries... -- cells...
    local file=$1 tw=$2 th=$3 cols=$4 rows=$5; shift 5
    local entries=() cells=()
    while [[ $# -gt 0 && $1 != -- ]]; do entries+=("$1"); shift; done
    shift; cells=("$@")
    { printf 'RUMBOMAP'; le32 1; le32 "$tw"; le32 "$th"; le32 "$cols"; le32 "$rows"; le32 ${#entries[@]}; le32 0; le32 0
      for e in "${entries[@]}"; do
          local name=${e%%:*}; printf '%s' "$name"; head -c $((256 - ${#name})) /dev/zero; le32 "${e##*:}"; head -c 12 /dev/zero
      done
      for c in "${cells[@]}"; do le32 "$c"; done
    } > "$file"
}

mkdir -p "$dir/TILES"
bmp "$dir/TILES/grass.bmp" 2 2 00 ff 00
bmp "$dir/TILES/road.bmp" 2 2 80 80 80
map "$dir/town.map" 2 2 3 2 grass.bmp:7 road.bmp:0x10 hole.bmp:0 -- 0 1 2 1 1 9
check "map-info" 'tile 2x2 columns 3 rows 2 size 6x4 tiles 3
tile 0 "grass.bmp" attribute 0x00000007
tile 1 "road.bmp" attribute 0x00000010
tile 2 "hole.bmp" attribute 0x00000000 missing
missing images 1
index 0 cells 1
index 1 cells 3
index 2 cells 1
empty cells 1' "$("$tool" map-info "$dir/town.map")"

check "map-render" "width 6 height 4" "$("$tool" map-render "$dir/town.map" "$dir/town.bmp")"
check "rendered image" "width 6 height 4 depth 24 pitch 18 format 5" "$("$tool" image-info "$dir/town.bmp")"
# Row 0 of the image is the last row of the bitmap: grass, road, hole (black).
got=$(od -An -tx1 -v -j $((54 + 20 * 3)) -N 18 "$dir/town.bmp" | tr -s ' \n' ' ')
check "top row pixels" " 00 ff 00 00 ff 00 80 80 80 80 80 80 00 00 00 00 00 00 " "$got"
check "map-render half" "width 3 height 2" "$("$tool" map-render "$dir/town.map" "$dir/half.bmp" 0.5)"
check "map-render grid" "width 6 height 4" "$("$tool" map-render "$dir/town.map" "$dir/grid.bmp" --grid)"
got=$(od -An -tx1 -v -j $((54 + 20 * 3)) -N 9 "$dir/grid.bmp" | tr -s ' \n' ' ')
check "grid lines are white" " ff ff ff ff ff ff ff ff ff " "$got"
"$tool" map-render "$dir/town.map" "$dir/x.bmp" 9 >/dev/null 2>&1; check "map-render bad scale" "1" "$?"
head -c 100 "$dir/town.map" > "$dir/cut.map"
err=$("$tool" map-info "$dir/cut.map" 2>&1); code=$?
check "map-info cut file" "1 Invalid file type: not a map file (the file is shorter than its tile list and grid): $dir/cut.map" "$code $err"
map "$dir/zero.map" 0 2 3 2 --
"$tool" map-render "$dir/zero.map" "$dir/x.bmp" >/dev/null 2>&1; check "map-render zero tile width" "1" "$?"
err=$("$tool" map-info "$dir/none.map" 2>&1); code=$?
check "map-info missing" "1 Could not find file: $dir/none.map" "$code $err"
"$tool" map-info >/dev/null 2>&1; check "map-info usage" "2" "$?"

# Sprite sheets: a strip of three 2 x 2 frames and a still, one row per state.
bmp "$dir/strip.bmp" 6 2 00 00 ff
printf '[QexSprite]\nName=Dog\nNumStates=3\n[State000]\nFileName=$GAMEPATH\\strip.bmp\nNumFrames=3\n' > "$dir/dog.ini"
printf '[State001]\nFileName=$GAMEPATH\\TILES\\grass.bmp\nXYPerFrame=1\n[State002]\nFileName=$GAMEPATH\\no.bmp\n' >> "$dir/dog.ini"
got=$("$tool" sprite-sheet "$dir/dog.ini" "$dir/dog.bmp" 2>/dev/null)
check "sprite-sheet" 'sprite "Dog" states 3
state 0 frames 3 size 2x2 records 1
state 1 frames 1 size 2x2 records 1
state 2 empty
width 6 height 4' "$got"
check "sheet image" "width 6 height 4 depth 24 pitch 18 format 5" "$("$tool" image-info "$dir/dog.bmp")"
got=$(od -An -tx1 -v -j $((54 + 20 * 3)) -N 18 "$dir/dog.bmp" | tr -s ' \n' ' ')
check "sheet top row" " 00 00 ff 00 00 ff 00 00 ff 00 00 ff 00 00 ff 00 00 ff " "$got"
"$tool" sprite-sheet "$dir/none.ini" "$dir/x.bmp" >/dev/null 2>&1; check "sprite-sheet missing" "1" "$?"
printf '[QexSprite]\nNumStates=0\n' > "$dir/empty.ini"
"$tool" sprite-sheet "$dir/empty.ini" "$dir/x.bmp" >/dev/null 2>&1; check "sprite-sheet no states" "1" "$?"

# Mouth tables: 100 samples a second, windows of 10: silence, loud, half, and 5 left over.
{ printf 'RIFF'; le32 106; printf 'WAVEfmt '; le32 16; le16 1; le16 1; le32 100; le32 200; le16 2; le16 16
  printf 'data'; le32 70
  for _ in $(seq 10); do le16 0; done; for _ in $(seq 10); do le16 1000; done
  for _ in $(seq 10); do le16 500; done; for _ in $(seq 5); do le16 700; done
} > "$dir/line.wav"
check "lips" 'window 10 entries 4 smallest 0 largest 1000
0 3 2 0' "$("$tool" lips "$dir/line.wav")"
check "lips two frames" 'window 10 entries 4 smallest 0 largest 1000
0 1 1 0' "$("$tool" lips "$dir/line.wav" 2)"
check "lips of no wave" "not measured: the mouth stays closed" "$("$tool" lips "$dir/TILES/grass.bmp")"
"$tool" lips "$dir/line.wav" 0 >/dev/null 2>&1; check "lips bad frames" "1" "$?"
"$tool" lips "$dir/none.wav" >/dev/null 2>&1; check "lips missing" "1" "$?"

# Truck sheets: two directions of two modes, each a movie of two 4 x 4 frames.
bmp "$dir/f0.bmp" 4 4 00 00 ff
bmp "$dir/f1.bmp" 4 4 ff 00 00
"$tool" smk-encode "$dir/run.smk" --fps 10 "$dir/f0.bmp" "$dir/f1.bmp" >/dev/null 2>&1
for d in 0 1; do
    printf '[Direction%03d]\nNumStates=2\nState000=$GAMEPATH\\run.smk\nState001=$GAMEPATH\\run.smk\n' "$d"
    printf 'CollisionRect=0, 0, 9, 9\nTire0=1, 1\n'
done > "$dir/truck.ini"
printf '[QexSprite]\nNumDirections=2\n' >> "$dir/truck.ini"
got=$("$tool" truck-sheet "$dir/truck.ini" "$dir/truck.bmp" 2>/dev/null)
check "truck-sheet" "truck \"$dir/truck.ini\" directions 2
direction 0 angle 0.00 states 2
direction 1 angle 337.50 states 2
width 8 height 16" "$got"
check "truck sheet image" "width 8 height 16 depth 24 pitch 24 format 5" "$("$tool" image-info "$dir/truck.bmp")"
"$tool" truck-sheet "$dir/none.ini" "$dir/x.bmp" >/dev/null 2>&1; check "truck-sheet missing" "1" "$?"
printf '[QexSprite]\nNumDirections=0\n' > "$dir/nodir.ini"
"$tool" truck-sheet "$dir/nodir.ini" "$dir/x.bmp" >/dev/null 2>&1; check "truck-sheet no directions" "1" "$?"

# The demo data's dump truck: "$GAMEPATH" is the data folder, so its movies
# are found only when that folder is given.
data=${RUMBO_DATA:-}
if [[ -f "$data/VPLAYER/brund.ini" ]]; then
    got=$("$tool" truck-sheet "$data/VPLAYER/brund.ini" "$dir/brund.bmp" "$data" 2>&1); code=$?
    check "truck-sheet brund" "0 16 16 width 432 height 3456" \
        "$code $(grep -c '^direction' <<<"$got") $(grep -c 'states 3$' <<<"$got") $(tail -n 1 <<<"$got")"
    check "brund sheet image" "width 432 height 3456 depth 24 pitch 1296 format 5" \
        "$("$tool" image-info "$dir/brund.bmp")"
    "$tool" truck-sheet "$data/VPLAYER/brund.ini" "$dir/x.bmp" >/dev/null 2>&1
    check "truck-sheet brund without its data folder" "1" "$?"
else
    echo "FAIL truck-sheet brund: no demo data in '$data' (the demo_data target makes it)"
    failures=$((failures + 1))
fi

# Every sequence file of the demo data passes the linter; a bad one does not.
# The demo town's map lies in its TILES folder and finds every tile there.
if [[ -d "$data" ]]; then
    check "map-info demo town" "missing images 0" \
        "$("$tool" map-info "$data/TILES/town.map" | grep '^missing images')"
    got=$("$tool" seq-lint "$data" 2>&1); code=$?
    check "seq-lint demo data" "0 " "$code $got"
fi
mkdir -p "$dir/seqs"
printf 'Event Town.PaintOverlay(1, 2)\r\n' >"$dir/seqs/bad.seq"
got=$("$tool" seq-lint "$dir/seqs" 2>&1); code=$?
check "seq-lint finding" "1 bad.seq:1: Town.PaintOverlay needs 3 arguments" "$code $got"
"$tool" seq-lint "$dir/no-such-folder" >/dev/null 2>&1; check "seq-lint missing folder" "1" "$?"

if [[ $failures -eq 0 ]]; then echo "rumbo-tool town data: all checks passed"; fi
exit $failures
