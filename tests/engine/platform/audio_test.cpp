// The audio mixer layer on SDL's disk audio driver: sample status, loop
// counts, per-side levels, the master level and rate changes, read back from
// the mixed output.
#include "engine/platform/audio.h"

#include "disk_audio.h"
#include "tests/engine/media/wave_builder.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace disk_audio;

namespace {
// Readings of SDL's millisecond clock still to be answered with 0 on the
// thread that asked for them (SDL's first millisecond, or the moment the
// 32-bit count wraps).
std::atomic<int> s_nZeroReadings{0};
std::thread::id s_ZeroThread;

void ReadClockAsZero(int readings)
{
    s_ZeroThread = std::this_thread::get_id();
    s_nZeroReadings = readings;
}
} // namespace

// SDL's clock as the mixer library and the engine see it: the dynamic linker
// binds their calls to this definition, which passes on to SDL's own except
// for the readings a test asks to be 0.
extern "C" uint32_t SDL_GetTicks(void)
{
    static const auto real = reinterpret_cast<uint32_t (*)(void)>(dlsym(RTLD_NEXT, "SDL_GetTicks"));
    if (s_nZeroReadings > 0 && std::this_thread::get_id() == s_ZeroThread && s_nZeroReadings-- > 0)
        return 0;
    return real ? real() : 0;
}

namespace {
constexpr uint32_t RATE = 22050;
constexpr double LOW = 5 * RATE / 256.0;
constexpr double HIGH = 10 * RATE / 256.0;
constexpr uint32_t FRAMES = 256 * 40;

// 16-bit mono samples of a tone, as little-endian bytes.
std::string ToneBytes(double frequency, double amplitude, uint32_t frames)
{
    return wave_test::Samples16(wave_test::Tone(frequency, amplitude, RATE, frames));
}

class AudioMixer : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pRoute = std::make_unique<Route>(m_Dir);
        ASSERT_TRUE(AudioStartup());
        m_hDriver = AudioOpenDriver(RATE, 16, 1, CX_AUDIO_OPEN_PRIMARY);
        ASSERT_NE(m_hDriver, nullptr) << AudioGetLastError();
    }
    void TearDown() override
    {
        for (HCXSAMPLE sample : m_Samples)
            AudioReleaseSample(sample);
        if (m_hDriver)
            AudioCloseDriver(m_hDriver);
        AudioShutdown();
        m_pRoute.reset();
    }

    HCXSAMPLE Sample(const std::string& pcm)
    {
        HCXSAMPLE sample = AudioAllocateSample(m_hDriver);
        EXPECT_NE(sample, nullptr);
        m_Samples.push_back(sample);
        AudioInitSample(sample);
        EXPECT_TRUE(AudioSetSampleData(sample, pcm.data(), static_cast<uint32_t>(pcm.size()),
                                       CX_SAMPLE_MONO_16, RATE));
        return sample;
    }

    bool WaitDone(HCXSAMPLE sample)
    {
        return WaitFor([&] { return AudioGetSampleStatus(sample) == CX_SAMPLE_DONE; });
    }

    void LetMix(uint64_t frames)
    {
        const uint64_t start = AudioGetMixedFrames(m_hDriver);
        ASSERT_TRUE(WaitFor([&] { return AudioGetMixedFrames(m_hDriver) >= start + frames; }));
    }

    std::vector<int16_t> Finish()
    {
        for (HCXSAMPLE sample : m_Samples)
            AudioReleaseSample(sample);
        m_Samples.clear();
        AudioCloseDriver(m_hDriver);
        m_hDriver = nullptr;
        return m_pRoute->Samples();
    }

    TempDir m_Dir;
    std::unique_ptr<Route> m_pRoute;
    HCXDRIVER m_hDriver = nullptr;
    std::vector<HCXSAMPLE> m_Samples;
};

int Peak(const std::vector<int16_t>& samples, uint32_t channel)
{
    int peak = 0;
    for (size_t i = channel; i < samples.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}
} // namespace

