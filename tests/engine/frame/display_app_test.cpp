#include "engine/frame/display_app.h"

#include "engine/graphics/cursor.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/screen.h"
#include "engine/graphics/sprite.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {
class CKeySprite : public CxSprite
{
public:
    void OnKeyDown(uint32_t key, uint32_t) override { m_Keys.push_back(key); }
    std::vector<uint32_t> m_Keys;
};

// Records when the window and the screen are made and given up.
class CWindowJournalApp : public CTestApp
{
public:
    using CTestApp::CTestApp;
    uint32_t CreateAppWindow(const CxRect& rect) override
    {
        m_Journal.Add("CreateAppWindow");
        return CTestApp::CreateAppWindow(rect);
    }
    void DestroyAppWindow() override
    {
        m_Journal.Add("DestroyAppWindow");
        CTestApp::DestroyAppWindow();
    }
    uint32_t CreateScreen(int32_t width, int32_t height, uint32_t bitsPerPixel) override
    {
        m_Journal.Add("CreateScreen " + std::to_string(width) + "x" + std::to_string(height));
        return CTestApp::CreateScreen(width, height, bitsPerPixel);
    }
    void DestroyScreen() override
    {
        if (m_pScreen)
            m_Journal.Add("DestroyScreen");
        CTestApp::DestroyScreen();
    }
};

// A background of one colour over the whole 640 x 480 area and a small
// sprite of another, as a room shows them.
struct ST_PICTURE
{
    ST_PICTURE()
    {
        auto* back = new CxDrawSurface(640, 480, 16);
        back->FillRect(nullptr, 0x0042);
        background.SetImage(back, 1);
        background.SetDepth(100);
        background.Create(0, 0, 640, 480);
        background.MoveTo(0, 0);
        auto* image = new CxDrawSurface(10, 10, 16);
        image->FillRect(nullptr, 0x1234);
        sprite.SetImage(image, 1);
        sprite.SetDepth(0);
        sprite.Create(0, 0, 10, 10);
        sprite.MoveTo(300, 200);
    }
    CxSprite background;
    CxSprite sprite;
};

class DisplayAppTest : public testing::Test
{
protected:
    void Start(const char* options = "")
    {
        app = std::make_unique<CWindowJournalApp>(options);
        StartTestApp(*app);
    }
    void TearDown() override
    {
        if (!app)
            return;
        StopTestApp(*app);
    }
    void Pump()
    {
        for (int i = 0; i < 8; ++i)
            app->PumpMessage();
    }

    std::unique_ptr<CTestApp> app;
};
} // namespace

TEST_F(DisplayAppTest, ActivationMakesTheWindowedScreenEvenWhenFullScreenIsAsked)
{
    // The dummy display has no full screen: the request falls back to the window.
    Start("[Engine]\nUseDirectDraw=1\n");
    ASSERT_NE(app->GetScreen(), nullptr);
    EXPECT_NE(dynamic_cast<CxDibScreen*>(app->GetScreen()), nullptr);
    EXPECT_FALSE(app->GetState() & STATE_DIRECTDRAW_SCREEN);
    EXPECT_EQ(app->GetError(), CX_ERR_NONE);
    ASSERT_NE(CxDisplayObject::GetRoot(), nullptr);
    EXPECT_EQ(CxDisplayObject::GetRoot()->GetSize(), CxSize(640, 480));
}

TEST_F(DisplayAppTest, EveryPassPaintsTheDirtyRectanglesIntoTheScreen)
{
    Start();
    ST_PICTURE picture; // the root paints nothing itself: a room-like background lies behind
    Pump();
    CxDrawSurface* screen = app->GetScreen()->GetDrawSurface();
    EXPECT_EQ(screen->GetPixel(305, 205), 0x1234u);
    EXPECT_TRUE(CxDisplayObject::GetDirtyRects().IsEmpty());
    picture.sprite.Hide();
    Pump();
    EXPECT_EQ(screen->GetPixel(305, 205), 0x0042u);
}

TEST_F(DisplayAppTest, KeysGoToTheFocusHolder)
{
    Start();
    CKeySprite sprite;
    sprite.Create(0, 0, 1, 1);
    sprite.SetFocus();
    CxInjectKey(CX_VK_F1, true);
    Pump();
    EXPECT_EQ(sprite.m_Keys, std::vector<uint32_t>{CX_KEY_F1});
}

