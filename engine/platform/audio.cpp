#include "engine/platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstring>
#include <new>

struct CxAudioDriver
{
    int nRate = 0;
    Uint16 nFormat = AUDIO_S16SYS;
    int nChannels = 2;
    float fMaster = 1.0f;
    std::atomic<uint64_t> nMixedBytes{0};
    // The SDL device the mixer plays on (0 when it could not be found).
    SDL_AudioDeviceID nDevice = 0;
    CxAudioSample* pSlots[64] = {};
    int nAllocatedChannels = 0;
};

struct CxAudioSample
{
    CxAudioDriver* pDriver = nullptr;
    int nChannel = -1;
    bool bInitialised = false;
    bool bStarted = false;

    // The decoded sound: PCM in its own format at nDecodeRate. nOwnRate is
    // the rate the data declares (it differs from nDecodeRate only for
    // compressed data that the mixer decodes straight to the output rate).
    Uint8* pPcm = nullptr;
    uint32_t nPcmBytes = 0;
    SDL_AudioFormat nFormat = AUDIO_S16LSB;
    int nChannels = 1;
    int nDecodeRate = 0;
    int nOwnRate = 0;

    int32_t nRate = 0; // playback rate
    int32_t nLoopCount = 1;
    std::atomic<float> fLeft{1.0f};
    std::atomic<float> fRight{1.0f};
    // Output bytes of this sample mixed since it started (counted on the audio thread).
    std::atomic<uint64_t> nPlayedBytes{0};

    // What the mixer plays: the PCM converted to the output format and rate.
    Mix_Chunk* pChunk = nullptr;
    Uint8* pChunkData = nullptr;
    // Source frame at which the chunk starts.
    uint32_t nChunkStart = 0;
};

namespace {
constexpr int MAX_SAMPLES = 64;
char s_szLastError[256] = "";
uint32_t s_nBufferFrames = CX_AUDIO_DEFAULT_BUFFER;
bool s_bStarted = false;
CxAudioDriver* s_pDriver = nullptr;

void SetLastError(const char* prefix, const char* detail)
{
    SDL_snprintf(s_szLastError, sizeof(s_szLastError), "%s%s%s", prefix, detail && *detail ? ": " : "",
                 detail ? detail : "");
}

int FrameBytes(SDL_AudioFormat format, int channels)
{
    return static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels;
}

// SDL_mixer keeps the id of its device to itself. It is the one open audio
// device of the process (this layer opens no other), so asking each id for
// its status finds it.
SDL_AudioDeviceID FindMixerDevice()
{
    for (SDL_AudioDeviceID id = 1; id <= 32; ++id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED)
            return id;
    return 0;
}

void SDLCALL CountMixed(void* udata, Uint8*, int len)
{
    static_cast<CxAudioDriver*>(udata)->nMixedBytes += static_cast<uint64_t>(len);
}

template <class T>
void ScaleFrames(T* samples, int count, int channels, float left, float right, float centre, T zero)
{
    for (int i = 0; i < count; ++i)
    {
        const int c = i % channels;
        const float gain = c == 0 ? left : (c == 1 ? right : centre);
        samples[i] = static_cast<T>((samples[i] - zero) * gain + zero);
    }
}

// Runs on the audio thread for the part of a sample that is being mixed: counts it
// and applies the sample's left and right levels.
void SDLCALL LevelEffect(int, void* stream, int len, void* udata)
{
    CxAudioSample* sample = static_cast<CxAudioSample*>(udata);
    sample->nPlayedBytes += static_cast<uint64_t>(len);
    const float left = sample->fLeft;
    const float right = sample->fRight;
    if (left == 1.0f && right == 1.0f)
        return;
    const CxAudioDriver* driver = sample->pDriver;
    const int channels = driver->nChannels;
    const float centre = (left + right) / 2;
    switch (driver->nFormat)
    {
    case AUDIO_S16SYS:
        ScaleFrames(static_cast<Sint16*>(stream), len / 2, channels, left, right, centre, Sint16(0));
        break;
    case AUDIO_U8:
        ScaleFrames(static_cast<Uint8*>(stream), len, channels, left, right, centre, Uint8(128));
        break;
    case AUDIO_S32SYS:
        ScaleFrames(static_cast<Sint32*>(stream), len / 4, channels, left, right, centre, Sint32(0));
        break;
    case AUDIO_F32SYS:
        ScaleFrames(static_cast<float*>(stream), len / 4, channels, left, right, centre, 0.0f);
        break;
    default:
        break;
    }
}

void FreeChunk(CxAudioSample* sample)
{
    if (sample->pChunk)
    {
        if (sample->pDriver)
            Mix_HaltChannel(sample->nChannel);
        Mix_FreeChunk(sample->pChunk);
        sample->pChunk = nullptr;
    }
    SDL_free(sample->pChunkData);
    sample->pChunkData = nullptr;
}

void FreePcm(CxAudioSample* sample)
{
    FreeChunk(sample);
    SDL_free(sample->pPcm);
    sample->pPcm = nullptr;
    sample->nPcmBytes = 0;
}

// The rate at which the PCM must be read so that it plays at the playback rate.
int SourceRate(const CxAudioSample* sample)
{
    const int64_t rate = static_cast<int64_t>(sample->nDecodeRate) * sample->nRate / sample->nOwnRate;
    return rate < 1 ? 1 : (rate > 1000000 ? 1000000 : static_cast<int>(rate));
}

// Converts the PCM from source frame `start` to the output format and rate.
bool BuildChunk(CxAudioSample* sample, uint32_t start)
{
    FreeChunk(sample);
    const CxAudioDriver* driver = sample->pDriver;
    const uint32_t frameBytes = static_cast<uint32_t>(FrameBytes(sample->nFormat, sample->nChannels));
    const uint64_t offset = static_cast<uint64_t>(start) * frameBytes;
    if (!driver || !sample->pPcm || offset >= sample->nPcmBytes)
        return false;
    SDL_AudioStream* stream =
        SDL_NewAudioStream(sample->nFormat, static_cast<Uint8>(sample->nChannels), SourceRate(sample),
                           driver->nFormat, static_cast<Uint8>(driver->nChannels), driver->nRate);
    if (!stream)
    {
        SetLastError("Cannot convert sample", SDL_GetError());
        return false;
    }
    bool ok = SDL_AudioStreamPut(stream, sample->pPcm + offset,
                                 static_cast<int>(sample->nPcmBytes - offset)) == 0 &&
              SDL_AudioStreamFlush(stream) == 0;
    const int available = ok ? SDL_AudioStreamAvailable(stream) : 0;
    if (available > 0)
    {
        sample->pChunkData = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(available)));
        const int got = sample->pChunkData ? SDL_AudioStreamGet(stream, sample->pChunkData, available) : 0;
        sample->pChunk = got > 0 ? Mix_QuickLoad_RAW(sample->pChunkData, static_cast<Uint32>(got)) : nullptr;
    }
    SDL_FreeAudioStream(stream);
    if (!sample->pChunk)
    {
        SDL_free(sample->pChunkData);
        sample->pChunkData = nullptr;
        SetLastError("Cannot convert sample", SDL_GetError());
        return false;
    }
    sample->nChunkStart = start;
    return true;
}

