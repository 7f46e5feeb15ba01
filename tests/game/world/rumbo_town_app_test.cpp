#include "game/world/rumbo_town_app.h"

#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/image_filter.h"
#include "game/world/base_window.h"
#include "game/world/town.h"
#include "tests/game/world/profile_test_support.h"
#include "tests/game/world/town_test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {
// Registered filters of an extension, through GetImageFilter or GetFontFilter.
template <class Get>
size_t CountFilters(Get get, uint32_t slots, const char* extension)
{
    size_t n = 0;
    for (uint32_t i = 0; i < slots; ++i)
        n += get(i) && strcasecmp(get(i)->szExtension, extension) == 0;
    return n;
}

class RumboTownAppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        UnregisterImageFilter("*");
        UnregisterFontFilter("*");
        WriteCursors(dir);
    }
    // Magenta-keyed cursor pictures, written with the engine's own writer
    // (registered for the writing only).
    static void WriteCursors(const TempDir& install)
    {
        RegisterStandardImageFilters();
        mkdir(install.File("COMMON").c_str(), 0755);
        for (const char* name : {"COMMON/arrwcur.tga", "COMMON/targcur.tga"})
        {
            CxDrawSurface image(32, 32, 32);
            image.FillRect(nullptr, image.MakeColor(255, 0, 255));
            ASSERT_EQ(image.Save(install.File(name).c_str()), CX_ERR_NONE);
        }
        UnregisterImageFilter("*");
    }
    void TearDown() override { CBaseWindow::SetFadePlayer(previousFade); }
    std::string Profile() const { return dir.File("rumbo.pxu"); }

    PFN_PLAY_FADE previousFade = nullptr;
    TempDir dir;
    ErrorCapture capture;
};
} // namespace

TEST_F(RumboTownAppTest, StartUpRegistersCursorsReadsOptionsAndEntersTheTown)
{
    CTownTestApp app(dir.Path(), "[Options]\nStopOnHud=1\nEnableCheatKeys=1\n");
    app.GetInterpolator().AddConstant("LEFTOVER", "x");
    app.Start();
    EXPECT_EQ(app.GetInterpolator().FindVariable("LEFTOVER"), nullptr);
    EXPECT_EQ(app.m_nStartErrors, 0u);
    EXPECT_EQ(app.GetStopOnHud(), 1);
    EXPECT_EQ(app.GetCheatKeys(), 1);
    EXPECT_EQ(GetCursorShape(), RUMBO_CURSOR_ARROW);
    EXPECT_NE(GetCurrentCursorImage(), nullptr);
    SetCursorShape(RUMBO_CURSOR_TARGET);
    EXPECT_NE(GetCurrentCursorImage(), nullptr);

    // Rooms 0..2 are there, 3 is none; the town comes first.
    EXPECT_NE(app.GetRoom(RUMBO_ROOM_LOGIN), nullptr);
    EXPECT_NE(app.GetRoom(RUMBO_ROOM_PRINTING), nullptr);
    EXPECT_EQ(app.GetRoom(3), nullptr);
    app.OnIdle();
    EXPECT_EQ(app.GetCurRoomID(), RUMBO_ROOM_TOWN);
    EXPECT_NE(dynamic_cast<CTown*>(app.GetCurRoom()), nullptr);
    app.Stop();
    EXPECT_TRUE(capture.Errors().empty()) << capture.Errors()[0].text;
}

// Progress in record 0 survives the exit: the rooms are deleted only after the save.
TEST_F(RumboTownAppTest, ExitKeepsProgress)
{
    for (bool skipPreDestroy : {false, true})
    {
        CTownTestApp app(dir.Path());
        app.Start();
        app.SetFireLevel(skipPreDestroy ? 3 : 2);
        app.SetCompletedFlag(0x1FF);
        app.OnIdle();
        if (skipPreDestroy) // a cycle ended by an error dialog
            app.Destroy();
        else
            app.Stop();
        UserProfile loaded[USER_PROFILE_COUNT] = {};
        CUserProfileFile file(Profile().c_str());
        ASSERT_EQ(file.Load(loaded, nullptr), CX_ERR_NONE);
        EXPECT_EQ(loaded[0].level[USER_FIRE], skipPreDestroy ? 3 : 2);
        EXPECT_EQ(loaded[0].title[USER_FIRE], skipPreDestroy ? 2 : 1);
        EXPECT_EQ(loaded[0].completed, 0x3FFu);
    }
    // A cycle that ends before Create loaded anything writes nothing.
    const std::string before = TempDir::Read(Profile());
    {
        CTownTestApp app(dir.Path());
        app.Destroy();
    }
    EXPECT_EQ(TempDir::Read(Profile()), before);
    EXPECT_TRUE(capture.Errors().empty());
}

