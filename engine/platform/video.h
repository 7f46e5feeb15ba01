// CxVideo: decodes Smacker movies with FFmpeg (the "smk" demuxer and the
// smackvideo and smackaudio decoders).
//
// The movie is read from a memory block (a copy is kept): the caller loads
// the file through the engine's file layer like every other data file. Frames are decoded in
// order into an 8-bit frame buffer and converted into a caller's surface
// memory: 8-bit indices, or 16-bit 5-5-5 or 5-6-5 through the movie's
// palette, at a position and pitch, clipped to the surface. The rectangles
// that changed since the previous frame come from comparing the two frames.
//
// Small movies (sprite animations: few frames of modest size) are decoded
// completely when opened and kept, so stepping between their frames costs no
// decoding. For others Goto decodes forward, from the start when it must go
// back.
//
// Sound: a movie has up to seven audio tracks (0 to 6). The first track's
// samples are decoded with each frame while the sound is on (in the file's
// format: unsigned 8-bit or signed 16-bit, interleaved) and wait in a queue
// until the caller takes them; any track can be decoded whole at once.
//
// Bad input never crashes: an absurd size or a frame that does not decode is
// an error code, and a failed frame ends the movie. The decoder reports
// nothing itself (it sits below the engine's error path): it keeps the code
// (GetError) and a reason (GetReason), and the caller reports the one failure
// in its own words.
//
// A movie made to loop carries a ring frame after its last one (header flag
// 1): the step from the last frame back to the first. It is decoded like the
// others and counted in GetFrameCount; IsLooping tells that it is there.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/error_codes.h"
#include "engine/base/geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

// Target pixel formats (the engine's pixel-format codes for 16-bit surfaces).
constexpr uint8_t CX_VIDEO_8BIT = 0;
constexpr uint8_t CX_VIDEO_555 = 1;
constexpr uint8_t CX_VIDEO_565 = 2;

// Limits on what is opened at all.
constexpr int32_t CX_VIDEO_MAX_SIDE = 4096;
constexpr int32_t CX_VIDEO_MAX_FRAMES = 1000000;
// The most unpacked sound bytes one frame may declare.
constexpr uint32_t CX_VIDEO_MAX_AUDIO_FRAME = 16 * 1024 * 1024;
// Movies with at most this many frames and this many pixels in all are kept decoded.
constexpr int32_t CX_VIDEO_CACHE_FRAMES = 64;
constexpr int64_t CX_VIDEO_CACHE_PIXELS = 8 * 1024 * 1024;

// Where a frame goes: caller-owned surface memory.
struct ST_VIDEO_TARGET
{
    uint8_t* pBits = nullptr; // the surface's top-left pixel
    int32_t nPitch = 0;       // bytes per row
    int32_t nWidth = 0;       // surface size in pixels: writes are clipped to it
    int32_t nHeight = 0;
    int32_t x = 0; // the movie's top-left corner in the surface
    int32_t y = 0;
    uint8_t nFormat = CX_VIDEO_8BIT;
};

// The number of audio tracks a movie may have.
constexpr int32_t CX_VIDEO_AUDIO_TRACKS = 7;

// An audio track of a movie.
struct ST_VIDEO_AUDIO_INFO
{
    uint32_t nRate = 0;
    uint16_t nBits = 0; // 8 (unsigned) or 16 (signed)
    uint16_t nChannels = 0;
};

struct CxVideoState;

class CxVideo
{
public:
    CxVideo();
    ~CxVideo();
    CxVideo(const CxVideo&) = delete;
    CxVideo& operator=(const CxVideo&) = delete;

    // Opens a movie from a copy of the bytes. Returns 0, or 10 (not a movie,
    // or one that cannot be decoded), 16 (absurd size), 1 (out of memory).
    uint32_t Open(const uint8_t* data, uint32_t size);
    void Close();
    bool IsOpen() const;

    int32_t GetWidth() const { return m_nWidth; }
    int32_t GetHeight() const { return m_nHeight; }
    // Every frame of the file, the ring frame included.
    int32_t GetFrameCount() const { return m_nFrames; }
    // True when the movie has a ring frame (it is made to loop).
    bool IsLooping() const { return m_bRing; }
    // The code of the last failure (0 after a good Open and before a failed
    // DecodeFrame), and why: the reason of a failed Open or DecodeFrame;
    // after a good Open of a damaged movie, which frames were left out
    // (empty when none).
    uint32_t GetError() const { return m_nError; }
    const CxString& GetReason() const { return m_strReason; }
    // The frame rate as a fraction (frames per second = num / den).
    int32_t GetRateNum() const { return m_nRateNum; }
    int32_t GetRateDen() const { return m_nRateDen; }
    // Microseconds from the start of the movie to the start of frame n.
    int64_t GetFrameTime(int32_t frame) const;
    // The frame the next DecodeFrame shows (0 after opening).
    int32_t GetCurrentFrame() const { return m_nNext; }
    bool IsCached() const { return m_bCached; }