// Pauses a playing channel. SDL_mixer marks a paused channel with the clock
// reading (SDL_GetTicks) at the pause, and a reading of 0, in the first
// millisecond after SDL starts or when the 32-bit count wraps, leaves the
// channel unmarked and playing on. The pause is made again once the clock
// has moved on.
void PauseChannel(int channel)
{
    Mix_Pause(channel);
    while (Mix_Playing(channel) && !Mix_Paused(channel))
    {
        SDL_Delay(1);
        Mix_Pause(channel);
    }
}

// Starts the chunk on the sample's own channel with `extra` more plays (-1: endless).
void PlayChunk(CxAudioSample* sample, int extra)
{
    const int channel = sample->nChannel;
    Mix_UnregisterAllEffects(channel);
    sample->nPlayedBytes = 0;
    Mix_RegisterEffect(channel, LevelEffect, nullptr, sample);
    Mix_Volume(channel, MIX_MAX_VOLUME);
    if (Mix_PlayChannel(channel, sample->pChunk, extra) < 0)
        SetLastError("Cannot start sample", Mix_GetError());
}

// Takes decoded PCM (allocated with SDL_malloc) as the sample's data.
void TakePcm(CxAudioSample* sample, Uint8* pcm, uint32_t bytes, SDL_AudioFormat format, int channels,
             int decodeRate, int ownRate)
{
    FreePcm(sample);
    const uint32_t frameBytes = static_cast<uint32_t>(FrameBytes(format, channels));
    sample->pPcm = pcm;
    sample->nPcmBytes = bytes - bytes % frameBytes;
    sample->nFormat = format;
    sample->nChannels = channels;
    sample->nDecodeRate = decodeRate;
    sample->nOwnRate = ownRate > 0 ? ownRate : decodeRate;
    sample->nRate = sample->nOwnRate;
    sample->bStarted = false;
}