TEST_F(AudioMixer, StatusFollowsTheSampleThroughItsLife)
{
    // A mono request still opens two channels.
    uint32_t rate, bits, channels;
    AudioGetDriverFormat(m_hDriver, &rate, &bits, &channels);
    EXPECT_EQ(rate, RATE);
    EXPECT_EQ(bits, 16u);
    EXPECT_EQ(channels, 2u);
    HCXSAMPLE sample = AudioAllocateSample(m_hDriver);
    m_Samples.push_back(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_FREE);
    AudioInitSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_DONE);
    const std::string pcm = ToneBytes(LOW, 8000, FRAMES);
    ASSERT_TRUE(
        AudioSetSampleData(sample, pcm.data(), static_cast<uint32_t>(pcm.size()), CX_SAMPLE_MONO_16, RATE));
    AudioSetSampleLoopCount(sample, 0);
    AudioStartSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_PLAYING);
    // A paused channel counts as playing to the mixer; here it is stopped.
    AudioStopSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_STOPPED);
    const uint64_t before = AudioGetMixedFrames(m_hDriver);
    LetMix(4096);
    EXPECT_GT(AudioGetMixedFrames(m_hDriver), before);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_STOPPED);
    AudioResumeSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_PLAYING);
    AudioSetSampleLoopCount(sample, 1);
    AudioStartSample(sample);
    EXPECT_TRUE(WaitDone(sample));
}

TEST_F(AudioMixer, StopWhileTheClockReadsZeroStillStops)
{
    // The mixer marks a paused channel with the clock reading of the pause;
    // a pause in SDL's first millisecond (as in a fast program that stops a
    // sound right after starting the audio) must not be lost.
    HCXSAMPLE sample = Sample(ToneBytes(LOW, 8000, FRAMES));
    AudioSetSampleLoopCount(sample, 0);
    AudioStartSample(sample);
    ReadClockAsZero(1);
    AudioStopSample(sample);
    s_nZeroReadings = 0;
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_STOPPED);
    LetMix(4096);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_STOPPED);
    AudioResumeSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_PLAYING);
}

TEST_F(AudioMixer, LoopCountIsTheNumberOfPlays)
{
    HCXSAMPLE sample = Sample(ToneBytes(LOW, 8000, FRAMES));
    AudioSetSampleLoopCount(sample, 3);
    EXPECT_EQ(AudioGetSampleLoopCount(sample), 3);
    AudioStartSample(sample);
    ASSERT_TRUE(WaitDone(sample));
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {LOW});
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(static_cast<double>(runs[0].windows), 3.0 * FRAMES / WINDOW, 1.0);
}

TEST_F(AudioMixer, LevelsApplyToEachSideAndTheMasterLevelToTheMix)
{
    AudioSetMasterLevel(m_hDriver, 0.5f);
    EXPECT_EQ(AudioGetMasterLevel(m_hDriver), 0.5f);
    HCXSAMPLE sample = Sample(ToneBytes(LOW, 10000, FRAMES));
    AudioSetSampleVolumeLevels(sample, 1.0f, 0.0f);
    float left, right;
    AudioGetSampleVolumeLevels(sample, &left, &right);
    EXPECT_EQ(left, 1.0f);
    EXPECT_EQ(right, 0.0f);
    AudioStartSample(sample);
    ASSERT_TRUE(WaitDone(sample));
    HCXSAMPLE quieter = Sample(ToneBytes(LOW, 10000, FRAMES));
    AudioSetSampleVolumeLevels(quieter, 0.0f, 0.5f);
    AudioStartSample(quieter);
    ASSERT_TRUE(WaitDone(quieter));
    const std::vector<int16_t> samples = Finish();
    EXPECT_NEAR(Peak(samples, 0), 5000, 60);
    EXPECT_NEAR(Peak(samples, 1), 2500, 60);
}

