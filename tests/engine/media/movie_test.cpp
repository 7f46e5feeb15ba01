// CxMovie played by the movie service under the manual clock, and movie sprites.
#include "engine/media/movie.h"

#include "engine/core/main_loop.h"
#include "engine/graphics/sprite.h"
#include "engine/media/movie_driver.h"
#include "engine/platform/clock.h"
#include "engine/platform/video.h"
#include "movie_test_util.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace movie_test;

namespace {
int s_nCallbacks = 0;
int32_t s_nCallbackZero = -1;
void EndCallback(CxMovie*, int32_t zero)
{
    ++s_nCallbacks;
    s_nCallbackZero = zero;
}

// Deletes the movie it is told about.
class CDeletingListener : public CEndCounter
{
public:
    void OnMovieEnd(CxMovie* movie) override
    {
        CEndCounter::OnMovieEnd(movie);
        delete movie;
    }
};

class MovieTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_nFormat = CxDrawSurface::GetDefaultFormat16();
        RegisterMovieDrivers();
    }
    void TearDown() override { CxDrawSurface::SetDefaultFormat16(m_nFormat); }
    // One pass of the main loop after ms went by.
    void Pass(uint32_t ms)
    {
        clock.Advance(ms);
        RunMainLoopFunctions();
    }
    // The frames the movie's surface shows over passes of ms each, until it
    // stops playing (at most limit passes); a frame is noted when it changes.
    std::vector<int32_t> Watch(CxMovie& movie, int32_t w, int32_t h, int32_t frames, uint32_t ms, int limit)
    {
        std::vector<int32_t> seen;
        auto note = [&] {
            const int32_t k = FrameShown(*movie.GetImage(), w, h, frames);
            if (seen.empty() || seen.back() != k)
                seen.push_back(k);
        };
        note();
        for (int i = 0; i < limit && movie.IsPlaying(); ++i)
        {
            Pass(ms);
            if (movie.GetImage())
                note();
        }
        return seen;
    }

    TempDir dir;
    ScopedManualClock clock{5000};
    ErrorCapture errors;

private:
    uint8_t m_nFormat = 0;
};

std::vector<int32_t> Range(int32_t from, int32_t to)
{
    std::vector<int32_t> out;
    for (int32_t k = from; from <= to ? k <= to : k >= to; k += from <= to ? 1 : -1)
        out.push_back(k);
    return out;
}
} // namespace

TEST_F(MovieTest, PlaysEveryFrameAndEndsOnce)
{
    // The driver tests own the timing of each frame; here the service shows them all and tells the end.
    const int32_t w = 16, h = 8, frames = 6;
    CxMovie movie;
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(w, h, frames, 10)).c_str()), CX_ERR_NONE);
    EXPECT_EQ(movie.GetImage()->GetDepth(), 8);
    CEndCounter listener;
    movie.SetEndListener(&listener);
    s_nCallbacks = 0;
    movie.SetEndCallback(EndCallback); // the listener takes precedence
    ASSERT_EQ(movie.Play(), CX_ERR_NONE);
    EXPECT_TRUE(movie.IsShown());
    Pass(50);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 0)) << "in time: 10 frames a second";
    EXPECT_EQ(Watch(movie, w, h, frames, 50, 40), Range(0, frames - 1));
    EXPECT_EQ(listener.m_nCalls, 1);
    EXPECT_EQ(listener.m_pMovie, &movie);
    EXPECT_EQ(s_nCallbacks, 0);
    for (int i = 0; i < 5; ++i)
        Pass(100);
    EXPECT_EQ(listener.m_nCalls, 1);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, frames - 1));
    EXPECT_TRUE(errors.Errors().empty());
    // Without a listener the callback is told, once.
    movie.SetEndListener(nullptr);
    s_nCallbackZero = -1;
    movie.Play(true);
    for (int i = 0; i < frames + 2; ++i)
        Pass(100);
    EXPECT_EQ(s_nCallbacks, 1);
    EXPECT_EQ(s_nCallbackZero, 0);
}

TEST_F(MovieTest, DirectionAndTimingSetTheOrderOfTheFrames)
{
    const int32_t w = 8, h = 8, frames = 5;
    const struct
    {
        bool backwards, inTime;
        int32_t from; // the frame gone to before playing, or -1
        std::vector<int32_t> seen;
    } cases[] = {
        {false, false, -1, Range(0, frames - 1)}, // without timing: one frame per pass
        {true, true, -1, Range(frames - 1, 0)},   // from frame 0, one frame back is the last one
        {true, false, 3, Range(2, 0)},            // starting before the current frame
    };
    for (const auto& c : cases)
    {
        CxMovie movie;
        ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(w, h, frames)).c_str()), CX_ERR_NONE);
        movie.SetBackwards(c.backwards);
        movie.SetInTime(c.inTime);
        if (c.from >= 0)
            movie.Goto(c.from);
        CEndCounter listener;
        movie.SetEndListener(&listener);
        movie.Play();
        EXPECT_EQ(Watch(movie, w, h, frames, c.inTime ? 100 : 0, 20), c.seen);
        EXPECT_EQ(listener.m_nCalls, 1);
        EXPECT_FALSE(movie.IsPlaying());
    }
}

