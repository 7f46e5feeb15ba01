#include "engine/graphics/draw_text.h"

#include "engine/graphics/draw_surface.h"
#include "font_test_util.h"
#include "surface_test_util.h"

#include <gtest/gtest.h>

using namespace font_test;

namespace {
constexpr uint32_t SCENE = 3;

// Counts the redraw requests a display object would turn into dirty areas.
class CountingText : public CxDrawText
{
public:
    int32_t m_nRedraws = 0;

protected:
    void RequestRedraw() override { ++m_nRedraws; }
};

class DrawTextObject : public FontTest
{
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        m_pFont = MakeFixedFont(128, 4, 6);
        m_Screen.FillRect(nullptr, SCENE);
        m_Text.SetFontObject(m_pFont);
        m_Text.SetRect(CxRect(10, 5, 39, 14)); // 30 x 10
        m_Text.SetColor(200);
        m_Text.SetFlags(0);
    }

    CxFont* m_pFont = nullptr;
    CxDrawSurface m_Screen{64, 32, 8};
    CountingText m_Text;
};
} // namespace

TEST_F(DrawTextObject, StartsWithItsDefaults)
{
    CxDrawText text;
    EXPECT_EQ(0x21u, text.GetFlags());
    EXPECT_EQ(33u, text.GetHitMask());
    EXPECT_EQ(CX_FONT_OWN_COLORS, text.GetColor());
    EXPECT_EQ(CX_COLOR_NONE, text.GetBackgroundColor());
    EXPECT_EQ(0, text.GetFontSize());
    EXPECT_EQ(CX_DRAW_TEXT_DEPTH_MASK, text.GetState() & CX_DRAW_TEXT_DEPTH_MASK);
    // Without a font nothing renders and nothing is painted.
    CxDrawSurface screen(8, 8, 8);
    screen.FillRect(nullptr, SCENE);
    text.SetRect(CxRect(0, 0, 7, 7));
    text.SetText("a");
    EXPECT_EQ(CX_ERR_NONE, text.Paint(&screen));
    EXPECT_TRUE(text.IsRenderNeeded());
    EXPECT_EQ(nullptr, text.GetImage());
}

TEST_F(DrawTextObject, TextIsDrawnInsideTheMargin)
{
    m_Text.SetText("ab");
    m_Text.Paint(&m_Screen);
    EXPECT_FALSE(m_Text.IsRenderNeeded());
    // See-through: the scene shows around the glyphs, which start 4 pixels in.
    EXPECT_EQ(CxRect(14, 5, 21, 10), ChangedBox(m_Screen, SCENE));
    ASSERT_NE(nullptr, m_Text.GetImage());
    EXPECT_EQ(30, m_Text.GetImage()->GetWidth());
    EXPECT_EQ(10, m_Text.GetImage()->GetHeight());
    EXPECT_EQ(8, m_Text.GetImage()->GetDepth());
}

TEST_F(DrawTextObject, ReRendersOnlyAfterAChange)
{
    m_Text.SetText("a");
    m_Text.Paint(&m_Screen);
    // The scene behind changes; the cached image still holds the old one.
    m_Screen.FillRect(nullptr, 4);
    m_Text.Paint(&m_Screen);
    EXPECT_EQ(SCENE, m_Screen.GetPixel(30, 12));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));

    // A change renders again over what lies behind now.
    m_Screen.FillRect(nullptr, 4);
    m_Text.SetText("b");
    EXPECT_TRUE(m_Text.IsRenderNeeded());
    m_Text.Paint(&m_Screen);
    EXPECT_EQ(4u, m_Screen.GetPixel(30, 12));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));
    EXPECT_FALSE(m_Text.IsRenderNeeded());
}

TEST_F(DrawTextObject, EveryLookChangeAsksForARender)
{
    m_Text.SetText("a");
    m_Text.Render(&m_Screen);
    const auto changes = {+[](CxDrawText& t) { t.SetColor(9); },
                          +[](CxDrawText& t) { t.SetFontSize(12); },
                          +[](CxDrawText& t) { t.SetFlags(CX_TEXT_CENTER); },
                          +[](CxDrawText& t) { t.SetBackgroundColor(5); },
                          +[](CxDrawText& t) { t.SetShadowColor(6); },
                          +[](CxDrawText& t) { t.SetFont(-1); },
                          +[](CxDrawText& t) { t.SetRect(CxRect(0, 0, 9, 9)); }};
    int32_t step = 0;
    for (auto change : changes)
    {
        change(m_Text);
        EXPECT_TRUE(m_Text.IsRenderNeeded()) << step;
        m_Text.SetFontObject(m_pFont);
        m_Text.Render(&m_Screen);
        EXPECT_FALSE(m_Text.IsRenderNeeded()) << step;
        ++step;
    }
}

TEST_F(DrawTextObject, SetTextAsksForARedraw)
{
    const int32_t before = m_Text.m_nRedraws;
    m_Text.SetText("abc");
    EXPECT_EQ(before + 1, m_Text.m_nRedraws);
    EXPECT_STREQ("abc", m_Text.GetText().c_str());
}

TEST_F(DrawTextObject, BackgroundColourFillsTheImage)
{
    m_Text.SetBackgroundColor(9);
    m_Text.SetText("a");
    m_Text.Paint(&m_Screen);
    EXPECT_EQ(CxRect(10, 5, 39, 14), ChangedBox(m_Screen, SCENE));
    EXPECT_EQ(9u, m_Screen.GetPixel(10, 5));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));
}

TEST_F(DrawTextObject, PartlyOffTheDestinationKeepsRendering)
{
    m_Text.SetRect(CxRect(50, 20, 79, 29));
    m_Text.SetText("a");
    m_Text.Paint(&m_Screen);
    EXPECT_TRUE(m_Text.IsRenderNeeded());
    EXPECT_EQ(200u, m_Screen.GetPixel(54, 20));
    // With an opaque background the copy is not needed.
    m_Text.SetBackgroundColor(9);
    m_Text.Paint(&m_Screen);
    EXPECT_FALSE(m_Text.IsRenderNeeded());
}

TEST_F(DrawTextObject, FixedDepthConvertsOnPaint)
{
    CxDrawSurface screen(64, 32, 16, nullptr, CX_PF_565);
    screen.FillRect(nullptr, 0x1234);
    m_Text.SetDepth(16);
    m_Text.SetBackgroundColor(0xFFFF);
    m_Text.SetText("a");
    m_Text.Paint(&screen);
    ASSERT_NE(nullptr, m_Text.GetImage());
    EXPECT_EQ(16, m_Text.GetImage()->GetDepth());
    EXPECT_EQ(0xFFFFu, screen.GetPixel(10, 5));
    EXPECT_EQ(200u, screen.GetPixel(14, 5)); // the silhouette colour is a raw value
    EXPECT_EQ(0x1234u, screen.GetPixel(9, 5));
}
