#!/usr/bin/env bash
# Black-box checks of rumbo-tool's option-file, sequence-file, CRC, codec, image and print commands.
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

printf '; settings\n[Engine]\nWidth = 640 ; pixels\nTitle=Rumbo\n[engine]\nWidth=1\n' > "$dir/a.ini"

check "value" "640" "$("$tool" ini-get "$dir/a.ini" engine WIDTH)"
check "default" "fallback" "$("$tool" ini-get "$dir/a.ini" Engine Missing fallback)"
check "missing key without default" "" "$("$tool" ini-get "$dir/a.ini" Engine Missing)"
got=$("$tool" ini-dump "$dir/a.ini"; printf x)
check "dump bytes" $'[Engine]\r\nWidth=640\r\nTitle=Rumbo\r\n\r\n[engine]\r\nWidth=1\r\nx' "$got"

err=$("$tool" ini-get "$dir/none.ini" A B 2>&1 >/dev/null); code=$?
check "missing file code" "1" "$code"
check "missing file message" "Could not find file: $dir/none.ini" "$err"
err=$("$tool" ini-dump "$dir/none.ini" 2>&1 >/dev/null); code=$?
check "missing file code (dump)" "1" "$code"

"$tool" >/dev/null 2>&1; check "usage code" "2" "$?"
# One table drives both the commands and the usage: every command is listed.
usage=$("$tool" 2>&1)
for command in ini-get expand smk-encode smk-info map-info truck-sheet lips; do
    [[ $usage == *"  $command "* ]] && listed=yes || listed=no
    check "usage lists $command" "yes" "$listed"
done
"$tool" no-such-command >/dev/null 2>&1; check "unknown command" "2" "$?"

# Sequence files.
printf '# intro\r\nEvent Town.Say("Hi, there", x)\r\n  Event Town.Skipped()\ncontinue\nDynamic Event Town.Go($WHO)\nSequence "%s/b.seq"\n' "$dir" > "$dir/a.seq"
printf 'Event Town.Wave($WHO)\n' > "$dir/b.seq"
got=$("$tool" seq-dump "$dir/a.seq" WHO=Rumbo)
check "seq dump" 'event Town.Say("Hi", "there", "x")
continue dynamic Town.Go($WHO)
sequence '"$dir"'/b.seq
  event Town.Wave("Rumbo")
