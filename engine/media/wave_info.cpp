#include "engine/media/wave_info.h"

#include "engine/core/error.h"

#include <cstring>

namespace {
constexpr uint32_t RIFF_HEADER = 12;
constexpr uint32_t CHUNK_HEADER = 8;
constexpr uint32_t FMT_MIN_SIZE = 16;

// One chunk found by the walk: where its data starts and how long it is.
struct Chunk
{
    uint32_t nOffset = 0;
    uint32_t nSize = 0;
};

// Walks the chunks from the first one after the form type to the end of the
// form (or of the data, when the form claims more) and returns the first
// whose identifier is one of the names. A chunk whose data runs past the end
// ends the walk as not found, since nothing after it can be trusted.
bool FindChunk(const uint8_t* data, uint32_t end, const char* name, const char* other, Chunk* found)
{
    uint64_t pos = RIFF_HEADER;
    while (pos + CHUNK_HEADER <= end)
    {
        const uint8_t* header = data + pos;
        const uint32_t size = ReadLE32(header + 4);
        const uint64_t body = pos + CHUNK_HEADER;
        if (body + size > end)
            return false;
        if (memcmp(header, name, 4) == 0 || (other && memcmp(header, other, 4) == 0))
        {
            found->nOffset = static_cast<uint32_t>(body);
            found->nSize = size;
            return true;
        }
        // Chunk data is padded to an even length.
        pos = body + size + (size & 1);
    }
    return false;
}
} // namespace

uint32_t ParseWaveInfo(const uint8_t* data, uint32_t size, bool raw, ST_WAV_INFO* info)
{
    *info = ST_WAV_INFO();
    if (raw)
    {
        info->pData = data;
        info->nRate = CX_RAW_SAMPLE_RATE;
        info->nBlockSize = size;
        info->nSamples = size / 2;
        info->nBits = 16;
        info->nChannels = 1;
        info->nDataLength = size;
        info->nFormatTag = CX_WAVE_FORMAT_PCM;
        return CX_ERR_NONE;
    }
    if (!data || size < RIFF_HEADER || memcmp(data + 8, "WAVE", 4) != 0)
        return CX_ERR_INVALID_FILE_TYPE;

    // The form's own length bounds the walk, unless it claims more than there is
    // (or is left 0 by a writer that could not seek back).
    uint32_t end = size;
    const uint64_t formEnd = static_cast<uint64_t>(ReadLE32(data + 4)) + 8;
    if (formEnd >= RIFF_HEADER + CHUNK_HEADER && formEnd < size)
        end = static_cast<uint32_t>(formEnd);

    Chunk fmt;
    if (!FindChunk(data, end, "fmt ", nullptr, &fmt) || fmt.nSize < FMT_MIN_SIZE)
        return CX_ERR_INVALID_FILE_TYPE;
    const uint8_t* f = data + fmt.nOffset;
    const uint16_t tag = ReadLE16(f);
    const uint16_t channels = ReadLE16(f + 2);
    const uint32_t rate = ReadLE32(f + 4);
    const uint16_t blockAlign = ReadLE16(f + 12);
    const uint16_t bits = ReadLE16(f + 14);
    if (channels == 0 || blockAlign == 0)
        return CX_ERR_INVALID_FILE_TYPE;

    Chunk samples;
    if (!FindChunk(data, end, "data", "adat", &samples))
        return CX_ERR_INVALID_FILE_TYPE;

    info->pData = data + samples.nOffset;
    info->nRate = rate;
    info->nBlockSize = blockAlign;
    info->nBits = bits;
    info->nChannels = channels;
    info->bADPCM = tag == CX_WAVE_FORMAT_IMA_ADPCM ? 1 : 0;
    info->nDataLength = samples.nSize;
    info->nFormatTag = tag;

    if (tag == CX_WAVE_FORMAT_IMA_ADPCM && bits == 4)
    {
        Chunk fact;
        if (FindChunk(data, end, "fact", nullptr, &fact) && fact.nSize >= 4)
        {
            info->nSamples = ReadLE32(data + fact.nOffset);
        }
        else
        {
            // Each block starts with a 4-byte header per channel holding one sample.
            const uint32_t header = 4u * channels;
            if (blockAlign <= header)
                return CX_ERR_INVALID_FILE_TYPE;
            const uint64_t perBlock = static_cast<uint64_t>(blockAlign - header) * 8 / (4u * channels) + 1;
            const uint64_t blocks = (static_cast<uint64_t>(samples.nSize) + blockAlign - 1) / blockAlign;
            const uint64_t count = perBlock * blocks;
            info->nSamples = count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
        }
    }
    else
    {
        info->nSamples = bits ? static_cast<uint32_t>(static_cast<uint64_t>(samples.nSize) * 8 / bits) : 0;
    }
    return CX_ERR_NONE;
}

