// The image filter registry and CxDrawSurface::Load/Save going through it.
#include "engine/graphics/image_filter.h"

#include "engine/base/cx_string.h"
#include "engine/core/error.h"
#include "engine/graphics/draw_surface.h"
#include "tests/engine/graphics/surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string s_LastMessage;
std::string s_LoadedName;

int32_t RecordError(uint32_t, const char* text)
{
    s_LastMessage = text;
    return 0;
}

uint32_t FakeLoad(CxDrawSurface* surface, const char* fileName, int32_t)
{
    s_LoadedName = fileName;
    return surface->CreateSurface(2, 2, 8);
}

uint32_t FailingLoad(CxDrawSurface*, const char*, int32_t)
{
    return CX_ERR_INVALID_FILE_TYPE;
}

class ImageFilterRegistry : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pOld = SetErrorHandler(RecordError);
        UnregisterImageFilter("*");
        s_LastMessage.clear();
        s_LoadedName.clear();
    }
    void TearDown() override
    {
        UnregisterImageFilter("*");
        SetErrorHandler(m_pOld);
    }

    CxErrorHandler m_pOld = nullptr;
};

TEST_F(ImageFilterRegistry, ExtensionsNeedTheirPeriodAndSaveUsesTheirFirstOccurrence)
{
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, RegisterImageFilter("bmp", FakeLoad, nullptr));
    EXPECT_EQ("Extension MUST include the period as in '.pcx'", s_LastMessage);
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, RegisterImageFilter(".toolong", FakeLoad, nullptr));
    EXPECT_EQ('\0', GetImageFilter(0)->szExtension[0]);
    RegisterImageFilter(".BMP", nullptr, FakeLoad);
    EXPECT_NE(nullptr, FindImageFilterForSave("a.Bmp"));
    // The extension appears earlier in the name, so the tail from there is not it.
    EXPECT_EQ(nullptr, FindImageFilterForSave("a.bmp.bmp"));
}

TEST_F(ImageFilterRegistry, LoadMatchesTheEndOfTheNameInAnyCaseAndUnregisterTakesWildcards)
{
    RegisterImageFilter(".BMP", FakeLoad, nullptr);
    CxDrawSurface surface;
    EXPECT_EQ(0u, surface.Load("art/title.bmp"));
    EXPECT_EQ("art/title.bmp", s_LoadedName);
    CxString name;
    surface.GetName(name);
    EXPECT_STREQ("art/title.bmp", name.c_str());

    CxDrawSurface other;
    EXPECT_EQ(CX_ERR_UNKNOWN, other.Load("notes.bmp.txt"));
    EXPECT_EQ("No image filter registered for 'notes.bmp.txt'", s_LastMessage);
    UnregisterImageFilter("*");
    RegisterImageFilter(".TGA", FakeLoad, nullptr);
    RegisterImageFilter(".QEX", FakeLoad, nullptr);
    RegisterImageFilter(".PCX", FakeLoad, nullptr);
    RegisterImageFilter(".BMP", FakeLoad, nullptr);
    EXPECT_EQ(0u, UnregisterImageFilter("*.b*;.t?a"));
    EXPECT_EQ(nullptr, FindImageFilterForLoad("a.bmp"));
    EXPECT_EQ(nullptr, FindImageFilterForLoad("a.tga"));
    EXPECT_NE(nullptr, FindImageFilterForLoad("a.qex"));
    // A freed entry is reused by the next registration.
    RegisterImageFilter(".JPG", FakeLoad, nullptr);
    EXPECT_STREQ(".JPG", GetImageFilter(0)->szExtension);
    // A full table ignores further entries.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(0u, RegisterImageFilter((".E" + std::to_string(i)).c_str(), FakeLoad, nullptr));
    EXPECT_EQ(nullptr, FindImageFilterForLoad("a.e19"));
}

TEST_F(ImageFilterRegistry, StandardFiltersSaveAndLoadBackTheSamePixels)
{
    RegisterStandardImageFilters();
    const uint8_t oldDefault = CxDrawSurface::GetDefaultFormat16();
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    CxDrawSurface picture;
    ASSERT_EQ(0u, picture.CreateSurface(5, 3, 16));
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            picture.SetPixel(x, y, static_cast<uint32_t>(0x0841 * (x + 5 * y)));
    TempDir dir;
    for (const char* name : {"a.QEX", "b.tga", "c.bmp"})
    {
        const std::string path = dir.File(name);
        ASSERT_EQ(0u, picture.Save(path.c_str(), 3)) << name;
        CxDrawSurface loaded;
        ASSERT_EQ(0u, loaded.Load(path.c_str())) << name;
        EXPECT_EQ(surface_test::FirstDifference(picture, loaded), "") << name;
    }
    CxDrawSurface::SetDefaultFormat16(oldDefault);
}

TEST_F(ImageFilterRegistry, MissingFunctionsAndLoaderFailuresAreReported)
{
    RegisterImageFilter(".QEX", nullptr, nullptr);
    CxDrawSurface surface;
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, surface.Load("a.qex"));
    EXPECT_EQ("No Load function registered for '.QEX'", s_LastMessage);
    CxDrawSurface saved;
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, saved.Save("b.QEX"));
    EXPECT_EQ("No Save function registered for '.QEX'", s_LastMessage);
    CxDrawSurface none;
    EXPECT_EQ(CX_ERR_UNKNOWN, none.Save("b.png"));
    EXPECT_EQ("No image filter registered for 'b.png'", s_LastMessage);
    RegisterImageFilter(".TGA", FailingLoad, nullptr);
    CxDrawSurface failed;
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, failed.Load("x.tga"));
    EXPECT_EQ(CX_ERR_INVALID_FILE_TYPE, failed.GetError());
    CxString name;
    failed.GetName(name);
    EXPECT_TRUE(name.IsEmpty());
}

} // namespace
