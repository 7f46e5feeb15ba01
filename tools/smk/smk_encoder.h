// CxSmackerEncoder: writes Smacker ("SMK2") movie files.
//
// The engine only decodes movies; this encoder makes them for the demo data,
// the tests and people who make game data. Each 4 x 4 block is kept from the
// previous frame (SKIP), filled with one colour (FILL) or coded pixel pair by
// pixel pair (FULL) with one Huffman tree over the pairs of the whole movie;
// runs of blocks of one kind share a type code. A frame without kept blocks
// is marked as a key frame. A palette chunk is written for the first frame
// and whenever the palette changes. Audio (up to seven tracks, each of unsigned 8-bit or signed
// 16-bit PCM, mono or stereo) is stored compressed and lossless: a delta per sample, coded with
// Huffman trees built for each frame's chunk.
//
// Smacker palettes hold 6-bit components: an 8-bit component v is stored as
// v >> 2 and comes back as (v >> 2) << 2 | v >> 6. Pixel indices and audio
// samples come back exactly.
#pragma once

#include "engine/core/error.h"

#include <cstdint>
#include <vector>

class CxDrawSurface;

// The audio of a movie: interleaved PCM, unsigned 8-bit or signed 16-bit little-endian.
struct ST_SMK_AUDIO
{
    uint32_t nRate = 0;     // samples per second, 1 to 0xFFFFFF
    uint16_t nBits = 0;     // 8 or 16
    uint16_t nChannels = 0; // 1 or 2
    std::vector<uint8_t> data;
};

// What the header of a Smacker file says (smk-info).
struct ST_SMK_INFO
{
    char szSignature[5] = {};
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    uint32_t nFrames = 0;
    int32_t nRate = 0;     // the raw rate field
    uint32_t nRateNum = 0; // frames per second as a fraction
    uint32_t nRateDen = 1;
    uint32_t nAudioFlags[7] = {}; // per track: compressed, present, 16-bit, stereo, rate
};

// Header rate field for a whole number of frames per second: milliseconds per
// frame when exact, else units of 10 microseconds (rounded).
int32_t SmackerRateField(uint32_t fps);

// Reads the header of a Smacker file; false when it is too short or not "SMK2"/"SMK4".
bool ReadSmackerInfo(const uint8_t* data, uint32_t size, ST_SMK_INFO* info);

class CxSmackerEncoder : public CxError
{
public:
    // Starts a movie of the given size (1 to 4096 on each side) and rate.
    uint32_t Begin(int32_t width, int32_t height, uint32_t fps);
    // Adds a frame of width * height palette indices (rows top first, no
    // padding) with its 256-entry red, green, blue palette.
    uint32_t AddFrame(const uint8_t* pixels, const uint8_t* palette);
    // Adds the frames of a list of surfaces of the movie's size: 8-bit
    // surfaces keep their palettes; deeper ones are reduced together to one palette.
    uint32_t AddSurfaces(CxDrawSurface* const* surfaces, int32_t count);
    // Sets audio track 0 (split over the frames by the rate; any rest goes to the last frame).
    uint32_t SetAudio(const ST_SMK_AUDIO& audio);
    // Sets audio track 0 to 6; an empty one is left out of the file.
    uint32_t SetAudioTrack(int32_t track, const ST_SMK_AUDIO& audio);
    // Makes the movie loop: a ring frame (the step from the last frame back to
    // the first) follows the frames, and the header says so.
    void SetRingFrame(bool on) { m_bRing = on; }
    // Writes the file image.
    uint32_t Finish(std::vector<uint8_t>* out);

    int32_t GetFrameCount() const { return static_cast<int32_t>(m_Frames.size()); }

private:
    uint32_t Encode(std::vector<uint8_t>* out);

    struct Frame
    {
        std::vector<uint8_t> pixels;
        uint8_t palette[768];
    };
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    uint32_t m_nFps = 0;
    std::vector<Frame> m_Frames;
    static constexpr int32_t kTracks = 7;
    ST_SMK_AUDIO m_Audio[kTracks];
    bool m_bHasAudio[kTracks] = {};
    bool m_bRing = false;
};