bool Usable(const CxAudioSample* sample)
{
    return sample && sample->pDriver && sample->bInitialised;
}
} // namespace

bool AudioStartup()
{
    if (s_bStarted)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        SetLastError("Cannot start audio", SDL_GetError());
        return false;
    }
    Mix_Init(MIX_INIT_MP3);
    s_bStarted = true;
    return true;
}

void AudioShutdown()
{
    if (s_pDriver)
        AudioCloseDriver(s_pDriver);
    if (!s_bStarted)
        return;
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s_bStarted = false;
}

const char* AudioGetLastError()
{
    return s_szLastError;
}

void AudioSetError(const char* text)
{
    SDL_strlcpy(s_szLastError, text ? text : "", sizeof(s_szLastError));
}

void AudioSetBufferFrames(uint32_t frames)
{
    uint32_t size = 256;
    while (size < frames && size < 8192)
        size *= 2;
    s_nBufferFrames = size;
}

uint32_t AudioGetBufferFrames()
{
    return s_nBufferFrames;
}

HCXDRIVER AudioOpenDriver(uint32_t rate, uint32_t bits, uint32_t channels, uint32_t how)
{
    if (s_pDriver)
    {
        SetLastError("The audio driver is already open", nullptr);
        return nullptr;
    }
    if (!s_bStarted && !AudioStartup())
        return nullptr;
    int allowed = 0;
    if (how == CX_AUDIO_OPEN_FALLBACK)
    {
        // Start SDL's audio layer afresh so that it tries its back ends again.
        if (s_bStarted)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s_bStarted = false;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        {
            SetLastError("Cannot start audio", SDL_GetError());
            return nullptr;
        }
        s_bStarted = true;
        allowed = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    }
    const Uint16 format = bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    const int outChannels = channels < 2 ? 2 : static_cast<int>(channels);
    if (Mix_OpenAudioDevice(static_cast<int>(rate), format, outChannels, static_cast<int>(s_nBufferFrames),
                            nullptr, allowed) != 0)
    {
        SetLastError("Cannot open the audio device", Mix_GetError());
        return nullptr;
    }
    CxAudioDriver* driver = new (std::nothrow) CxAudioDriver;
    if (!driver)
    {
        Mix_CloseAudio();
        SetLastError("Out of memory", nullptr);
        return nullptr;
    }
    Mix_QuerySpec(&driver->nRate, &driver->nFormat, &driver->nChannels);
    driver->nDevice = FindMixerDevice();
    driver->nAllocatedChannels = Mix_AllocateChannels(16);
    Mix_MasterVolume(MIX_MAX_VOLUME);
    Mix_SetPostMix(CountMixed, driver);
    s_pDriver = driver;
    return driver;
}

void AudioCloseDriver(HCXDRIVER driver)
{
    if (!driver || driver != s_pDriver)
        return;
    Mix_HaltChannel(-1);
    for (CxAudioSample*& sample : driver->pSlots)
    {
        if (!sample)
            continue;
        // A handle that outlives its driver keeps nothing the mixer owns.
        FreeChunk(sample);
        sample->pDriver = nullptr;
        sample = nullptr;
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    s_pDriver = nullptr;
    delete driver;
}

void AudioGetDriverFormat(HCXDRIVER driver, uint32_t* rate, uint32_t* bits, uint32_t* channels)
{
    *rate = driver ? static_cast<uint32_t>(driver->nRate) : 0;
    *bits = driver ? SDL_AUDIO_BITSIZE(driver->nFormat) : 0;
    *channels = driver ? static_cast<uint32_t>(driver->nChannels) : 0;
}

void AudioSetMasterLevel(HCXDRIVER driver, float level)
{
    if (!driver)
        return;
    level = level < 0 ? 0 : (level > 1 ? 1 : level);
    driver->fMaster = level;
    Mix_MasterVolume(static_cast<int>(level * MIX_MAX_VOLUME + 0.5f));
}

float AudioGetMasterLevel(HCXDRIVER driver)
{
    return driver ? driver->fMaster : 0.0f;
}

uint64_t AudioGetMixedFrames(HCXDRIVER driver)
{
    if (!driver)
        return 0;
    return driver->nMixedBytes / static_cast<uint64_t>(FrameBytes(driver->nFormat, driver->nChannels));
}

HCXSAMPLE AudioAllocateSample(HCXDRIVER driver)
{
    if (!driver)
    {
        SetLastError("No audio driver", nullptr);
        return nullptr;
    }
    int slot = 0;
    while (slot < MAX_SAMPLES && driver->pSlots[slot])
        ++slot;
    if (slot == MAX_SAMPLES)
    {
        SetLastError("Out of sample handles", nullptr);
        return nullptr;
    }
    if (slot >= driver->nAllocatedChannels)
        driver->nAllocatedChannels = Mix_AllocateChannels(slot + 16);
    CxAudioSample* sample = new (std::nothrow) CxAudioSample;
    if (!sample)
    {
        SetLastError("Out of memory", nullptr);
        return nullptr;
    }
    sample->pDriver = driver;
    sample->nChannel = slot;
    driver->pSlots[slot] = sample;
    return sample;
}

void AudioReleaseSample(HCXSAMPLE sample)
{
    if (!sample)
        return;
    FreePcm(sample);
    if (sample->pDriver)
    {
        Mix_UnregisterAllEffects(sample->nChannel);
        sample->pDriver->pSlots[sample->nChannel] = nullptr;
    }
    delete sample;
}

void AudioInitSample(HCXSAMPLE sample)
{
    if (!sample)
        return;
    FreePcm(sample);
    sample->bInitialised = true;
    sample->bStarted = false;
    sample->nLoopCount = 1;
    sample->fLeft = 1.0f;
    sample->fRight = 1.0f;
    sample->nRate = 0;
}

bool AudioSetSampleFile(HCXSAMPLE sample, const void* image, uint32_t size)
{
    if (!Usable(sample))
        return false;
    FreePcm(sample);
    SDL_RWops* rw = SDL_RWFromConstMem(image, static_cast<int>(size));
    SDL_AudioSpec loaded;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &loaded, &buffer, &length))
    {
        SetLastError("Invalid wave data", SDL_GetError());
        return false;
    }
    // SDL_LoadWAV's buffer is freed with SDL_FreeWAV, which is SDL_free.
    TakePcm(sample, buffer, length, loaded.format, loaded.channels, loaded.freq, loaded.freq);
    return sample->nPcmBytes > 0;
}

