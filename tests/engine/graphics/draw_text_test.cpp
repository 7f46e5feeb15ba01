#include "engine/graphics/draw_text.h"

#include "engine/graphics/draw_surface.h"
#include "font_test_util.h"
#include "surface_test_util.h"

#include <gtest/gtest.h>

using namespace font_test;

namespace {
constexpr uint32_t SCENE = 3;
constexpr uint32_t GHOST = 77;

// A text sprite on a 64 x 32 screen under the display root. The screen
// stands for the back buffer: a repaint of an area fills the scene there,
// then paints the tree, as the screen does.
class DrawTextObject : public FontTest
{
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(64, 32);
        m_pFont = MakeFixedFont(128, 4, 6);
        m_Screen.FillRect(nullptr, SCENE);
        m_Text.SetFontObject(m_pFont);
        m_Text.SetSize(30, 10);
        m_Text.SetColor(200);
        m_Text.SetTextFlags(0);
        m_Text.AttachTo(CxDisplayObject::GetRoot());
        m_Text.MoveTo(10, 5);
        CxDisplayObject::ClearDirtyRects();
    }
    void TearDown() override
    {
        m_Text.Detach();
        CxDisplayObject::DestroyRoot();
        FontTest::TearDown();
    }

    void Repaint(const CxRect& area, uint32_t scene = SCENE)
    {
        m_Screen.FillRect(&area, scene);
        CxDisplayObject::GetRoot()->Paint(&m_Screen, area);
    }
    void RepaintAll(uint32_t scene = SCENE) { Repaint(m_Screen.GetRect(), scene); }

    CxFont* m_pFont = nullptr;
    CxDrawSurface m_Screen{64, 32, 8};
    CxDrawText m_Text;
};
} // namespace

TEST_F(DrawTextObject, TextIsDrawnAtTheSpritesPlaceInsideTheMarginAndNeedsAFont)
{
    m_Text.SetText("ab");
    RepaintAll();
    EXPECT_FALSE(m_Text.IsRenderNeeded());
    // See-through: the scene shows around the glyphs, which start 4 pixels in.
    EXPECT_EQ(CxRect(14, 5, 21, 10), ChangedBox(m_Screen, SCENE));
    ASSERT_NE(nullptr, m_Text.GetImage());
    EXPECT_EQ(CxSize(30, 10), m_Text.GetImage()->GetSize());

    // Without a font nothing renders and nothing is painted.
    m_Text.Hide();
    CxDrawText text;
    text.SetSize(8, 8);
    text.SetText("a");
    text.AttachTo(CxDisplayObject::GetRoot());
    text.MoveTo(0, 0);
    RepaintAll();
    EXPECT_TRUE(text.IsRenderNeeded());
    EXPECT_EQ(nullptr, text.GetImage());
    EXPECT_TRUE(ChangedBox(m_Screen, SCENE).IsEmpty());
}

TEST_F(DrawTextObject, SetTextMarksTheAreaOnlyWhenShownAndRendersOnlyAfterAChange)
{
    m_Text.SetText("abc");
    ASSERT_FALSE(CxDisplayObject::GetDirtyRects().IsEmpty());
    EXPECT_EQ(CxRect(10, 5, 39, 14), CxDisplayObject::GetDirtyRects().GetHead()->m_Value);
    EXPECT_STREQ("abc", m_Text.GetText().c_str());

    m_Text.Hide();
    CxDisplayObject::ClearDirtyRects();
    m_Text.SetText("d");
    EXPECT_TRUE(CxDisplayObject::GetDirtyRects().IsEmpty());
    EXPECT_FALSE(m_Text.IsShown()) << "a change must not show a hidden text";

    // Shown again, the text renders only after a change.
    m_Text.MoveTo(10, 5);
    m_Text.SetText("a");
    RepaintAll();
    // The scene behind changes; the cached image still holds the old one.
    RepaintAll(4);
    EXPECT_EQ(SCENE, m_Screen.GetPixel(30, 12));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));

    // A change renders again over what lies behind now.
    m_Text.SetText("b");
    EXPECT_TRUE(m_Text.IsRenderNeeded());
    RepaintAll(4);
    EXPECT_EQ(4u, m_Screen.GetPixel(30, 12));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));
    EXPECT_FALSE(m_Text.IsRenderNeeded());
}

