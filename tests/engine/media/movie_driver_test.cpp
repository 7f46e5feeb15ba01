// The movie driver registry and the Smacker driver, on movies made by our encoder.
#include "engine/media/movie_driver.h"

#include "engine/graphics/draw_surface.h"
#include "engine/media/sound.h"
#include "engine/platform/clock.h"
#include "movie_test_util.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>

using namespace movie_test;

namespace {
// Restores the standard registry (".SMK" only) whatever a test did to it.
class RegistryGuard
{
public:
    RegistryGuard() { ClearMovieDrivers(); }
    ~RegistryGuard()
    {
        ClearMovieDrivers();
        RegisterMovieDrivers();
    }
};

std::string s_LastFactoryName;
uint32_t s_LastFactoryFlags = 0;
int s_FactoryCalls = 0;

CxMovieDriver* RecordingFactory(const char* name, uint32_t flags)
{
    ++s_FactoryCalls;
    s_LastFactoryName = name;
    s_LastFactoryFlags = flags;
    return nullptr;
}

class MovieDriverTest : public testing::Test
{
protected:
    std::unique_ptr<CxSmackerDriver> OpenDriver(const std::string& path, uint32_t flags = 0)
    {
        auto driver = std::make_unique<CxSmackerDriver>();
        EXPECT_EQ(driver->Open(path.c_str(), flags), CX_ERR_NONE);
        return driver;
    }

    TempDir dir;
    ScopedManualClock clock{1000};
    ErrorCapture errors;
};
} // namespace

