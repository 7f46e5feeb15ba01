#include "engine/media/adpcm.h"

#include "engine/core/memory.h"

#include <cstring>

namespace {
const int16_t s_StepTable[89] = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int8_t s_IndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

int32_t Clamp(int32_t v, int32_t low, int32_t high)
{
    return v < low ? low : (v > high ? high : v);
}

// The PCM sample of frame i, channel c, widened to 16 bits (8-bit wave data is unsigned).
int16_t ReadPcm(const ST_WAV_INFO& info, uint32_t frame, uint32_t channel)
{
    const uint64_t index = static_cast<uint64_t>(frame) * info.nChannels + channel;
    if (info.nBits == 8)
        return static_cast<int16_t>((info.pData[index] - 128) << 8);
    return static_cast<int16_t>(ReadLE16(info.pData + index * 2));
}
} // namespace

int16_t DecodeAdpcmNibble(CxAdpcmState& state, uint8_t nibble)
{
    const int32_t step = s_StepTable[state.nIndex];
    int32_t diff = step >> 3;
    if (nibble & 4)
        diff += step;
    if (nibble & 2)
        diff += step >> 1;
    if (nibble & 1)
        diff += step >> 2;
    state.nPredictor = Clamp(nibble & 8 ? state.nPredictor - diff : state.nPredictor + diff, -32768, 32767);
    state.nIndex = Clamp(state.nIndex + s_IndexTable[nibble & 15], 0, 88);
    return static_cast<int16_t>(state.nPredictor);
}

uint8_t EncodeAdpcmSample(CxAdpcmState& state, int16_t sample)
{
    const int32_t step = s_StepTable[state.nIndex];
    int32_t delta = sample - state.nPredictor;
    uint8_t nibble = 0;
    if (delta < 0)
    {
        nibble = 8;
        delta = -delta;
    }
    // Quantise the difference to the three magnitude bits, rounding to the
    // nearest step the decoder can reproduce.
    int32_t rest = delta;
    int32_t part = step;
    for (uint8_t bit = 4; bit; bit >>= 1)
    {
        if (rest >= part)
        {
            nibble |= bit;
            rest -= part;
        }
        part >>= 1;
    }
    // Advance through the decoder so both sides stay in step bit for bit.
    DecodeAdpcmNibble(state, nibble);
    return nibble;
}

uint32_t GetAdpcmSamplesPerBlock(uint32_t blockAlign, uint32_t channels)
{
    if (channels == 0 || blockAlign <= 4 * channels)
        return 0;
    return (blockAlign - 4 * channels) * 8 / (4 * channels) + 1;
}

uint8_t* CompressAdpcmWave(const ST_WAV_INFO& info, uint32_t* outSize)
{
    *outSize = 0;
    if (info.bADPCM || (info.nBits != 8 && info.nBits != 16) || info.nChannels == 0 || info.nChannels > 8 ||
        !info.pData)
        return nullptr;
    const uint32_t channels = info.nChannels;
    const uint32_t frameBytes = channels * info.nBits / 8;
    const uint32_t frames = info.nDataLength / frameBytes;

    // The usual block size: 256 bytes per channel, doubled for every doubling of the rate past 11025 Hz.
    uint32_t blockAlign = 256 * channels;
    for (uint32_t rate = 22050; rate <= info.nRate && blockAlign < 2048 * channels; rate *= 2)
        blockAlign *= 2;
    const uint32_t perBlock = GetAdpcmSamplesPerBlock(blockAlign, channels);
    const uint64_t blocks = frames ? (static_cast<uint64_t>(frames) + perBlock - 1) / perBlock : 0;
    const uint64_t dataLength = blocks * blockAlign;

    ST_WAVE_FORMAT format;
    format.nFormatTag = CX_WAVE_FORMAT_IMA_ADPCM;
    format.nChannels = static_cast<uint16_t>(channels);
    format.nRate = info.nRate;
    format.nBlockAlign = static_cast<uint16_t>(blockAlign);
    format.nBits = 4;
    format.nSamplesPerBlock = static_cast<uint16_t>(perBlock);
    const uint32_t headerSize = GetWaveHeaderSize(format);
    if (dataLength + headerSize > 0x7FFFFFFF)
        return nullptr;
    uint8_t* out = static_cast<uint8_t*>(CX_ALLOC_ZERO(headerSize + dataLength));
    if (!out)
        return nullptr;
    WriteWaveHeader(out, format, static_cast<uint32_t>(dataLength), frames);

    CxAdpcmState state[8];
    // Start with a step that fits the first change, so a loud start is not smeared
    // while the step size climbs from its smallest value.
    for (uint32_t c = 0; c < channels && frames > 1; ++c)
    {
        const int32_t change = ReadPcm(info, 1, c) - ReadPcm(info, 0, c);
        const int32_t wanted = (change < 0 ? -change : change) / 2;
        while (state[c].nIndex < 88 && s_StepTable[state[c].nIndex] < wanted)
            ++state[c].nIndex;
    }
    uint8_t* block = out + headerSize;
    for (uint64_t b = 0; b < blocks; ++b, block += blockAlign)
    {
        const uint32_t first = static_cast<uint32_t>(b * perBlock);
        // The header carries the block's first sample exactly.
        for (uint32_t c = 0; c < channels; ++c)
        {
            state[c].nPredictor = ReadPcm(info, first, c);
            WriteLE16(block + 4 * c, static_cast<uint16_t>(state[c].nPredictor));
            block[4 * c + 2] = static_cast<uint8_t>(state[c].nIndex);
            block[4 * c + 3] = 0;
        }
        uint8_t* p = block + 4 * channels;
        // Runs of 8 samples per channel, 4 bytes each; past the last frame the
        // last sample repeats, so the padding decodes quietly.
        for (uint32_t i = 1; i < perBlock; i += 8)
        {
            for (uint32_t c = 0; c < channels; ++c)
            {
                for (uint32_t k = 0; k < 8; ++k)
                {
                    uint32_t frame = first + i + k;
                    if (frame >= frames)
                        frame = frames - 1;
                    const uint8_t nibble = EncodeAdpcmSample(state[c], ReadPcm(info, frame, c));
                    p[k / 2] |= static_cast<uint8_t>(k & 1 ? nibble << 4 : nibble);
                }
                p += 4;
            }
        }
    }
    *outSize = static_cast<uint32_t>(headerSize + dataLength);
    return out;
}

