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

#include <csignal>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
size_t CountImageFilters(const char* extension)
{
    size_t n = 0;
    for (uint32_t i = 0; i < CX_IMAGE_FILTER_COUNT; ++i)
        n += GetImageFilter(i) && strcasecmp(GetImageFilter(i)->szExtension, extension) == 0;
    return n;
}

size_t CountFontFilters(const char* extension)
{
    size_t n = 0;
    for (uint32_t i = 0; i < CX_FONT_FILTER_COUNT; ++i)
        n += GetFontFilter(i) && strcasecmp(GetFontFilter(i)->szExtension, extension) == 0;
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
        // Magenta-keyed cursor pictures, written with the engine's own writer.
        RegisterStandardImageFilters();
        mkdir(dir.File("COMMON").c_str(), 0755);
        for (const char* name : {"COMMON/arrwcur.tga", "COMMON/targcur.tga"})
        {
            CxDrawSurface image;
            ASSERT_EQ(image.CreateSurface(32, 32, 32), CX_ERR_NONE);
            image.FillRect(nullptr, image.MakeColor(255, 0, 255));
            ASSERT_EQ(image.Save(dir.File(name).c_str()), CX_ERR_NONE);
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
    EXPECT_STREQ(app.GetBuildDate(), "Jul 16 2003 18:00:34");
    app.GetInterpolator().AddConstant("LEFTOVER", "x");
    app.Start();
    EXPECT_EQ(app.GetInterpolator().FindVariable("LEFTOVER"), nullptr);
    EXPECT_EQ(app.m_nStartErrors, 0u);
    EXPECT_EQ(app.GetStopOnHud(), 1);
    EXPECT_EQ(app.GetCheatKeys(), 1);
    EXPECT_EQ(app.GetCurrentProfile(), 0);
    EXPECT_EQ(GetCursorShape(), RUMBO_CURSOR_ARROW);
    CxCursorImage* arrow = GetCurrentCursorImage();
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->m_ptHotSpot.x, 0);
    EXPECT_EQ(arrow->m_ptHotSpot.y, 1);
    EXPECT_EQ(arrow->m_pImage->GetTransparentColor(), arrow->m_pImage->MakeColor(255, 0, 255)) << "keyed";
    SetCursorShape(RUMBO_CURSOR_TARGET);
    ASSERT_NE(GetCurrentCursorImage(), nullptr);
    EXPECT_EQ(GetCurrentCursorImage()->m_ptHotSpot.x, 24);

    // Rooms 0..2 are there, 3 is none; the town comes first.
    EXPECT_NE(app.GetRoom(RUMBO_ROOM_LOGIN), nullptr);
    EXPECT_NE(app.GetRoom(RUMBO_ROOM_PRINTING), nullptr);
    EXPECT_EQ(app.GetRoom(3), nullptr);
    CxGameWindow* three = app.CreateRoom(3);
    EXPECT_EQ(three, nullptr);
    app.OnIdle();
    EXPECT_EQ(app.GetCurRoomID(), RUMBO_ROOM_TOWN);
    EXPECT_NE(dynamic_cast<CTown*>(app.GetCurRoom()), nullptr);
    app.Stop();
    EXPECT_TRUE(capture.Errors().empty()) << capture.Errors()[0].text;
}

TEST_F(RumboTownAppTest, FirstRunSavesBlankRecordsAndExitKeepsProgress)
{
    {
        CTownTestApp app(dir.Path());
        app.Start();
        app.Stop();
    }
    ExpectBlankProfileFile(Profile());

    // Progress in record 0 survives the exit: the rooms are deleted only after the save.
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
            EXPECT_EQ(CountImageFilters(kind), 1u) << kind << " cycle " << cycle;
        EXPECT_EQ(CountFontFilters(".PCX"), 1u);
        EXPECT_EQ(CountCursorImages(), 2);
        app.Stop();
        EXPECT_EQ(CountImageFilters(".TGA"), 0u);
        EXPECT_EQ(CountFontFilters(".PCX"), 0u);
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
    CxLinkedList<CxString> none, word, number, partly;
    word.AddTail(CxString("abc"));
    number.AddTail(CxString("2"));
    partly.AddTail(CxString("3x"));
    for (const char* name : {"flushaudiochannel", "FlushAudioChannel", "FLUSHALLAUDIOCHANNELS", "Other"})
        for (const auto* args : {&none, &word, &number, &partly})
            app.HandleCommand(CxString(name), *args);
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
        mkdir(install.File("COMMON").c_str(), 0755);
        for (const char* name : {"COMMON/arrwcur.tga", "COMMON/targcur.tga"})
            install.Write(name, TempDir::Read(dir.File(name)));
        {
            CTownTestApp app(install.Path());
            app.Start();
            app.SetRaceLevel(1);
            app.Stop();
            // Once more, so that there also is a backup.
            app.Start();
            app.SetRaceLevel(2);
            app.Stop();
        }
        {
            CTownTestApp app(install.Path());
            app.Start();
            app.SetRaceLevel(7);
            s_StopAt = static_cast<CxSaveStep>(step);
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
        EXPECT_TRUE(level == 2 || level == 7) << "step " << step << ": level " << level;
        EXPECT_EQ(level, step == CX_SAVE_RENAMED ? 7 : 2) << "step " << step;
        app.Stop();
    }
}

namespace {
class UnwritableProfile : public testing::TestWithParam<bool> // true: read-only directory, false: short write
{
};
} // namespace

TEST_P(UnwritableProfile, ReportsErrorThirteenAndKeepsTheOldFile)
{
    const bool readOnlyDirectory = GetParam();
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    const std::string path = dir.File("rumbo.pxu");
    UserProfile old[USER_PROFILE_COUNT];
    for (int u = 0; u < USER_PROFILE_COUNT; ++u)
        FillProfile(old[u], u);
    WriteProfileFile(path, old);
    chmod(path.c_str(), 0666);
    const std::string before = TempDir::Read(path);
    if (readOnlyDirectory)
        chmod(dir.Path().c_str(), 0555);

    const int result = RunUnprivileged([&]() -> int {
        ErrorCapture capture;
        UserProfile profiles[USER_PROFILE_COUNT];
        CUserProfileFile file(path.c_str());
        if (file.Load(profiles, nullptr) != CX_ERR_NONE)
            return 10;
        profiles[0].level[USER_DROP] = 99;
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (!readOnlyDirectory)
        {
            // Writes past 100 bytes fail (EFBIG) instead of ending the process.
            signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 100;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        CxError reporter;
        const uint32_t code = file.Save(profiles, &reporter);
        setrlimit(RLIMIT_FSIZE, &saved);
        if (code != USER_FILE_ERROR || reporter.GetError() != USER_FILE_ERROR)
            return 11;
        bool reported = false;
        for (const CapturedError& e : capture.Errors())
            reported = reported || (e.code == USER_FILE_ERROR && e.text == USER_FILE_ERROR_TEXT);
        return reported ? 0 : 12;
    });
    chmod(dir.Path().c_str(), 0777);
    if (result == RUN_UNPRIVILEGED_SKIPPED)
        GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(TempDir::Read(path), before);
    EXPECT_FALSE(FileExists((path + ".new").c_str()));
}

INSTANTIATE_TEST_SUITE_P(Faults, UnwritableProfile, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ReadOnlyDirectory" : "ShortWrite");
                         });
