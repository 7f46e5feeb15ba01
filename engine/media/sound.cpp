#include "engine/media/sound.h"

#include "engine/core/app.h"
#include "engine/core/file.h"
#include "engine/core/main_loop.h"
#include "engine/core/memory.h"
#include "engine/core/options.h"
#include "engine/platform/clock.h"

#include <cstdarg>
#include <cstring>
#include <memory>

namespace {
bool s_bInitialised = false;
bool s_bSoundOn = false;
HCXDRIVER s_hDriver = nullptr;
int32_t s_nMasterVolume = CX_SOUND_DEFAULT_VOLUME;

std::unique_ptr<CxQueue<CxSound*>> s_pQueues[CX_SOUND_MAX_QUEUES];
int32_t s_nQueueCount = 0;

CxSound* s_pFirstSound = nullptr;
CxSound* s_pLastSound = nullptr;
uint32_t s_nSoundCount = 0;
// Raised whenever a sound is created or destroyed, so a registry walk can start over.
bool s_bRegistryChanged = false;

bool s_bGameTime = false;
bool s_bInPass = false;
bool s_bServiceRan = false;
uint32_t s_nLastService = 0;

// Pauses (or resumes) every sound of the group but one.
void PauseGroup(int32_t group, const CxSound* except, bool pause)
{
    for (CxSound* sound = s_pFirstSound; sound; sound = sound->GetNextSound())
        if (sound != except && sound->GetGroup() == group)
            pause ? sound->Pause() : sound->Resume();
}

long ReadNumber(CxOptions* options, const char* section, const char* key, long fallback)
{
    long value = fallback;
    if (options)
        options->GetNumber(section, key, &value, fallback);
    return value;
}
} // namespace

// ---------------------------------------------------------------------------
// CxSound

CxSound::CxSound()
{
    SetCacheData(&m_pData, &m_nDataSize);
    m_pPrevSound = s_pLastSound;
    (s_pLastSound ? s_pLastSound->m_pNextSound : s_pFirstSound) = this;
    s_pLastSound = this;
    ++s_nSoundCount;
    s_bRegistryChanged = true;
}

CxSound::~CxSound()
{
    // The derived part is gone by now: stop what the base can stop and free the data.
    for (int32_t q = 0; q < s_nQueueCount; ++q)
        while (s_pQueues[q]->Remove(this))
        {
        }
    if (m_bLocked)
        Unlock();
    DiscardData();
    if (m_pWaitAlive)
        *m_pWaitAlive = false;
    (m_pPrevSound ? m_pPrevSound->m_pNextSound : s_pFirstSound) = m_pNextSound;
    (m_pNextSound ? m_pNextSound->m_pPrevSound : s_pLastSound) = m_pPrevSound;
    --s_nSoundCount;
    s_bRegistryChanged = true;
}

CxSound* CxSound::GetFirstSound()
{
    return s_pFirstSound;
}

uint32_t CxSound::GetSoundCount()
{
    return s_nSoundCount;
}

uint32_t CxSound::Play()
{
    if (!s_bInitialised)
        return CX_ERR_UNKNOWN;
    if (GetError() != CX_ERR_NONE)
        return GetError();
    Stop();
    m_bWithdrawn = false;
    m_nPlaysRemaining = m_nRepeatCount - 1;

    if (m_nPlayFlags & CX_SOUND_QUEUED)
    {
        if (m_nQueue < 0 || m_nQueue >= s_nQueueCount)
            m_nQueue = ChooseSoundQueue();
        if (m_nQueue >= 0 && s_pQueues[m_nQueue]->Enqueue(this))
        {
            m_nState |= CX_SOUND_WAITING;
            RunSoundServicePass();
            return CX_ERR_NONE;
        }
        return Fail(CX_ERR_OUT_OF_MEMORY, "Could not allocate buffer for sound");
    }

    const bool exclusive = (m_nPlayFlags & CX_SOUND_EXCLUSIVE) != 0;
    const int32_t group = m_nGroup;
    if (exclusive)
        PauseGroup(group, this, true);

    BeginPlayback();

    if (exclusive || (m_nPlayFlags & CX_SOUND_WAIT))
    {
        // A sound deleted by the passes of the wait is not touched again;
        // its group still goes on.
        const bool alive = WaitUntilDone();
        if (alive)
        {
            Stop();
            Complete();
        }
        if (exclusive)
            PauseGroup(group, this, false);
        if (!alive)
            return CX_ERR_NONE;
    }
    return GetError();
}