uint8_t* DecompressAdpcmWave(const ST_WAV_INFO& info, uint32_t* outSize)
{
    *outSize = 0;
    const uint32_t channels = info.nChannels;
    if (!info.bADPCM || info.nBits != 4 || channels == 0 || channels > 8 || !info.pData)
        return nullptr;
    const uint32_t blockAlign = info.nBlockSize;
    if (blockAlign <= 4 * channels)
        return nullptr;
    // Only whole 4-byte runs per channel are decoded: an odd block size leaves its last bytes unused.
    const uint32_t perBlock = 1 + (blockAlign - 4 * channels) / (4 * channels) * 8;

    // What the data can hold: whole blocks, plus the whole 8-sample runs of a partial last block.
    const uint32_t fullBlocks = info.nDataLength / blockAlign;
    const uint32_t tail = info.nDataLength % blockAlign;
    uint64_t available = static_cast<uint64_t>(fullBlocks) * perBlock;
    if (tail >= 4 * channels)
        available += 1 + (tail - 4 * channels) / (4 * channels) * 8;
    const uint64_t frames = info.nSamples < available ? info.nSamples : available;

    ST_WAVE_FORMAT format;
    format.nChannels = static_cast<uint16_t>(channels);
    format.nRate = info.nRate;
    format.nBlockAlign = static_cast<uint16_t>(2 * channels);
    format.nBits = 16;
    const uint32_t headerSize = GetWaveHeaderSize(format);
    const uint64_t dataLength = frames * 2 * channels;
    if (dataLength + headerSize > 0x7FFFFFFF)
        return nullptr;
    uint8_t* out = static_cast<uint8_t*>(CX_ALLOC(headerSize + dataLength));
    if (!out)
        return nullptr;
    WriteWaveHeader(out, format, static_cast<uint32_t>(dataLength), 0);
    uint8_t* pcm = out + headerSize;

    CxAdpcmState state[8];
    uint64_t frame = 0;
    for (uint32_t b = 0; frame < frames; ++b)
    {
        const uint8_t* block = info.pData + static_cast<uint64_t>(b) * blockAlign;
        for (uint32_t c = 0; c < channels; ++c)
        {
            state[c].nPredictor = static_cast<int16_t>(ReadLE16(block + 4 * c));
            state[c].nIndex = Clamp(block[4 * c + 2], 0, 88);
            WriteLE16(pcm + (frame * channels + c) * 2, static_cast<uint16_t>(state[c].nPredictor));
        }
        ++frame;
        const uint8_t* p = block + 4 * channels;
        for (uint32_t i = 1; i < perBlock && frame < frames; i += 8)
        {
            const uint32_t run = static_cast<uint32_t>(frames - frame < 8 ? frames - frame : 8);
            for (uint32_t c = 0; c < channels; ++c)
            {
                for (uint32_t k = 0; k < run; ++k)
                {
                    const uint8_t nibble = k & 1 ? p[k / 2] >> 4 : p[k / 2] & 15;
                    const int16_t sample = DecodeAdpcmNibble(state[c], nibble);
                    WriteLE16(pcm + ((frame + k) * channels + c) * 2, static_cast<uint16_t>(sample));
                }
                p += 4;
            }
            frame += run;
        }
    }
    *outSize = static_cast<uint32_t>(headerSize + dataLength);
    return out;
}