TEST_F(DrawTextObject, EveryLookChangeAsksForARender)
{
    m_Text.SetText("a");
    RepaintAll();
    const auto changes = {+[](CxDrawText& t) { t.SetColor(9); },
                          +[](CxDrawText& t) { t.SetFontSize(12); },
                          +[](CxDrawText& t) { t.SetTextFlags(CX_TEXT_CENTER); },
                          +[](CxDrawText& t) { t.SetBackgroundColor(5); },
                          +[](CxDrawText& t) { t.SetShadowColor(6); },
                          +[](CxDrawText& t) { t.SetFont(-1); },
                          +[](CxDrawText& t) { t.SetSize(20, 9); },
                          +[](CxDrawText& t) { t.SetImageDepth(8); }};
    int32_t step = 0;
    for (auto change : changes)
    {
        change(m_Text);
        EXPECT_TRUE(m_Text.IsRenderNeeded()) << step;
        m_Text.SetFontObject(m_pFont);
        RepaintAll();
        EXPECT_FALSE(m_Text.IsRenderNeeded()) << step;
        ++step;
    }
    EXPECT_EQ(20, m_Text.GetImage()->GetWidth()) << "a new size makes a new image";
}

TEST_F(DrawTextObject, APartialRepaintCopiesOnlyTheRepaintedBackground)
{
    // The back buffer still holds an older picture where the text lies.
    m_Text.SetText("a");
    m_Screen.FillRect(nullptr, GHOST);
    // Only the left half of the text is repainted: the right half of the
    // buffer is stale and must not become the text's background.
    Repaint(CxRect(0, 0, 24, 31));
    EXPECT_TRUE(m_Text.IsRenderNeeded());
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));
    EXPECT_EQ(SCENE, m_Screen.GetPixel(20, 12));
    EXPECT_EQ(GHOST, m_Screen.GetPixel(30, 12)) << "outside the repaint nothing is drawn";

    // Repainting the other half later shows the scene there, not the old picture.
    Repaint(CxRect(25, 0, 63, 31));
    EXPECT_EQ(SCENE, m_Screen.GetPixel(30, 12));
    EXPECT_EQ(SCENE, m_Screen.GetPixel(39, 14));
    // Every part was painted once with an up-to-date background, but no
    // single render saw the whole area, so the next full repaint renders again.
    EXPECT_TRUE(m_Text.IsRenderNeeded());
    RepaintAll();
    EXPECT_FALSE(m_Text.IsRenderNeeded());
}

TEST_F(DrawTextObject, MovingASeeThroughTextRendersAtTheNewPlace)
{
    m_Text.SetText("a");
    RepaintAll();
    // Something behind the new place differs from the old background.
    m_Text.MoveTo(10, 20);
    m_Screen.FillRect(nullptr, SCENE);
    const CxRect lower(0, 20, 63, 31);
    m_Screen.FillRect(&lower, 4);
    CxDisplayObject::GetRoot()->Paint(&m_Screen, m_Screen.GetRect());
    EXPECT_EQ(4u, m_Screen.GetPixel(30, 27));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 20));
    // An opaque text keeps its image wherever it goes.
    m_Text.SetBackgroundColor(9);
    RepaintAll();
    m_Text.MoveTo(10, 5);
    RepaintAll();
    EXPECT_FALSE(m_Text.IsRenderNeeded());
    EXPECT_EQ(9u, m_Screen.GetPixel(30, 12));
}

TEST_F(DrawTextObject, AnOpaqueBackgroundFillsTheImageAndNeedsNoCopyEvenPartlyOffTheScreen)
{
    m_Text.SetText("a");
    m_Text.MoveTo(50, 20);
    RepaintAll();
    EXPECT_TRUE(m_Text.IsRenderNeeded()) << "a see-through text partly off the screen keeps rendering";
    EXPECT_EQ(200u, m_Screen.GetPixel(54, 20));
    m_Text.SetBackgroundColor(9);
    RepaintAll();
    EXPECT_FALSE(m_Text.IsRenderNeeded());
    m_Text.MoveTo(10, 5);
    RepaintAll();
    EXPECT_EQ(CxRect(10, 5, 39, 14), ChangedBox(m_Screen, SCENE));
    EXPECT_EQ(9u, m_Screen.GetPixel(10, 5));
    EXPECT_EQ(200u, m_Screen.GetPixel(14, 5));
}

TEST_F(DrawTextObject, FixedDepthConvertsOnPaint)
{
    CxDrawSurface screen(64, 32, 16, nullptr, CX_PF_565);
    screen.FillRect(nullptr, 0x1234);
    m_Text.SetImageDepth(16);
    m_Text.SetBackgroundColor(0xFFFF);
    m_Text.SetText("a");
    CxDisplayObject::GetRoot()->Paint(&screen, screen.GetRect());
    ASSERT_NE(nullptr, m_Text.GetImage());
    EXPECT_EQ(16, m_Text.GetImage()->GetDepth());
    EXPECT_EQ(0xFFFFu, screen.GetPixel(10, 5));
    EXPECT_EQ(200u, screen.GetPixel(14, 5)); // the silhouette colour is a raw value
    EXPECT_EQ(0x1234u, screen.GetPixel(9, 5));
}
