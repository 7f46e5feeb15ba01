// The sound system and CxSound, the abstract sound.
//
// Every live sound sits in one registry, which a service routine on the main
// loop walks at most every 100 ms: it starts queued sounds when they reach
// the front of their queue, runs repeats, calls completion callbacks and
// deletes fire-and-forget sounds once they are done. Up to 16 playback
// queues let voice lines play one after another. Sample data lives in the
// object cache and is locked while a sound plays.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/base/object.h"
#include "engine/core/cached_object.h"
#include "engine/core/error.h"
#include "engine/platform/audio.h"

#include <cstdint>

class CxOptions;
class CxSound;

// Play flags.
constexpr uint32_t CX_SOUND_QUEUED = 0x01;       // wait in the queue, start at its front
constexpr uint32_t CX_SOUND_EXCLUSIVE = 0x02;    // pause the group, play to the end, resume the group
constexpr uint32_t CX_SOUND_UNLOAD = 0x04;       // unload the data when the sound stops
constexpr uint32_t CX_SOUND_AUTO_DELETE = 0x08;  // delete the sound once it has finished
constexpr uint32_t CX_SOUND_LIBRARY_LOOP = 0x10; // the mixer plays the repeats
constexpr uint32_t CX_SOUND_MP3 = 0x20;
constexpr uint32_t CX_SOUND_WAIT = 0x40;           // play to the end before returning
constexpr uint32_t CX_SOUND_RAW = 0x80;            // 16-bit mono PCM
constexpr uint32_t CX_SOUND_FORMAT_HEADER = 0x100; // a wave-format record, then the samples

// State word: the volume in bits 0-15, then these bits.
constexpr uint32_t CX_SOUND_VOLUME_MASK = 0xFFFF;
constexpr uint32_t CX_SOUND_PAUSED = 0x10000;
constexpr uint32_t CX_SOUND_WAITING = 0x20000;
constexpr uint32_t CX_SOUND_PLAYING = 0x40000;
constexpr uint32_t CX_SOUND_STARTED = 0x80000;

constexpr int32_t CX_SOUND_DEFAULT_VOLUME = 100;
// The game-time length of a play that never ends (a mixer loop without count).
constexpr uint64_t CX_SOUND_ENDLESS = UINT64_MAX;
constexpr int32_t CX_SOUND_MAX_QUEUES = 16;
// The service routine runs at most once per this many milliseconds.
constexpr uint32_t CX_SOUND_SERVICE_INTERVAL = 100;

// Called whenever a sound finishes or is skipped; the first argument is always 0.
typedef void (*CxSoundCallback)(uint32_t zero, CxSound* sound);

class CxSound : public CxObject, public CxError, public CxCachedObject
{
public:
    CxSound();
    CxSound(const CxSound&) = delete;
    CxSound& operator=(const CxSound&) = delete;
    // Stops and unloads the sound and takes it out of the registry.
    ~CxSound() override;

    virtual uint32_t Play();
    virtual void Stop();
    virtual void Pause();
    virtual void Resume();
    virtual uint32_t Load(const char* fileName);
    // With keep = false the data is copied into a cache block; otherwise the
    // sound plays from the caller's buffer, which must outlive it.
    virtual uint32_t SetData(const void* data, uint32_t size, bool keep);
    virtual void Unload();
    // One service step.
    virtual void Update();
    virtual void SetFileName(const char* fileName) { m_strFileName = fileName; }
    virtual uint32_t GetErrorCode() const { return GetError(); }
    virtual bool IsQueued() const { return (m_nState & CX_SOUND_WAITING) != 0; }
    virtual bool IsLoaded() const { return m_nDataSize != 0; }
    virtual bool IsPaused() const { return (m_nState & CX_SOUND_PAUSED) != 0; }
    virtual bool WasStarted() const { return (m_nState & CX_SOUND_STARTED) != 0; }
    virtual bool IsPlaying() const { return (m_nState & CX_SOUND_PLAYING) != 0; }
    virtual bool IsDone() { return !IsPlaying(); }
    // The game time (GetTickCount) the current play has run, its pauses not
    // counted, and its whole length in milliseconds (all the mixer's loops;
    // CX_SOUND_ENDLESS; 0 for a sound that keeps no play clock).
    uint32_t GetPlayPosition() const;
    uint64_t GetPlayLength() const { return m_nPlayLength; }
    // A fire-and-forget sound that is over (played, or withdrawn from its queue) and can be deleted.
    bool IsFinished();
    virtual void SetVolume(int32_t volume);
    virtual int32_t GetVolume() const { return static_cast<int16_t>(m_nState & CX_SOUND_VOLUME_MASK); }
    virtual void StartPlayback() = 0;
    virtual void ReleasePlayback() = 0;
    virtual void PausePlayback() = 0;
    virtual void ResumePlayback() = 0;

    // The cache calls these to bring the data back and to free it.
    bool Reacquire() override;
    void Release() override;

