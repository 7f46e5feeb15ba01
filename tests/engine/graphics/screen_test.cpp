#include "engine/graphics/cursor.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/image_filter.h"
#include "engine/graphics/palette.h"
#include "engine/graphics/screen.h"
#include "engine/platform/presenter.h"
#include "engine/platform/window.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace {
// A 640 x 480 window on the dummy video driver, which writes every shown
// frame as a BMP into the working directory (a scratch one here).
class ScreenTest : public testing::Test
{
protected:
    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
        m_OldDir = cwd;
        ASSERT_EQ(chdir(m_Dir.Path().c_str()), 0);
        setenv("SDL_VIDEO_DUMMY_SAVE_FRAMES", "1", 1);
        ASSERT_TRUE(StartPlatformVideo());
        ASSERT_TRUE(CreatePlatformWindow("Screen Test", CxRect(0, 0, 639, 479), 0));
        FlushPlatformMessages();
        m_nOldFormat = CxDrawSurface::GetDefaultFormat16();
    }
    void TearDown() override
    {
        ShutdownCursor();
        ClosePresenter();
        StopPlatformVideo();
        unsetenv("SDL_VIDEO_DUMMY_SAVE_FRAMES");
        CxDrawSurface::SetDefaultFormat16(m_nOldFormat);
        ASSERT_EQ(chdir(m_OldDir.c_str()), 0);
    }

    void OpenScreen(CxDibScreen& screen)
    {
        ST_SCREEN_PARAMS params;
        ASSERT_EQ(screen.Open(params), CX_ERR_NONE);
        ASSERT_EQ(screen.CreateSurface(640, 480, 16), CX_ERR_NONE);
    }

    // The newest frame the driver saved, loaded as a surface.
    bool LastFrame(CxDrawSurface& frame)
    {
        std::string newest;
        for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
            if (entry.path().extension() == ".bmp" && entry.path().string() > newest)
                newest = entry.path().string();
        if (newest.empty())
            return false;
        RegisterStandardImageFilters();
        const bool ok = frame.Load(newest.c_str()) == CX_ERR_NONE;
        for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
            std::filesystem::remove(entry.path());
        return ok;
    }

    // The 8-bit channels of a 5-5-5 pixel reduced back to 5 bits each.
    static uint32_t As555(CxDrawSurface& s, int32_t x, int32_t y)
    {
        return (static_cast<uint32_t>(s.GetRed(x, y) >> 3) << 10) |
               (static_cast<uint32_t>(s.GetGreen(x, y) >> 3) << 5) | (s.GetBlue(x, y) >> 3);
    }

    TempDir m_Dir;
    std::string m_OldDir;
    uint8_t m_nOldFormat = 0;
};
} // namespace

TEST_F(ScreenTest, WindowedScreenWorksInFiveFiveFiveAndPadsRowsFullScreenCannotOpen)
{
    CxDibScreen screen;
    OpenScreen(screen);
    EXPECT_EQ(CxDrawSurface::GetDefaultFormat16(), CX_PF_555);
    EXPECT_EQ(screen.GetPixelFormat(), CX_PF_555);
    EXPECT_EQ(screen.GetPitch(), 1280);

    CxDibScreen odd;
    ASSERT_EQ(odd.CreateSurface(641, 10, 8), CX_ERR_NONE);
    EXPECT_EQ(odd.GetPitch(), 644);
    CxDirectDrawScreen fullScreen;
    ST_SCREEN_PARAMS params;
    EXPECT_NE(fullScreen.Open(params), CX_ERR_NONE);
    EXPECT_FALSE(IsPresenterFullScreen());
}

TEST_F(ScreenTest, PresentedFrameMatchesThePaintedSurfaceWithinTheGivenRectangle)
{
    CxDibScreen screen;
    OpenScreen(screen);
    for (int32_t y = 0; y < 480; ++y)
        for (int32_t x = 0; x < 640; ++x)
            screen.SetPixel(x, y, static_cast<uint32_t>((x * 7 + y * 13) & 0x7FFF));
    ASSERT_EQ(screen.Present(nullptr), CX_ERR_NONE);
    CxDrawSurface frame;
    ASSERT_TRUE(LastFrame(frame));
    ASSERT_EQ(frame.GetWidth(), 640);
    ASSERT_EQ(frame.GetHeight(), 480);
    int32_t differences = 0;
    for (int32_t y = 0; y < 480; y += 3)
        for (int32_t x = 0; x < 640; x += 3)
            differences += As555(frame, x, y) != screen.GetPixel(x, y);
    EXPECT_EQ(differences, 0);
    screen.FillRect(nullptr, 0);
    screen.Present(nullptr);
    const CxRect part(10, 10, 19, 19);
    screen.FillRect(nullptr, 0x7C00);
    screen.Present(&part);
    CxDrawSurface partFrame;
    ASSERT_TRUE(LastFrame(partFrame));
    EXPECT_EQ(As555(partFrame, 15, 15), 0x7C00u);
    EXPECT_EQ(As555(partFrame, 25, 25), 0u) << "outside the rectangle the window keeps the old picture";
    EXPECT_EQ(screen.GetLastPresentArea(), part);
    // An empty rectangle without a cursor shows nothing.
    const uint32_t presents = screen.GetPresentCount();
    const CxRect none(0, 0, -1, -1);
    screen.Present(&none);
    EXPECT_EQ(screen.GetPresentCount(), presents);
}

