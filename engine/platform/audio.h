// The audio mixer: an SDL audio device driven through SDL_mixer, with one
// mixer channel per sample handle. A handle holds its sound decoded to PCM
// and plays it with a loop count, left and right levels, pause and resume
// and an optional playback rate, applied by resampling. One driver exists at
// a time. Everything here is called from the main thread; the mixing itself
// runs on SDL's audio thread.
#pragma once

#include <cstdint>

// Sample status values.
constexpr int32_t CX_SAMPLE_FREE = 1; // not initialised
constexpr int32_t CX_SAMPLE_DONE = 2; // initialised, or played to the end
constexpr int32_t CX_SAMPLE_PLAYING = 4;
constexpr int32_t CX_SAMPLE_STOPPED = 8; // stopped part-way; may be resumed

// Sample types of raw sample data.
constexpr int32_t CX_SAMPLE_MONO_8 = 0;
constexpr int32_t CX_SAMPLE_MONO_16 = 1;
constexpr int32_t CX_SAMPLE_STEREO_8 = 2;
constexpr int32_t CX_SAMPLE_STEREO_16 = 3;

// How the driver is opened: the first attempt asks for exactly the requested
// output with the configured buffer; the fallback restarts SDL's audio layer
// so it may pick another back end, and accepts whatever output format the
// device offers (the mixer converts).
constexpr uint32_t CX_AUDIO_OPEN_PRIMARY = 0;
constexpr uint32_t CX_AUDIO_OPEN_FALLBACK = 1;

// Default output buffer in frames; small, so sounds start promptly.
constexpr uint32_t CX_AUDIO_DEFAULT_BUFFER = 1024;

struct CxAudioDriver;
struct CxAudioSample;
typedef CxAudioDriver* HCXDRIVER;
typedef CxAudioSample* HCXSAMPLE;

// Starts and stops SDL's audio layer.
bool AudioStartup();
void AudioShutdown();

// The text of the last failure ("" when none) and a way to clear it.
const char* AudioGetLastError();
void AudioSetError(const char* text);

// Output buffer size in frames for the next open, rounded to a power of two
// between 256 and 8192.
void AudioSetBufferFrames(uint32_t frames);
uint32_t AudioGetBufferFrames();

// Opens the output device; null on failure (see AudioGetLastError). The
// device is always opened with at least two channels so that the left and
// right levels of each sample take effect.
HCXDRIVER AudioOpenDriver(uint32_t rate, uint32_t bits, uint32_t channels, uint32_t how);
void AudioCloseDriver(HCXDRIVER driver);
// The output actually obtained.
void AudioGetDriverFormat(HCXDRIVER driver, uint32_t* rate, uint32_t* bits, uint32_t* channels);

// Master level 0..1 (1 is full volume).
void AudioSetMasterLevel(HCXDRIVER driver, float level);
float AudioGetMasterLevel(HCXDRIVER driver);

// Frames the device has mixed since it opened (all channels together); lets
// callers wait for the real-time audio thread with a bound.
uint64_t AudioGetMixedFrames(HCXDRIVER driver);

HCXSAMPLE AudioAllocateSample(HCXDRIVER driver);
void AudioReleaseSample(HCXSAMPLE sample);
// Stops the sample and forgets its data and settings.
void AudioInitSample(HCXSAMPLE sample);

// Gives the sample its data, which is decoded at once (the caller's bytes are
// not kept). False when the data cannot be decoded.
bool AudioSetSampleFile(HCXSAMPLE sample, const void* image, uint32_t size); // a complete wave image
// Data of the type that the name's extension gives (".mp3", ".wav"); ownRate is the
// rate the data declares, when the caller knows it (0: the output rate).
bool AudioSetNamedSampleFile(HCXSAMPLE sample, const char* name, const void* data, uint32_t size,
                             uint32_t ownRate = 0);
bool AudioSetSampleData(HCXSAMPLE sample, const void* data, uint32_t size, int32_t type, uint32_t rate);

// Rate in samples per second; the data's own rate until changed. A playing
// sample goes on from where it was at the new rate.
void AudioSetSamplePlaybackRate(HCXSAMPLE sample, int32_t rate);
int32_t AudioGetSamplePlaybackRate(HCXSAMPLE sample);
// The length of one play of the sample's data: *frames decoded frames, read
// at *rate frames a second at the current playback rate. A property of the
// data, not of the device's progress. False (both 0) without data.
bool AudioGetSampleLength(HCXSAMPLE sample, uint32_t* frames, uint32_t* rate);
// Total plays; 0 repeats until stopped.
void AudioSetSampleLoopCount(HCXSAMPLE sample, int32_t count);
int32_t AudioGetSampleLoopCount(HCXSAMPLE sample);
// Levels 0..1 of the left and right output channels.
void AudioSetSampleVolumeLevels(HCXSAMPLE sample, float left, float right);
void AudioGetSampleVolumeLevels(HCXSAMPLE sample, float* left, float* right);

void AudioStartSample(HCXSAMPLE sample);
// Starts several samples at the same point of the output (the mixer does not
// run between the starts), for sounds that must stay in step.
void AudioStartSamples(const HCXSAMPLE* samples, int32_t count);
// Stops the sample where it is; AudioResumeSample goes on from there.
void AudioStopSample(HCXSAMPLE sample);
void AudioResumeSample(HCXSAMPLE sample);
int32_t AudioGetSampleStatus(HCXSAMPLE sample);
