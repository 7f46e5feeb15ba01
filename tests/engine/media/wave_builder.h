// Builds wave images byte by byte for the media tests, independently of the
// engine's own header writer, so that a fault there cannot hide in the data.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace wave_test {
inline void Put16(std::string& out, uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

inline void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One chunk: identifier, size and the body, padded to an even length.
inline std::string Chunk(const char* id, const std::string& body, int32_t sizeOverride = -1)
{
    std::string out(id, 4);
    Put32(out, sizeOverride >= 0 ? static_cast<uint32_t>(sizeOverride) : static_cast<uint32_t>(body.size()));
    out += body;
    if (body.size() & 1)
        out += '\0';
    return out;
}

// A wave-format record: tag, channels, rate, bytes per second, block alignment,
// then (unless short) bits and the extra-size field with the extra bytes.
inline std::string Record(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits,
                          bool shortForm = false, const std::string& extra = "")
{
    std::string out;
    Put16(out, tag);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, rate * blockAlign);
    Put16(out, blockAlign);
    if (!shortForm)
    {
        Put16(out, bits);
        Put16(out, static_cast<uint32_t>(extra.size()));
        out += extra;
    }
    return out;
}

// The 16-byte format chunk of a wave image: the record up to its bits.
inline std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign, uint16_t bits)
{
    return Chunk("fmt ", Record(tag, channels, rate, blockAlign, bits).substr(0, 16));
}

inline std::string Riff(const std::string& chunks)
{
    std::string out = "RIFF";
    Put32(out, static_cast<uint32_t>(chunks.size() + 4));
    return out + "WAVE" + chunks;
}

inline std::string Samples16(const std::vector<int16_t>& samples)
{
    std::string out;
    for (int16_t s : samples)
        Put16(out, static_cast<uint16_t>(s));
    return out;
}

// A 16-bit PCM wave image of interleaved samples.
inline std::string Pcm16Wave(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate)
{
    return Riff(Fmt(1, channels, rate, static_cast<uint16_t>(2 * channels), 16) +
                Chunk("data", Samples16(samples)));
}

// A sine tone, the same on every channel.
inline std::vector<int16_t> Tone(double frequency, double amplitude, uint32_t rate, uint32_t frames,
                                 uint16_t channels = 1)
{
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i)
    {
        const double v = amplitude * std::sin(2.0 * M_PI * frequency * i / rate);
        for (uint16_t c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(std::lround(v)));
    }
    return out;
}

inline std::vector<int16_t> ReadSamples16(const uint8_t* data, uint32_t bytes)
{
    std::vector<int16_t> out(bytes / 2);
    for (uint32_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return out;
}

inline const uint8_t* Bytes(const std::string& s)
{
    return reinterpret_cast<const uint8_t*>(s.data());
}
} // namespace wave_test
