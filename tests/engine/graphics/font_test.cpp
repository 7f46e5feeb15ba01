#include "engine/graphics/font.h"

#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"
#include "engine/graphics/image_filter.h"
#include "font_test_util.h"
#include "surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace font_test;

namespace {
using BitmapFontBuild = FontTest;
using BitmapFontDraw = FontTest;
class FontRegistry : public FontTest
{
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        UnregisterFontFilter("*");
    }
    void TearDown() override
    {
        UnregisterFontFilter("*");
        UnregisterImageFilter("*");
        FontTest::TearDown();
    }
};

// A strip whose top row has separators at the given columns.
CxDrawSurface* StripWithSeparators(int32_t width, std::initializer_list<int32_t> columns)
{
    CxDrawSurface* image = new CxDrawSurface(width, 3, 8);
    image->FillRect(nullptr, INK);
    for (int32_t x : columns)
        image->SetPixel(x, 0, SEPARATOR);
    return image;
}
} // namespace

TEST_F(BitmapFontBuild, SeparatorsSplitTheStripIntoGlyphs)
{
    const struct
    {
        int32_t width;
        std::initializer_list<int32_t> separators;
        std::vector<int32_t> widths;
    } cases[] = {
        {20, {0, 6, 13}, {5, 6, 6}},
        {8, {0, 3, 4, 7}, {2, 0, 2, 0}}, // adjacent separators and one in the last column
    };
    for (const auto& c : cases)
    {
        CxBitmapFont font;
        ASSERT_EQ(CX_ERR_NONE, font.CreateFromSurface(StripWithSeparators(c.width, c.separators)));
        ASSERT_EQ(c.widths.size(), font.GetHeader().nCount);
        EXPECT_EQ(3, font.GetSize());
        EXPECT_EQ(10u, font.GetTransparentColor()) << "the default key";
        for (uint32_t code = 0; code < c.widths.size(); ++code)
            EXPECT_EQ(c.widths[code], font.GetCharWidth(code, 0)) << code;
        EXPECT_EQ(nullptr, font.FindChar(static_cast<uint32_t>(c.widths.size())));
    }
    const ST_FONT_CHAR* glyph = nullptr;
    CxBitmapFont font;
    font.CreateFromSurface(StripWithSeparators(20, {0, 6, 13}));
    ASSERT_NE(nullptr, glyph = font.FindChar(1));
    EXPECT_EQ(CxRect(7, 0, 12, 2), CxRect(glyph->left, glyph->top, glyph->right, glyph->bottom));
    EXPECT_EQ(1u, glyph->nCode);
    CxDrawSurface target(10, 10, 8);
    EXPECT_EQ(0, font.DrawChar(&target, 0, 0, 3, CX_FONT_OWN_COLORS, 0, CX_FONT_KEY_TRANSPARENT));
}

TEST_F(BitmapFontBuild, SeparatorColourAndKeyComeFromTheImage)
{
    // Colour 3 separates here; the 255 pixel is glyph content.
    CxDrawSurface* image = new CxDrawSurface(9, 2, 8);
    image->FillRect(nullptr, 255);
    image->SetPixel(0, 0, 3);
    image->SetPixel(4, 0, 3);
    image->SetTransparentColor(42);
    CxBitmapFont font;
    ASSERT_EQ(CX_ERR_NONE, font.CreateFromSurface(image));
    ASSERT_EQ(2u, font.GetHeader().nCount);
    EXPECT_EQ(3, font.GetCharWidth(0, 0));
    EXPECT_EQ(4, font.GetCharWidth(1, 0));
    EXPECT_EQ(42u, font.GetTransparentColor());
}

TEST_F(BitmapFontBuild, ImageWithoutPixelsIsRefused)
{
    ErrorCapture capture;
    CxBitmapFont font;
    EXPECT_NE(CX_ERR_NONE, font.CreateFromSurface(new CxDrawSurface()));
    EXPECT_EQ(nullptr, font.FindChar(0));
    CxDrawSurface target(4, 4, 8);
    EXPECT_EQ(0, font.DrawChar(&target, 0, 0, 0, CX_FONT_OWN_COLORS, 0, CX_FONT_KEY_TRANSPARENT));
}