bool CxSound::WaitUntilDone()
{
    if (s_bGameTime)
        return WaitInGameTime();
    // The mixer runs on its own thread. Should the device stop taking audio
    // altogether, give up after a while instead of hanging the game.
    constexpr uint32_t STALL_LIMIT = 5000;
    uint64_t mixed = AudioGetMixedFrames(s_hDriver);
    uint32_t since = GetSystemTicks();
    while (!IsDone())
    {
        SleepMs(1);
        const uint64_t now = AudioGetMixedFrames(s_hDriver);
        if (now != mixed)
        {
            mixed = now;
            since = GetSystemTicks();
        }
        else if (GetSystemTicks() - since > STALL_LIMIT)
        {
            break;
        }
    }
    return true;
}

bool CxSound::WaitInGameTime()
{
    // The passes move the clock on, as in every nested loop (modal dialogs,
    // blocking movies). Without an application nothing moves it; passes that
    // leave it standing give up after a while rather than spin for ever.
    constexpr int32_t STILL_LIMIT = 1000;
    CxApp* app = GetApp();
    if (!app)
        return true;
    bool alive = true;
    m_pWaitAlive = &alive;
    int32_t still = 0;
    uint32_t before = GetTickCount();
    while (!IsDone() && !app->IsQuitting() && app->GetReportedErrorCount() < CX_MAX_REPORTED_ERRORS)
    {
        const bool quit = app->PumpMessage();
        if (!alive)
            return false;
        if (quit)
        {
            // The pump took the quit message: the main loop must still see it.
            app->Quit();
            break;
        }
        const uint32_t now = GetTickCount();
        still = now == before ? still + 1 : 0;
        before = now;
        if (still >= STILL_LIMIT)
            break;
    }
    m_pWaitAlive = nullptr;
    return true;
}

void CxSound::StartPlayClock(uint64_t length)
{
    m_nPlayStart = GetTickCount();
    m_nPausedFor = 0;
    m_nPlayLength = length;
}

uint32_t CxSound::GetPlayPosition() const
{
    if (!IsPlaying())
        return 0;
    const uint32_t now = IsPaused() ? m_nPauseStart : GetTickCount();
    return now - m_nPlayStart - m_nPausedFor;
}

bool CxSound::HasPlayTimeRunOut() const
{
    return !IsPaused() && m_nPlayLength != CX_SOUND_ENDLESS && GetPlayPosition() >= m_nPlayLength;
}

void CxSound::Stop()
{
    ReleasePlayback();
    if (m_bLocked)
    {
        Unlock();
        m_bLocked = false;
    }
    if (m_nState & CX_SOUND_WAITING)
    {
        if (!(m_nState & CX_SOUND_STARTED))
            m_bWithdrawn = true;
        if (m_nQueue >= 0 && m_nQueue < s_nQueueCount)
            while (s_pQueues[m_nQueue]->Remove(this))
            {
            }
        m_nState &= ~CX_SOUND_WAITING;
    }
    m_nState &= ~(CX_SOUND_PAUSED | CX_SOUND_PLAYING);
}

void CxSound::Pause()
{
    if (IsPlaying() && !IsPaused())
    {
        PausePlayback();
        m_nState |= CX_SOUND_PAUSED;
        m_nPauseStart = GetTickCount();
    }
}

void CxSound::Resume()
{
    if (IsPaused())
    {
        ResumePlayback();
        m_nState &= ~CX_SOUND_PAUSED;
        m_nPausedFor += GetTickCount() - m_nPauseStart;
    }
}

