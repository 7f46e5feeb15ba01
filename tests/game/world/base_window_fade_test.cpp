// The fades of the game rooms with real movies made by our encoder, played
// blocking inside the test application under the manual clock.
#include "engine/platform/message_box.h"
#include "game/world/base_window.h"

#include "engine/media/movie.h"
#include "engine/platform/clock.h"
#include "engine/platform/window.h"
#include "tests/engine/media/movie_test_util.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {
class CFadeApp : public CModalTestApp
{
public:
    explicit CFadeApp(const std::string& options) : CModalTestApp(options.c_str()) {}
    CxGameWindow* CreateRoom(long id) override { return id < 2 ? new CBaseWindow : nullptr; }
};

class BaseWindowFadeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetMessageBoxAnswer(nullptr);
        CBaseWindow::SetSkipFade(true);
        // Four frames at 10 frames a second: 400 ms each.
        mkdir(dir.File("COMMON").c_str(), 0755);
        dir.Write("COMMON/FADE0.SMK", movie_test::Text(movie_test::MakeMovie(64, 48, 4)));
        dir.Write("COMMON/FADE1.SMK", movie_test::Text(movie_test::MakeMovie(64, 48, 4)));
    }
    void Start()
    {
        app = std::make_unique<CFadeApp>("[Startup]\nInstallPath=" + dir.Path() + "\n");
        ASSERT_EQ(app->Init(), 0u);
        app->Create();
        FlushPlatformMessages();
        CxInjectFocus(true);
        for (int i = 0; i < 8; ++i)
            app->PumpMessage();
        app->m_nPassLimit = app->m_nPasses + 2000;
        // 10 ms a pass; the passes run inside a fade's modal loop are counted.
        app->m_OnPass = [this] {
            clock.Advance(10);
            if (!CxMovie::GetMovies().IsEmpty())
            {
                // A key pressed as the fade starts does not cut it short.
                if (fadePasses++ == 0)
                    CxInjectKey(CX_VK_F1, true);
                CxGameWindow* room = app->GetCurRoom();
                pausedThroughout = pausedThroughout && room && room->GetPauseCount() == 1;
            }
        };
    }
    void TearDown() override
    {
        if (app)
        {
            app->PreDestroy();
            app->Destroy();
            app->ExitInstance();
            app.reset();
        }
        SetErrorHandler(ShowErrorBox);
        CBaseWindow::SetSkipFade(true);
    }
    void Enter(long id)
    {
        app->GotoRoom(id);
        app->RunIdlePass();
        ASSERT_EQ(app->GetCurRoom(), app->GetRoom(id));
    }

    TempDir dir;
    ScopedManualClock clock{10000};
    std::unique_ptr<CFadeApp> app;
    int fadePasses = 0;
    bool pausedThroughout = true;
};
} // namespace

TEST_F(BaseWindowFadeTest, FadesPlayTheirMoviesToTheEndWhileTheRoomIsPaused)
{
    Start();
    ErrorCapture errors;
    Enter(0);

    const uint32_t before = clock.GetTicks();
    Enter(1);
    const uint32_t took = clock.GetTicks() - before;
    // Each movie ends once its last frame (shown 300 ms after its first) is up.
    EXPECT_GE(took, 600u) << "two movies of four frames at 10 frames a second";
    EXPECT_LT(took, 1000u);
    EXPECT_GE(fadePasses, 60);
    EXPECT_TRUE(pausedThroughout) << "the room stands still while its fade plays";
    EXPECT_TRUE(CxMovie::GetMovies().IsEmpty()) << "each fade's movie is closed and deleted";
    EXPECT_TRUE(errors.Errors().empty());
}

TEST_F(BaseWindowFadeTest, AMissingFadeIsReportedAndTheSwitchGoesOn)
{
    std::remove(dir.File("COMMON/FADE0.SMK").c_str());
    std::remove(dir.File("COMMON/FADE1.SMK").c_str());
    Start();
    ErrorCapture errors;
    Enter(0);
    Enter(1);
    EXPECT_EQ(fadePasses, 0);
    EXPECT_EQ(app->GetRoom(1)->GetPauseCount(), 0);
    EXPECT_EQ(errors.Errors().size(), 2u) << "one report for each fade that could not be opened";
}
