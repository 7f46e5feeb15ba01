#include "engine/media/wave.h"

#include "engine/core/memory.h"
#include "engine/media/adpcm.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {
constexpr double TWO_PI = 6.283185307179586;

void ReverseFrames(const ST_WAV_INFO& info, uint8_t* samples, const float*)
{
    const uint32_t frameBytes = info.nBits / 8u * info.nChannels;
    const uint32_t frames = info.nDataLength / frameBytes;
    uint8_t temp[64];
    for (uint32_t a = 0, b = frames ? frames - 1 : 0; a < b; ++a, --b)
    {
        memcpy(temp, samples + a * frameBytes, frameBytes);
        memcpy(samples + a * frameBytes, samples + b * frameBytes, frameBytes);
        memcpy(samples + b * frameBytes, temp, frameBytes);
    }
}

// args: frequency, phase, depth.
void ApplyTremolo(const ST_WAV_INFO& info, uint8_t* samples, const float* args)
{
    const double step = TWO_PI * args[0] / (info.nRate ? info.nRate : 1);
    const double phase = args[1];
    const double depth = args[2];
    const uint32_t channels = info.nChannels;
    const uint32_t frameBytes = info.nBits / 8u * channels;
    const uint32_t frames = info.nDataLength / frameBytes;
    for (uint32_t i = 0; i < frames; ++i)
    {
        const double wave = std::sin(i * step + phase);
        if (info.nBits == 8)
        {
            // Unsigned 8-bit samples swing around 128.
            const double gain = (1 - depth) + depth * 0.5 * (wave + 1);
            for (uint32_t c = 0; c < channels; ++c)
            {
                uint8_t& s = samples[i * channels + c];
                const int32_t v = 128 + static_cast<int32_t>((s - 128) * gain);
                s = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
        else
        {
            const double gain = (1 - depth) + depth * 0.4 * (wave + 1.2);
            for (uint32_t c = 0; c < channels; ++c)
            {
                uint8_t* p = samples + (static_cast<uint64_t>(i) * channels + c) * 2;
                double v = static_cast<int16_t>(ReadLE16(p)) * gain;
                v = v > 32767 ? 32767 : (v < -32768 ? -32768 : v);
                WriteLE16(p, static_cast<uint16_t>(static_cast<int16_t>(v)));
            }
        }
    }
}
} // namespace

CxWave::CxWave()
{
    m_nGroup = 1;
}

CxWave::~CxWave()
{
    Stop();
}

uint32_t CxWave::Load(const char* fileName)
{
    if (!IsSoundOn())
    {
        Unload();
        return GetError();
    }
    const uint32_t code = CxSound::Load(fileName);
    if (code != CX_ERR_NONE || IsPlayableData())
        return code;
    // Damaged data is reported once, here, as every loader reports its file;
    // playing the sound then does nothing and returns this code, instead of
    // raising a dialog in the middle of a scene.
    const CxString name(GetFileName());
    DiscardData();
    m_strFileName.Empty();
    return Fail(CX_ERR_INVALID_FILE_TYPE, "Invalid WAV File: %s", name.c_str());
}

bool CxWave::IsPlayableData() const
{
    if (!m_pData)
        return false;
    if (m_nPlayFlags & CX_SOUND_MP3)
        return SkipId3Tag(m_pData, m_nDataSize) < m_nDataSize;
    if (m_nPlayFlags & CX_SOUND_RAW)
        return true;
    if (m_nPlayFlags & CX_SOUND_FORMAT_HEADER)
    {
        ST_FORMAT_RECORD record;
        return ParseFormatRecord(m_pData, m_nDataSize, &record) == CX_ERR_NONE;
    }
    ST_WAV_INFO info;
    return ParseWaveInfo(m_pData, m_nDataSize, false, &info) == CX_ERR_NONE;
}

bool CxWave::IsDone()
{
    if (!m_hSample)
        return true;
    if (DoesSoundFollowGameTime())
        return HasPlayTimeRunOut();
    return AudioGetSampleStatus(m_hSample) != CX_SAMPLE_PLAYING;
}

uint64_t CxWave::GetOnePlayLength() const
{
    uint32_t frames = 0;
    uint32_t rate = 0;
    if (!m_hSample || !AudioGetSampleLength(m_hSample, &frames, &rate) || rate == 0)
        return 0;
    return (static_cast<uint64_t>(frames) * 1000 + rate - 1) / rate;
}

void CxWave::SetVolume(int32_t volume)
{
    CxSound::SetVolume(volume);
    if (m_hSample)
        AudioSetSampleVolumeLevels(m_hSample, static_cast<float>(GetVolume()) / 127.0f,
                                   static_cast<float>(GetVolume()) / 127.0f);
}

void CxWave::StartPlayback()
{
    if (!IsSoundOn())
    {
        CompleteNow();
        return;
    }
    if ((!m_pData || !IsLoaded()) && !GetFileName().IsEmpty())
        ReloadData();
    if (!m_pData || !IsLoaded())
        return;
    if (m_hSample)
        ReleasePlayback();
    m_hSample = AudioAllocateSample(GetSoundDriver());
    if (!m_hSample)
    {
        SetError(CX_ERR_UNKNOWN, "Could not allocate an HSAMPLE. (%s)", AudioGetLastError());
        AudioSetError("");
        return;
    }
    AudioInitSample(m_hSample);
    if (!SetSampleData())
    {
        // Nothing to play: without a handle the sound counts as done at the next service pass.
        AudioReleaseSample(m_hSample);
        m_hSample = nullptr;
        AudioSetError("");
        SetError(CX_ERR_INVALID_FILE_TYPE, "Invalid WAV File");
        return;
    }
    AudioSetSampleLoopCount(m_hSample, (m_nPlayFlags & CX_SOUND_LIBRARY_LOOP) ? m_nRepeatCount : 1);
    const float level = static_cast<float>(GetVolume()) / 127.0f;
    AudioSetSampleVolumeLevels(m_hSample, level, level);
    if (m_nPlaybackRate != -1)
        AudioSetSamplePlaybackRate(m_hSample, m_nPlaybackRate);
    AudioStartSample(m_hSample);
    // The mixer plays the loops: a count of 0 repeats until stopped.
    const bool loops = (m_nPlayFlags & CX_SOUND_LIBRARY_LOOP) != 0;
    const uint64_t plays = loops && m_nRepeatCount > 1 ? static_cast<uint64_t>(m_nRepeatCount) : 1;
    StartPlayClock(loops && m_nRepeatCount == 0 ? CX_SOUND_ENDLESS : GetOnePlayLength() * plays);
    m_nState |= CX_SOUND_PLAYING;
    if (*AudioGetLastError())
        AudioSetError("");
}

bool CxWave::SetSampleData()
{
    if (m_nPlayFlags & CX_SOUND_MP3)
    {
        const uint32_t start = SkipId3Tag(m_pData, m_nDataSize);
        if (start >= m_nDataSize)
            return false;
        return AudioSetNamedSampleFile(m_hSample, ".mp3", m_pData + start, m_nDataSize - start,
                                       FindMp3SampleRate(m_pData, m_nDataSize, start));
    }
    if (m_nPlayFlags & CX_SOUND_RAW)
        return AudioSetSampleData(m_hSample, m_pData, m_nDataSize, CX_SAMPLE_MONO_16, CX_RAW_SAMPLE_RATE);
    if (m_nPlayFlags & CX_SOUND_FORMAT_HEADER)
        return SetFormatHeaderData();
    // Only a complete image goes to the mixer: the same walk that describes the
    // wave decides whether it can be played.
    ST_WAV_INFO info;
    if (ParseWaveInfo(m_pData, m_nDataSize, false, &info) != CX_ERR_NONE)
        return false;
    return AudioSetSampleFile(m_hSample, m_pData, m_nDataSize);
}

bool CxWave::SetFormatHeaderData()
{
    ST_FORMAT_RECORD record;
    if (ParseFormatRecord(m_pData, m_nDataSize, &record) != CX_ERR_NONE)
        return false;
    const uint16_t tag = record.nFormatTag;
    const uint16_t channels = record.nChannels;
    const uint32_t headerSize = record.nSize;
    const uint8_t* samples = m_pData + headerSize;
    const uint32_t length = m_nDataSize - headerSize;

    if (tag == CX_WAVE_FORMAT_MS_ADPCM || tag == CX_WAVE_FORMAT_IMA_ADPCM)
    {
        // Compressed samples go to the mixer as a wave image built around the record.
        const uint32_t fmtSize = headerSize;
        const uint64_t imageSize = 12ull + 8 + fmtSize + (fmtSize & 1) + 8 + length;
        if (imageSize > 0x7FFFFFFF)
            return false;
        uint8_t* image = static_cast<uint8_t*>(CX_ALLOC_ZERO(imageSize));
        if (!image)
            return false;
        memcpy(image, "RIFF", 4);
        WriteLE32(image + 4, static_cast<uint32_t>(imageSize - 8));
        memcpy(image + 8, "WAVEfmt ", 8);
        WriteLE32(image + 16, fmtSize);
        memcpy(image + 20, m_pData, fmtSize);
        uint8_t* data = image + 20 + fmtSize + (fmtSize & 1);
        memcpy(data, "data", 4);
        WriteLE32(data + 4, length);
        memcpy(data + 8, samples, length);
        const bool ok = AudioSetSampleFile(m_hSample, image, static_cast<uint32_t>(imageSize));
        CX_FREE(image);
        return ok;
    }
    const bool eightBit = record.nBlockAlign == channels;
    const int32_t type = channels == 1 ? (eightBit ? CX_SAMPLE_MONO_8 : CX_SAMPLE_MONO_16)
                                       : (eightBit ? CX_SAMPLE_STEREO_8 : CX_SAMPLE_STEREO_16);
    return AudioSetSampleData(m_hSample, samples, length, type, record.nRate);
}

void CxWave::ReleasePlayback()
{
    if (m_hSample)
    {
        AudioStopSample(m_hSample);
        AudioReleaseSample(m_hSample);
        m_hSample = nullptr;
    }
    if (m_nPlayFlags & CX_SOUND_UNLOAD)
        DiscardData();
}

void CxWave::PausePlayback()
{
    if (m_hSample)
        AudioStopSample(m_hSample);
}

void CxWave::ResumePlayback()
{
    if (m_hSample)
        AudioResumeSample(m_hSample);
}

uint32_t CxWave::GetWaveInfo(ST_WAV_INFO* info)
{
    // Touch the data so that purged data comes back; the record points into it.
    if (IsLoaded())
    {
        Lock();
        Unlock();
    }
    if (ParseWaveInfo(m_pData, m_pData ? m_nDataSize : 0, (m_nPlayFlags & CX_SOUND_RAW) != 0, info) !=
        CX_ERR_NONE)
        return Fail(CX_ERR_INVALID_FILE_TYPE, "Invalid WAV File");
    return CX_ERR_NONE;
}

bool CxWave::IsADPCM()
{
    if (!IsLoaded() || (m_nPlayFlags & (CX_SOUND_RAW | CX_SOUND_MP3 | CX_SOUND_FORMAT_HEADER)))
        return false;
    Lock();
    ST_WAV_INFO info;
    const bool adpcm =
        m_pData && ParseWaveInfo(m_pData, m_nDataSize, false, &info) == CX_ERR_NONE && info.bADPCM;
    Unlock();
    return adpcm;
}

void CxWave::AdoptData(uint8_t* block, uint32_t size)
{
    Unload();
    m_pData = block;
    m_nDataSize = size;
    SetResident(true);
}

uint32_t CxWave::ReplaceByCodec(uint8_t* (*codec)(const ST_WAV_INFO& info, uint32_t* outSize))
{
    if (!IsLoaded())
        return Fail(CX_ERR_UNKNOWN);
    Lock();
    ST_WAV_INFO info;
    uint32_t size = 0;
    uint8_t* block = nullptr;
    if (m_pData &&
        ParseWaveInfo(m_pData, m_nDataSize, (m_nPlayFlags & CX_SOUND_RAW) != 0, &info) == CX_ERR_NONE)
        block = codec(info, &size);
    Unlock();
    if (!block)
        return Fail(CX_ERR_UNKNOWN);
    AdoptData(block, size);
    return CX_ERR_NONE;
}

uint32_t CxWave::CompressADPCM()
{
    const uint32_t code = ReplaceByCodec(CompressAdpcmWave);
    // The result is a complete wave image, whatever the data was.
    if (code == CX_ERR_NONE)
        m_nPlayFlags &= ~CX_SOUND_RAW;
    return code;
}

uint32_t CxWave::DecompressADPCM()
{
    return ReplaceByCodec(DecompressAdpcmWave);
}

uint32_t CxWave::EditSamples(void (*edit)(const ST_WAV_INFO& info, uint8_t* samples, const float* args),
                             const float* args)
{
    const bool adpcm = IsADPCM();
    if (adpcm && DecompressADPCM() != CX_ERR_NONE)
        return GetError();
    Lock();
    ST_WAV_INFO info;
    uint32_t code = m_pData ? GetWaveInfo(&info) : Fail(CX_ERR_UNKNOWN);
    if (code == CX_ERR_NONE)
    {
        if ((info.nBits != 8 && info.nBits != 16) || info.bADPCM || info.nChannels > 16)
            code = Fail(CX_ERR_UNKNOWN);
        else
            edit(info, const_cast<uint8_t*>(info.pData), args);
    }
    Unlock();
    if (code == CX_ERR_NONE && adpcm)
        code = CompressADPCM();
    return code;
}

uint32_t CxWave::Reverse()
{
    return EditSamples(ReverseFrames, nullptr);
}

uint32_t CxWave::Tremolo(float frequency, float phase, float depth)
{
    const float args[3] = {frequency, phase, depth};
    return EditSamples(ApplyTremolo, args);
}

int32_t CxWave::GetSampleStatus()
{
    return m_hSample ? AudioGetSampleStatus(m_hSample) : 0;
}

int32_t CxWave::GetSampleLoopCount()
{
    return m_hSample ? AudioGetSampleLoopCount(m_hSample) : 0;
}

void CxWave::SetPlaybackRate(int32_t rate)
{
    m_nPlaybackRate = rate;
    if (!m_hSample || rate == -1)
        return;
    const uint64_t before = GetOnePlayLength();
    AudioSetSamplePlaybackRate(m_hSample, rate);
    const uint64_t after = GetOnePlayLength();
    if (!IsPlaying() || m_nPlayLength == CX_SOUND_ENDLESS || before == 0 || after == before)
        return;
    // The mixer goes on with the rest of the current loop at the new rate
    // and plays no further loops: so does the play's clock.
    const uint64_t position = GetPlayPosition();
    const uint64_t left = before - position % before;
    m_nPlayLength = position + (left * after + before - 1) / before;
}

int32_t CxWave::GetPlaybackRate()
{
    return m_hSample ? AudioGetSamplePlaybackRate(m_hSample) : 0;
}

uint32_t PlayWaveFile(const char* path, bool queued, int32_t queue)
{
    CxWave* wave = new (std::nothrow) CxWave;
    if (!wave)
        return 1;
    if (wave->Load(path) != CX_ERR_NONE)
    {
        // Reported already; a wave that never plays would never be collected.
        delete wave;
        return 0;
    }
    wave->SetQueueIndex(queue);
    wave->SetPlayFlags(wave->GetPlayFlags() | CX_SOUND_UNLOAD | CX_SOUND_AUTO_DELETE |
                       (queued ? CX_SOUND_QUEUED : 0));
    wave->Play();
    return 0;
}
