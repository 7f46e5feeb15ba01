// ZSoft PCX: the run-length rows, the palette at the end and the bounds of
// the data.
#include "engine/graphics/image_files.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

namespace {
using namespace image_test;

Bytes Header(int16_t xMax, int16_t yMax, uint8_t bits, uint8_t planes, uint16_t lineBytes)
{
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = bits;
    PutLe16(b, 8, static_cast<uint16_t>(xMax));
    PutLe16(b, 10, static_cast<uint16_t>(yMax));
    b[65] = planes;
    PutLe16(b, 66, lineBytes);
    return b;
}

TEST(PcxLoad, RunsLiteralsAndThePaletteAtTheEnd)
{
    ErrorCapture quiet(0);
    Bytes file = Header(3, 1, 8, 1, 4);
    // Row 0: a run of 3 sevens and a literal 5; row 1: a run of 0 (nothing),
    // then the value 0xC1 as a run of one, and literals 1 2 3.
    file.insert(file.end(), {0xC3, 7, 5, 0xC0, 9, 0xC1, 0xC1, 1, 2, 3});
    file.push_back(0x0C);
    for (int i = 0; i < 768; ++i)
        file.push_back(static_cast<uint8_t>(255 - i % 256));
    CxDrawSurface surface;
    ASSERT_EQ(0u, LoadPcx(&surface, file.data(), static_cast<uint32_t>(file.size()), "small"));
    EXPECT_EQ(4, surface.GetWidth());
    EXPECT_EQ(2, surface.GetHeight());
    EXPECT_EQ((std::vector<uint32_t>{7, 7, 7, 5, 0xC1, 1, 2, 3}), RawPixels(surface));
    EXPECT_EQ(255, surface.GetPalette()[0]);
    EXPECT_EQ(254, surface.GetPalette()[1]);
}

TEST(PcxLoad, HeaderChecksAndDataEndingEarly)
{
    ErrorCapture errors(0);
    Bytes file = Header(1, 1, 8, 1, 2);
    file.resize(file.size() + 8, 1);
    file[0] = 11;
    CxDrawSurface a;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE,
              LoadPcx(&a, file.data(), static_cast<uint32_t>(file.size()), "x.pcx"));
    EXPECT_EQ("Invalid PCX file: x.pcx", LastError());
    CxDrawSurface b;
    EXPECT_EQ(CX_ERR_UNKNOWN, LoadPcx(&b, file.data(), 100, "x.pcx"));
    EXPECT_EQ("Could not read ST_PCX_HEADER", LastError());

    const Bytes bad[] = {
        Header(-5, 1, 8, 1, 2),            // x max below x min
        Header(3, 1, 8, 1, 2),             // lines shorter than the pixels
        Header(3, 1, 3, 1, 4),             // no 3-bit surfaces
        Header(30000, 30000, 8, 1, 30002), // far more pixels than the data could give
    };
    for (const Bytes& header : bad)
    {
        Bytes f = header;
        f.resize(f.size() + 64, 0x41);
        CxDrawSurface s;
        EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, LoadPcx(&s, f.data(), static_cast<uint32_t>(f.size()), "bad"));
        EXPECT_FALSE(s.IsCreated());
    }
    // Data ending early fails as the decoder does.
    Bytes early = Header(9, 9, 8, 1, 10);
    early.insert(early.end(), {0xC5, 1, 2, 3});
    CxDrawSurface surface;
    EXPECT_EQ(CX_ERR_UNKNOWN, LoadPcx(&surface, early.data(), static_cast<uint32_t>(early.size()), "short"));
    EXPECT_EQ("PCXDecompress() failed!", LastError());
    early.back() = 0xC4; // a run whose value byte is missing
    CxDrawSurface other;
    EXPECT_EQ(CX_ERR_UNKNOWN, LoadPcx(&other, early.data(), static_cast<uint32_t>(early.size()), "short"));
}

} // namespace