end' "$got"
# A nested name is shown as expanded, also when the file is missing.
printf 'Sequence "%s/$PART.seq"\nSequence "%s/gone.seq"\n' "$dir" "$dir" > "$dir/c.seq"
got=$("$tool" seq-dump "$dir/c.seq" PART=b 2>/dev/null)
check "seq dump nested names" "sequence $dir/b.seq
  event Town.Wave(\"\$WHO\")
end
sequence $dir/gone.seq
end" "$got"
# The interpolator on its own.
check "expand" "Hi Rumbo, 3 trucks" "$("$tool" expand 'Hi $WHO, ${N} trucks' WHO=Rumbo N=3)"
check "expand nested braces" "fire" "$("$tool" expand '${M_${L}}' L=2 M_2=fire)"
check "expand unknown stays" '$NOBODY here' "$("$tool" expand '$NOBODY here')"
check "expand empty value" "[]" "$("$tool" expand '[$X]' X=)"
"$tool" expand >/dev/null 2>&1; check "expand usage" "2" "$?"
"$tool" expand 'a' novalue >/dev/null 2>&1; check "expand bad constant" "2" "$?"
printf 'Event Town.Open(\n' > "$dir/bad.seq"
err=$("$tool" seq-dump "$dir/bad.seq" 2>&1 >/dev/null); code=$?
check "seq unclosed code" "3" "$code"
check "seq unclosed message" "Invalid file type: Sequence file $dir/bad.seq: \"Event\" without a closing \")\"" "$err"
"$tool" seq-dump "$dir/none.seq" >/dev/null 2>&1; check "seq missing file code" "1" "$?"
# CRC: reflected CRC-32 from a chosen start value, no final inversion.
printf 'abc' > "$dir/abc"
check "crc abc" "CA6598D0" "$("$tool" crc "$dir/abc")"
printf '123456789' > "$dir/digits"
check "crc hex start" "340BC6D9" "$("$tool" crc "$dir/digits" 0xFFFFFFFF)"
check "crc decimal start" "340BC6D9" "$("$tool" crc "$dir/digits" 4294967295)"
: > "$dir/empty"
check "crc of nothing is the start" "00001234" "$("$tool" crc "$dir/empty" 0x1234)"
"$tool" crc "$dir/abc" 12x >/dev/null 2>&1; check "crc bad start" "1" "$?"
"$tool" crc "$dir/abc" 0x100000000 >/dev/null 2>&1; check "crc start too big" "1" "$?"
err=$("$tool" crc "$dir/none" 2>&1 >/dev/null); code=$?
check "crc missing file code" "1" "$code"
check "crc missing file message" "Could not find file: $dir/none" "$err"

# Codecs: every method round-trips a file with text, runs and binary bytes.
{ for i in $(seq 1 200); do printf 'truck %d town fire\n' "$i"; done; head -c 3000 /dev/zero; seq 1 500; } > "$dir/data"
printf '\x01\x02\xff\xfe\x80' >> "$dir/data"
size=$(wc -c < "$dir/data")
for method in 0 1 2 4 5 6 7 8 9 12; do
    "$tool" compress "$method" "$dir/data" "$dir/packed.$method"; check "compress $method" "0" "$?"
    "$tool" decompress "$method" "$size" "$dir/packed.$method" "$dir/unpacked.$method"
    check "decompress $method" "0" "$?"
    cmp -s "$dir/data" "$dir/unpacked.$method"; check "round trip $method" "0" "$?"
done
# Method 3 works on 16-bit words: an even-sized file, and an odd one is refused.
head -c 4000 "$dir/data" > "$dir/even"
"$tool" compress 3 "$dir/even" "$dir/packed.3" && "$tool" decompress 3 4000 "$dir/packed.3" "$dir/unpacked.3"
cmp -s "$dir/even" "$dir/unpacked.3"; check "round trip 3" "0" "$?"
err=$("$tool" compress 3 "$dir/abc" "$dir/odd.3" 2>&1); code=$?
check "method 3 odd size" "1" "$code"
check "method 3 odd size message" "Invalid arguement: method 3 packs 16-bit words, and $dir/abc holds an odd number of bytes (3); pad it to an even size or choose another method" "$err"
check "compression shrinks text" "1" "$(( $(wc -c < "$dir/packed.1") < size / 3 ))"

printf '\x83AB' > "$dir/rle"
"$tool" decompress 2 4 "$dir/rle" "$dir/rle.out"; check "byte run-length example" "AAAB" "$(cat "$dir/rle.out")"

# Failures: a wrong size, a cut stream, a bad method; no output file is left.
err=$("$tool" decompress 1 $((size - 1)) "$dir/packed.1" "$dir/short" 2>&1); code=$?
check "too small size code" "1" "$code"
check "too small size message" "Unknown Error: could not decompress $dir/packed.1" "$err"
[[ -e "$dir/short" ]]; check "no output after failure" "1" "$?"
"$tool" decompress 1 $((size + 1)) "$dir/packed.1" "$dir/long" >/dev/null 2>&1; check "too large size" "1" "$?"
head -c 100 "$dir/packed.7" > "$dir/cut.7"
"$tool" decompress 7 "$size" "$dir/cut.7" "$dir/cut.out" >/dev/null 2>&1; check "cut stream" "1" "$?"
"$tool" compress 256 "$dir/data" "$dir/x" >/dev/null 2>&1; check "method out of range" "1" "$?"
"$tool" decompress 1 -5 "$dir/packed.1" "$dir/x" >/dev/null 2>&1; check "negative size" "1" "$?"
"$tool" decompress 1 >/dev/null 2>&1; check "decompress usage" "2" "$?"

# Images: a 2 x 2 24-bit bitmap, inspected and converted through every format that holds it.
printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x10\0\0\0' > "$dir/a.bmp"
printf '\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0' >> "$dir/a.bmp"
printf '\0\0\xff\0\xff\0\0\0\xff\0\0\xff\xff\xff\0\0' >> "$dir/a.bmp"
check "image-info bmp" "width 2 height 2 depth 24 pitch 6 format 5" "$("$tool" image-info "$dir/a.bmp")"
"$tool" image-convert "$dir/a.bmp" "$dir/a.qex" 9; check "bmp to qex" "0" "$?"
check "image-info qex" "width 2 height 2 depth 24 pitch 6 format 5" "$("$tool" image-info "$dir/a.qex")"
"$tool" image-convert "$dir/a.qex" "$dir/a.tga"; check "qex to tga" "0" "$?"
"$tool" image-convert "$dir/a.tga" "$dir/b.BMP"; check "tga to bmp" "0" "$?"
"$tool" image-convert "$dir/b.BMP" "$dir/b.qex" 9
cmp -s "$dir/a.qex" "$dir/b.qex"; check "pixels survive every format" "0" "$?"
err=$("$tool" image-convert "$dir/a.bmp" "$dir/a.png" 2>&1); code=$?
check "unknown output format code" "1" "$code"
check "unknown output format message" "Unknown Error: could not write $dir/a.png" "$err"
"$tool" image-convert "$dir/a.bmp" "$dir/a.pcx" >/dev/null 2>&1; check "no 24-bit pcx" "1" "$?"
head -c 60 "$dir/a.bmp" > "$dir/cut.bmp"
err=$("$tool" image-info "$dir/cut.bmp" 2>&1); code=$?
check "truncated bmp code" "1" "$code"
check "truncated bmp message" "Invalid file type: could not load $dir/cut.bmp" "$err"
err=$("$tool" image-info "$dir/none.qex" 2>&1); code=$?
check "missing image" "1 Could not find file: $dir/none.qex" "$code $err"

# Fonts: the built-in font, and a font strip of 70 one-pixel glyphs (codes 0-69) in a 24-bit bitmap.
check "render built-in font" "width 20 height 16" "$("$tool" font-render - "Hi" "$dir/hi.bmp")"
check "rendered image" "width 20 height 16 depth 24 pitch 60 format 5" "$("$tool" image-info "$dir/hi.bmp")"
check "render scaled" "width 36 height 28" "$("$tool" font-render - "Hi" "$dir/hi24.bmp" 24)"
check "tabs take no space" "width 20 height 16" "$("$tool" font-render - $'H\ti' "$dir/tab.bmp")"
cmp -s "$dir/hi.bmp" "$dir/tab.bmp"; check "tab draws nothing" "0" "$?"
le32() { local v=$1 shift; for shift in 0 8 16 24; do printf "\\x$(printf %02x $((v >> shift & 255)))"; done; }
{
    printf 'BM'; le32 894; le32 0; le32 54
    le32 40; le32 140; le32 2; printf '\x01\0\x18\0'; le32 0; le32 840; le32 2835; le32 2835; le32 0; le32 0
    for _ in $(seq 70); do printf '\xff\xff\xff\0\0\0'; done # bottom row
    for _ in $(seq 70); do printf '\0\0\xff\0\0\0'; done     # top row: red separators
} > "$dir/strip.bmp"
check "strip image" "width 140 height 2 depth 24 pitch 420 format 5" "$("$tool" image-info "$dir/strip.bmp")"
check "render font file" "width 7 height 6" "$("$tool" font-render "$dir/strip.bmp" "ABE" "$dir/abe.bmp")"
err=$("$tool" font-render "$dir/strip.bmp" "AZ" "$dir/az.bmp" 2>&1 >/dev/null); code=$?
check "missing glyph code" "3" "$code"
check "missing glyph message" "no glyph for code 90" "$err"
err=$("$tool" font-render "$dir/none.qex" "A" "$dir/x.bmp" 2>&1); code=$?
check "missing font" "1 Could not find file: $dir/none.qex" "$code $err"
"$tool" font-render "$dir/a.ini" "A" "$dir/x.bmp" >/dev/null 2>&1; check "not a font file" "1" "$?"
"$tool" font-render - "A" >/dev/null 2>&1; check "font-render usage" "2" "$?"
# Movies: two 4 x 4 frames (the first noisy, the second black) and an 8-bit mono wave.
printf 'BM\x66\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x04\0\0\0\x04\0\0\0\x01\0\x18\0\0\0\0\0\x30\0\0\0' > "$dir/f0.bmp"
printf '\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0' >> "$dir/f0.bmp"
cp "$dir/f0.bmp" "$dir/f1.bmp"
head -c 48 /dev/urandom >> "$dir/f0.bmp"
head -c 48 /dev/zero >> "$dir/f1.bmp"
printf 'RIFF\x88\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\x64\0\0\0' > "$dir/s.wav"
head -c 100 /dev/urandom >> "$dir/s.wav"
"$tool" smk-encode "$dir/m.smk" --fps 10 --audio "$dir/s.wav" "$dir/f0.bmp" "$dir/f1.bmp" "$dir/f0.bmp"
check "smk-encode" "0" "$?"
check "smk-info" "SMK2 width 4 height 4 frames 3 rate 10 fps
audio track 0: 8000 Hz 8-bit mono compressed" "$("$tool" smk-info "$dir/m.smk")"
printf 'RIFF\xc8\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x11\x2b\0\0\x44\xac\0\0\x04\0\x10\0data\xa4\0\0\0' > "$dir/t.wav"
head -c 164 /dev/urandom >> "$dir/t.wav"
"$tool" smk-encode "$dir/two.smk" --fps 10 --audio "$dir/s.wav" --audio "$dir/t.wav" "$dir/f0.bmp" "$dir/f1.bmp"
check "smk-encode two tracks" "0" "$?"
check "smk-info two tracks" "SMK2 width 4 height 4 frames 2 rate 10 fps
audio track 0: 8000 Hz 8-bit mono compressed
audio track 1: 11025 Hz 16-bit stereo compressed" "$("$tool" smk-info "$dir/two.smk")"
"$tool" smk-encode "$dir/n.smk" --fps 15 "$dir/f1.bmp"
check "smk-info silent" "SMK2 width 4 height 4 frames 1 rate 14.999 fps
no audio" "$("$tool" smk-info "$dir/n.smk")"
err=$("$tool" smk-encode "$dir/x.smk" --fps 10 "$dir/f0.bmp" "$dir/a.bmp" 2>&1); code=$?
check "smk-encode mixed sizes" "1 Invalid arguement: frames must all be 4x4, with sides a multiple of 4: $dir/a.bmp" "$code $err"
"$tool" smk-encode "$dir/x.smk" --fps 0 "$dir/f0.bmp" >/dev/null 2>&1; check "smk-encode bad rate" "1" "$?"
"$tool" smk-encode "$dir/x.smk" --audio "$dir/a.bmp" --fps 5 "$dir/f0.bmp" >/dev/null 2>&1
check "smk-encode bad wave" "1" "$?"
"$tool" smk-encode "$dir/x.smk" "$dir/f0.bmp" >/dev/null 2>&1; check "smk-encode usage" "2" "$?"
err=$("$tool" smk-info "$dir/s.wav" 2>&1); code=$?
check "smk-info not a movie" "1 Invalid file type: not a Smacker movie: $dir/s.wav" "$code $err"

# Word run-length on an 8-bit image of odd width and height (37 x 3): the
# engine bitmap's rows are padded to whole words, and the pixels come back.
{
    printf 'BM'; le32 $((54 + 1024 + 40 * 3)); le32 0; le32 $((54 + 1024))
    le32 40; le32 37; le32 3; printf '\x01\0\x08\0'; le32 0; le32 $((40 * 3)); le32 2835; le32 2835; le32 256; le32 0
    for i in $(seq 0 255); do printf "\\x$(printf %02x "$i")\\x$(printf %02x $((255 - i)))\\x$(printf %02x $((i / 2)))\\0"; done
    for row in 0 1 2; do
        for x in $(seq 0 36); do printf "\\x$(printf %02x $(((x * 7 + row * 13) & 255)))"; done
        printf '\0\0\0'
    done
} > "$dir/odd8.bmp"
check "odd 8-bit image" "width 37 height 3 depth 8 pitch 37 format 7" "$("$tool" image-info "$dir/odd8.bmp")"
"$tool" image-convert "$dir/odd8.bmp" "$dir/odd8.qex" 3; check "odd image with method 3" "0" "$?"
check "padded rows" "width 37 height 3 depth 8 pitch 38 format 7" "$("$tool" image-info "$dir/odd8.qex")"
"$tool" image-convert "$dir/odd8.qex" "$dir/odd8-back.qex" 0
"$tool" image-convert "$dir/odd8.bmp" "$dir/odd8-stored.qex" 0
"$tool" image-convert "$dir/odd8-back.qex" "$dir/odd8-back.bmp"
"$tool" image-convert "$dir/odd8-stored.qex" "$dir/odd8-stored.bmp"
cmp -s "$dir/odd8-back.bmp" "$dir/odd8-stored.bmp"; check "odd image pixels survive method 3" "0" "$?"

# Printing: into a PDF file in place of the printer, and without a print server.
RUMBO_PRINT_FILE="$dir/page.pdf" "$tool" print "$dir/a.bmp" 0.5 >/dev/null; check "print to a file" "0" "$?"
check "printed page" "%PDF-" "$(head -c 5 "$dir/page.pdf")"
err=$(CUPS_SERVER="$dir/no.sock" RUMBO_PRINT_FILE= "$tool" print "$dir/a.bmp" 2>&1 >/dev/null); code=$?
check "print without a server" "1" "$code"
[[ $err == *"[No Printer Found]"* ]] && said=yes || said=no
check "no printer message" "yes" "$said"
"$tool" print "$dir/a.bmp" 2 >/dev/null 2>&1; check "print scale out of range" "1" "$?"
if [[ $failures -eq 0 ]]; then echo "rumbo-tool: all checks passed"; fi
exit $failures