TEST_F(ScreenTest, CustomCursorIsShownButNotLeftInTheSurface)
{
    CxDibScreen screen;
    OpenScreen(screen);
    screen.FillRect(nullptr, 0x001F);
    auto* image = new CxDrawSurface(8, 8, 16, nullptr, CX_PF_555);
    image->FillRect(nullptr, 0x7FFF);
    image->SetPixel(0, 0, 0x1234);
    image->SetTransparentColor(0x1234);
    ASSERT_EQ(RegisterCursorImage(new CxCursorImage(image, 1, CxPoint(2, 2), CX_CURSOR_NORMAL)), CX_ERR_NONE);
    SetCustomCursor(true);
    SetCursorShape(CX_CURSOR_NORMAL);
    SetCursorPosition(CxPoint(100, 50));
    EXPECT_TRUE(CursorNeedsDrawing());
    const CxRect none(0, 0, -1, -1);
    screen.Present(&none);
    EXPECT_EQ(screen.GetLastPresentArea(), CxRect(98, 48, 105, 55));
    CxDrawSurface frame;
    ASSERT_TRUE(LastFrame(frame));
    EXPECT_EQ(As555(frame, 100, 50), 0x7FFFu);
    EXPECT_EQ(As555(frame, 98, 48), 0x001Fu) << "the key pixel lets the picture through";
    EXPECT_EQ(screen.GetPixel(100, 50), 0x001Fu) << "the surface keeps the picture under the cursor";
    EXPECT_FALSE(CursorNeedsDrawing());

    // Moving: the old area is copied out again, now without the cursor.
    SetCursorPosition(CxPoint(300, 200));
    screen.Present(&none);
    ASSERT_TRUE(LastFrame(frame));
    EXPECT_EQ(As555(frame, 100, 50), 0x001Fu);
    EXPECT_EQ(As555(frame, 300, 200), 0x7FFFu);

    // Hidden: only the dirty area (and the cursor's last area once) is copied.
    HideCustomCursor();
    screen.Present(&none);
    EXPECT_EQ(screen.GetLastPresentArea(), CxRect(298, 198, 305, 205));
    const CxRect part(0, 0, 9, 9);
    screen.Present(&part);
    EXPECT_EQ(screen.GetLastPresentArea(), part);
    ShowCustomCursor();
    ErrorCapture errors;
    EXPECT_EQ(RegisterCursorImage(nullptr), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(errors.Errors().size(), 1u);
}

TEST_F(ScreenTest, PaletteOfEightBitScreensIsAppliedAfterTheFirst)
{
    CxDibScreen screen;
    ST_SCREEN_PARAMS params;
    params.nBitsPerPixel = 8;
    ASSERT_EQ(screen.Open(params), CX_ERR_NONE);
    ASSERT_EQ(screen.CreateSurface(640, 480, 8), CX_ERR_NONE);
    screen.FillRect(nullptr, 200);
    uint8_t rgb[768] = {};
    rgb[200 * 3] = 255; // entry 200 red
    CxOSPalette red;
    red.SetEntries(rgb);
    screen.SetScreenPalette(&red); // only stored
    screen.SetScreenPalette(&red); // applied and shown
    CxDrawSurface frame;
    ASSERT_TRUE(LastFrame(frame));
    EXPECT_EQ(frame.GetRed(5, 5), 255);
    EXPECT_EQ(frame.GetGreen(5, 5), 0);
}

TEST_F(ScreenTest, PresenterKeepsTheAspectInAWiderWindow)
{
    CxDibScreen screen;
    OpenScreen(screen);
    SetPlatformWindowRect(CxRect(0, 0, 999, 479));
    screen.Present(nullptr);
    // 480 high fits; the picture is centred with bars of 180 on each side.
    EXPECT_EQ(GetPresenterViewport(), CxRect(180, 0, 819, 479));
    EXPECT_EQ(MapWindowToLogical(180, 0), CxPoint(0, 0));
    EXPECT_EQ(MapWindowToLogical(179, 0).x, -1) << "the bar lies left of the picture";
}

TEST_F(ScreenTest, CursorThreadStepShowsAMovedCursorUnlessTheFrameIsBusy)
{
    CxDibScreen screen;
    OpenScreen(screen);
    EXPECT_FALSE(screen.IsCursorThreadRunning()) << "no custom cursor at creation: no thread";
    auto* image = new CxDrawSurface(4, 4, 16, nullptr, CX_PF_555);
    image->FillRect(nullptr, 0x7FFF);
    RegisterCursorImage(new CxCursorImage(image, 1, CxPoint(0, 0), CX_CURSOR_NORMAL));
    SetCustomCursor(true);
    SetCursorShape(CX_CURSOR_NORMAL);
    SetCursorPosition(CxPoint(40, 40));

    // Another thread painting: the step does not wait and shows nothing.
    std::mutex gate;
    std::condition_variable changed;
    bool held = false;
    bool release = false;
    std::thread painter([&] {
        screen.LockFrame();
        std::unique_lock<std::mutex> lock(gate);
        held = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        screen.UnlockFrame();
    });
    {
        std::unique_lock<std::mutex> lock(gate);
        changed.wait(lock, [&] { return held; });
    }
    const uint32_t before = screen.GetPresentCount();
    screen.UpdateCursorFromThread();
    EXPECT_EQ(screen.GetPresentCount(), before);
    {
        std::lock_guard<std::mutex> lock(gate);
        release = true;
    }
    changed.notify_all();
    painter.join();

    screen.UpdateCursorFromThread();
    EXPECT_EQ(screen.GetPresentCount(), before + 1);
    EXPECT_EQ(screen.GetLastPresentArea(), CxRect(40, 40, 43, 43));
    // Not moved: nothing more to show.
    screen.UpdateCursorFromThread();
    EXPECT_EQ(screen.GetPresentCount(), before + 1);
}