    bool HasAudio() const { return m_Audio.nChannels != 0; }
    const ST_VIDEO_AUDIO_INFO& GetAudioInfo() const { return m_Audio; }
    // Sound on or off for this movie; while off no audio is decoded or queued.
    bool SetSoundOn(bool on);
    bool IsSoundOn() const { return m_bSound; }
    // Moves the queued audio bytes (since the last call) to out.
    void TakeAudio(std::vector<uint8_t>* out);
    // The whole of one audio track at once (a separate pass over the file that
    // decodes no pictures), for handing to the mixer as one sample
    // (AudioSetSampleData with GetAudioSampleType and the rate); track -1 is
    // the first track the movie has. Returns 0, or 16 when the movie is not
    // open or has no such track, 10 when it does not decode.
    uint32_t DecodeAllAudio(std::vector<uint8_t>* out, int32_t track = -1);
    // The mixer's sample type of a track (CX_SAMPLE_MONO_8 ... CX_SAMPLE_STEREO_16;
    // -1: the first track), -1 without that track.
    int32_t GetAudioSampleType(int32_t track = -1) const;
    // The tracks the movie has: bit n for track n.
    uint32_t GetAudioTrackMask() const { return m_nTrackMask; }
    // A track's format; all zero when the movie lacks it.
    ST_VIDEO_AUDIO_INFO GetTrackInfo(int32_t track) const;

    // Decodes the current frame into the target and moves on to the next.
    // Returns 0, 16 (bad target), or 10 when the frame does not decode or the
    // movie has ended (the caller treats both as the end).
    uint32_t DecodeFrame(const ST_VIDEO_TARGET& target);
    // The 256-entry red, green, blue palette of the last decoded frame, and
    // whether it differs from the frame before.
    const uint8_t* GetPalette() const { return m_Palette; }
    bool IsPaletteChanged() const { return m_bPaletteChanged; }
    // The last decoded frame's 8-bit pixels (width * height), null before the first.
    const uint8_t* GetFrameBits() const;
    // The parts of the last decoded frame that differ from the one before,
    // in movie coordinates (inclusive); the whole frame after a palette
    // change, a Goto, or for the first frame.
    const std::vector<CxRect>& GetChangedRects() const { return m_Changed; }

    // Makes frame (from 0) the next one to decode. Returns 0, or 16 for a frame out of range.
    uint32_t Goto(int32_t frame);

private:
    // Stores the code and the reason and returns the code.
    uint32_t Fail(uint32_t code, const char* format, ...) CX_PRINTF(3, 4);
    void SetErrorCode(uint32_t code) { m_nError = code; }
    void ClearError() { m_nError = CX_ERR_NONE; }
    // The steps of Open: the header's sanity checks (the frame count with the
    // ring frame, and whether there is one), the tracks' formats, the rate
    // and sound of the opened streams, and decoding a small movie whole.
    uint32_t CheckHeader(const uint8_t* data, uint32_t size, uint64_t& frames, bool& ring);
    void ReadTrackFormats(const uint8_t* data);
    void ReadStreamInfo();
    uint32_t CacheAllFrames();
    uint32_t OpenDecoder();
    void CloseDecoder();
    // Decodes the next frame of the stream into m_Frame/m_Palette (audio queued).
    uint32_t DecodeNext(bool withAudio);
    void QueueAudio(const void* frame);
    void FindChangedRects(const uint8_t* previous, const uint8_t* current);
    void ConvertTo(const ST_VIDEO_TARGET& target) const;

    std::unique_ptr<CxVideoState> m_pState;
    std::vector<uint8_t> m_Data; // the movie file
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nFrames = 0;
    bool m_bRing = false;
    uint32_t m_nError = CX_ERR_NONE;
    CxString m_strReason;
    int32_t m_nRateNum = 10;
    int32_t m_nRateDen = 1;
    int32_t m_nNext = 0;    // frame shown by the next DecodeFrame
    int32_t m_nDecoded = 0; // frames the decoder has produced since it opened
    ST_VIDEO_AUDIO_INFO m_Audio;
    // The tracks present and their formats, from the file's header.
    uint32_t m_nTrackMask = 0;
    ST_VIDEO_AUDIO_INFO m_Tracks[CX_VIDEO_AUDIO_TRACKS];
    // Which audio stream the decoder takes: its place among the audio
    // streams (which follow the track order), or -1 for the first.
    int32_t m_nAudioOrdinal = -1;
    bool m_bSound = true;
    std::vector<uint8_t> m_AudioQueue;

    std::vector<uint8_t> m_Frame;    // the decoder's latest frame
    std::vector<uint8_t> m_Previous; // the frame shown before the last DecodeFrame
    std::vector<uint8_t> m_Shown;    // the frame shown by the last DecodeFrame
    uint8_t m_Palette[768] = {};
    uint8_t m_DecoderPalette[768] = {};
    uint8_t m_PreviousPalette[768] = {};
    bool m_bPaletteChanged = false;
    bool m_bWholeFrame = true; // the next shown frame counts as changed everywhere
    std::vector<CxRect> m_Changed;

    // The decoded-frame cache of small movies: pixels and palettes of every frame.
    bool m_bCached = false;
    std::vector<uint8_t> m_CacheBits;
    std::vector<uint8_t> m_CachePalettes;
};
