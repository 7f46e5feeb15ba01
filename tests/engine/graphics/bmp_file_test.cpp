// Windows bitmaps: writer and loader together, hand-made files for the
// layout rules, and malformed headers.
#include "engine/graphics/image_files.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

namespace {
using namespace image_test;

// A bottom-up 8-bit bitmap of 3 x 2 pixels: rows of 3 bytes padded to 4.
Bytes SmallBitmap()
{
    Bytes b(54 + 4 * 4 + 2 * 4, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutLe32(b, 2, static_cast<uint32_t>(b.size()));
    PutLe32(b, 10, 54 + 16);
    PutLe32(b, 14, 40);
    PutLe32(b, 18, 3);
    PutLe32(b, 22, 2);
    PutLe16(b, 26, 1);
    PutLe16(b, 28, 8);
    PutLe32(b, 46, 4); // four colours
    for (uint32_t i = 0; i < 4; ++i)
    {
        b[54 + 4 * i] = static_cast<uint8_t>(10 * i);     // blue
        b[54 + 4 * i + 1] = static_cast<uint8_t>(20 * i); // green
        b[54 + 4 * i + 2] = static_cast<uint8_t>(30 * i); // red
    }
    const uint8_t rows[8] = {1, 2, 3, 0xEE, 3, 2, 1, 0xEE}; // bottom row first
    std::copy(rows, rows + 8, b.begin() + 70);
    return b;
}

TEST(BmpLoad, BottomUpRowsArePackedAndTurned)
{
    ErrorCapture quiet(0);
    CxDrawSurface surface;
    const Bytes file = SmallBitmap();
    ASSERT_EQ(0u, LoadBmp(&surface, file.data(), static_cast<uint32_t>(file.size()), "small"));
    EXPECT_EQ(3, surface.GetWidth());
    EXPECT_EQ(2, surface.GetHeight());
    EXPECT_EQ(3, surface.GetPitch());
    EXPECT_EQ((std::vector<uint32_t>{3, 2, 1, 1, 2, 3}), RawPixels(surface));
    const uint8_t* palette = surface.GetPalette();
    EXPECT_EQ(90, palette[9]);  // red of entry 3
    EXPECT_EQ(60, palette[10]); // green
    EXPECT_EQ(30, palette[11]); // blue
    // A negative height means top-down rows.
    Bytes topDown = file;
    PutLe32(topDown, 22, static_cast<uint32_t>(-2));
    CxDrawSurface turned;
    ASSERT_EQ(0u, LoadBmp(&turned, topDown.data(), static_cast<uint32_t>(topDown.size()), "top"));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 3, 2, 1}), RawPixels(turned));
}

// The same picture with a longer information header (108 or 124 bytes) and
// a gap of unused bytes before the pixels, as image editors write it.
Bytes LongHeaderBitmap(uint32_t infoSize)
{
    const Bytes small = SmallBitmap();
    const uint32_t gap = 6;
    Bytes b(14 + infoSize + 16 + gap + 8, 0xAB);
    std::copy(small.begin(), small.begin() + 54, b.begin());
    std::fill(b.begin() + 54, b.begin() + 14 + infoSize, 0);
    PutLe32(b, 2, static_cast<uint32_t>(b.size()));
    PutLe32(b, 14, infoSize);
    PutLe32(b, 10, 14 + infoSize + 16 + gap);
    std::copy(small.begin() + 54, small.begin() + 70, b.begin() + 14 + infoSize);
    std::copy(small.begin() + 70, small.end(), b.end() - 8);
    return b;
}

TEST(BmpLoad, LongerHeadersPlaceThePaletteAfterThemAndThePixelsAtTheOffset)
{
    ErrorCapture quiet(0);
    for (uint32_t infoSize : {108u, 124u})
    {
        const Bytes file = LongHeaderBitmap(infoSize);
        CxDrawSurface surface;
        ASSERT_EQ(0u, LoadBmp(&surface, file.data(), static_cast<uint32_t>(file.size()), "long")) << infoSize;
        EXPECT_EQ((std::vector<uint32_t>{3, 2, 1, 1, 2, 3}), RawPixels(surface));
        EXPECT_EQ(90, surface.GetPalette()[9]);
        EXPECT_EQ(30, surface.GetPalette()[11]);

        // Pixels said to start inside the palette, or past the end, are refused.
        for (uint32_t offset : {14 + infoSize + 8, static_cast<uint32_t>(file.size()) - 4})
        {
            Bytes bad = file;
            PutLe32(bad, 10, offset);
            CxDrawSurface refused;
            EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
                      LoadBmp(&refused, bad.data(), static_cast<uint32_t>(bad.size()), "bad"))
                << infoSize << " at " << offset;
            EXPECT_FALSE(refused.IsCreated());
        }
    }
}

TEST(BmpLoad, EmptyAndForeignFilesAndUnsupportedDepthsAreRejected)
{
    ErrorCapture errors(0);
    CxDrawSurface surface;
    EXPECT_EQ(CX_ERR_UNKNOWN, LoadBmp(&surface, nullptr, 0, "empty"));
    EXPECT_EQ("Invalid buffer.", LastError());
    const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a'};
    CxDrawSurface other;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, LoadBmp(&other, gif, sizeof(gif), "gif"));
    EXPECT_EQ("Invalid BMP file. (4947)", LastError());
    CxDrawSurface twoBits(4, 4, 2);
    CxByteSink sink;
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, WriteBmp(&twoBits, sink));
}

TEST(BmpLoad, HeaderFieldsAreNotTrustedAndAnOversizedImageSizeIsClipped)
{
    ErrorCapture quiet(0);
    struct Case
    {
        size_t offset;
        uint32_t value;
        bool word;
    };
    const Case cases[] = {
        {18, 0x7FFFFFFF, false}, // width far beyond the data
        {22, 0x80000000, false}, // the most negative height
        {22, 40000, false},      // height beyond the data
        {28, 7, true},           // no such depth
        {46, 1000, false},       // more colours than a palette holds
        {46, 200, false},        // a palette longer than the file
        {30, 1, false},          // run-length compression
        {14, 108, false},        // a longer information header over a short one's palette
        {14, 64, false},         // an information header of no known version
    };
    for (const Case& c : cases)
    {
        Bytes file = SmallBitmap();
        if (c.word)
            PutLe16(file, c.offset, c.value);
        else
            PutLe32(file, c.offset, c.value);
        CxDrawSurface surface;
        EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
                  LoadBmp(&surface, file.data(), static_cast<uint32_t>(file.size()), "bad"))
            << "offset " << c.offset;
        EXPECT_FALSE(surface.IsCreated());
    }
    Bytes big = SmallBitmap();
    PutLe32(big, 34, 0x10000000);
    big.resize(big.size() + 64, 0x55); // extra bytes that must not land anywhere
    CxDrawSurface clipped;
    ASSERT_EQ(0u, LoadBmp(&clipped, big.data(), static_cast<uint32_t>(big.size()), "big field"));
    EXPECT_EQ((std::vector<uint32_t>{3, 2, 1, 1, 2, 3}), RawPixels(clipped));
}

} // namespace
