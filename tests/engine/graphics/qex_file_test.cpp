// The engine bitmap: every compression method, both header sizes, the CRC
// check and the size fields that must agree with the file.
#include "engine/graphics/image_files.h"

#include "engine/graphics/crc.h"
#include "engine/graphics/decompress.h"
#include "image_test_util.h"

#include <gtest/gtest.h>

namespace {
using namespace image_test;

Bytes WriteWith(CxDrawSurface& surface, uint8_t method, bool longHeader = false)
{
    CxByteSink sink;
    EXPECT_EQ(0u, WriteQex(&surface, sink, method, longHeader));
    return Bytes(sink.GetData(), sink.GetData() + sink.GetSize());
}

TEST(QexLoad, EveryMethodRoundTrips)
{
    ErrorCapture quiet(0);
    CxDrawSurface original(64, 20, 16, nullptr, CX_PF_565);
    FillPattern(original);
    for (uint8_t method = 0; method <= 12; ++method)
    {
        const Bytes file = WriteWith(original, method);
        EXPECT_EQ(method, file[32]);
        CxDrawSurface loaded;
        ASSERT_EQ(0u, LoadQex(&loaded, file.data(), static_cast<uint32_t>(file.size()), "q")) << int(method);
        EXPECT_EQ(CX_PF_565, loaded.GetPixelFormat());
        EXPECT_EQ(RawPixels(original), RawPixels(loaded)) << "method " << int(method);
    }
}

TEST(QexLoad, WordRunLengthPadsOddPixelBlocksToWholeWords)
{
    // 8-bit images of odd width and odd height: the pixel block has an odd
    // number of bytes, which 16-bit words cannot hold without a pad byte.
    ErrorCapture errors(0);
    const struct
    {
        int32_t width, height;
        uint32_t filePitch;
    } cases[] = {{37, 5, 38}, {37, 1, 38}, {1, 3, 2}, {37, 4, 37}, {38, 5, 38}};
    for (const auto& c : cases)
    {
        CxDrawSurface original(c.width, c.height, 8);
        FillPattern(original);
        const Bytes file = WriteWith(original, CX_COMPRESS_RLE16);
        ASSERT_GE(file.size(), 44u);
        EXPECT_EQ(c.filePitch, ReadLe32(file.data() + 28)) << c.width << "x" << c.height;
        EXPECT_EQ(0u, ReadLe32(file.data() + 8) % 2) << "a whole number of words";
        CxDrawSurface loaded;
        ASSERT_EQ(0u, LoadQex(&loaded, file.data(), static_cast<uint32_t>(file.size()), "odd.qex"))
            << c.width << "x" << c.height;
        EXPECT_EQ(c.width, loaded.GetWidth());
        EXPECT_EQ(RawPixels(original), RawPixels(loaded)) << c.width << "x" << c.height;
    }
}

TEST(QexLoad, HeaderLayoutAndPaletteSizeFollowingDepthAndHeader)
{
    ErrorCapture quiet(0);
    CxDrawSurface surface(3, 2, 8);
    surface.SetPixel(2, 1, 9);
    const Bytes file = WriteWith(surface, 0);
    ASSERT_EQ(44u + 768u + 6u, file.size());
    EXPECT_EQ((Bytes{0xD6, 0xC7, 0xB8, 0xA9, 0x2C, 0, 0, 0, 6, 0, 0, 0, 6, 0, 0, 0}),
              Bytes(file.begin(), file.begin() + 16));
    EXPECT_EQ(ComputeCrc(file.data() + 812, 6, 0), ReadLe32(file.data() + 16));
    EXPECT_EQ(3u, ReadLe32(file.data() + 20));
    EXPECT_EQ(2u, ReadLe32(file.data() + 24));
    EXPECT_EQ(3u, ReadLe32(file.data() + 28));
    EXPECT_EQ(8, file[33]);
    EXPECT_EQ(Bytes(9, 0), Bytes(file.begin() + 35, file.begin() + 44));
    CxDrawSurface four(5, 3, 4);
    FillPattern(four);
    uint8_t palette[768] = {};
    for (int i = 0; i < 48; ++i)
        palette[i] = static_cast<uint8_t>(100 + i);
    four.SetPalette(palette);
    const Bytes shortHeader = WriteWith(four, 1);
    EXPECT_EQ(44u + 48u, shortHeader.size() - ReadLe32(shortHeader.data() + 12));
    CxDrawSurface loaded;
    ASSERT_EQ(0u, LoadQex(&loaded, shortHeader.data(), static_cast<uint32_t>(shortHeader.size()), "4"));
    EXPECT_EQ(0, memcmp(palette, loaded.GetPalette(), 48));
    EXPECT_EQ(RawPixels(four), RawPixels(loaded));

    // The long header keeps 768 palette bytes even at 16 bits, and skips them.
    CxDrawSurface wide(6, 4, 16, nullptr, CX_PF_555);
    FillPattern(wide);
    const Bytes longHeader = WriteWith(wide, 2, true);
    EXPECT_EQ(0x32Cu, ReadLe32(longHeader.data() + 4));
    EXPECT_EQ(812u, longHeader.size() - ReadLe32(longHeader.data() + 12));
    CxDrawSurface loadedWide;
    ASSERT_EQ(0u, LoadQex(&loadedWide, longHeader.data(), static_cast<uint32_t>(longHeader.size()), "16"));
    EXPECT_EQ(RawPixels(wide), RawPixels(loadedWide));
}

TEST(QexLoad, AlteredPixelsAndBrokenStreamsFailTheCrcCheck)
{
    ErrorCapture errors(0);
    CxDrawSurface surface(16, 16, 8);
    FillPattern(surface);
    Bytes file = WriteWith(surface, 0);
    file[file.size() - 5] ^= 0x01;
    CxDrawSurface loaded;
    EXPECT_EQ(CX_ERR_CRC, LoadQex(&loaded, file.data(), static_cast<uint32_t>(file.size()), "crc"));
    EXPECT_EQ("QEX Bitmap failed crc check", LastError());
    Bytes cut = WriteWith(surface, CX_COMPRESS_HUFFMAN);
    // Cut the stream and fix the compressed size so that only the data is wrong.
    cut.resize(cut.size() - 6);
    PutLe32(cut, 12, ReadLe32(cut.data() + 12) - 6);
    CxDrawSurface broken;
    EXPECT_NE(0u, LoadQex(&broken, cut.data(), static_cast<uint32_t>(cut.size()), "cut.qex"));
    EXPECT_EQ("QEX Bitmap failed crc check", LastError());
}

TEST(QexLoad, SizeFieldsMustAgreeWithTheFile)
{
    ErrorCapture errors(0);
    CxDrawSurface surface(10, 10, 16);
    FillPattern(surface);
    const Bytes good = WriteWith(surface, CX_COMPRESS_DEFLATE);
    auto load = [&](const Bytes& file) {
        CxDrawSurface s;
        const uint32_t result = LoadQex(&s, file.data(), static_cast<uint32_t>(file.size()), "f.qex");
        EXPECT_FALSE(s.IsCreated() && result == CX_ERR_INVALID_FILE_TYPE);
        return result;
    };

    Bytes magic = good;
    magic[0] = 0;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(magic));
    EXPECT_EQ("Invalid QEX file", LastError());
    Bytes header = good;
    PutLe32(header, 4, 45);
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(header));
    EXPECT_EQ("Invalid Header size for QEX bitmap", LastError());
    Bytes uncompressed = good;
    PutLe32(uncompressed, 8, 201);
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(uncompressed));
    EXPECT_EQ("Invalid uncompressed size for QEX bitmap", LastError());
    Bytes compressed = good;
    PutLe32(compressed, 12, ReadLe32(good.data() + 12) + 1);
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(compressed));
    EXPECT_EQ("Invalid compressed size for QEX bitmap: f.qex", LastError());
    // A huge image declared over a few bytes of data is refused before any allocation.
    Bytes huge = good;
    PutLe32(huge, 20, 30000);
    PutLe32(huge, 24, 30000);
    PutLe32(huge, 28, 60000);
    PutLe32(huge, 8, 30000u * 60000u);
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(huge));
    // A stored image whose data is not exactly its size.
    Bytes stored = good;
    stored[32] = 0;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(stored));
    Bytes narrow = good;
    PutLe32(narrow, 28, 10); // 10 bytes cannot hold 10 pixels of 16 bits
    PutLe32(narrow, 8, 100);
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, load(narrow));
    // An empty file loads nothing, without an error.
    CxDrawSurface empty;
    EXPECT_EQ(0u, LoadQex(&empty, nullptr, 0, "empty"));
    EXPECT_FALSE(empty.IsCreated());
}

} // namespace