TEST_F(AudioMixer, RateChangeGoesOnFromThePositionReached)
{
    const uint32_t frames = 256 * 400;
    HCXSAMPLE sample = Sample(ToneBytes(LOW, 8000, frames));
    EXPECT_EQ(AudioGetSamplePlaybackRate(sample), static_cast<int32_t>(RATE));
    AudioStartSample(sample);
    LetMix(8192);
    AudioSetSamplePlaybackRate(sample, 2 * RATE);
    EXPECT_EQ(AudioGetSamplePlaybackRate(sample), static_cast<int32_t>(2 * RATE));
    ASSERT_TRUE(WaitDone(sample));
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {LOW, HIGH});
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{LOW, HIGH}));
    // What was left of the sound took half its time.
    const double heard = static_cast<double>(runs[0].windows) + 2.0 * static_cast<double>(runs[1].windows);
    EXPECT_NEAR(heard, frames / static_cast<double>(WINDOW), 4.0);
}

TEST_F(AudioMixer, UndecodableDataIsRefused)
{
    HCXSAMPLE sample = AudioAllocateSample(m_hDriver);
    m_Samples.push_back(sample);
    AudioInitSample(sample);
    const std::string garbage(2000, '\x5A');
    EXPECT_FALSE(AudioSetSampleFile(sample, garbage.data(), static_cast<uint32_t>(garbage.size())));
    EXPECT_FALSE(
        AudioSetNamedSampleFile(sample, ".mp3", garbage.data(), static_cast<uint32_t>(garbage.size())));
    EXPECT_FALSE(AudioSetSampleData(sample, garbage.data(), 2000, 5, RATE));
    EXPECT_STRNE(AudioGetLastError(), "");
    AudioSetError("");
    EXPECT_STREQ(AudioGetLastError(), "");
    // Starting a sample without data plays nothing.
    AudioStartSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_DONE);
}

TEST_F(AudioMixer, OneDriverAtATimeAndHandlesOutliveIt)
{
    EXPECT_EQ(AudioOpenDriver(RATE, 16, 2, CX_AUDIO_OPEN_PRIMARY), nullptr);
    HCXSAMPLE sample = Sample(ToneBytes(LOW, 8000, FRAMES));
    AudioSetSampleLoopCount(sample, 0);
    AudioStartSample(sample);
    AudioCloseDriver(m_hDriver);
    m_hDriver = nullptr;
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_DONE);
    AudioStartSample(sample);
    EXPECT_EQ(AudioGetSampleStatus(sample), CX_SAMPLE_DONE);
}

TEST(AudioDriver, BufferSizeIsAPowerOfTwoWithinBounds)
{
    EXPECT_EQ(AudioGetBufferFrames(), CX_AUDIO_DEFAULT_BUFFER);
    AudioSetBufferFrames(1000);
    EXPECT_EQ(AudioGetBufferFrames(), 1024u);
    AudioSetBufferFrames(10);
    EXPECT_EQ(AudioGetBufferFrames(), 256u);
    AudioSetBufferFrames(100000);
    EXPECT_EQ(AudioGetBufferFrames(), 8192u);
    AudioSetBufferFrames(CX_AUDIO_DEFAULT_BUFFER);
}

TEST(AudioDriver, NoDeviceMeansNoDriverOnEitherAttempt)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    AudioShutdown();
    EXPECT_EQ(AudioOpenDriver(RATE, 16, 2, CX_AUDIO_OPEN_PRIMARY), nullptr);
    EXPECT_STRNE(AudioGetLastError(), "");
    EXPECT_EQ(AudioOpenDriver(RATE, 16, 2, CX_AUDIO_OPEN_FALLBACK), nullptr);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The fallback starts SDL's audio afresh, so it finds the now available driver.
    HCXDRIVER driver = AudioOpenDriver(RATE, 16, 2, CX_AUDIO_OPEN_FALLBACK);
    EXPECT_NE(driver, nullptr) << AudioGetLastError();
    AudioCloseDriver(driver);
    AudioShutdown();
}