uint32_t CxSound::ReadFile(const char* fileName)
{
    CxFile file;
    if (file.Open(fileName, CX_FILE_DEFAULT) != CX_ERR_NONE)
        return Fail(CX_ERR_FILE_OPEN, "Could not open sound file: %s", fileName);
    const long length = file.GetLength();
    if (length <= 0 || length > 0x7FFFFFFF || !AllocateData(static_cast<uint32_t>(length)))
    {
        if (length <= 0)
            return Fail(CX_ERR_FILE_READ, "Error reading soundbuffer from %s", fileName);
        return Fail(CX_ERR_UNKNOWN);
    }
    if (file.Read(m_pData, length) != length)
    {
        DiscardData();
        return Fail(CX_ERR_FILE_READ, "Error reading soundbuffer from %s", fileName);
    }
    return CX_ERR_NONE;
}

uint32_t CxSound::Load(const char* fileName)
{
    Unload();
    if (!s_bInitialised || GetError() != CX_ERR_NONE || !fileName)
        return GetError();
    // Copy the name first: it may be this sound's own.
    const CxString name(fileName);
    const uint32_t code = ReadFile(name.c_str());
    if (code != CX_ERR_NONE)
        return code;
    m_strFileName = name;
    if (name.FindNoCase(".MP3") >= 0)
        m_nPlayFlags |= CX_SOUND_MP3;
    else if (name.FindNoCase(".RAW") >= 0)
        m_nPlayFlags |= CX_SOUND_RAW;
    m_nState &= ~CX_SOUND_STARTED;
    return CX_ERR_NONE;
}

uint32_t CxSound::SetData(const void* data, uint32_t size, bool keep)
{
    Unload();
    if (keep)
    {
        m_pData = static_cast<uint8_t*>(const_cast<void*>(data));
        m_nDataSize = size;
        m_bBorrowed = true;
        // The cache has nothing to save or bring back for a buffer it does not own.
        SetCacheData<uint8_t>(nullptr, nullptr);
        SetResident(true);
    }
    else
    {
        if (!AllocateData(size))
            return Fail(CX_ERR_OUT_OF_MEMORY, "Could not allocate buffer for sound");
        if (size)
            memcpy(m_pData, data, size);
    }
    m_strFileName.Empty();
    m_nState &= ~CX_SOUND_STARTED;
    return CX_ERR_NONE;
}

void CxSound::Unload()
{
    Stop();
    DiscardData();
}

void CxSound::DiscardData()
{
    if (!m_bBorrowed)
        CX_FREE(m_pData);
    m_pData = nullptr;
    m_nDataSize = 0;
    m_bBorrowed = false;
    SetCacheData(&m_pData, &m_nDataSize);
    SetResident(false);
}

bool CxSound::AllocateData(uint32_t size)
{
    DiscardData();
    m_pData = static_cast<uint8_t*>(CX_ALLOC(size ? size : 1));
    if (!m_pData)
        return false;
    m_nDataSize = size;
    SetResident(true);
    return true;
}

bool CxSound::ReloadData()
{
    if (m_strFileName.IsEmpty())
        return false;
    const CxString name(m_strFileName);
    return ReadFile(name.c_str()) == CX_ERR_NONE;
}

bool CxSound::Reacquire()
{
    // A borrowed buffer never went away, and an unloaded sound has nothing to bring back.
    if (m_bBorrowed || m_nDataSize == 0)
        return true;
    m_pData = static_cast<uint8_t*>(CX_ALLOC(m_nDataSize ? m_nDataSize : 1));
    return m_pData != nullptr;
}

void CxSound::Release()
{
    // The size stays: it is what Reacquire and the cache restore bring back.
    if (!m_bBorrowed)
    {
        CX_FREE(m_pData);
        m_pData = nullptr;
    }
}