TEST_F(RumboTownAppTest, AnUnreadableProfileIsReportedOnceAndTheGamePlaysOn)
{
    dir.Write("rumbo.pxu", "this is no profile");
    CTownTestApp app(dir.Path());
    app.Start();
    EXPECT_EQ(app.m_nStartErrors, 1u);
    EXPECT_EQ(GetLastErrorCode(), USER_FILE_ERROR);
    EXPECT_EQ(app.GetExitCode(), CX_ERR_NONE) << "not the program's error: the main loop runs";
    app.SetDropLevel(4);
    app.Stop();
    EXPECT_EQ(TempDir::Read(Profile()), "this is no profile");
}

TEST_F(RumboTownAppTest, ARestartCycleLeavesOneRegistryEntryPerKind)
{
    CTownTestApp app(dir.Path());
    for (int cycle = 0; cycle < 2; ++cycle)
    {
        app.Start();
        for (const char* kind : {".TGA", ".QEX", ".PCX", ".BMP"})
            EXPECT_EQ(CountFilters(GetImageFilter, CX_IMAGE_FILTER_COUNT, kind), 1u)
                << kind << " cycle " << cycle;
        EXPECT_EQ(CountFilters(GetFontFilter, CX_FONT_FILTER_COUNT, ".PCX"), 1u);
        EXPECT_EQ(CountCursorImages(), 2);
        app.Stop();
        EXPECT_EQ(CountFilters(GetImageFilter, CX_IMAGE_FILTER_COUNT, ".TGA"), 0u);
        EXPECT_EQ(CountFilters(GetFontFilter, CX_FONT_FILTER_COUNT, ".PCX"), 0u);
    }
}

TEST_F(RumboTownAppTest, ActivationPausesTheRoomAndKeepsOnlyARealVolume)
{
    CTownTestApp app(dir.Path());
    app.Start();
    app.OnIdle();
    CxGameWindow* town = app.GetCurRoom();
    ASSERT_NE(town, nullptr);
    app.OnDeactivate();
    EXPECT_EQ(town->GetPauseCount(), 0) << "inactive from the start: nothing to do";
    app.OnActivate();
    EXPECT_TRUE(app.IsActive());
    EXPECT_EQ(town->GetPauseCount(), 0);
    app.OnDeactivate();
    app.OnDeactivate();
    EXPECT_FALSE(app.IsActive());
    EXPECT_EQ(town->GetPauseCount(), 1);
    // Without a sound device the volume reads -1, which is not kept.
    EXPECT_GE(app.GetSavedVolume(), 0);
    app.OnActivate();
    app.OnActivate();
    EXPECT_EQ(town->GetPauseCount(), 0);

    // Commands: unknown names, missing and non-numeric channels are ignored.
    for (const char* name : {"flushaudiochannel", "FlushAudioChannel", "FLUSHALLAUDIOCHANNELS", "Other"})
        for (const char* channel : {"", "abc", "2", "3x"})
        {
            CxLinkedList<CxString> args;
            if (*channel)
                args.AddTail(CxString(channel));
            app.HandleCommand(CxString(name), args);
        }
    app.Stop();
}

namespace {
CxSaveStep s_StopAt = CX_SAVE_STEP_COUNT;
bool StopAt(CxSaveStep step, const char*)
{
    return step == s_StopAt;
}
} // namespace

// The exit save stopped after each of its steps, as by a crash: the next
// start finds a complete profile (the old or the new one).
TEST_F(RumboTownAppTest, AnExitSaveCutShortLeavesAProfileTheNextStartLoads)
{
    for (int step = CX_SAVE_WRITTEN; step < CX_SAVE_STEP_COUNT; ++step)
    {
        TempDir install;
        WriteCursors(install);
        // Twice, so that there also is a backup; then cut short.
        for (int32_t level : {1, 2, 7})
        {
            CTownTestApp app(install.Path());
            app.Start();
            app.SetRaceLevel(level);
            s_StopAt = level == 7 ? static_cast<CxSaveStep>(step) : CX_SAVE_STEP_COUNT;
            CxSaveStepHook previous = SetSaveStepHook(StopAt);
            app.Stop();
            SetSaveStepHook(previous);
        }
        capture.Clear();
        SetSaveStepHook(nullptr);
        CTownTestApp app(install.Path());
        app.Start();
        EXPECT_EQ(app.m_nStartErrors, 0u) << "step " << step;
        const int32_t level = app.GetLevel(USER_RACE);
        EXPECT_EQ(level, step == CX_SAVE_RENAMED ? 7 : 2) << "step " << step;
        app.Stop();
    }
}