TEST(MovieDriverRegistry, ExtensionsNeedThePeriodKeepSevenCharactersAndFillTwentySlots)
{
    RegistryGuard guard;
    ErrorCapture errors;
    EXPECT_EQ(RegisterMovieDriver("smk", RecordingFactory), CX_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(errors.Errors()[0].text, "Extension MUST include the period as in '.smk'");
    EXPECT_EQ(RegisterMovieDriver(nullptr, RecordingFactory), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(GetMovieDriverEntry(0)->szExtension[0], '\0');
    EXPECT_EQ(RegisterMovieDriver(".abcdefghij", RecordingFactory), 0u);
    EXPECT_EQ(std::string(GetMovieDriverEntry(0)->szExtension), ".abcdef");
    for (int i = 1; i < 21; ++i)
        EXPECT_EQ(RegisterMovieDriver((".e" + std::to_string(i)).c_str(), RecordingFactory, i), 0u);
    for (uint32_t i = 1; i < CX_MOVIE_DRIVER_SLOTS; ++i)
        EXPECT_EQ(GetMovieDriverEntry(i)->nSpare, i);
    EXPECT_EQ(GetMovieDriverEntry(20), nullptr);
    // The 21st extension found no room.
    s_FactoryCalls = 0;
    EXPECT_EQ(CreateMovieDriver("clip.e20", 0), nullptr);
    EXPECT_EQ(s_FactoryCalls, 0);
}

TEST(MovieDriverRegistry, TheNameEndingInAnyCaseFindsTheFactoryAndAFailureIsReportedOnce)
{
    RegistryGuard guard;
    ErrorCapture errors;
    RegisterMovieDriver(".SMK", RecordingFactory);
    RegisterMovieDriver(".mov", nullptr);
    s_FactoryCalls = 0;
    CreateMovieDriver("intro.Smk", 0x02);
    EXPECT_EQ(s_FactoryCalls, 1);
    EXPECT_EQ(s_LastFactoryName, "intro.Smk");
    EXPECT_EQ(s_LastFactoryFlags, 0x02u);
    // The factory failed and said why itself; nothing more is reported.
    EXPECT_TRUE(errors.Errors().empty());
    EXPECT_EQ(CreateMovieDriver("intro.avi", 0), nullptr);
    ASSERT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(errors.Errors()[0].code, CX_ERR_UNKNOWN);
    EXPECT_EQ(errors.Errors()[0].text, "No movie filter registered for 'intro.avi'");
    // An entry without a factory reports both failures.
    errors.Clear();
    EXPECT_EQ(CreateMovieDriver("a.MOV", 0), nullptr);
    ASSERT_EQ(errors.Errors().size(), 2u);
    EXPECT_EQ(errors.Errors()[0].text, "No Load function registered for 'a.MOV'");
    EXPECT_EQ(errors.Errors()[1].text, "No movie filter registered for 'a.MOV'");
}

TEST_F(MovieDriverTest, RegisteredSmackerFactoryOpensTheFile)
{
    RegistryGuard guard;
    RegisterMovieDrivers();
    RegisterMovieDrivers(); // a second call adds no second entry
    EXPECT_EQ(GetMovieDriverEntry(1)->szExtension[0], '\0');
    std::unique_ptr<CxMovieDriver> driver(
        CreateMovieDriver(dir.Write("clip.smk", MakeMovie(16, 8, 3)).c_str(), 0));
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetWidth(), 16);
    EXPECT_EQ(driver->GetFrameCount(), 3);
    EXPECT_TRUE(errors.Errors().empty());
}

TEST_F(MovieDriverTest, OpenFailuresReportOnceWithTheirTexts)
{
    CxSmackerDriver driver;
    EXPECT_EQ(driver.Open("", 0), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(driver.Open(nullptr, 0), CX_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(errors.Errors().size(), 2u);
    EXPECT_EQ(errors.Errors()[0].text, "FileName is empty");
    // Missing, unreadable (a directory) or refused by the decoder (whose tests own damaged movies): the
    // decoder's reason goes to the log, and the one report is the driver's.
    const std::string directory = dir.File("folder.SMK");
    ASSERT_EQ(mkdir(directory.c_str(), 0700), 0);
    for (const std::string& path :
         {dir.File("missing.smk"), directory, dir.Write("junk.smk", "SMK2 but nothing else"),
          dir.Write("text.smk", std::string(400, 'x'))})
    {
        errors.Clear();
        const uint32_t counted = GetErrorCount();
        EXPECT_EQ(driver.Open(path.c_str(), 0), CX_ERR_FILE_OPEN) << path;
        ASSERT_EQ(errors.Errors().size(), 1u) << path;
        EXPECT_EQ(errors.Errors()[0].code, CX_ERR_FILE_OPEN);
        EXPECT_EQ(errors.Errors()[0].text, "SmackOpen(" + path + ") failed");
        EXPECT_EQ(GetErrorCount(), counted + 1);
        EXPECT_EQ(driver.GetHandle(), nullptr);
        EXPECT_EQ(driver.GetFrameCount(), 0);
    }
}

TEST_F(MovieDriverTest, RingFrameMakesALoopingMovieOfTheFramesBeforeIt)
{
    auto looping = OpenDriver(dir.Write("loop.smk", MakeMovie(8, 8, 5, 10, {}, true)));
    EXPECT_TRUE(looping->IsLooping());
    EXPECT_EQ(looping->GetFrameCount(), 5) << "the ring frame is no frame of its own";
    EXPECT_EQ(looping->Goto(5), CX_ERR_INVALID_ARGUMENT);
    auto plain = OpenDriver(dir.Write("plain.smk", MakeMovie(8, 8, 5)));
    EXPECT_FALSE(plain->IsLooping());
    EXPECT_EQ(plain->GetFrameCount(), 5);
    // In time, the looping movie runs 0-4 and starts over at 0, never showing a frame twice running.
    CxDrawSurface surface;
    ASSERT_EQ(looping->AllocateSurface(&surface, 8), CX_ERR_NONE);
    looping->Command("Play", 0);
    std::vector<int32_t> shown;
    for (int i = 0; i < 12; ++i)
    {
        ST_MOVIE_FRAME record;
        record.nFlags |= CX_MOVIE_FRAME_IN_TIME;
        record.pSurface = &surface;
        ASSERT_EQ(looping->DoFrame(&record), CX_ERR_NONE);
        if (record.nFlags & CX_MOVIE_FRAME_DONE)
            shown.push_back(FrameShown(surface, 8, 8, 5));
        clock.Advance(100);
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1}));
}

TEST_F(MovieDriverTest, GivenFramesMatchTheEncodedPixelsInEveryFormat)
{
    const int32_t w = 20, h = 12, frames = 5;
    auto driver = OpenDriver(dir.Write("clip.smk", MakeMovie(w, h, frames)));
    struct Target
    {
        int32_t depth;
        uint8_t format;
    };
    for (const Target& t : {Target{8, CX_PF_PALETTE}, Target{16, CX_PF_555}, Target{16, CX_PF_565}})
    {
        CxDrawSurface surface;
        ASSERT_EQ(driver->AllocateSurface(&surface, t.depth), CX_ERR_NONE);
        surface.SetPixelFormat(t.format);
        // Out of order, as a sprite asks for them.
        for (int32_t k : {3, 0, 4, 1, 2, 2})
        {
            CxLinkedList<CxRect> dirty;
            ST_MOVIE_FRAME record;
            record.pSurface = &surface;
            record.nFrame = k;
            record.pDirty = &dirty;
            ASSERT_EQ(driver->DoFrame(&record), CX_ERR_NONE);
            EXPECT_EQ(record.nFlags, CX_MOVIE_FRAME_DEFAULT | CX_MOVIE_FRAME_DONE);
            EXPECT_TRUE(Holds(surface, w, h, k)) << "frame " << k << " depth " << t.depth;
            ASSERT_EQ(dirty.GetCount(), 1u);
            EXPECT_EQ(dirty.GetHead()->m_Value, CxRect(0, 0, w - 1, h - 1));
        }
        if (t.depth == 8)
        {
            // The 8-bit surface carries the movie's palette.
            const std::vector<uint8_t> palette = SixBitPalette();
            EXPECT_EQ(0, memcmp(surface.GetPalette(), palette.data(), 768));
        }
    }
}

TEST_F(MovieDriverTest, AllocateSurfaceAndDoFrameRefuseMissingSurfacesAndOtherPixelFormats)
{
    auto driver = OpenDriver(dir.Write("clip.smk", MakeMovie(8, 4, 2)));
    EXPECT_EQ(driver->AllocateSurface(nullptr, 8), CX_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(errors.Errors()[0].text, "pSurf must have already been allocated");
    EXPECT_EQ(driver->DoFrame(nullptr), CX_ERR_INVALID_ARGUMENT);
    ST_MOVIE_FRAME record;
    EXPECT_EQ(driver->DoFrame(&record), CX_ERR_INVALID_ARGUMENT); // no surface
    CxDrawSurface deep(8, 4, 32);
    record.pSurface = &deep;
    EXPECT_EQ(driver->DoFrame(&record), CX_ERR_INVALID_ARGUMENT);
    CxDrawSurface odd(8, 4, 16);
    odd.SetPixelFormat(CX_PF_4444);
    record.pSurface = &odd;
    EXPECT_EQ(driver->DoFrame(&record), CX_ERR_INVALID_ARGUMENT);
    CxSmackerDriver closed;
    CxDrawSurface surface(8, 4, 8);
    record.pSurface = &surface;
    EXPECT_EQ(closed.DoFrame(&record), CX_ERR_INVALID_ARGUMENT);
}

TEST_F(MovieDriverTest, InTimeFramesFollowTheRateOfTheEngineClock)
{
    const int32_t w = 8, h = 8, frames = 4;
    auto driver = OpenDriver(dir.Write("clip.smk", MakeMovie(w, h, frames, 10)));
    CxDrawSurface surface;
    ASSERT_EQ(driver->AllocateSurface(&surface, 8), CX_ERR_NONE);
    ST_MOVIE_FRAME record;
    record.pSurface = &surface;
    auto step = [&] {
        record.nFlags = CX_MOVIE_FRAME_DEFAULT | CX_MOVIE_FRAME_IN_TIME;
        EXPECT_EQ(driver->DoFrame(&record), CX_ERR_NONE);
        return record.nFlags & ~(CX_MOVIE_FRAME_DEFAULT | CX_MOVIE_FRAME_IN_TIME);
    };
    driver->Command("Play", 0);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_DONE);
    EXPECT_TRUE(Holds(surface, w, h, 0));
    EXPECT_EQ(driver->GetCurrentFrame(), 1);
    // 10 frames a second: the next one is due 100 ms after the first.
    EXPECT_EQ(step(), CX_MOVIE_FRAME_WAIT);
    clock.Advance(99);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_WAIT);
    EXPECT_TRUE(Holds(surface, w, h, 0));
    clock.Advance(1);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_DONE);
    EXPECT_TRUE(Holds(surface, w, h, 1));
    // Late by 250 ms: frames come one per call until the movie is back on time.
    clock.Advance(350);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_DONE);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_DONE);
    EXPECT_TRUE(Holds(surface, w, h, 3));
    // After the last frame the movie starts over, as the library's counter does.
    EXPECT_EQ(driver->GetCurrentFrame(), 0);
    // Its first frame takes the fifth slot (400 ms), which has passed.
    EXPECT_EQ(step(), CX_MOVIE_FRAME_DONE);
    EXPECT_TRUE(Holds(surface, w, h, 0));
    EXPECT_EQ(step(), CX_MOVIE_FRAME_WAIT);
    clock.Advance(49);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_WAIT);
    clock.Advance(1);
    EXPECT_EQ(step(), CX_MOVIE_FRAME_DONE);
    EXPECT_TRUE(Holds(surface, w, h, 1));
}