void CxSound::BeginPlayback()
{
    if (!m_bLocked)
    {
        Lock();
        m_bLocked = true;
    }
    m_bCompletionReported = false;
    StartPlayback();
    m_nState |= CX_SOUND_PLAYING | CX_SOUND_STARTED;
}

uint32_t CxSound::Fail(uint32_t code, const char* format, ...)
{
    SetErrorCode(code);
    va_list args;
    va_start(args, format);
    ReportErrorV(code, format, args);
    va_end(args);
    return code;
}

bool CxSound::IsFinished()
{
    return (m_nPlayFlags & CX_SOUND_AUTO_DELETE) && (WasStarted() || m_bWithdrawn) && !IsPaused() &&
           !IsQueued() && !m_pWaitAlive && IsDone();
}

void CxSound::Complete()
{
    if (m_bCompletionReported)
    {
        m_bCompletionReported = false;
        return;
    }
    if (m_pCallback)
        m_pCallback(0, this);
}

void CxSound::CompleteNow()
{
    m_bCompletionReported = false;
    Complete();
    m_bCompletionReported = true;
}

void CxSound::Update()
{
    if (IsPaused())
        return;
    if (!IsPlaying())
    {
        if (IsQueued() && m_nQueue >= 0 && m_nQueue < s_nQueueCount && !s_pQueues[m_nQueue]->IsEmpty() &&
            s_pQueues[m_nQueue]->Peek() == this)
            BeginPlayback();
        return;
    }
    // A sound that Play waits for is ended there.
    if (m_pWaitAlive || !IsDone())
        return;
    Stop();
    Complete();
    if (!(m_nPlayFlags & CX_SOUND_LIBRARY_LOOP) && m_nPlaysRemaining >= 1)
    {
        --m_nPlaysRemaining;
        BeginPlayback();
    }
}

void CxSound::SetVolume(int32_t volume)
{
    m_nState = (m_nState & ~CX_SOUND_VOLUME_MASK) | (static_cast<uint32_t>(volume) & CX_SOUND_VOLUME_MASK);
}

// ---------------------------------------------------------------------------
// The sound system

uint32_t InitSoundSystem(CxOptions* options)
{
    if (!options)
        options = GetMainOptions();
    const long queues = ReadNumber(options, "Engine.Sound", "NumQueues", 8);
    const long rate = ReadNumber(options, "Engine.Sound", "Frequency", 22050);
    const long bits = ReadNumber(options, "Engine.Sound", "BitsPerSample", 16);
    const long channels = ReadNumber(options, "Engine.Sound", "NumChannels", 1);

    if (!s_bInitialised)
    {
        AddMainLoopFunction(SoundServiceRoutine);
        s_bServiceRan = false;
        while (s_nQueueCount < queues && s_nQueueCount < CX_SOUND_MAX_QUEUES)
        {
            s_pQueues[s_nQueueCount].reset(new (std::nothrow) CxQueue<CxSound*>);
            if (!s_pQueues[s_nQueueCount])
                return CX_ERR_OUT_OF_MEMORY;
            ++s_nQueueCount;
        }
        s_bInitialised = true;
    }

    if (!s_hDriver)
    {
        const long useDirect = ReadNumber(options, "Engine", "UseDirectSound", 1);
        s_bSoundOn = true;
        AudioStartup();
        // The device's buffer is fixed when it opens, so the fragment count is read first:
        // 128 frames a fragment, 8 fragments by default.
        const long fragments = ReadNumber(options, "Engine.Sound", "MixFragmentCount", 8);
        AudioSetBufferFrames(static_cast<uint32_t>(fragments > 0 ? fragments : 1) * 128);
        if (useDirect)
            s_hDriver = AudioOpenDriver(static_cast<uint32_t>(rate), static_cast<uint32_t>(bits),
                                        static_cast<uint32_t>(channels), CX_AUDIO_OPEN_PRIMARY);
        if (!s_hDriver)
        {
            AudioSetError("");
            s_hDriver = AudioOpenDriver(static_cast<uint32_t>(rate), static_cast<uint32_t>(bits),
                                        static_cast<uint32_t>(channels), CX_AUDIO_OPEN_FALLBACK);
            if (!s_hDriver)
            {
                s_bSoundOn = false;
                return CX_ERR_UNKNOWN;
            }
        }
    }
    SetMasterVolume(
        static_cast<int32_t>(ReadNumber(options, "Engine.Sound", "MasterVolume", s_nMasterVolume)));
    return CX_ERR_NONE;
}

