// Reading and writing the RIFF wave images the sound layer plays: the chunk
// walk that describes a wave's samples, the ID3 tag skip in front of MP3
// data, and the header writer used by the ADPCM codec.
//
// Every read is bounded by the size of the image: a chunk that claims more
// bytes than there are is an invalid file, never a read past the end.
#pragma once

#include <cstdint>

// What the wave-information walk finds in an image.
struct ST_WAV_INFO
{
    int32_t nFormat = 0;            // always 0
    const uint8_t* pData = nullptr; // the first sample
    uint32_t nRate = 0;             // samples per second
    uint32_t nBlockSize = 0;        // block alignment; for raw data the whole data size
    uint32_t nSamples = 0;          // sample frames
    uint16_t nBits = 0;             // bits per sample
    uint16_t nChannels = 0;
    uint32_t bADPCM = 0;      // 1 when the format tag is IMA ADPCM
    uint32_t nDataLength = 0; // bytes of sample data from pData
    uint16_t nFormatTag = 0;  // the "fmt " chunk's format tag (1 for raw data)
};

constexpr uint16_t CX_WAVE_FORMAT_PCM = 1;
constexpr uint16_t CX_WAVE_FORMAT_MS_ADPCM = 2;
constexpr uint16_t CX_WAVE_FORMAT_IMA_ADPCM = 0x11;

// Rate of data played as raw PCM (16-bit mono).
constexpr uint32_t CX_RAW_SAMPLE_RATE = 22000;

// Little-endian reads from untrusted bytes; the caller checks the bounds.
inline uint16_t ReadLE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteLE16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Describes the wave in data. Raw data is 16-bit mono at CX_RAW_SAMPLE_RATE.
// Returns 0, or 10 (invalid file) when the image is not a complete wave: no
// "WAVE" form, no "fmt " or data chunk, a chunk running past the end, no
// channels or a zero block alignment.
uint32_t ParseWaveInfo(const uint8_t* data, uint32_t size, bool raw, ST_WAV_INFO* info);

// The wave-format record in front of header-form sample data.
struct ST_FORMAT_RECORD
{
    uint16_t nFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nRate = 0;
    uint16_t nBlockAlign = 0;
    uint32_t nSize = 0; // bytes of the record: 14 for tag 0, else 18 plus its extra bytes
};

// Reads the record at the start of data. Returns 0, or 10 (invalid file) when the
// record does not fit in the data or names no channels or no block alignment.
uint32_t ParseFormatRecord(const uint8_t* data, uint32_t size, ST_FORMAT_RECORD* record);

// Offset at which MP3 frames start: past an ID3 version 3 tag (10 bytes plus
// the size stored as four 7-bit digits), else 0. Never beyond size.
uint32_t SkipId3Tag(const uint8_t* data, uint32_t size);

// Sample rate of the first MPEG audio frame header at or after offset, or 0.
uint32_t FindMp3SampleRate(const uint8_t* data, uint32_t size, uint32_t offset);

// The fields of a wave's "fmt " chunk as the header writer takes them.
struct ST_WAVE_FORMAT
{
    uint16_t nFormatTag = CX_WAVE_FORMAT_PCM;
    uint16_t nChannels = 1;
    uint32_t nRate = 22050;
    uint16_t nBlockAlign = 2;
    uint16_t nBits = 16;
    uint16_t nSamplesPerBlock = 0; // written (with the extra-size field) for IMA ADPCM only
};

// Bytes of the header that WriteWaveHeader writes: RIFF, "fmt " (16 bytes for
// PCM, 20 for IMA ADPCM), a "fact" chunk for ADPCM, and the data chunk header.
uint32_t GetWaveHeaderSize(const ST_WAVE_FORMAT& format);
// Writes that header for dataLength bytes of samples; out holds GetWaveHeaderSize bytes.
// factSamples is the sample count written into the "fact" chunk.
void WriteWaveHeader(uint8_t* out, const ST_WAVE_FORMAT& format, uint32_t dataLength, uint32_t factSamples);
