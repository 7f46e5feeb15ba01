// The "PlayMovie" sequence command, run through the event pump of an
// application under the manual clock.
#include "engine/media/movie_event.h"

#include "engine/core/sequence.h"
#include "engine/frame/system_events.h"
#include "engine/media/movie.h"
#include "engine/platform/clock.h"
#include "movie_test_util.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace movie_test;

namespace {
// Records the numbers of the "Notify" lines with the pass they arrived in.
class CNoticeListener : public CxEventListener
{
public:
    int32_t OnEvent(uint32_t, CxEvent* event) override
    {
        if (dynamic_cast<CInfoEvent*>(event) && !dynamic_cast<CRoomEvent*>(event) &&
            !dynamic_cast<CCommandEvent*>(event))
            m_Notices.push_back({event->GetData(), m_nPass});
        return 0;
    }
    struct Notice
    {
        uint32_t number;
        int pass;
    };
    std::vector<Notice> m_Notices;
    int m_nPass = 0;
};

class MovieCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string options = "[Startup]\nInstallPath=" + dir.Path() + "\n";
        app = std::make_unique<CTestApp>(options.c_str());
        app->Init();
        app->Create();
        app->m_nPassLimit = app->m_nPasses + 1000;
        // Every pass of the loop is 10 ms.
        app->m_OnPass = [this] {
            clock.Advance(10);
            ++listener.m_nPass;
            if (m_OnPass)
                m_OnPass();
        };
        CreateChannel(&channel);
        listener.Listen(channel);
        dir.Write("clip.smk", Text(MakeMovie(W, H, FRAMES)));
    }
    void TearDown() override
    {
        sequence.reset();
        DestroyChannel(channel);
        app->PreDestroy();
        app->Destroy();
        app->ExitInstance();
        app.reset();
    }
    CxEventSequenceFile& Run(const std::string& text)
    {
        sequence = std::make_unique<CxEventSequenceFile>();
        sequence->Parse(text.data(), static_cast<uint32_t>(text.size()), nullptr);
        listener.Listen(sequence->GetPrivateChannel());
        sequence->Post(channel);
        return *sequence;
    }
    // Passes until the channel is empty; the passes it took, -1 past the limit.
    int Drain(int limit = 300)
    {
        for (int pass = 1; pass <= limit; ++pass)
        {
            app->PumpMessage();
            if (IsChannelEmpty(channel))
                return pass;
        }
        return -1;
    }
    static CxMovie* FirstMovie()
    {
        return CxMovie::GetMovies().IsEmpty() ? nullptr : CxMovie::GetMovies().GetHead()->m_Value;
    }

    static constexpr int32_t W = 16, H = 8, FRAMES = 5;
    TempDir dir;
    ScopedManualClock clock{20000};
    std::unique_ptr<CTestApp> app;
    CNoticeListener listener;
    uint32_t channel = 0;
    std::unique_ptr<CxEventSequenceFile> sequence;
    std::function<void()> m_OnPass;

private:
};
} // namespace

TEST_F(MovieCommandTest, SequenceWaitsForTheMovieCentredInFront)
{
    Run("Event system.PlayMovie($GAMEPATH\\clip.smk, -1, -1, 0, 0)\nEvent system.Notify(7)\n");
    CxMovie* movie = FirstMovie();
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->GetDepth(), CX_MOVIE_TOP_LAYER);
    EXPECT_EQ(movie->GetPosition(), CxPoint((640 - W) / 2, (480 - H) / 2));
    std::vector<int32_t> seen;
    m_OnPass = [&] {
        if (CxMovie* m = FirstMovie(); m && m->IsPlaying())
        {
            const int32_t k = FrameShown(*m->GetImage(), W, H, FRAMES);
            if (seen.empty() || seen.back() != k)
                seen.push_back(k);
        }
    };
    EXPECT_GT(Drain(), 0);
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2, 3, 4}));
    ASSERT_EQ(listener.m_Notices.size(), 1u);
    EXPECT_EQ(listener.m_Notices[0].number, 7u);
    // Five frames at 10 a second: the notice comes once the last one has had its turn.
    EXPECT_GE(listener.m_Notices[0].pass, 40);
    EXPECT_LE(listener.m_Notices[0].pass, 55);
    // The finished event hid its movie; the sequence still owns it.
    ASSERT_EQ(FirstMovie(), movie);
    EXPECT_FALSE(movie->IsShown());
    sequence.reset();
    EXPECT_TRUE(CxMovie::GetMovies().IsEmpty());
}

TEST_F(MovieCommandTest, PositionNeedsBothCoordinatesAndTheExtraOptionReadiesTheFirstFrame)
{
    Run("Event system.PlayMovie($GAMEPATH\\clip.smk, 30, 40, 0, 1)\n"
        "Event system.PlayMovie($GAMEPATH\\clip.smk, -1, 40, 0, 0)\n");
    const auto& movies = CxMovie::GetMovies();
    ASSERT_EQ(movies.GetCount(), 2u);
    EXPECT_EQ(movies.GetHead()->m_Value->GetPosition(), CxPoint(30, 40));
    EXPECT_EQ(movies.GetTail()->m_Value->GetPosition(), CxPoint((640 - W) / 2, (480 - H) / 2));
    EXPECT_TRUE(Holds(*movies.GetHead()->m_Value->GetImage(), W, H, 0));
    EXPECT_FALSE(Holds(*movies.GetTail()->m_Value->GetImage(), W, H, 0));
}

TEST_F(MovieCommandTest, BlockingPlayOptionRunsTheMovieInsideStart)
{
    Run("Event system.PlayMovie($GAMEPATH\\clip.smk, 0, 0, 1, 0)\nEvent system.Notify(3)\n");
    bool modalSeen = false;
    m_OnPass = [&] {
        if (CxMovie* m = FirstMovie())
            modalSeen = modalSeen || m->IsModal();
    };
    const int passes = Drain();
    EXPECT_TRUE(modalSeen);
    ASSERT_EQ(listener.m_Notices.size(), 1u);
    // The passes of the modal loop count too: the notice still waits for the whole movie.
    EXPECT_GE(listener.m_Notices[0].pass, 40);
    EXPECT_GT(passes, 0);
    EXPECT_LT(passes, listener.m_Notices[0].pass);
}

TEST_F(MovieCommandTest, MissingMovieLetsTheSequenceGoOn)
{
    ErrorCapture errors;
    Run("Event system.PlayMovie($GAMEPATH\\gone.smk, -1, -1, 1, 0)\nEvent system.Notify(9)\n");
    EXPECT_GT(Drain(), 0);
    ASSERT_EQ(listener.m_Notices.size(), 1u);
    EXPECT_LE(listener.m_Notices[0].pass, 3);
    EXPECT_EQ(errors.Errors().size(), 1u);
}

TEST_F(MovieCommandTest, LineWithFewerThanFiveArgumentsIsDropped)
{
    Run("Event system.PlayMovie($GAMEPATH\\clip.smk, -1, -1, 0)\nEvent system.playmovie($GAMEPATH\\clip.smk, "
        "-1, -1, 0, 0, extra)\n");
    // Only the second line (another letter case, one argument more) makes a movie.
    EXPECT_EQ(CxMovie::GetMovies().GetCount(), 1u);
}