uint32_t ParseFormatRecord(const uint8_t* data, uint32_t size, ST_FORMAT_RECORD* record)
{
    *record = ST_FORMAT_RECORD();
    // Tag, channels, rate, bytes per second and block alignment make the short
    // form; the long form adds the bits and the size of the extra bytes.
    if (!data || size < 14)
        return CX_ERR_INVALID_FILE_TYPE;
    const uint16_t tag = ReadLE16(data);
    uint32_t recordSize = 14;
    if (tag != 0)
    {
        if (size < 18)
            return CX_ERR_INVALID_FILE_TYPE;
        recordSize = 18u + ReadLE16(data + 16);
        if (recordSize > size)
            return CX_ERR_INVALID_FILE_TYPE;
    }
    record->nFormatTag = tag;
    record->nChannels = ReadLE16(data + 2);
    record->nRate = ReadLE32(data + 4);
    record->nBlockAlign = ReadLE16(data + 12);
    record->nSize = recordSize;
    if (record->nChannels == 0 || record->nBlockAlign == 0)
        return CX_ERR_INVALID_FILE_TYPE;
    return CX_ERR_NONE;
}

uint32_t SkipId3Tag(const uint8_t* data, uint32_t size)
{
    if (!data || size < 10 || memcmp(data, "ID3", 3) != 0 || data[3] != 3)
        return 0;
    const uint32_t tagSize = (static_cast<uint32_t>(data[6] & 0x7F) << 21) |
                             (static_cast<uint32_t>(data[7] & 0x7F) << 14) |
                             (static_cast<uint32_t>(data[8] & 0x7F) << 7) | (data[9] & 0x7F);
    const uint64_t start = 10ull + tagSize;
    return start > size ? size : static_cast<uint32_t>(start);
}

uint32_t FindMp3SampleRate(const uint8_t* data, uint32_t size, uint32_t offset)
{
    static const uint32_t rates[3] = {44100, 48000, 32000};
    for (uint64_t pos = offset; pos + 4 <= size; ++pos)
    {
        const uint8_t* h = data + pos;
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
            continue;
        const uint32_t version = (h[1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const uint32_t layer = (h[1] >> 1) & 3;
        const uint32_t bitrate = h[2] >> 4;
        const uint32_t rateIndex = (h[2] >> 2) & 3;
        if (version == 1 || layer == 0 || bitrate == 15 || rateIndex == 3)
            continue;
        const uint32_t shift = version == 3 ? 0 : (version == 2 ? 1 : 2);
        return rates[rateIndex] >> shift;
    }
    return 0;
}

uint32_t GetWaveHeaderSize(const ST_WAVE_FORMAT& format)
{
    if (format.nFormatTag == CX_WAVE_FORMAT_IMA_ADPCM)
        return RIFF_HEADER + CHUNK_HEADER + 20 + CHUNK_HEADER + 4 + CHUNK_HEADER;
    return RIFF_HEADER + CHUNK_HEADER + FMT_MIN_SIZE + CHUNK_HEADER;
}

void WriteWaveHeader(uint8_t* out, const ST_WAVE_FORMAT& format, uint32_t dataLength, uint32_t factSamples)
{
    const bool adpcm = format.nFormatTag == CX_WAVE_FORMAT_IMA_ADPCM;
    const uint32_t headerSize = GetWaveHeaderSize(format);
    uint8_t* p = out;
    memcpy(p, "RIFF", 4);
    WriteLE32(p + 4, headerSize - 8 + dataLength + (dataLength & 1));
    memcpy(p + 8, "WAVE", 4);
    p += RIFF_HEADER;

    const uint32_t fmtSize = adpcm ? 20 : FMT_MIN_SIZE;
    memcpy(p, "fmt ", 4);
    WriteLE32(p + 4, fmtSize);
    WriteLE16(p + 8, format.nFormatTag);
    WriteLE16(p + 10, format.nChannels);
    WriteLE32(p + 12, format.nRate);
    uint32_t bytesPerSecond = format.nRate * format.nBlockAlign;
    if (adpcm && format.nSamplesPerBlock)
        bytesPerSecond = static_cast<uint32_t>(static_cast<uint64_t>(format.nRate) * format.nBlockAlign /
                                               format.nSamplesPerBlock);
    WriteLE32(p + 16, bytesPerSecond);
    WriteLE16(p + 20, format.nBlockAlign);
    WriteLE16(p + 22, format.nBits);
    if (adpcm)
    {
        WriteLE16(p + 24, 2);
        WriteLE16(p + 26, format.nSamplesPerBlock);
    }
    p += CHUNK_HEADER + fmtSize;

    if (adpcm)
    {
        memcpy(p, "fact", 4);
        WriteLE32(p + 4, 4);
        WriteLE32(p + 8, factSamples);
        p += CHUNK_HEADER + 4;
    }
    memcpy(p, "data", 4);
    WriteLE32(p + 4, dataLength);
}
