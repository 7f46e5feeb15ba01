// Helpers shared by the CxDrawSurface tests: deterministic pixel data and
// byte-exact comparison of whole surfaces.
#pragma once

#include "engine/core/error.h"
#include "engine/graphics/draw_surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace surface_test {
// A small linear congruential generator: the same data on every run.
struct Lcg
{
    uint32_t state;
    explicit Lcg(uint32_t seed) : state(seed) {}
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

// Fills every pixel with pseudo-random raw values of the surface's depth; one
// in `keyEvery` pixels (when not 0) becomes `key`.
inline void FillRandom(CxDrawSurface& s, uint32_t seed, uint32_t key = CX_COLOR_NONE, uint32_t keyEvery = 0)
{
    Lcg lcg(seed);
    const int32_t depth = s.GetDepth();
    const uint32_t mask = depth >= 32 ? 0xFFFFFFFFu : ((1u << depth) - 1u);
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
        {
            uint32_t v = (lcg.Next() ^ (lcg.Next() << 12)) & mask;
            if (keyEvery && (lcg.Next() % keyEvery) == 0)
                v = key;
            else if (v == key)
                v ^= 1;
            s.SetPixel(x, y, v);
        }
}

// Runs of key pixels too, so that the four-at-a-time skip is exercised.
inline void FillRandomRuns(CxDrawSurface& s, uint32_t seed, uint32_t key)
{
    Lcg lcg(seed);
    const int32_t depth = s.GetDepth();
    const uint32_t mask = depth >= 32 ? 0xFFFFFFFFu : ((1u << depth) - 1u);
    for (int32_t y = 0; y < s.GetHeight(); ++y)
    {
        int32_t x = 0;
        while (x < s.GetWidth())
        {
            const int32_t run = 1 + static_cast<int32_t>(lcg.Next() % 13);
            const bool keyRun = (lcg.Next() & 1) != 0;
            for (int32_t i = 0; i < run && x < s.GetWidth(); ++i, ++x)
            {
                uint32_t v = (lcg.Next() ^ (lcg.Next() << 12)) & mask;
                if (v == key)
                    v ^= 1;
                s.SetPixel(x, y, keyRun ? key : v);
            }
        }
    }
}

// The pixel memory of a surface, rows without padding.
inline std::vector<uint8_t> Pixels(CxDrawSurface& s)
{
    std::vector<uint8_t> out;
    s.Lock();
    const int32_t rowBytes = (s.GetWidth() * s.GetDepth() + 7) / 8;
    if (s.GetBits())
        for (int32_t y = 0; y < s.GetHeight(); ++y)
        {
            const uint8_t* row = s.GetBits() + static_cast<int64_t>(y) * s.GetPitch();
            out.insert(out.end(), row, row + rowBytes);
        }
    s.Unlock();
    return out;
}

// How many pixels hold the raw value.
inline int32_t CountValue(CxDrawSurface& s, uint32_t value)
{
    int32_t n = 0;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            n += s.GetPixel(x, y) == value;
    return n;
}

// The first differing pixel, as text, for failure messages ("" when equal).
inline std::string FirstDifference(CxDrawSurface& a, CxDrawSurface& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return "sizes differ";
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        for (int32_t x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y))
            {
                char text[128];
                snprintf(text, sizeof(text), "(%d, %d): 0x%X vs 0x%X", x, y, a.GetPixel(x, y),
                         b.GetPixel(x, y));
                return text;
            }
    return "";
}

} // namespace surface_test