bool AudioSetNamedSampleFile(HCXSAMPLE sample, const char* name, const void* data, uint32_t size,
                             uint32_t ownRate)
{
    if (!Usable(sample))
        return false;
    FreePcm(sample);
    const char* dot = name ? SDL_strrchr(name, '.') : nullptr;
    if (dot && SDL_strcasecmp(dot, ".wav") == 0)
        return AudioSetSampleFile(sample, data, size);
    // Compressed data is decoded by the mixer straight to the output format.
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (!chunk || chunk->alen == 0)
    {
        if (chunk)
            Mix_FreeChunk(chunk);
        SetLastError("Cannot decode sample data", Mix_GetError());
        return false;
    }
    Uint8* pcm = static_cast<Uint8*>(SDL_malloc(chunk->alen));
    if (pcm)
        memcpy(pcm, chunk->abuf, chunk->alen);
    const uint32_t length = chunk->alen;
    Mix_FreeChunk(chunk);
    if (!pcm)
    {
        SetLastError("Out of memory", nullptr);
        return false;
    }
    const CxAudioDriver* driver = sample->pDriver;
    TakePcm(sample, pcm, length, driver->nFormat, driver->nChannels, driver->nRate,
            ownRate && ownRate <= 1000000 ? static_cast<int>(ownRate) : driver->nRate);
    return sample->nPcmBytes > 0;
}

bool AudioSetSampleData(HCXSAMPLE sample, const void* data, uint32_t size, int32_t type, uint32_t rate)
{
    if (!Usable(sample))
        return false;
    FreePcm(sample);
    if (type < CX_SAMPLE_MONO_8 || type > CX_SAMPLE_STEREO_16 || rate == 0 || rate > 1000000)
    {
        SetLastError("Unsupported sample type", nullptr);
        return false;
    }
    const SDL_AudioFormat format = (type & 1) ? AUDIO_S16LSB : AUDIO_U8;
    const int channels = (type & 2) ? 2 : 1;
    Uint8* pcm = static_cast<Uint8*>(SDL_malloc(size ? size : 1));
    if (!pcm)
    {
        SetLastError("Out of memory", nullptr);
        return false;
    }
    memcpy(pcm, data, size);
    TakePcm(sample, pcm, size, format, channels, static_cast<int>(rate), static_cast<int>(rate));
    return sample->nPcmBytes > 0;
}

