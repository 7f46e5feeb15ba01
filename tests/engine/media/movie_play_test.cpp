// Movies inside a running application: blocking play through the dialog
// box's modal loop, skipping by key and mouse button, the full-screen
// player, what reaches the screen, and the sound track reaching the mixer.
#include "engine/media/movie.h"

#include "engine/core/sequence.h"
#include "engine/core/window_app.h"
#include "engine/frame/system_events.h"
#include "engine/graphics/screen.h"
#include "engine/media/movie_driver.h"
#include "engine/media/movie_event.h"
#include "engine/platform/clock.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"
#include "movie_test_util.h"
#include "playback_fixture.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace movie_test;

namespace {
class MoviePlayTest : public testing::Test
{
protected:
    void SetUp() override
    {
        app = std::make_unique<CMouseTestApp>(("[Startup]\nInstallPath=" + dir.Path() + "\n").c_str());
        StartTestApp(*app);
        app->m_nPassLimit = app->m_nPasses + 2000;
        // Every pass of the loop is 10 ms of movie time.
        app->m_OnPass = [this] {
            clock.Advance(10);
            if (m_OnPass)
                m_OnPass();
        };
    }
    void TearDown() override
    {
        StopTestApp(*app);
        app.reset();
    }
    CxMovie* FirstMovie() const
    {
        return CxMovie::GetMovies().IsEmpty() ? nullptr : CxMovie::GetMovies().GetHead()->m_Value;
    }

    TempDir dir;
    ScopedManualClock clock{10000};
    std::unique_ptr<CMouseTestApp> app;
    std::function<void()> m_OnPass;
};
} // namespace

TEST_F(MoviePlayTest, SkippableBlockingMovieEndsOnTheFirstKeyOrMouseButton)
{
    const int32_t w = 16, h = 16, frames = 40;
    CxMovie movie;
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(w, h, frames)).c_str()), CX_ERR_NONE);
    movie.Create(100, 100, w, h);
    CEndCounter listener;
    movie.SetEndListener(&listener);
    // A letter as a keyboard sends it (the key, then its text), or a button anywhere.
    for (int32_t input : {0, 1, 2, 3})
    {
        const int start = app->m_nPasses;
        m_OnPass = [&] {
            EXPECT_TRUE(movie.IsBlockingPlay());
            if (app->m_nPasses - start != 5)
                return;
            if (input == 0)
            {
                CxInjectKey('A', true);
                CxInjectText("a");
                CxInjectKey('A', false);
            }
            else
                CxInjectMouseButton(input, true, 300, 300);
        };
        EXPECT_EQ(movie.Play(false, true), CX_ERR_NONE);
        EXPECT_TRUE(movie.WasSkipped()) << input;
        EXPECT_LE(app->m_nPasses - start, 7) << input;
        EXPECT_FALSE(movie.IsPlaying());
        EXPECT_FALSE(movie.IsBlockingPlay());
        EXPECT_FALSE(movie.IsShown());
        EXPECT_FALSE(movie.IsModal());
        m_OnPass = nullptr;
        if (input > 0)
            CxInjectMouseButton(input, false, 300, 300);
        app->PumpMessage();
    }
    // A skipped movie did not reach its end.
    EXPECT_EQ(listener.m_nCalls, 0);
    EXPECT_FALSE(app->IsQuitting());
}

TEST_F(MoviePlayTest, StoppingABlockingMovieEndsItsLoop)
{
    CxMovie movie;
    movie.SetSkippable(false);
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(16, 16, 40)).c_str()), CX_ERR_NONE);
    movie.Create(0, 0, 16, 16);
    CEndCounter listener;
    movie.SetEndListener(&listener);
    const int start = app->m_nPasses;
    m_OnPass = [&] {
        if (app->m_nPasses - start == 5)
            movie.Stop();
    };
    EXPECT_EQ(movie.Play(false, true), CX_ERR_NONE);
    EXPECT_LE(app->m_nPasses - start, 6);
    EXPECT_FALSE(movie.IsPlaying());
    EXPECT_EQ(listener.m_nCalls, 0);
}

