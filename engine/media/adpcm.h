// IMA ADPCM: 4 bits per sample, in the block layout of wave files (format
// tag 0x11). Each block starts with one 4-byte header per channel (the first
// sample as a 16-bit value, the step index, a zero byte); the rest holds the
// nibbles, low nibble first, in runs of 4 bytes (8 samples) per channel.
#pragma once

#include "engine/media/wave_info.h"

#include <cstdint>

// The running state of one channel.
struct CxAdpcmState
{
    int32_t nPredictor = 0;
    int32_t nIndex = 0;
};

// Decodes one nibble and advances the state.
int16_t DecodeAdpcmNibble(CxAdpcmState& state, uint8_t nibble);
// Encodes one sample as the nibble whose decoding comes closest, and advances
// the state exactly as the decoder will.
uint8_t EncodeAdpcmSample(CxAdpcmState& state, int16_t sample);

// Samples per channel in one block of blockAlign bytes (0 when the block cannot
// hold its headers).
uint32_t GetAdpcmSamplesPerBlock(uint32_t blockAlign, uint32_t channels);

// Compresses 8- or 16-bit PCM into a complete IMA ADPCM wave image allocated
// with CX_ALLOC (free it with CX_FREE). Returns null for other formats or
// when memory runs out.
uint8_t* CompressAdpcmWave(const ST_WAV_INFO& info, uint32_t* outSize);
// Decompresses IMA ADPCM into a complete 16-bit PCM wave image (CX_ALLOC).
// Reads only the info's data bytes; a partial last block yields the samples
// it holds. Returns null for other formats or when memory runs out.
uint8_t* DecompressAdpcmWave(const ST_WAV_INFO& info, uint32_t* outSize);