namespace {
// The log's lines for the life of a scope (the debug settings with only the log listener on).
class LogLines : public CxLogListener
{
public:
    explicit LogLines(const std::string& logFile)
    {
        const std::string text = "[Engine.Debug]\nLogFile=0\nLogFileName=" + logFile + "\n";
        m_Options.Parse(text.data(), static_cast<uint32_t>(text.size()));
        StartDebug(m_Options);
        m_pPrevious = SetLogListener(this);
    }
    ~LogLines() override
    {
        SetLogListener(m_pPrevious);
        StopDebug();
    }
    void OnLog(const char* text) override { m_Lines.push_back(text); }
    size_t Count(const std::string& part) const
    {
        size_t n = 0;
        for (const std::string& line : m_Lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> m_Lines;

private:
    CxOptions m_Options;
    CxLogListener* m_pPrevious = nullptr;
};
} // namespace

TEST_F(BitmapFontDraw, MissingGlyphIsLoggedOncePerFontAndCharacterAndNeverCounted)
{
    TempDir dir;
    LogLines log(dir.File("fonts.log"));
    CxFont* font = MakeFixedFont(60, 3, 4);
    font->SetId(7);
    CxFont* other = MakeFixedFont(60, 3, 4);
    other->SetId(8);
    CxDrawSurface target(40, 20, 8);
    target.FillRect(nullptr, 1);
    ErrorCapture capture;
    const uint32_t counted = GetErrorCount();
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(0, font->DrawChar(&target, 0, 0, 65, 5, 0, CX_FONT_KEY_TRANSPARENT));
        EXPECT_EQ(0, font->DrawChar(&target, 0, 0, 0xE9, 5, 0, CX_FONT_KEY_TRANSPARENT));
        EXPECT_EQ(0, other->DrawChar(&target, 0, 0, 65, 5, 0, CX_FONT_KEY_TRANSPARENT));
    }
    // A player's name with accented letters, drawn through the text routine, many times.
    for (int i = 0; i < 4; ++i)
        DrawText(&target, CxRect(0, 0, 39, 19), 5, "\xC9lo\xEFse \xE9", 0, 0, font);
    EXPECT_TRUE(capture.Errors().empty()) << capture.Errors()[0].text;
    EXPECT_EQ(counted, GetErrorCount()) << "three missing letters must not end the main loop";
    EXPECT_EQ(1u, log.Count("font 7 has no glyph for character 65"));
    EXPECT_EQ(1u, log.Count("font 7 has no glyph for character 233"));
    EXPECT_EQ(1u, log.Count("font 8 has no glyph for character 65"));
    EXPECT_EQ(1u, log.Count("font 7 has no glyph for character 201"));
    EXPECT_EQ(1u, log.Count("font 7 has no glyph for character 239"));
    // Font 7 lacks A, é, É, l, o, ï, s and e; font 8 lacks A: one line each.
    EXPECT_EQ(9u, log.Count("nLetter not found in this font"));
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, font->GetError()) << "the code stays in the font";
    // Nothing of the missing letters is drawn; the glyphs the font has still draw.
    target.FillRect(nullptr, 1);
    EXPECT_EQ(0, font->DrawChar(&target, 0, 0, 65, 5, 0, CX_FONT_KEY_TRANSPARENT));
    EXPECT_LT(ChangedBox(target, 1).right, 0);
    EXPECT_EQ(3, font->DrawChar(&target, 0, 0, 59, 5, 0, CX_FONT_KEY_TRANSPARENT));
}