TEST_F(MoviePlayTest, UnskippableBlockingMoviePlaysEveryFrameToItsEnd)
{
    const int32_t w = 16, h = 12, frames = 8;
    CxMovie movie;
    movie.SetSkippable(false);
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(w, h, frames)).c_str()), CX_ERR_NONE);
    // The application's 16-bit format is the movie's.
    EXPECT_EQ(movie.GetImage()->GetDepth(), 16);
    EXPECT_EQ(movie.GetImage()->GetPixelFormat(), CxDrawSurface::GetDefaultFormat16());
    movie.Create(40, 30, w, h);
    CEndCounter listener;
    movie.SetEndListener(&listener);
    std::vector<int32_t> seen;
    CxDrawSurface* screen = app->GetScreen() ? app->GetScreen()->GetDrawSurface() : nullptr;
    ASSERT_NE(screen, nullptr);
    int mismatches = 0;
    const int start = app->m_nPasses;
    m_OnPass = [&] {
        if (app->m_nPasses - start == 3)
        {
            CxInjectKey(CX_VK_F1, true);
            CxInjectText("x");
            CxInjectMouseButton(1, true, 45, 35);
        }
        const int32_t k = FrameShown(*movie.GetImage(), w, h, frames);
        if (seen.empty() || seen.back() != k)
            seen.push_back(k);
        // What the screen shows is the movie's current frame.
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                mismatches += screen->GetPixel(40 + x, 30 + y) != movie.GetImage()->GetPixel(x, y);
    };
    EXPECT_EQ(movie.Play(false, true), CX_ERR_NONE);
    EXPECT_FALSE(movie.WasSkipped());
    // The key reached the application and the movie went on.
    EXPECT_FALSE(app->m_Keys.empty());
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(listener.m_nCalls, 1);
    // 100 ms a frame at 10 ms a pass.
    EXPECT_GE(app->m_nPasses - start, (frames - 1) * 10);
    EXPECT_LE(app->m_nPasses - start, frames * 10 + 2);
    EXPECT_FALSE(movie.IsShown());
}

TEST_F(MoviePlayTest, PlayMovieShowsTheMovieInFrontOfEverythingCentredOrAtItsPosition)
{
    const int32_t w = 32, h = 20;
    const std::string path = dir.Write("intro.smk", MakeMovie(w, h, 4));
    CxSprite front;
    front.Create(0, 0, 640, 480);
    front.SetDepth(0);
    std::vector<CxPoint> positions;
    m_OnPass = [&] {
        CxMovie* movie = FirstMovie();
        ASSERT_NE(movie, nullptr);
        EXPECT_EQ(movie->GetDepth(), CX_MOVIE_TOP_LAYER);
        EXPECT_TRUE(movie->IsShown());
        positions.push_back(movie->GetPosition());
    };
    // Only both coordinates at -1 mean the centre.
    const std::pair<CxPoint, CxPoint> cases[] = {
        {CxPoint(-1, -1), CxPoint((640 - w) / 2, (480 - h) / 2)},
        {CxPoint(10, 20), CxPoint(10, 20)},
        {CxPoint(-1, 5), CxPoint(-1, 5)},
    };
    for (const auto& [at, expected] : cases)
    {
        positions.clear();
        EXPECT_EQ(PlayMovie(path.c_str(), at.x, at.y), CX_ERR_NONE);
        ASSERT_FALSE(positions.empty());
        EXPECT_EQ(positions.front(), expected);
        EXPECT_TRUE(CxMovie::GetMovies().IsEmpty());
        EXPECT_FALSE(HasMainLoopFunction(MovieServiceFunction));
    }
    front.Destroy();
}

