// The engine's built-in default font: 128 glyphs of 8 x 12 pixels, codes
// 0-127, kept as a bit table in the program so that text can be drawn before
// (or without) any font file.
//
// The table holds 12 rows of 128 bytes: byte c of row r is row r of the
// glyph of code c, its leftmost pixel in the most significant bit. A set bit
// is paper, a clear bit ink. The font image is an 8-bit strip of 1152 x 12
// pixels: each byte becomes nine pixels, a separator pixel 255 and its eight
// bits (paper: colour 10, the font's transparent colour; ink: colour 0).
#pragma once

#include "engine/graphics/font.h"

#include <cstdint>

constexpr int32_t CX_DEFAULT_FONT_GLYPHS = 128;
constexpr int32_t CX_DEFAULT_FONT_WIDTH = 8;
constexpr int32_t CX_DEFAULT_FONT_HEIGHT = 12;
constexpr uint32_t CX_DEFAULT_FONT_TABLE_SIZE = 1536;
constexpr uint8_t CX_DEFAULT_FONT_SEPARATOR = 255;
constexpr uint8_t CX_DEFAULT_FONT_PAPER = 10;
constexpr uint8_t CX_DEFAULT_FONT_INK = 0;

// The bit table (CX_DEFAULT_FONT_TABLE_SIZE bytes).
const uint8_t* GetDefaultFontTable();
// A new 1152 x 12 8-bit image of the table (the caller owns it), or null
// when memory ran out.
CxDrawSurface* BuildDefaultFontImage();
// Builds the default font, lists it with the identifier CX_DEFAULT_FONT_ID
// and makes that the default font's identifier. An earlier built-in font is
// removed first.
uint32_t CreateDefaultFont();
// Removes the built-in font from the list and frees it.
void DestroyDefaultFont();