void AudioSetSamplePlaybackRate(HCXSAMPLE sample, int32_t rate)
{
    if (!Usable(sample) || rate <= 0 || !sample->pPcm || rate == sample->nRate)
        return;
    const int32_t status = AudioGetSampleStatus(sample);
    if (status != CX_SAMPLE_PLAYING && status != CX_SAMPLE_STOPPED)
    {
        sample->nRate = rate;
        return;
    }
    // Go on from the current position: work out which source frame has been reached.
    const CxAudioDriver* driver = sample->pDriver;
    const uint64_t outFrameBytes = static_cast<uint64_t>(FrameBytes(driver->nFormat, driver->nChannels));
    const uint64_t chunkFrames = sample->pChunk ? sample->pChunk->alen / outFrameBytes : 0;
    const uint64_t played = sample->nPlayedBytes / outFrameBytes;
    const uint64_t inChunk = chunkFrames ? played % chunkFrames : 0;
    const uint32_t reached =
        sample->nChunkStart + static_cast<uint32_t>(inChunk * static_cast<uint64_t>(SourceRate(sample)) /
                                                    static_cast<uint64_t>(driver->nRate));
    sample->nRate = rate;
    const bool endless = sample->nLoopCount == 0;
    // An endless sample starts over at the new rate; otherwise the current play goes on.
    if (!BuildChunk(sample, endless ? 0 : reached))
        return;
    PlayChunk(sample, endless ? -1 : 0);
    if (status == CX_SAMPLE_STOPPED)
        PauseChannel(sample->nChannel);
}

int32_t AudioGetSamplePlaybackRate(HCXSAMPLE sample)
{
    return Usable(sample) ? sample->nRate : 0;
}

bool AudioGetSampleLength(HCXSAMPLE sample, uint32_t* frames, uint32_t* rate)
{
    *frames = 0;
    *rate = 0;
    if (!Usable(sample) || !sample->pPcm || sample->nOwnRate <= 0)
        return false;
    *frames = sample->nPcmBytes / static_cast<uint32_t>(FrameBytes(sample->nFormat, sample->nChannels));
    *rate = static_cast<uint32_t>(SourceRate(sample));
    return true;
}

void AudioSetSampleLoopCount(HCXSAMPLE sample, int32_t count)
{
    if (Usable(sample))
        sample->nLoopCount = count < 0 ? 1 : count;
}

int32_t AudioGetSampleLoopCount(HCXSAMPLE sample)
{
    return Usable(sample) ? sample->nLoopCount : 0;
}

void AudioSetSampleVolumeLevels(HCXSAMPLE sample, float left, float right)
{
    if (!sample)
        return;
    sample->fLeft = left < 0 ? 0 : (left > 1 ? 1 : left);
    sample->fRight = right < 0 ? 0 : (right > 1 ? 1 : right);
}

void AudioGetSampleVolumeLevels(HCXSAMPLE sample, float* left, float* right)
{
    *left = sample ? sample->fLeft.load() : 0.0f;
    *right = sample ? sample->fRight.load() : 0.0f;
}

void AudioStartSample(HCXSAMPLE sample)
{
    if (!Usable(sample) || !sample->pPcm)
        return;
    sample->bStarted = true;
    if (!BuildChunk(sample, 0))
        return;
    PlayChunk(sample, sample->nLoopCount == 0 ? -1 : sample->nLoopCount - 1);
}

void AudioStartSamples(const HCXSAMPLE* samples, int32_t count)
{
    if (!samples || count <= 0)
        return;
    // Holding the device's lock keeps the mixer from running between the
    // starts; the lock is recursive, and the mixer takes it again inside.
    const SDL_AudioDeviceID device = s_pDriver ? s_pDriver->nDevice : 0;
    if (device)
        SDL_LockAudioDevice(device);
    for (int32_t i = 0; i < count; ++i)
        AudioStartSample(samples[i]);
    if (device)
        SDL_UnlockAudioDevice(device);
}

void AudioStopSample(HCXSAMPLE sample)
{
    if (Usable(sample) && sample->pChunk && Mix_Playing(sample->nChannel))
        PauseChannel(sample->nChannel);
}

void AudioResumeSample(HCXSAMPLE sample)
{
    if (Usable(sample) && sample->pChunk && Mix_Playing(sample->nChannel))
        Mix_Resume(sample->nChannel);
}

int32_t AudioGetSampleStatus(HCXSAMPLE sample)
{
    if (!sample || !sample->bInitialised)
        return CX_SAMPLE_FREE;
    if (!sample->pDriver || !sample->bStarted || !sample->pChunk)
        return CX_SAMPLE_DONE;
    // A paused channel still counts as playing to the mixer.
    if (!Mix_Playing(sample->nChannel))
        return CX_SAMPLE_DONE;
    return Mix_Paused(sample->nChannel) ? CX_SAMPLE_STOPPED : CX_SAMPLE_PLAYING;
}