TEST_F(MovieDriverTest, ChangedRectanglesAreInclusiveAndGotoCountsFromZero)
{
    // Frame 1 differs from frame 0 only in the 8 x 8 block at (16, 8).
    const int32_t w = 32, h = 24;
    CxSmackerEncoder encoder;
    ASSERT_EQ(encoder.Begin(w, h, 10), CX_ERR_NONE);
    const std::vector<uint8_t> palette = SixBitPalette();
    std::vector<uint8_t> pixels = Frame(w, h, 0);
    encoder.AddFrame(pixels.data(), palette.data());
    for (int32_t y = 8; y < 16; ++y)
        for (int32_t x = 16; x < 24; ++x)
            pixels[static_cast<size_t>(y) * w + x] = 250;
    encoder.AddFrame(pixels.data(), palette.data());
    encoder.AddFrame(Frame(w, h, 2).data(), palette.data());
    std::vector<uint8_t> file;
    ASSERT_EQ(encoder.Finish(&file), CX_ERR_NONE);
    auto driver = OpenDriver(dir.Write("block.smk", file));
    CxDrawSurface surface;
    ASSERT_EQ(driver->AllocateSurface(&surface, 8), CX_ERR_NONE);
    CxLinkedList<CxRect> dirty;
    auto next = [&] {
        ST_MOVIE_FRAME record;
        record.pSurface = &surface;
        record.pDirty = &dirty;
        record.nFlags = CX_MOVIE_FRAME_DEFAULT | CX_MOVIE_FRAME_IN_TIME;
        clock.Advance(100);
        EXPECT_EQ(driver->DoFrame(&record), CX_ERR_NONE);
        EXPECT_EQ(dirty.GetCount(), 1u);
        return dirty.IsEmpty() ? CxRect() : dirty.GetHead()->m_Value;
    };
    EXPECT_EQ(next(), CxRect(0, 0, w - 1, h - 1));
    EXPECT_EQ(next(), CxRect(16, 8, 23, 15));
    EXPECT_EQ(surface.GetPixel(16, 8), 250u);
    EXPECT_EQ(surface.GetPixel(15, 8), PixelOf(15, 8, 0));
    EXPECT_EQ(driver->Goto(3), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(driver->Goto(-1), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(driver->GetCurrentFrame(), 2);
    ASSERT_EQ(driver->Goto(0), CX_ERR_NONE);
    EXPECT_EQ(next(), CxRect(0, 0, w - 1, h - 1)) << "after a jump the whole frame is new";
    EXPECT_TRUE(Holds(surface, w, h, 0));
}

TEST_F(MovieDriverTest, CommandsSwitchTheSoundAndUnknownOnesFail)
{
    const std::string path = dir.Write("clip.smk", MakeMovie(8, 8, 2));
    auto silent = OpenDriver(path, 0);
    EXPECT_EQ(silent->Command("Play", 0), CX_ERR_NONE);
    EXPECT_FALSE(silent->IsSoundOn());
    auto loud = OpenDriver(path, CX_MOVIE_DRIVER_SOUND);
    EXPECT_EQ(loud->Command("Stop", 0), CX_ERR_NONE);
    EXPECT_FALSE(loud->IsSoundOn());
    EXPECT_EQ(loud->Command("play", 0), CX_ERR_NONE);
    EXPECT_TRUE(loud->IsSoundOn());
    EXPECT_EQ(loud->Command("Rewind", 0), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(loud->Command(nullptr, 0), CX_ERR_INVALID_ARGUMENT);
}

TEST_F(MovieDriverTest, SoundWithoutTheSoundSystemDoesNothing)
{
    ASSERT_FALSE(IsSoundSystemInitialised());
    ST_SMK_AUDIO audio;
    audio.nRate = 8000;
    audio.nBits = 16;
    audio.nChannels = 1;
    audio.data.assign(8000 * 2 / 10 * 3, 0x11);
    auto driver = OpenDriver(dir.Write("loud.smk", MakeMovie(8, 8, 3, 10, {audio})), CX_MOVIE_DRIVER_SOUND);
    EXPECT_EQ(driver->Command("Play", 0), CX_ERR_NONE);
    EXPECT_EQ(driver->GetSample(), nullptr);
    driver->SetVolume(100, 0);
    EXPECT_EQ(driver->Command("Stop", 0), CX_ERR_NONE);
    EXPECT_TRUE(errors.Errors().empty());
}
