// A sound system playing onto SDL's disk audio driver, for tests that read
// back the mixed output: tones of known frequency, waves made from them, and
// main-loop passes driven by a manual clock.
#pragma once

#include "../platform/disk_audio.h"
#include "engine/core/main_loop.h"
#include "engine/core/options.h"
#include "engine/media/sound.h"
#include "engine/media/wave.h"
#include "engine/platform/audio.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_support.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace playback_test {
using namespace disk_audio;
using namespace wave_test;

constexpr uint32_t RATE = 22050;
// Tones centred on the analysis bins, so each one reads cleanly.
constexpr double TONE_A = 5 * RATE / 256.0;
constexpr double TONE_B = 10 * RATE / 256.0;
constexpr double TONE_C = 15 * RATE / 256.0;
constexpr uint32_t LINE_FRAMES = 6400; // 25 windows
// About a second, in whole windows: every tone above completes whole cycles in
// it, so it loops without a click.
constexpr uint32_t LOOP_FRAMES = 256 * 86;

class PlaybackFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pRoute = std::make_unique<Route>(m_Dir);
        m_Options.SetNumber("Engine.Sound", "Frequency", RATE);
        m_Options.SetNumber("Engine.Sound", "NumChannels", 2);
        m_Options.SetNumber("Engine.Sound", "MasterVolume", 127);
        ASSERT_EQ(InitSoundSystem(&m_Options), 0u);
        ASSERT_TRUE(IsSoundOn());
    }
    void TearDown() override
    {
        m_Waves.clear();
        if (IsSoundSystemInitialised())
            ShutdownSoundSystem();
        m_pRoute.reset();
    }

    CxWave* MakeWave(double frequency, uint32_t frames, double amplitude = 8000)
    {
        return MakeWaveFrom(Pcm16Wave(Tone(frequency, amplitude, RATE, frames), 1, RATE));
    }

    // A wave at full volume holding a copy of the bytes.
    CxWave* MakeWaveFrom(const std::string& bytes, uint32_t flags = 0)
    {
        m_Waves.push_back(std::make_unique<CxWave>());
        CxWave* wave = m_Waves.back().get();
        EXPECT_EQ(wave->SetData(bytes.data(), static_cast<uint32_t>(bytes.size()), false), 0u);
        wave->SetPlayFlags(flags);
        wave->SetVolume(127);
        return wave;
    }

    // One main-loop pass after the service interval has gone by.
    void Pass()
    {
        m_Clock.Advance(CX_SOUND_SERVICE_INTERVAL + 1);
        RunMainLoopFunctions();
    }

    // Runs passes until every wave is idle (bounded in real time).
    bool PlayOut()
    {
        return WaitFor([this] {
            Pass();
            for (auto& wave : m_Waves)
                if (wave->IsPlaying() || wave->IsQueued())
                    return false;
            return true;
        });
    }

    // Waits until the device has mixed some frames past now.
    void LetMix(uint64_t frames)
    {
        const uint64_t start = AudioGetMixedFrames(GetSoundDriver());
        ASSERT_TRUE(WaitFor([&] { return AudioGetMixedFrames(GetSoundDriver()) >= start + frames; }));
    }

    std::vector<int16_t> Finish()
    {
        m_Waves.clear();
        ShutdownSoundSystem();
        return m_pRoute->Samples();
    }

    TempDir m_Dir;
    std::unique_ptr<Route> m_pRoute;
    ScopedManualClock m_Clock{1000};
    CxOptions m_Options;
    std::vector<std::unique_ptr<CxWave>> m_Waves;
};

} // namespace playback_test
