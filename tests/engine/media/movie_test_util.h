// Movie files for the movie tests, made by our Smacker encoder: frame k of a
// w x h movie has pixel (x, y) = (x + 3y + 7k) & 0xFF, with a palette whose
// entries survive the file's 6-bit components, so every pixel that comes
// back can be checked exactly in 8-bit and in both 16-bit formats.
#pragma once

#include "engine/graphics/draw_surface.h"
#include "engine/media/movie.h"
#include "tests/support/test_support.h"
#include "tools/smk/smk_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace movie_test {
// Counts the ends a movie reports, and remembers the movie.
class CEndCounter : public CxMovieListener
{
public:
    void OnMovieEnd(CxMovie* movie) override
    {
        ++m_nCalls;
        m_pMovie = movie;
    }
    int m_nCalls = 0;
    CxMovie* m_pMovie = nullptr;
};

inline std::vector<uint8_t> SixBitPalette()
{
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 256; ++i)
    {
        const int r = i % 64, g = 63 - i % 64, b = (i / 4) % 64;
        palette[i * 3] = static_cast<uint8_t>((r << 2) | (r >> 4));
        palette[i * 3 + 1] = static_cast<uint8_t>((g << 2) | (g >> 4));
        palette[i * 3 + 2] = static_cast<uint8_t>((b << 2) | (b >> 4));
    }
    return palette;
}

inline uint8_t PixelOf(int32_t x, int32_t y, int32_t k)
{
    return static_cast<uint8_t>(x + 3 * y + 7 * k);
}

inline std::vector<uint8_t> Frame(int32_t w, int32_t h, int32_t k)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * w + x] = PixelOf(x, y, k);
    return pixels;
}

// The raw 16-bit value of palette entry index in format (5-5-5 or 5-6-5), from the palette's own bytes.
inline uint32_t Expected16(uint8_t index, uint8_t format)
{
    static const std::vector<uint8_t> palette = SixBitPalette();
    const uint32_t r = palette[index * 3], g = palette[index * 3 + 1], b = palette[index * 3 + 2];
    if (format == CX_PF_565)
        return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    return (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
}

// A movie of frames made by Frame(), with one sound track per entry of tracks (track 0 first); a ring
// frame makes it loop.
inline std::vector<uint8_t> MakeMovie(int32_t w, int32_t h, int32_t frames, uint32_t fps = 10,
                                      const std::vector<ST_SMK_AUDIO>& tracks = {}, bool ring = false)
{
    CxSmackerEncoder encoder;
    EXPECT_EQ(encoder.Begin(w, h, fps), CX_ERR_NONE);
    const std::vector<uint8_t> palette = SixBitPalette();
    for (int32_t k = 0; k < frames; ++k)
        encoder.AddFrame(Frame(w, h, k).data(), palette.data());
    for (size_t track = 0; track < tracks.size(); ++track)
    {
        EXPECT_EQ(encoder.SetAudioTrack(static_cast<int32_t>(track), tracks[track]), CX_ERR_NONE);
    }
    encoder.SetRingFrame(ring);
    std::vector<uint8_t> file;
    EXPECT_EQ(encoder.Finish(&file), CX_ERR_NONE);
    return file;
}

inline std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Whether the surface holds frame k of a w x h movie at (0, 0), in its own depth and format.
inline bool Holds(CxDrawSurface& surface, int32_t w, int32_t h, int32_t k)
{
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
        {
            const uint8_t index = PixelOf(x, y, k);
            const uint32_t expected =
                surface.GetDepth() == 8 ? index : Expected16(index, surface.GetPixelFormat());
            if (surface.GetPixel(x, y) != expected)
                return false;
        }
    return true;
}

// The frame (0..frames-1) the surface holds, or -1.
inline int32_t FrameShown(CxDrawSurface& surface, int32_t w, int32_t h, int32_t frames)
{
    for (int32_t k = 0; k < frames; ++k)
        if (Holds(surface, w, h, k))
            return k;
    return -1;
}
} // namespace movie_test