    const CxString& GetFileName() const { return m_strFileName; }
    int32_t GetGroup() const { return m_nGroup; }
    void SetCallback(CxSoundCallback callback) { m_pCallback = callback; }
    CxSoundCallback GetCallback() const { return m_pCallback; }
    const uint8_t* GetData() const { return m_pData; }
    uint32_t GetDataSize() const { return m_nDataSize; }
    uint32_t GetPlayFlags() const { return m_nPlayFlags; }
    void SetPlayFlags(uint32_t flags) { m_nPlayFlags = flags; }
    void AddPlayFlags(uint32_t flags) { m_nPlayFlags |= flags; }
    void RemovePlayFlags(uint32_t flags) { m_nPlayFlags &= ~flags; }
    int32_t GetRepeatCount() const { return m_nRepeatCount; }
    void SetRepeatCount(int32_t count) { m_nRepeatCount = count; }
    int32_t GetPlaysRemaining() const { return m_nPlaysRemaining; }
    int32_t GetQueueIndex() const { return m_nQueue; }
    void SetQueueIndex(int32_t queue) { m_nQueue = queue; }
    uint32_t GetState() const { return m_nState; }

    // The registry of live sounds, in creation order.
    static CxSound* GetFirstSound();
    CxSound* GetNextSound() const { return m_pNextSound; }
    static uint32_t GetSoundCount();

protected:
    // Locks the data, starts it and marks the sound playing and started.
    void BeginPlayback();
    // Stores and reports an error; returns its code.
    uint32_t Fail(uint32_t code, const char* format = nullptr, ...) CX_PRINTF(3, 4);
    // Waits until the sound is done (for plays that must end before Play
    // returns). False when the sound was deleted during the wait.
    bool WaitUntilDone();
    // Starts the play's clock at the current game time with the play's length (ms).
    void StartPlayClock(uint64_t length);
    // Whether the play's clock has reached its length (never while paused).
    bool HasPlayTimeRunOut() const;
    // Calls the completion callback, if any, unless StartPlayback reported this play already.
    void Complete();
    // StartPlayback calls this when the play ends at once (no audio device).
    void CompleteNow();
    // Frees the data block (the caller's buffer is left alone); data size 0.
    void DiscardData();
    // Reads the remembered file again into a new block without touching the playback state.
    bool ReloadData();
    // Allocates a data block of size bytes as the sound's (resident) data.
    bool AllocateData(uint32_t size);

    CxString m_strFileName;
    int32_t m_nGroup = 0;
    CxSoundCallback m_pCallback = nullptr;
    uint8_t* m_pData = nullptr;
    uint32_t m_nDataSize = 0;
    uint32_t m_nPlayFlags = 0;
    int32_t m_nRepeatCount = 1;
    int32_t m_nPlaysRemaining = 0;
    int32_t m_nQueue = -1;
    uint32_t m_nState = CX_SOUND_DEFAULT_VOLUME;
    bool m_bBorrowed = false;           // the data is the caller's buffer
    bool m_bLocked = false;             // this sound holds a lock on its data
    bool m_bCompletionReported = false; // this play's end was reported by StartPlayback
    bool m_bWithdrawn = false;          // taken out of its queue before it ever started
    uint32_t m_nPlayStart = 0;          // game time the play started
    uint32_t m_nPauseStart = 0;         // game time the current pause began
    uint32_t m_nPausedFor = 0;          // game time the play spent paused
    uint64_t m_nPlayLength = 0;         // see GetPlayLength

private:
    uint32_t ReadFile(const char* fileName);
    // The wait of a driven run: passes of the message pump until the sound is done.
    bool WaitInGameTime();

    // While Play waits for this sound: cleared when the sound is deleted.
    bool* m_pWaitAlive = nullptr;

    CxSound* m_pPrevSound = nullptr;
    CxSound* m_pNextSound = nullptr;
};

// The sound system. Initialising reads "Engine.Sound" (and "Engine"/"UseDirectSound")
// from options, else from the main option file, else takes the defaults. Returns 0, 1 when a
// queue cannot be created, or 13 when no audio device opens: then the game runs
// silent and every sound reports completion at once.
uint32_t InitSoundSystem(CxOptions* options);
void ShutdownSoundSystem();
bool IsSoundSystemInitialised();
// True while an audio device is open.
bool IsSoundOn();
// In a driven run (the engine's clock stepped by every pass of the message
// pump) the play state of a sound follows game time instead of the audio
// device: a play lasts its length from the game time it started, its pauses
// not counted, so sounds end on the same pass on every machine; the device
// still mixes. A blocking play then waits by running passes of the pump.
void SetSoundFollowsGameTime(bool on);
bool DoesSoundFollowGameTime();
// The open audio device, or null.
HCXDRIVER GetSoundDriver();

// Master volume on the 0-127 scale (127 is full level). Reading it back gives
// the device's level x 127, or -1 without a device.
void SetMasterVolume(int32_t volume);
int32_t GetMasterVolume();

// Stops every live sound whose queue index is queue.
void FlushAudioQueue(int32_t queue);
void FlushAllAudioQueues();
// Creates a fire-and-forget wave for the file and plays it; 0, or 1 when the
// sound object could not be created.
uint32_t PlayWaveFile(const char* path, bool queued, int32_t queue);

// The queues: GetSoundQueue is null for a number that does not exist.
int32_t GetSoundQueueCount();
CxQueue<CxSound*>* GetSoundQueue(int32_t queue);
// The queue with the fewest entries; of equal ones the highest-numbered.
int32_t ChooseSoundQueue();

// The main-loop function: one service pass when more than 100 ms passed since the last one.
void SoundServiceRoutine();
// One service pass now (nothing when a pass is already running).
void RunSoundServicePass();
