// Helpers for tests that play through SDL's disk audio driver: it writes the
// mixed output to a file, and with SDL_DISKAUDIODELAY=0 it mixes as fast as
// it can, so a test waits (with a bound) for the audio thread, closes the
// device and then reads what was played.
#pragma once

#include "engine/platform/clock.h"
#include "tests/support/test_support.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace disk_audio {
// Routes audio to a file in dir for the life of the object.
class Route
{
public:
    explicit Route(const TempDir& dir) : m_File(dir.File("mixed.raw"))
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", m_File.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
    }
    ~Route()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
    }
    Route(const Route&) = delete;
    Route& operator=(const Route&) = delete;

    // The interleaved 16-bit output written so far (read after the device closed).
    std::vector<int16_t> Samples() const
    {
        const std::string bytes = TempDir::Read(m_File);
        std::vector<int16_t> out(bytes.size() / 2);
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
        return out;
    }

private:
    std::string m_File;
};

// Waits in real time until done() holds, at most timeoutMs; true when it did.
template <class F>
bool WaitFor(F done, uint32_t timeoutMs = 20000)
{
    const uint32_t start = GetSystemTicks();
    while (!done())
    {
        if (GetSystemTicks() - start > timeoutMs)
            return false;
        SleepMs(1);
    }
    return true;
}

// Strength of one frequency in a window of one channel (Goertzel).
inline double Power(const std::vector<int16_t>& samples, size_t firstFrame, size_t frames, uint32_t channels,
                    uint32_t channel, double frequency, double rate)
{
    const double coefficient = 2 * std::cos(2 * M_PI * frequency / rate);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < frames; ++i)
    {
        const double s0 = samples[(firstFrame + i) * channels + channel] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - coefficient * s1 * s2) / static_cast<double>(frames);
}

// One stretch of output where one tone (or silence: frequency 0) dominates.
struct ToneRun
{
    double frequency;
    size_t windows;
};

constexpr size_t WINDOW = 256;

// Cuts one channel into windows and names each by the strongest of the given
// frequencies; quiet windows are dropped. `both` counts windows in which two
// tones are strong at once.
inline std::vector<ToneRun> Runs(const std::vector<int16_t>& samples, uint32_t channels, uint32_t channel,
                                 double rate, const std::vector<double>& frequencies, size_t* both = nullptr)
{
    std::vector<ToneRun> runs;
    const size_t frames = samples.size() / channels;
    if (both)
        *both = 0;
    for (size_t w = 0; w + WINDOW <= frames; w += WINDOW)
    {
        double best = 0;
        double strongest = 0;
        int strong = 0;
        for (double f : frequencies)
        {
            const double p = Power(samples, w, WINDOW, channels, channel, f, rate);
            if (p > 300)
                ++strong;
            if (p > strongest)
            {
                strongest = p;
                best = f;
            }
        }
        if (strongest <= 300)
            continue;
        if (both && strong > 1)
            ++*both;
        if (!runs.empty() && runs.back().frequency == best)
            ++runs.back().windows;
        else
            runs.push_back({best, 1});
    }
    return runs;
}

inline std::vector<double> Frequencies(const std::vector<ToneRun>& runs)
{
    std::vector<double> out;
    for (const ToneRun& r : runs)
        out.push_back(r.frequency);
    return out;
}
} // namespace disk_audio
