#include "tools/data/wave_file.h"

#include "engine/media/wave_info.h"
#include "tools/data/demo_data.h"

#include <cmath>
#include <cstdio>

bool SaveWave16(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate)
{
    ST_WAVE_FORMAT format;
    format.nRate = rate;
    const uint32_t dataLength = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    std::vector<uint8_t> bytes(GetWaveHeaderSize(format) + dataLength);
    WriteWaveHeader(bytes.data(), format, dataLength, 0);
    uint8_t* out = bytes.data() + GetWaveHeaderSize(format);
    for (int16_t sample : samples)
    {
        WriteLE16(out, static_cast<uint16_t>(sample));
        out += 2;
    }
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

namespace {
// One sample frame averaged over its channels, as a 16-bit value.
double MonoSample(const ST_WAV_INFO& info, uint32_t frame)
{
    const uint32_t bytesPerSample = info.nBits / 8;
    const uint8_t* p = info.pData + static_cast<size_t>(frame) * info.nChannels * bytesPerSample;
    double sum = 0;
    for (uint32_t channel = 0; channel < info.nChannels; ++channel, p += bytesPerSample)
        sum += bytesPerSample == 1 ? (p[0] - 128) * 256.0 : static_cast<int16_t>(ReadLE16(p));
    return sum / info.nChannels;
}
} // namespace

bool WaveToDemoFormat(const std::string& bytes, std::vector<int16_t>* samples, std::string* why)
{
    ST_WAV_INFO info;
    if (ParseWaveInfo(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                      false, &info) != 0 ||
        info.nFormatTag != CX_WAVE_FORMAT_PCM || (info.nBits != 8 && info.nBits != 16) || info.nRate == 0)
    {
        *why = "not an 8 or 16-bit PCM wave";
        return false;
    }
    const uint32_t frameBytes = info.nChannels * (info.nBits / 8u);
    const uint32_t frames = info.nDataLength / frameBytes;
    const uint64_t outFrames = static_cast<uint64_t>(frames) * DEMO_SOUND_RATE / info.nRate;
    samples->clear();
    samples->reserve(outFrames);
    for (uint64_t i = 0; i < outFrames; ++i)
    {
        const double position = static_cast<double>(i) * info.nRate / DEMO_SOUND_RATE;
        const uint32_t first = static_cast<uint32_t>(position);
        const uint32_t second = first + 1 < frames ? first + 1 : first;
        const double blend = position - first;
        const double value = MonoSample(info, first) * (1 - blend) + MonoSample(info, second) * blend;
        samples->push_back(static_cast<int16_t>(std::lround(std::fmax(-32768.0, std::fmin(32767.0, value)))));
    }
    return true;
}