TEST_F(BitmapFontDraw, NullSurfacesAreReportedOwnColoursKeyNoneAndSilhouette)
{
    CxFont* font = MakeFixedFont(2, 3, 4);
    ErrorCapture capture;
    EXPECT_EQ(0, font->DrawChar(nullptr, 0, 0, 1, 5, 0, CX_FONT_KEY_TRANSPARENT));
    ASSERT_EQ(1u, capture.Errors().size());
    EXPECT_EQ("Can't render to a null surface", capture.Errors()[0].text);
    CxFont* shape = MakeFixedFont(1, 3, 4);
    CxDrawSurface target(8, 8, 8);
    target.FillRect(nullptr, 1);
    EXPECT_EQ(3, shape->DrawChar(&target, 2, 1, 0, CX_FONT_OWN_COLORS, 0, CX_FONT_KEY_TRANSPARENT));
    EXPECT_EQ(INK, target.GetPixel(2, 1));
    EXPECT_EQ(1u, target.GetPixel(4, 1)) << "the glyph's paper pixel is skipped";
    EXPECT_EQ(CxRect(2, 1, 4, 4), ChangedBox(target, 1));
    // Without a key every pixel is copied.
    shape->DrawChar(&target, 2, 1, 0, CX_FONT_OWN_COLORS, 0, CX_COLOR_NONE);
    EXPECT_EQ(PAPER, target.GetPixel(4, 1));
    // A colour draws the silhouette: 11 of the 12 pixels.
    target.FillRect(nullptr, 1);
    shape->DrawChar(&target, 0, 0, 0, 200, 0, CX_FONT_KEY_TRANSPARENT);
    EXPECT_EQ(1u, target.GetPixel(2, 0));
    EXPECT_EQ(11, surface_test::CountValue(target, 200));
}

TEST_F(BitmapFontDraw, SizeScalesTheGlyphAndTruncatesWidths)
{
    CxFont* font = MakeFixedFont(1, 3, 4);
    CxDrawSurface target(20, 20, 8);
    target.FillRect(nullptr, 1);
    EXPECT_EQ(6, font->DrawChar(&target, 1, 2, 0, 9, 8, CX_FONT_KEY_TRANSPARENT));
    EXPECT_EQ(CxRect(1, 2, 6, 9), ChangedBox(target, 1));
    // The paper pixel became a 2 x 2 block.
    EXPECT_EQ(1u, target.GetPixel(5, 2));
    EXPECT_EQ(1u, target.GetPixel(6, 3));
    EXPECT_EQ(9u, target.GetPixel(6, 4));
    CxFont* wide = MakeFixedFont(1, 5, 4);
    EXPECT_EQ(5, wide->GetCharWidth(0, 0));
    EXPECT_EQ(5, wide->GetCharWidth(0, 4));
    EXPECT_EQ(7, wide->GetCharWidth(0, 6)); // 7.5
    EXPECT_EQ(2, wide->GetCharWidth(0, 2)); // 2.5
    CxDrawSurface big(20, 20, 8);
    EXPECT_EQ(7, wide->DrawChar(&big, 0, 0, 0, 9, 6, CX_FONT_KEY_TRANSPARENT));
    EXPECT_EQ(0, wide->GetCharWidth(1, 0)); // no glyph
    // Absurd sizes stay within what a surface can hold.
    EXPECT_EQ(32767, wide->GetCharWidth(0, INT32_MAX));
    EXPECT_EQ(32767, wide->DrawChar(&big, 0, 0, 0, 9, INT32_MAX, CX_FONT_KEY_TRANSPARENT));
}

TEST_F(BitmapFontDraw, TextWidthSumsGlyphsAndSkipsControls)
{
    CxDrawSurface* image = MakeStrip({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 4);
    CxFont* font = nullptr;
    ASSERT_EQ(CX_ERR_NONE, CreateFontFromSurface(image, &font));
    // Codes 9 (tab), 10 (line feed) and 13 (carriage return) have glyphs, yet take no space.
    EXPECT_EQ(2 + 3 + 4, font->GetTextWidth("\x01\x02\x03", 0));
    EXPECT_EQ(font->GetTextWidth("\x01\x02", 0), font->GetTextWidth("\x01\t\r\n\x02", 0));
    EXPECT_EQ(2 * (2 + 3), font->GetTextWidth("\x01\x02", 8));
    EXPECT_EQ(0, font->GetTextWidth("", 0));
    EXPECT_EQ(0, font->GetTextWidth(nullptr, 0));
}

TEST_F(FontRegistry, ExtensionNeedsThePeriodAndLoadNeedsAFilterWithALoader)
{
    ErrorCapture capture;
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, RegisterFontFilter("qex", LoadBitmapFontFile));
    ASSERT_EQ(1u, capture.Errors().size());
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, capture.Errors()[0].code);
    EXPECT_EQ("Extension MUST include the period as in '.ttf'", capture.Errors()[0].text);
    EXPECT_EQ('\0', GetFontFilter(0)->szExtension[0]);
    capture.Clear();
    CxFont* font = reinterpret_cast<CxFont*>(1);
    EXPECT_EQ(CX_ERR_UNKNOWN, LoadFont("hud.qex", &font));
    EXPECT_EQ(nullptr, font);
    RegisterFontFilter(".QEX", nullptr);
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, LoadFont("hud.qex", &font));
    ASSERT_EQ(2u, capture.Errors().size());
    EXPECT_EQ(CX_ERR_UNKNOWN, capture.Errors()[0].code);
    EXPECT_EQ("No font file filter registered for 'hud.qex'", capture.Errors()[0].text);
    EXPECT_EQ("No Load function registered for 'hud.qex'", capture.Errors()[1].text);
    EXPECT_EQ(0u, GetFontCount());
}

