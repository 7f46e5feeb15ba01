// Helpers of the image file tests: files made in memory by the writers or
// byte by byte, and the text of the last captured error.
#pragma once

#include "engine/core/error.h"
#include "engine/graphics/byte_sink.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace image_test {
using Bytes = std::vector<uint8_t>;

// The text of the last captured report ("" when none).
inline std::string LastError()
{
    return ErrorCapture::s_Errors.empty() ? "" : ErrorCapture::s_Errors.back().text;
}

template <class Writer>
Bytes Write(CxDrawSurface& surface, Writer writer)
{
    CxByteSink sink;
    EXPECT_EQ(0u, writer(&surface, sink));
    return Bytes(sink.GetData(), sink.GetData() + sink.GetSize());
}

inline void PutLe16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLe32(Bytes& b, size_t at, uint32_t v)
{
    PutLe16(b, at, v & 0xFFFF);
    PutLe16(b, at + 2, v >> 16);
}

// Every raw pixel of the surface, row by row.
inline std::vector<uint32_t> RawPixels(CxDrawSurface& s)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            out.push_back(s.GetPixel(x, y));
    return out;
}

// Distinct values everywhere: (x, y) -> a pattern that fits the depth.
inline void FillPattern(CxDrawSurface& s)
{
    const int32_t depth = s.GetDepth();
    const uint32_t mask = depth >= 32 ? 0xFFFFFFu : ((1u << depth) - 1u);
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            s.SetPixel(x, y, (static_cast<uint32_t>(x * 7 + y * 131 + x * y) * 2654435761u >> 7) & mask);
}

// Every prefix of a file (and a few damaged copies) must load or fail
// without touching memory outside the buffers; the sanitizers watch.
template <class Loader>
void LoadEveryPrefix(const Bytes& file, Loader loader)
{
    for (size_t cut = 0; cut < file.size(); cut += 1 + cut / 8)
    {
        Bytes part(file.begin(), file.begin() + cut);
        CxDrawSurface surface;
        loader(&surface, part.empty() ? nullptr : part.data(), static_cast<uint32_t>(part.size()), "cut");
    }
}
} // namespace image_test
