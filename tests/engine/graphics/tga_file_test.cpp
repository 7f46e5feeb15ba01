// Truevision Targa: raw and run-length files, the four origins, colour maps
// and malformed headers.
#include "engine/graphics/image_files.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

namespace {
using namespace image_test;

// An 18-byte header for a true-colour image of width x height at bits.
Bytes Header(uint8_t type, uint32_t width, uint32_t height, uint8_t bits, uint8_t descriptor)
{
    Bytes b(18, 0);
    b[2] = type;
    PutLe16(b, 12, width);
    PutLe16(b, 14, height);
    b[16] = bits;
    b[17] = descriptor;
    return b;
}

// 2 x 2, 8 bits, raw: file rows 1 2 / 3 4.
Bytes TwoByTwo(uint8_t descriptor)
{
    Bytes b = Header(2, 2, 2, 8, descriptor);
    b.insert(b.end(), {1, 2, 3, 4});
    return b;
}

TEST(TgaLoad, OriginCornersAreTurnedToTopLeftAndColourMapsAreRedGreenBlue)
{
    ErrorCapture quiet(0);
    const struct
    {
        uint8_t descriptor;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {0x00, {3, 4, 1, 2}}, // bottom left
        {0x10, {4, 3, 2, 1}}, // bottom right
        {0x20, {1, 2, 3, 4}}, // top left: as stored
        {0x30, {2, 1, 4, 3}}, // top right
        {0xC0, {1, 2, 3, 4}}, // other values: as stored
    };
    for (const auto& c : cases)
    {
        const Bytes file = TwoByTwo(c.descriptor);
        CxDrawSurface surface;
        ASSERT_EQ(0u, LoadTga(&surface, file.data(), static_cast<uint32_t>(file.size()), "corner"));
        EXPECT_EQ(c.pixels, RawPixels(surface)) << "descriptor " << int(c.descriptor);
    }
    Bytes mapped = Header(1, 1, 1, 8, 0x20);
    mapped[1] = 1;
    PutLe16(mapped, 3, 2); // first index 2
    PutLe16(mapped, 5, 1); // one entry
    mapped[7] = 24;
    mapped.insert(mapped.end(), {0x10, 0x20, 0x30, 2}); // blue, green, red; then pixel 2
    CxDrawSurface indexed;
    ASSERT_EQ(0u, LoadTga(&indexed, mapped.data(), static_cast<uint32_t>(mapped.size()), "map"));
    const uint8_t* palette = indexed.GetPalette();
    EXPECT_EQ(0x30, palette[6]);
    EXPECT_EQ(0x20, palette[7]);
    EXPECT_EQ(0x10, palette[8]);
    EXPECT_EQ(2u, indexed.GetPixel(0, 0));
}

TEST(TgaLoad, RunLengthPacketsAndTheirBounds)
{
    ErrorCapture errors(0);
    // 16-bit, 3 x 2: a run of 4 pixels 0x1234, then 2 literal pixels.
    Bytes file = Header(10, 3, 2, 16, 0x20);
    file.insert(file.end(), {0x83, 0x34, 0x12, 0x01, 0x11, 0x00, 0x22, 0x00});
    CxDrawSurface surface;
    ASSERT_EQ(0u, LoadTga(&surface, file.data(), static_cast<uint32_t>(file.size()), "rle"));
    EXPECT_EQ(CX_PF_555, surface.GetPixelFormat());
    EXPECT_EQ((std::vector<uint32_t>{0x1234, 0x1234, 0x1234, 0x1234, 0x11, 0x22}), RawPixels(surface));

    // A run longer than the image is cut at its end.
    Bytes longRun = Header(10, 2, 1, 8, 0x20);
    longRun.insert(longRun.end(), {0xFF, 0x09});
    CxDrawSurface clipped;
    ASSERT_EQ(0u, LoadTga(&clipped, longRun.data(), static_cast<uint32_t>(longRun.size()), "long run"));
    EXPECT_EQ((std::vector<uint32_t>{9, 9}), RawPixels(clipped));

    // Packets that end before the image is full.
    Bytes cut = Header(10, 4, 1, 8, 0x20);
    cut.insert(cut.end(), {0x03, 1, 2});
    CxDrawSurface truncated;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
              LoadTga(&truncated, cut.data(), static_cast<uint32_t>(cut.size()), "cut"));
    EXPECT_EQ("Truncated Targa data: cut", LastError());
}

TEST(TgaLoad, UnsupportedTypesAreNamedAndHeaderFieldsAreNotTrusted)
{
    ErrorCapture errors(0);
    Bytes grey = Header(3, 1, 1, 8, 0x20);
    grey.push_back(0);
    CxDrawSurface surface;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
              LoadTga(&surface, grey.data(), static_cast<uint32_t>(grey.size()), "g"));
    EXPECT_EQ("Unsupported Targa file type!", LastError());
    Bytes empty = Header(0, 0, 0, 0, 0);
    CxDrawSurface none;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
              LoadTga(&none, empty.data(), static_cast<uint32_t>(empty.size()), "e"));
    EXPECT_EQ("Targa file does not contain image data!", LastError());
    CxDrawSurface tiny;
    EXPECT_EQ(CX_ERR_UNKNOWN, LoadTga(&tiny, grey.data(), 10, "short"));
    EXPECT_EQ("Could not read TARGA header from buffer.", LastError());
    // Raw data shorter than the image.
    Bytes raw = Header(2, 200, 200, 32, 0x20);
    raw.resize(raw.size() + 100);
    CxDrawSurface a;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, LoadTga(&a, raw.data(), static_cast<uint32_t>(raw.size()), "raw"));
    EXPECT_FALSE(a.IsCreated());
    // A colour map that does not fit the palette.
    Bytes map = Header(1, 1, 1, 8, 0x20);
    map[1] = 1;
    PutLe16(map, 3, 250);
    PutLe16(map, 5, 10);
    map[7] = 24;
    map.resize(map.size() + 31);
    CxDrawSurface b;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, LoadTga(&b, map.data(), static_cast<uint32_t>(map.size()), "map"));
    // Run-length data that could never fill a huge image.
    Bytes rle = Header(10, 65535, 65535, 32, 0x20);
    rle.insert(rle.end(), {0xFF, 1, 2, 3, 4});
    CxDrawSurface c;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, LoadTga(&c, rle.data(), static_cast<uint32_t>(rle.size()), "rle"));
    EXPECT_FALSE(c.IsCreated());
    // Sub-byte pixels cannot be run-length coded.
    Bytes nibbles = Header(9, 4, 1, 4, 0x20);
    nibbles.insert(nibbles.end(), {0x80, 1});
    CxDrawSurface d;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
              LoadTga(&d, nibbles.data(), static_cast<uint32_t>(nibbles.size()), "4"));
}

TEST(TgaLoad, TruncatedRunLengthFilesFailCleanly)
{
    ErrorCapture quiet(0);
    Bytes rle = Header(10, 8, 8, 24, 0x00);
    for (int i = 0; i < 16; ++i)
        rle.insert(rle.end(), {0x83, static_cast<uint8_t>(i), 2, 3});
    LoadEveryPrefix(rle, LoadTga);
}
} // namespace