TEST_F(FontRegistry, FullTableIgnoresFurtherEntriesAndFreedEntriesAreReused)
{
    ErrorCapture capture;
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(CX_ERR_NONE, RegisterFontFilter((".F" + std::to_string(i)).c_str(), LoadBitmapFontFile));
    EXPECT_TRUE(capture.Errors().empty());
    EXPECT_EQ(nullptr, GetFontFilter(10));
    UnregisterFontFilter(".F1;.F3");
    RegisterFontFilter(".NEW", nullptr);
    EXPECT_STREQ(".NEW", GetFontFilter(1)->szExtension);
    EXPECT_EQ('\0', GetFontFilter(3)->szExtension[0]);
}

TEST_F(FontRegistry, LoadFontReadsAnImageFileThroughTheFilters)
{
    TempDir dir;
    CxDrawSurface* strip = MakeStrip({2, 3, 4}, 5);
    const std::string path = dir.File("Big.BMP");
    ASSERT_EQ(CX_ERR_NONE, SaveImageFile(strip, path.c_str(), 0));
    delete strip;
    RegisterStandardImageFilters();
    RegisterFontFilter(".qex", LoadBitmapFontFile);
    RegisterFontFilter(".bmp", LoadBitmapFontFile);

    CxFont* font = nullptr;
    ASSERT_EQ(CX_ERR_NONE, LoadFont(path.c_str(), &font));
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(1u, GetFontCount());
    EXPECT_EQ(5, font->GetSize());
    EXPECT_EQ(2, font->GetCharWidth(0, 0));
    EXPECT_EQ(3 + 4, font->GetTextWidth("\x01\x02", 0));
}

TEST_F(FontRegistry, FindAndRemoveById)
{
    CxFont* first = MakeFixedFont(1, 2, 3);
    CxFont* second = MakeFixedFont(1, 2, 3);
    first->SetId(7);
    second->SetId(7);
    EXPECT_EQ(first, FindFont(7));
    EXPECT_EQ(nullptr, FindFont(8));
    EXPECT_TRUE(RemoveFont(7));
    EXPECT_EQ(second, FindFont(7));
    EXPECT_EQ(1u, GetFontCount());
    EXPECT_FALSE(RemoveFont(8));

    // -1 is whatever font carries the default identifier.
    EXPECT_EQ(nullptr, FindFont(CX_FONT_ID_DEFAULT));
    second->SetId(GetDefaultFontId());
    EXPECT_EQ(second, FindFont(CX_FONT_ID_DEFAULT));
    EXPECT_TRUE(RemoveFont(CX_FONT_ID_DEFAULT));
    EXPECT_EQ(0u, GetFontCount());
    CxFont* listed = nullptr;
    ASSERT_EQ(CX_ERR_NONE, CreateFontFromSurface(MakeStrip({4}, 6), &listed));
    ASSERT_NE(nullptr, listed);
    EXPECT_EQ(1u, GetFontCount());

    ErrorCapture capture;
    CxFont* broken = reinterpret_cast<CxFont*>(1);
    EXPECT_NE(CX_ERR_NONE, CreateFontFromSurface(new CxDrawSurface(), &broken));
    EXPECT_EQ(nullptr, broken);
    EXPECT_EQ(1u, GetFontCount());
}