TEST_F(MovieTest, LoopingMovieKeepsPlayingThroughItsLastFrame)
{
    const int32_t w = 8, h = 8, frames = 4;
    CxMovie movie;
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(w, h, frames)).c_str()), CX_ERR_NONE);
    movie.SetLoop(true);
    CEndCounter listener;
    movie.SetEndListener(&listener);
    movie.Play();
    std::vector<int32_t> seen{FrameShown(*movie.GetImage(), w, h, frames)};
    for (int i = 0; i < 3 * frames - 1; ++i)
    {
        Pass(100);
        seen.push_back(FrameShown(*movie.GetImage(), w, h, frames));
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}));
    EXPECT_EQ(listener.m_nCalls, 0);
    // Switching the loop off in the middle lets it end after its last frame, not before.
    Pass(100);
    Pass(100);
    movie.SetLoop(false);
    EXPECT_EQ(Watch(movie, w, h, frames, 100, 20), Range(1, frames - 1));
    EXPECT_EQ(listener.m_nCalls, 1);
}

TEST_F(MovieTest, PausedMovieStandsStillAndResumesOnTimeAndStopStartsOver)
{
    const int32_t w = 8, h = 8, frames = 5;
    CxMovie movie;
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(w, h, frames)).c_str()), CX_ERR_NONE);
    movie.Play();
    Pass(100);
    ASSERT_TRUE(Holds(*movie.GetImage(), w, h, 1));
    movie.Pause();
    movie.Pause();
    for (int i = 0; i < 10; ++i)
        Pass(100);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 1));
    movie.Resume();
    Pass(100);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 1)) << "paused twice, resumed once";
    movie.Resume();
    movie.Resume(); // no effect below zero
    EXPECT_EQ(movie.GetPauseCount(), 0);
    // The second after the pause: the next frame comes at once, then at the movie's rate.
    Pass(0);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 2));
    Pass(50);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 2));
    Pass(50);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 3));
    movie.Stop();
    EXPECT_FALSE(movie.IsPlaying());
    Pass(100);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 3));
    movie.Play(true);
    EXPECT_TRUE(Holds(*movie.GetImage(), w, h, 0));
    EXPECT_EQ(movie.GetCurrentFrame(), 1);
}

TEST_F(MovieTest, ListenerMayDeleteTheMovie)
{
    CxMovie* movie = new CxMovie;
    ASSERT_EQ(movie->Open(dir.Write("clip.smk", MakeMovie(8, 8, 2)).c_str()), CX_ERR_NONE);
    CDeletingListener listener;
    movie->SetEndListener(&listener);
    movie->Play();
    for (int i = 0; i < 5; ++i)
        Pass(100);
    EXPECT_EQ(listener.m_nCalls, 1);
    EXPECT_TRUE(CxMovie::GetMovies().IsEmpty());
    EXPECT_FALSE(HasMainLoopFunction(MovieServiceFunction));
}