namespace {
class DisplayAppFont : public testing::Test
{
protected:
    void SetUp() override { RemoveAllFonts(); }
    void TearDown() override { RemoveAllFonts(); }
};

// Bounding box of the pixels holding value.
CxRect BoxOf(CxDrawSurface& s, uint32_t value, int32_t* count)
{
    CxRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    *count = 0;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            if (s.GetPixel(x, y) == value)
            {
                ++*count;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}
} // namespace

TEST_F(DisplayAppFont, CreateBuildsTheDefaultFontAndDestroyFreesIt)
{
    CTestApp app;
    app.Create();
    EXPECT_NE(nullptr, FindFont(CX_FONT_ID_DEFAULT));
    app.PreDestroy();
    app.Destroy();
    EXPECT_EQ(nullptr, FindFont(CX_FONT_ID_DEFAULT));
}

TEST_F(DisplayAppFont, DiscPromptIsCentredTextOnTheBackground)
{
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    CxDrawSurface screen(640, 480, 8);
    screen.FillRect(nullptr, 7);
    CxDisplayApp::DrawDiscPrompt(&screen, "Rumbo");
    int32_t text = 0;
    int32_t background = 0;
    const CxRect box = BoxOf(screen, 255, &text);
    BoxOf(screen, 252, &background);
    EXPECT_EQ(640 * 480, text + background) << "only the two prompt colours remain";
    EXPECT_GT(text, 200);
    // "Please insert the Rumbo CD, or hit the Escape key to quit." is 59
    // glyphs of 8 pixels on one line of 12.
    const int32_t width = 59 * 8;
    EXPECT_GE(box.left, (640 - width) / 2);
    EXPECT_LE(box.right, (640 - width) / 2 + width - 1);
    EXPECT_LE(box.Width(), width);
    EXPECT_GE(box.top, (480 - 12) / 2);
    EXPECT_LE(box.bottom, (480 - 12) / 2 + 11);
    // Roughly symmetric: the glyphs' own margins are at most two pixels.
    EXPECT_LE(std::abs((box.left - 0) - (639 - box.right)), 4);
    // A long name wraps inside a small screen.
    CxDrawSurface small(320, 240, 8);
    CxDisplayApp::DrawDiscPrompt(&small, "Very Long Application Name");
    const CxRect wrapped = BoxOf(small, 255, &text);
    EXPECT_GE(wrapped.left, 16);
    EXPECT_LE(wrapped.right, 320 - 17);
    EXPECT_GT(wrapped.Height(), 12) << "more than one line";
}

TEST_F(DisplayAppFont, PromptIsCopiedOntoASixteenBitScreenInItsColours)
{
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    CxDrawSurface screen(320, 200, 16, nullptr, CX_PF_565);
    screen.FillRect(nullptr, 0x1234);
    ASSERT_EQ(CX_ERR_NONE, CxDisplayApp::CopyDiscPromptTo(&screen, "Rumbo"));
    CxDrawSurface palette(1, 1, 8);
    const uint8_t* rgb = palette.GetPalette();
    const uint32_t background = screen.MakeColor(rgb[252 * 3], rgb[252 * 3 + 1], rgb[252 * 3 + 2]);
    const uint32_t text = screen.MakeColor(rgb[255 * 3], rgb[255 * 3 + 1], rgb[255 * 3 + 2]);
    ASSERT_NE(background, text);
    int32_t textPixels = 0;
    int32_t backgroundPixels = 0;
    BoxOf(screen, text, &textPixels);
    BoxOf(screen, background, &backgroundPixels);
    EXPECT_EQ(320 * 200, textPixels + backgroundPixels);
    EXPECT_GT(textPixels, 200);
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, CxDisplayApp::CopyDiscPromptTo(nullptr, "Rumbo"));
}

TEST_F(DisplayAppTest, PointerLeavingTheWindowHidesTheEngineCursorUntilItReturns)
{
    Start();
    EXPECT_EQ(GetCursorHideCount(), 0);
    app->WindowProc(CX_WM_NCMOUSEMOVE, 0, 0);
    EXPECT_EQ(GetCursorHideCount(), 1);
    app->WindowProc(CX_WM_NCMOUSEMOVE, 0, 0);
    EXPECT_EQ(GetCursorHideCount(), 1) << "hidden once";
    app->WindowProc(CX_WM_MOUSEMOVE, 0, CxMakePointParam(5, 5));
    EXPECT_EQ(GetCursorHideCount(), 0);
}

TEST_F(DisplayAppTest, ScaledWindowKeepsTheDrawingAreaAndMapsTheMouse)
{
    Start("[Engine]\nWindowScale=2\n");
    CxRect client;
    ASSERT_TRUE(GetPlatformClientRect(&client));
    EXPECT_EQ(client.Width(), 1280);
    EXPECT_EQ(client.Height(), 960);
    EXPECT_EQ(app->GetClientWidth(), 640);
    ASSERT_NE(app->GetScreen(), nullptr);
    EXPECT_EQ(app->GetScreen()->GetDrawSurface()->GetWidth(), 640);
    EXPECT_EQ(MapWindowToLogical(1279, 959), CxPoint(639, 479));
    app->m_Mouse.clear();
    CxInjectMouseMotion(300, 200);
    Pump();
    ASSERT_FALSE(app->m_Mouse.empty());
    EXPECT_EQ(app->m_Mouse.back(), "move@300,200");
}

TEST_F(DisplayAppTest, DefaultScaleIsTheLargestThatFitsTheDesktop)
{
    Start();
    CxRect area;
    ASSERT_TRUE(GetDesktopWorkArea(&area));
    const int32_t fit = std::min(area.Width() / 640, area.Height() / 480);
    CxRect client;
    ASSERT_TRUE(GetPlatformClientRect(&client));
    EXPECT_EQ(client.Width(), 640 * std::max(fit, 1));
}

TEST_F(DisplayAppTest, AltEnterIsTakenByTheFullScreenSwitch)
{
    Start();
    app->m_Keys.clear();
    CxInjectKey(CX_VK_MENU, true, CX_MOD_ALT);
    CxInjectKey(CX_VK_RETURN, true, CX_MOD_ALT);
    Pump();
    // The dummy display cannot go full screen: the window stays as it was.
    EXPECT_FALSE(app->GetState() & STATE_DIRECTDRAW_SCREEN);
    for (uint32_t key : app->m_Keys)
        EXPECT_NE(key & 0xFF, static_cast<uint32_t>(CX_VK_RETURN)) << "no key call for Alt+Enter";
    ASSERT_NE(app->GetScreen(), nullptr);
    EXPECT_EQ(app->GetScreen()->GetDrawSurface()->GetWidth(), 640);
}