void ShutdownSoundSystem()
{
    // Fire-and-forget sounds belong to nobody else; every other sound lets go of its sample.
    for (CxSound* sound = s_pFirstSound; sound;)
    {
        CxSound* next = sound->GetNextSound();
        if (sound->GetPlayFlags() & CX_SOUND_AUTO_DELETE)
            delete sound;
        else
            sound->Stop();
        sound = next;
    }
    for (int32_t q = 0; q < s_nQueueCount; ++q)
        s_pQueues[q].reset();
    s_nQueueCount = 0;
    RemoveMainLoopFunction(SoundServiceRoutine);
    if (s_hDriver)
        AudioCloseDriver(s_hDriver);
    s_hDriver = nullptr;
    s_bSoundOn = false;
    AudioShutdown();
    s_bInitialised = false;
}

bool IsSoundSystemInitialised()
{
    return s_bInitialised;
}

void SetSoundFollowsGameTime(bool on)
{
    s_bGameTime = on;
}

bool DoesSoundFollowGameTime()
{
    return s_bGameTime;
}

bool IsSoundOn()
{
    return s_bSoundOn;
}

HCXDRIVER GetSoundDriver()
{
    return s_hDriver;
}

void SetMasterVolume(int32_t volume)
{
    s_nMasterVolume = volume;
    if (s_hDriver)
        AudioSetMasterLevel(s_hDriver, static_cast<float>(volume) / 127.0f);
}

int32_t GetMasterVolume()
{
    if (!s_hDriver)
        return -1;
    // The small bias keeps a level of 100/127 from reading back as 99.
    return static_cast<int32_t>(AudioGetMasterLevel(s_hDriver) * 127.0f + 0.001f);
}

void FlushAudioQueue(int32_t queue)
{
    for (CxSound* sound = s_pFirstSound; sound; sound = sound->GetNextSound())
        if (sound->GetQueueIndex() == queue)
            sound->Stop();
}

void FlushAllAudioQueues()
{
    for (int32_t q = 0; q < s_nQueueCount; ++q)
        FlushAudioQueue(q);
}

int32_t GetSoundQueueCount()
{
    return s_nQueueCount;
}

CxQueue<CxSound*>* GetSoundQueue(int32_t queue)
{
    return queue >= 0 && queue < s_nQueueCount ? s_pQueues[queue].get() : nullptr;
}

int32_t ChooseSoundQueue()
{
    int32_t best = -1;
    for (int32_t q = 0; q < s_nQueueCount; ++q)
        if (best < 0 || s_pQueues[q]->GetCount() <= s_pQueues[best]->GetCount())
            best = q;
    return best;
}

void SoundServiceRoutine()
{
    const uint32_t now = GetTickCount();
    if (s_bServiceRan && now - s_nLastService <= CX_SOUND_SERVICE_INTERVAL)
        return;
    s_bServiceRan = true;
    s_nLastService = now;
    RunSoundServicePass();
}

void RunSoundServicePass()
{
    if (s_bInPass)
        return;
    s_bInPass = true;
    s_bRegistryChanged = false;
    for (CxSound* sound = s_pFirstSound; sound;)
    {
        sound->Update();
        if (!s_bRegistryChanged && sound->IsFinished())
            delete sound;
        if (s_bRegistryChanged)
        {
            // Sounds came or went under the walk: start again from the first.
            s_bRegistryChanged = false;
            sound = s_pFirstSound;
            continue;
        }
        sound = sound->GetNextSound();
    }
    s_bInPass = false;
}