TEST_F(MovieTest, MovieInErrorDoesNotPlay)
{
    CxMovie movie;
    CEndCounter listener;
    movie.SetEndListener(&listener);
    EXPECT_EQ(movie.Open(""), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(movie.Play(), CX_ERR_INVALID_ARGUMENT);
    errors.Clear();
    EXPECT_EQ(movie.Open(dir.File("missing.smk").c_str()), CX_ERR_UNKNOWN);
    // One report for the missing file, not one from every layer.
    EXPECT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(movie.Play(true, true), CX_ERR_UNKNOWN);
    EXPECT_FALSE(movie.IsShown());
    Pass(100);
    EXPECT_EQ(listener.m_nCalls, 0);
    // A movie that is not open cannot play either.
    CxMovie empty;
    EXPECT_EQ(empty.Play(), CX_ERR_INVALID_ARGUMENT);
}

TEST_F(MovieTest, SpriteShowsTheFramesOfAMovieFile)
{
    const int32_t w = 12, h = 8, frames = 7;
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    CxSprite::SetMovieDepth(16);
    CxSprite sprite;
    ASSERT_EQ(sprite.Load(dir.Write("walk.smk", MakeMovie(w, h, frames)).c_str()), CX_ERR_NONE);
    ASSERT_NE(sprite.GetMovieDriver(), nullptr);
    EXPECT_EQ(sprite.GetFrameCount(), frames);
    EXPECT_FALSE(sprite.IsLooping());
    CxDrawSurface target(w, h, 16);
    target.SetPixelFormat(CX_PF_565);
    for (int32_t k : {0, 5, 2, 6, 3})
    {
        sprite.SetFrame(k);
        ASSERT_EQ(sprite.DrawTo(&target, CxPoint(0, 0)), CX_ERR_NONE);
        EXPECT_TRUE(Holds(target, w, h, k)) << k;
    }
    // Not a movie: the image loaders get the file, and no movie error is reported.
    errors.Clear();
    CxSprite other;
    EXPECT_NE(other.Load(dir.Write("x.bin", "nothing").c_str()), CX_ERR_NONE);
    EXPECT_EQ(other.GetMovieDriver(), nullptr);
    for (const CapturedError& e : errors.Errors())
        EXPECT_EQ(e.text.find("movie filter"), std::string::npos);
    // A movie that cannot be opened is the driver's one report; no image loader is asked about it.
    errors.Clear();
    CxSprite gone;
    EXPECT_EQ(gone.Load(dir.File("gone.smk").c_str()), CX_ERR_FILE_OPEN);
    EXPECT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(gone.GetImage(), nullptr);
}

namespace {
int s_nAttachReports = 0;
// Attach steps that fail: silently, or with a report of their own.
uint32_t FailAttach(CxMovieDriver*, CxDrawSurface*, int32_t)
{
    for (int i = 0; i < s_nAttachReports; ++i)
        ReportError(CX_ERR_OUT_OF_MEMORY, "Unable to allocate the movie's pixels");
    return CX_ERR_OUT_OF_MEMORY;
}
int s_nDeleted = 0;
void CountingDelete(CxMovieDriver* driver)
{
    ++s_nDeleted;
    delete driver;
}
bool HookIsMovieName(const char* name)
{
    return std::string(name).find(".smk") != std::string::npos;
}
CxMovieDriver* HookOpenSmacker(const char* name, uint32_t* error)
{
    CxMovieDriver* driver = CreateSmackerDriver(name, 0);
    *error = driver ? CX_ERR_NONE : CX_ERR_FILE_OPEN;
    return driver;
}
} // namespace

TEST_F(MovieTest, SurfaceThatCannotBeAttachedIsReportedOnceAndLeavesTheSpriteEmpty)
{
    const std::string path = dir.Write("walk.smk", MakeMovie(8, 8, 3));
    const ST_SPRITE_MOVIE_HOOKS hooks = {HookIsMovieName, HookOpenSmacker, CountingDelete, FailAttach,
                                         nullptr,         nullptr,         nullptr};
    SetSpriteMovieHooks(&hooks);
    for (int reports : {0, 1})
    {
        s_nAttachReports = reports;
        s_nDeleted = 0;
        errors.Clear();
        CxSprite sprite;
        EXPECT_EQ(sprite.Load(path.c_str()), CX_ERR_OUT_OF_MEMORY);
        ASSERT_EQ(errors.Errors().size(), 1u) << reports;
        EXPECT_EQ(errors.Errors()[0].code, CX_ERR_OUT_OF_MEMORY);
        EXPECT_EQ(errors.Errors()[0].text, reports == 0
                                               ? "Could not create a surface for this sprite's movie driver"
                                               : "Unable to allocate the movie's pixels");
        EXPECT_EQ(sprite.GetMovieDriver(), nullptr);
        EXPECT_EQ(sprite.GetImage(), nullptr);
        EXPECT_EQ(s_nDeleted, 1) << "the driver is not leaked";
    }
    RegisterMovieDrivers();
}

TEST_F(MovieTest, SurfaceTheDriverCannotDrawIntoEndsTheMovie)
{
    CxMovie movie;
    // A 32-bit surface of the caller's: the movie opens and uses it, but no frame can be drawn into it.
    CxDrawSurface* surface = new CxDrawSurface(8, 8, 32);
    ASSERT_EQ(movie.Open(dir.Write("clip.smk", MakeMovie(8, 8, 4)).c_str(), surface), CX_ERR_NONE);
    EXPECT_EQ(movie.GetImage(), surface);
    CEndCounter listener;
    movie.SetEndListener(&listener);
    movie.SetLoop(true);
    movie.Play();
    for (int i = 0; i < 10; ++i)
        Pass(100);
    EXPECT_FALSE(movie.IsPlaying());
    EXPECT_EQ(listener.m_nCalls, 1);
    // One failed attempt, not one report per pass.
    EXPECT_EQ(errors.Errors().size(), 1u);
}