namespace {
// Records the numbers of the "Notify" lines with the pass they arrived in.
class CNoticeListener : public CxEventListener
{
public:
    explicit CNoticeListener(const int& passes) : m_nPasses(passes) {}
    int32_t OnEvent(uint32_t, CxEvent* event) override
    {
        if (dynamic_cast<CInfoEvent*>(event) && !dynamic_cast<CRoomEvent*>(event) &&
            !dynamic_cast<CCommandEvent*>(event))
            m_Notices.emplace_back(event->GetData(), m_nPasses);
        return 0;
    }
    const int& m_nPasses;
    std::vector<std::pair<uint32_t, int>> m_Notices; // number, pass
};

// "PlayMovie" lines run through the application's event pump.
class MovieCommandTest : public MoviePlayTest
{
protected:
    void SetUp() override
    {
        MoviePlayTest::SetUp();
        CreateChannel(&channel);
        listener.Listen(channel);
        dir.Write("clip.smk", MakeMovie(W, H, FRAMES));
    }
    void TearDown() override
    {
        sequence.reset();
        DestroyChannel(channel);
        MoviePlayTest::TearDown();
    }
    void Run(const std::string& text)
    {
        sequence = std::make_unique<CxEventSequenceFile>();
        sequence->Parse(text.data(), static_cast<uint32_t>(text.size()), nullptr);
        listener.Listen(sequence->GetPrivateChannel());
        sequence->Post(channel);
        start = app->m_nPasses;
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

    static constexpr int32_t W = 16, H = 8, FRAMES = 5;
    int passes = 0, start = 0;
    CNoticeListener listener{passes};
    uint32_t channel = 0;
    std::unique_ptr<CxEventSequenceFile> sequence;
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
        passes = app->m_nPasses - start;
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
    EXPECT_EQ(listener.m_Notices[0].first, 7u);
    // Five frames at 10 a second: the notice comes once the last one has had its turn.
    EXPECT_GE(listener.m_Notices[0].second, 40);
    EXPECT_LE(listener.m_Notices[0].second, 55);
    // The finished event hid its movie; the sequence still owns it.
    ASSERT_EQ(FirstMovie(), movie);
    EXPECT_FALSE(movie->IsShown());
    sequence.reset();
    EXPECT_TRUE(CxMovie::GetMovies().IsEmpty());
}

TEST_F(MovieCommandTest, PositionNeedsBothCoordinatesAndTheExtraOptionReadiesTheFirstFrame)
{
    // The line with fewer than five arguments is dropped; another letter case and one more argument are not.
    Run("Event system.PlayMovie($GAMEPATH\\clip.smk, 30, 40, 0, 1)\n"
        "Event system.PlayMovie($GAMEPATH\\clip.smk, -1, -1, 0)\n"
        "Event system.playmovie($GAMEPATH\\clip.smk, -1, 40, 0, 0, extra)\n");
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
        passes = app->m_nPasses - start;
        if (CxMovie* m = FirstMovie())
            modalSeen = modalSeen || m->IsModal();
    };
    const int drained = Drain();
    EXPECT_TRUE(modalSeen);
    ASSERT_EQ(listener.m_Notices.size(), 1u);
    // The passes of the modal loop count too: the notice still waits for the whole movie.
    EXPECT_GE(listener.m_Notices[0].second, 40);
    EXPECT_GT(drained, 0);
    EXPECT_LT(drained, listener.m_Notices[0].second);
}

TEST_F(MovieCommandTest, MissingMovieLetsTheSequenceGoOn)
{
    ErrorCapture errors;
    Run("Event system.PlayMovie($GAMEPATH\\gone.smk, -1, -1, 1, 0)\nEvent system.Notify(9)\n");
    m_OnPass = [&] { passes = app->m_nPasses - start; };
    EXPECT_GT(Drain(), 0);
    ASSERT_EQ(listener.m_Notices.size(), 1u);
    EXPECT_LE(listener.m_Notices[0].second, 3);
    EXPECT_EQ(errors.Errors().size(), 1u);
}

using namespace playback_test;

namespace {
class MovieSoundTest : public PlaybackFixture
{
protected:
    void SetUp() override
    {
        PlaybackFixture::SetUp();
        RegisterMovieDrivers();
    }
    static ST_SMK_AUDIO Tone(double frequency, int32_t frames)
    {
        ST_SMK_AUDIO audio;
        audio.nRate = RATE;
        audio.nBits = 16;
        audio.nChannels = 1;
        const std::string bytes = Samples16(wave_test::Tone(frequency, 8000, RATE, RATE / 10 * frames));
        audio.data.assign(bytes.begin(), bytes.end());
        return audio;
    }
    std::string MovieWithTone(double frequency, int32_t frames)
    {
        const ST_SMK_AUDIO audio = Tone(frequency, frames);
        return m_Dir.Write("tone.smk", MakeMovie(8, 8, frames, 10, {audio}));
    }
    // Track 0 holds tone A and track 1 tone B.
    std::string MovieWithTwoTracks(int32_t frames)
    {
        return m_Dir.Write("tracks.smk",
                           MakeMovie(8, 8, frames, 10, {Tone(TONE_A, frames), Tone(TONE_B, frames)}));
    }
};

struct TrackCase
{
    int32_t trackNumber; // the driver's "TrackNumber" at open
    int32_t mutedTrack;  // a track given volume 0 before play, or -1
    uint32_t played;     // the tracks that get a sample
    bool toneA;          // heard in the mix
    bool toneB;
};

class MovieTracksTest : public MovieSoundTest, public testing::WithParamInterface<TrackCase>
{
};
} // namespace

TEST_P(MovieTracksTest, TheSelectedTracksAreMixedEachAtItsOwnVolume)
{
    const TrackCase& c = GetParam();
    CxMovie movie;
    const std::string file = MovieWithTwoTracks(20);
    ASSERT_EQ(movie.Open(file.c_str()), CX_ERR_NONE);
    CxSmackerDriver* driver = dynamic_cast<CxSmackerDriver*>(movie.GetDriver());
    ASSERT_NE(driver, nullptr);
    // The track number counts from the next open.
    driver->Command("TrackNumber", c.trackNumber);
    ASSERT_EQ(driver->Open(file.c_str(), driver->GetFlags()), CX_ERR_NONE);
    EXPECT_EQ(driver->GetPlayedTracks(), c.played);
    if (c.mutedTrack >= 0)
    {
        EXPECT_EQ(movie.SetVolume(0, c.mutedTrack), CX_ERR_NONE);
    }
    ASSERT_EQ(movie.Play(), CX_ERR_NONE);
    for (int32_t track = 0; track < 2; ++track)
    {
        const bool played = (c.played >> track) & 1u;
        // The mix below shows what each one played.
        EXPECT_EQ(driver->GetTrackSample(track) != nullptr, played) << "track " << track;
    }
    LetMix(RATE);
    movie.Stop();
    const std::vector<int16_t> mixed = Finish();
    size_t both = 0;
    const auto runs = Runs(mixed, 2, 0, RATE, {TONE_A, TONE_B}, &both);
    const auto heard = [&](double tone) {
        const auto only = Runs(mixed, 2, 0, RATE, {tone});
        return !only.empty();
    };
    EXPECT_EQ(heard(TONE_A), c.toneA);
    EXPECT_EQ(heard(TONE_B), c.toneB);
    if (c.toneA && c.toneB)
    {
        EXPECT_GT(both, 10u) << "the two tracks sound together";
    }
    EXPECT_EQ(runs.empty(), !c.toneA && !c.toneB);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, MovieTracksTest,
    testing::Values(TrackCase{0, -1, 0x1u, true, false}, TrackCase{1, -1, 0x2u, false, true},
                    TrackCase{7, -1, 0x3u, true, true}, TrackCase{7, 1, 0x3u, true, false},
                    TrackCase{9, 0, 0x3u, false, true}, TrackCase{5, -1, 0x0u, false, false}));

TEST_F(MovieSoundTest, PlayingMovieSendsItsTrackToTheMixer)
{
    CxMovie movie;
    ASSERT_EQ(movie.Open(MovieWithTone(TONE_A, 20).c_str()), CX_ERR_NONE);
    CxSmackerDriver* driver = dynamic_cast<CxSmackerDriver*>(movie.GetDriver());
    ASSERT_NE(driver, nullptr);
    ASSERT_EQ(movie.Play(), CX_ERR_NONE);
    ASSERT_NE(driver->GetSample(), nullptr);
    EXPECT_EQ(AudioGetSampleStatus(driver->GetSample()), CX_SAMPLE_PLAYING);
    movie.SetVolume(127);
    float left = 0, right = 0;
    AudioGetSampleVolumeLevels(driver->GetSample(), &left, &right);
    EXPECT_NEAR(left, 32766.0f / 32768.0f, 1e-4);
    EXPECT_FLOAT_EQ(left, right);
    LetMix(RATE / 2);
    movie.Pause();
    EXPECT_EQ(AudioGetSampleStatus(driver->GetSample()), CX_SAMPLE_STOPPED);
    movie.Resume();
    EXPECT_EQ(AudioGetSampleStatus(driver->GetSample()), CX_SAMPLE_PLAYING);
    movie.Stop();
    EXPECT_NE(AudioGetSampleStatus(driver->GetSample()), CX_SAMPLE_PLAYING);
    const std::vector<int16_t> mixed = Finish();
    const auto runs = Runs(mixed, 2, 0, RATE, {TONE_A, TONE_B});
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(Frequencies(runs), std::vector<double>{TONE_A});
    // The right channel carries it as well (the pan is centred).
    EXPECT_FALSE(Runs(mixed, 2, 1, RATE, {TONE_A}).empty());
}

TEST_F(MovieSoundTest, MovieWithoutSoundFlagStaysSilent)
{
    CxMovie movie;
    movie.SetInTime(false);
    ASSERT_EQ(movie.Open(MovieWithTone(TONE_A, 5).c_str()), CX_ERR_NONE);
    CxSmackerDriver* driver = dynamic_cast<CxSmackerDriver*>(movie.GetDriver());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetOpenFlags(), 0u);
    ASSERT_EQ(movie.Play(), CX_ERR_NONE);
    EXPECT_EQ(driver->GetSample(), nullptr);
}

TEST_F(MovieSoundTest, ShuttingTheSoundSystemDownUnderAPlayingMovieIsHarmless)
{
    CxMovie movie;
    ASSERT_EQ(movie.Open(MovieWithTone(TONE_B, 10).c_str()), CX_ERR_NONE);
    ASSERT_EQ(movie.Play(), CX_ERR_NONE);
    ShutdownSoundSystem();
    movie.SetVolume(50);
    movie.Pause();
    movie.Resume();
    for (int i = 0; i < 12; ++i)
        Pass();
    movie.Stop();
    movie.Close();
}
