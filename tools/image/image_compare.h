// Comparing two pictures as the game's 16-bit screen holds them: screenshots
// of replayed runs against their stored references. Each pixel is taken to
// 5-6-5 (red, green and blue of 5, 6 and 5 bits), so a 24-bit screenshot and
// a 16-bit reference of the same screen compare equal; a pixel differs when
// any of its channels differs by more than the tolerance.
#pragma once

#include <cstdint>

class CxDrawSurface;

struct ST_IMAGE_DIFFERENCE
{
    bool sizesDiffer = false;
    uint64_t pixels = 0;    // compared (width x height when the sizes agree)
    uint64_t differing = 0; // beyond the tolerance
};

// The pixel's channels in 5-6-5 bits; surfaces of 15/16 (5-5-5 green widened
// exactly), 24 and 32 bits. False for other depths.
bool PixelTo565(const CxDrawSurface& surface, uint32_t pixel, uint32_t rgb[3]);

// Compares a and b. When diff is given, it is made the size of a, in 24
// bits: the differing pixels in red over a darkened copy of a. False when a
// surface has no pixels or a depth that cannot be read.
bool CompareImages(CxDrawSurface& a, CxDrawSurface& b, uint32_t tolerance, ST_IMAGE_DIFFERENCE* out,
                   CxDrawSurface* diff = nullptr);

// "0.5%" or "0.5" (percent) or "12px" (pixels) as the most differing pixels
// allowed of total; false when the text is neither.
bool ParseDifferingLimit(const char* text, uint64_t total, uint64_t* limit);
