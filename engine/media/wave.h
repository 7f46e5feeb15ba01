// CxWave: the sound played through the audio mixer, from a wave image, MP3
// data, raw 16-bit PCM or a wave-format record followed by samples; and the
// in-memory transformations of its data (ADPCM compression, reversal,
// tremolo).
#pragma once

#include "engine/media/sound.h"
#include "engine/media/wave_info.h"
#include "engine/platform/audio.h"

#include <cstdint>

class CxWave : public CxSound
{
public:
    CxWave();
    ~CxWave() override;

    // Loads the file and checks that the data can be played (a complete wave
    // image, a format record, MP3 data after any tag); damaged data is error
    // 10 "Invalid WAV File: <name>", reported once here, and leaves the sound
    // empty, so that Play does nothing and returns the code.
    uint32_t Load(const char* fileName) override;
    bool IsDone() override;
    // Also sets both levels of a playing sample to volume / 127.
    void SetVolume(int32_t volume) override;
    void StartPlayback() override;
    void ReleasePlayback() override;
    void PausePlayback() override;
    void ResumePlayback() override;

    // Reverses the order of the sample frames (ADPCM data is decompressed first and compressed again).
    virtual uint32_t Reverse();
    // Scales the samples by a gain that follows a sine of the given frequency (Hz), phase
    // (radians) and depth (0..1).
    virtual uint32_t Tremolo(float frequency, float phase, float depth);
    // Turn the data into an IMA ADPCM wave image, or back into 16-bit PCM.
    virtual uint32_t CompressADPCM();
    virtual uint32_t DecompressADPCM();
    virtual bool IsADPCM();
    // Describes the data; error 10 "Invalid WAV File" when it is no complete wave.
    virtual uint32_t GetWaveInfo(ST_WAV_INFO* info);
    // While a sample handle exists: its status and loop count (0 otherwise).
    virtual int32_t GetSampleStatus();
    virtual int32_t GetSampleLoopCount();
    // Stored, and applied at once to a playing sample; -1 plays at the data's own rate.
    virtual void SetPlaybackRate(int32_t rate);
    // The mixer's current rate while a sample handle exists, else 0.
    virtual int32_t GetPlaybackRate();

    HCXSAMPLE GetSampleHandle() const { return m_hSample; }
    int32_t GetPlaybackRateOverride() const { return m_nPlaybackRate; }

private:
    // The length in ms of one play of the sample's data at its current rate (0 without a sample).
    uint64_t GetOnePlayLength() const;
    // Whether the data has the form the play flags name (what SetSampleData will accept).
    bool IsPlayableData() const;
    // Gives the sample the data in the form the play flags name; false when it cannot be played.
    bool SetSampleData();
    bool SetFormatHeaderData();
    // Replaces the data by a new block (allocated with CX_ALLOC) of size bytes.
    void AdoptData(uint8_t* block, uint32_t size);
    // Runs the loaded wave image through codec and keeps its result instead.
    uint32_t ReplaceByCodec(uint8_t* (*codec)(const ST_WAV_INFO& info, uint32_t* outSize));
    // Runs an edit over 8- or 16-bit PCM, decompressing ADPCM around it.
    uint32_t EditSamples(void (*edit)(const ST_WAV_INFO& info, uint8_t* samples, const float* args),
                         const float* args);

    HCXSAMPLE m_hSample = nullptr;
    int32_t m_nPlaybackRate = -1;
};
