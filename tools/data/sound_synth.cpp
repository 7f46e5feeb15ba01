#include "tools/data/sound_synth.h"

#include "tools/data/wave_file.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;

int16_t ToSample(double value)
{
    return static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 30000.0));
}

size_t SampleCount(double seconds)
{
    return static_cast<size_t>(std::lround(seconds * DEMO_SOUND_RATE));
}

// A tone's phase step per sample with hz rounded to whole cycles in n samples.
double LoopStep(double hz, size_t n)
{
    const double cycles = std::max(1.0, std::round(hz * static_cast<double>(n) / DEMO_SOUND_RATE));
    return 2 * kPi * cycles / static_cast<double>(n);
}

// A hum with its overtones, at phase p.
double Hum(double p)
{
    return (std::sin(p) + 0.5 * std::sin(2 * p) + 0.25 * std::sin(3 * p)) / 1.75;
}
} // namespace

std::vector<int16_t> EngineLoop(const EngineVoice& voice, double seconds)
{
    const size_t n = SampleCount(seconds);
    const double hum = LoopStep(voice.hz, n), pulse = LoopStep(voice.pulseHz, n);
    const double whine = voice.whineHz > 0 ? LoopStep(voice.whineHz, n) : 0.0;
    const double rattle = LoopStep(voice.hz * 2.5, n);
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
    {
        const double t = static_cast<double>(i);
        const double beat = 0.5 - 0.5 * std::cos(pulse * t);
        double value = Hum(hum * t) * (0.65 + 0.35 * beat);
        value += 0.3 * std::sin(whine * t);
        value += voice.rattle * 0.4 * std::tanh(3 * std::sin(rattle * t)) * beat;
        samples[i] = ToSample(value * voice.volume / (1.3 + voice.rattle * 0.4));
    }
    return samples;
}

std::vector<int16_t> HornSound(double lowHz, double highHz, double seconds)
{
    const size_t n = SampleCount(seconds);
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
    {
        const double t = static_cast<double>(i) / DEMO_SOUND_RATE;
        samples[i] = ToSample(0.35 * (Hum(2 * kPi * lowHz * t) + Hum(2 * kPi * highHz * t)));
    }
    FadeEnds(samples, SampleCount(0.012));
    return samples;
}

std::vector<int16_t> CrashSound(double seconds)
{
    const size_t n = SampleCount(seconds);
    std::vector<int16_t> samples(n);
    uint32_t seed = 12345;
    double smooth = 0;
    for (size_t i = 0; i < n; ++i)
    {
        const double t = static_cast<double>(i) / DEMO_SOUND_RATE;
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / (1 << 23) - 1.0;
        smooth += 0.35 * (noise - smooth); // a low-passed clatter
        const double thud = std::sin(2 * kPi * 55 * t) * std::exp(-t * 9);
        samples[i] = ToSample((0.8 * smooth * std::exp(-t * 5) + 0.6 * thud) * 0.9);
    }
    FadeEnds(samples, SampleCount(0.004));
    return samples;
}

void FadeEnds(std::vector<int16_t>& samples, size_t count)
{
    count = std::min(count, samples.size() / 2);
    for (size_t i = 0; i < count; ++i)
    {
        const double gain = static_cast<double>(i) / static_cast<double>(count);
        samples[i] = static_cast<int16_t>(std::lround(samples[i] * gain));
        samples[samples.size() - 1 - i] =
            static_cast<int16_t>(std::lround(samples[samples.size() - 1 - i] * gain));
    }
}

std::vector<int16_t> MelodySound(const std::vector<double>& notes, double noteSeconds, double seconds)
{
    const size_t n = SampleCount(seconds);
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n && !notes.empty() && noteSeconds > 0; ++i)
    {
        const double t = static_cast<double>(i) / DEMO_SOUND_RATE;
        const auto note = static_cast<size_t>(t / noteSeconds);
        const double hz = notes[note % notes.size()], local = t - static_cast<double>(note) * noteSeconds;
        const double tone = std::sin(2 * kPi * hz * t) + 0.3 * std::sin(4 * kPi * hz * t);
        samples[i] = ToSample(tone * std::exp(-6 * local) * 0.5);
    }
    FadeEnds(samples, std::min<size_t>(n, 200));
    return samples;
}

ST_SMK_AUDIO MovieAudio(const std::vector<int16_t>& samples)
{
    ST_SMK_AUDIO audio;
    audio.nRate = DEMO_SOUND_RATE;
    audio.nBits = 16;
    audio.nChannels = 1;
    audio.data.resize(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const auto value = static_cast<uint16_t>(samples[i]);
        audio.data[i * 2] = static_cast<uint8_t>(value & 0xFF);
        audio.data[i * 2 + 1] = static_cast<uint8_t>(value >> 8);
    }
    return audio;
}
