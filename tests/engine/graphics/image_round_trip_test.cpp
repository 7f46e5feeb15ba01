// Every image writer against its loader at every depth it writes, and every
// prefix of the files it writes loaded under the sanitizers.
#include "engine/graphics/image_files.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
using namespace image_test;

struct Format
{
    const char* name;
    uint32_t (*write)(CxDrawSurface*, CxByteSink&);
    uint32_t (*load)(CxDrawSurface*, const uint8_t*, uint32_t, const char*);
    std::vector<int32_t> depths;
};

const Format kFormats[] = {
    {"bmp", WriteBmp, LoadBmp, {1, 4, 8, 16, 24, 32}},
    {"tga", WriteTga, LoadTga, {8, 16, 24, 32}},
    {"pcx", WritePcx, LoadPcx, {1, 4, 8}},
};

TEST(ImageRoundTrip, EveryWriterAgainstItsLoaderAtEveryDepth)
{
    ErrorCapture quiet(0);
    for (const Format& f : kFormats)
        for (int32_t depth : f.depths)
        {
            CxDrawSurface original(13, 5, depth);
            if (depth == 16)
                original.SetPixelFormat(CX_PF_555);
            FillPattern(original);
            uint8_t palette[768];
            for (int i = 0; i < 768; ++i)
                palette[i] = static_cast<uint8_t>(i * 7);
            if (depth <= 8)
                original.SetPalette(palette);
            const Bytes file = Write(original, f.write);
            CxDrawSurface loaded;
            ASSERT_EQ(0u, f.load(&loaded, file.data(), static_cast<uint32_t>(file.size()), "round"))
                << f.name << " " << depth;
            EXPECT_EQ(depth, loaded.GetDepth()) << f.name;
            EXPECT_EQ(RawPixels(original), RawPixels(loaded)) << f.name << " " << depth;
            if (depth == 16)
            {
                EXPECT_EQ(CX_PF_555, loaded.GetPixelFormat()) << f.name << ": 16-bit files are 5-5-5";
            }
            if (depth == 8)
            {
                EXPECT_EQ(0, memcmp(palette, loaded.GetPalette(), 768)) << f.name;
            }
        }
}

TEST(ImageRoundTrip, TruncatedFilesFailCleanly)
{
    ErrorCapture quiet(0);
    for (const Format& f : kFormats)
    {
        CxDrawSurface original(31, 9, f.depths.back());
        FillPattern(original);
        LoadEveryPrefix(Write(original, f.write), f.load);
    }
    CxDrawSurface surface(20, 6, 24);
    FillPattern(surface);
    for (uint8_t method : {0, 1, 5, 8})
    {
        CxByteSink sink;
        ASSERT_EQ(0u, WriteQex(&surface, sink, method));
        LoadEveryPrefix(Bytes(sink.GetData(), sink.GetData() + sink.GetSize()), LoadQex);
    }
}
} // namespace
