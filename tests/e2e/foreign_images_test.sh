#!/usr/bin/env bash
# Images written by another program (ImageMagick) convert to BMP with the
# same pixels, and survive a round trip through the engine's own QEX format.
# Exits 77 (skipped) without ImageMagick.
set -u
tool=${RUMBO_TOOL:?}
im=/usr/bin/convert
cmp=/usr/bin/compare
[[ -x $im && -x $cmp ]] || { echo "ImageMagick not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# A picture with every row and column different, so flips and channel swaps show.
"$im" -size 13x7 gradient:red-blue \( -size 13x7 gradient:lime-black -rotate 90 -resize 13x7\! \) \
    -compose plus -composite -type TrueColor "BMP3:$dir/src.bmp" || { echo "ImageMagick failed"; exit 77; }
"$im" "$dir/src.bmp" -colors 16 -type Palette "BMP3:$dir/pal8.bmp"
# ImageMagick's own default writes the newer, longer information header.
"$im" "$dir/src.bmp" -type TrueColor "BMP:$dir/v5.bmp"
"$im" "$dir/src.bmp" -colors 16 -type Palette "BMP:$dir/v5pal.bmp"
"$im" "$dir/src.bmp" -orient TopLeft -compress None "$dir/plain.tga"
"$im" "$dir/src.bmp" -orient TopLeft -compress RLE "$dir/rle.tga"
"$im" "$dir/src.bmp" "$dir/true.pcx"
"$im" "$dir/src.bmp" -colors 16 -type Palette "$dir/pal8.pcx"

for source in src.bmp pal8.bmp v5.bmp v5pal.bmp plain.tga rle.tga true.pcx pal8.pcx; do
    in="$dir/$source"
    "$tool" image-convert "$in" "$dir/$source.out.bmp" || { fail "$source: conversion failed"; continue; }
    differ=$("$cmp" -metric AE "$in" "$dir/$source.out.bmp" null: 2>&1)
    [[ "$differ" == 0 ]] || fail "$source: $differ pixels differ after conversion to BMP"
    for method in 1 5 8; do
        "$tool" image-convert "$in" "$dir/$source.$method.qex" "$method" &&
            "$tool" image-convert "$dir/$source.$method.qex" "$dir/$source.$method.bmp" ||
            { fail "$source: QEX method $method round trip failed"; continue; }
        differ=$("$cmp" -metric AE "$in" "$dir/$source.$method.bmp" null: 2>&1)
        [[ "$differ" == 0 ]] || fail "$source: $differ pixels differ after QEX method $method"
    done
done

if [[ $failures -eq 0 ]]; then echo "foreign images: all checks passed"; fi
exit $failures
