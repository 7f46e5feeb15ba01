// Timers on the platform clock: CxTimer (stopwatch and count-down),
// CxTimerCallBack (a timer that calls a listener every interval), the
// listener interface and CxTimerManager, the one list of callback timers
// that the idle pass drives.
//
// Ticks are unsigned 32-bit milliseconds that wrap after about 49.7 days;
// every comparison here works on differences, so a timer running across
// the wrap behaves like any other.
#pragma once

#include "engine/base/linked_list.h"
#include "engine/core/main_loop_hook.h"
#include "engine/core/pause_resume.h"

#include <cstdint>

constexpr uint32_t CX_TIMER_STOPPED = 0;          // end tick of a timer that is not running
constexpr uint32_t CX_TIMER_NO_END = 0xFFFFFFFFu; // end tick of a timer running without end

class CxTimer : public CxPauseResume
{
public:
    CxTimer() = default;
    ~CxTimer() override = default;

    // Starts afresh; a duration of 0 runs without end.
    void Start(uint32_t duration);
    // Stops the timer and forgets any pause state.
    void Reset();

    bool IsRunning() const { return m_nEndTick != CX_TIMER_STOPPED; }
    bool HasEnd() const { return IsRunning() && m_nEndTick != CX_TIMER_NO_END; }
    // Milliseconds since the start, not counting paused time; 0 when stopped.
    uint32_t GetElapsed() const;
    // Milliseconds left until the end: the value saved at the pause while
    // paused; 0 once the end has been reached, and 0 for a timer that is
    // stopped or has no end (nothing is left to wait for).
    uint32_t GetRemaining() const;
    // True when the timer has an end and the clock has reached it.
    bool HasExpired() const;

    uint32_t GetStartTick() const { return m_nStartTick; }
    uint32_t GetEndTick() const { return m_nEndTick; }

protected:
    // Called through the pause counter (AddPause / RemovePause).
    void Pause() override;
    void Resume() override;

    uint32_t m_nStartTick = 0;
    uint32_t m_nEndTick = CX_TIMER_STOPPED;
    // Counts the starts, so that a callback timer sees a restart.
    uint32_t m_nStarts = 0;
    uint32_t m_nPauseTick = 0;
    uint32_t m_nSavedRemaining = 0;
    bool m_bPauseRecorded = false;
};

class CxTimerListener
{
public:
    virtual ~CxTimerListener() = default;
    // timer is the one that fired; listeners with several timers compare addresses.
    virtual void OnTimer(CxTimer* timer) = 0;
};

class CxTimerCallBack : public CxTimer
{
public:
    // Registers with the timer manager (created with the first callback timer).
    CxTimerCallBack(CxTimerListener* listener = nullptr, uint32_t interval = 0, long userValue = 0,
                    long id = 0);
    CxTimerCallBack(const CxTimerCallBack&) = delete;
    CxTimerCallBack& operator=(const CxTimerCallBack&) = delete;
    // Unregisters (the manager goes away with the last callback timer).
    ~CxTimerCallBack() override;

    void SetListener(CxTimerListener* listener) { m_pListener = listener; }
    CxTimerListener* GetListener() const { return m_pListener; }
    void SetInterval(uint32_t interval) { m_nInterval = interval; }
    uint32_t GetInterval() const { return m_nInterval; }
    void SetUserValue(long value) { m_nUserValue = value; }
    long GetUserValue() const { return m_nUserValue; }
    void SetID(long id) { m_nID = id; }
    long GetID() const { return m_nID; }

    // One idle-pass check: fires the listener when an interval has passed,
    // and once more (after stopping) when the end is reached.
    void Tick();

protected:
    // The next call comes one full interval after resuming.
    void Resume() override;

private:
    CxTimerListener* m_pListener;
    uint32_t m_nInterval;
    uint32_t m_nLastCall = 0;
    bool m_bCalled = false;      // the last-call tick is valid (0 is a real tick after the wrap)
    uint32_t m_nCalledStart = 0; // the start the last-call tick belongs to
    long m_nUserValue;
    long m_nID;
};

// The list of all callback timers, driven once per idle pass.
class CxTimerManager : public CxLinkedList<CxTimerCallBack*>, public CxMainLoopHook
{
public:
    void OnMainLoop() override;

    // Called by CxTimerCallBack; the manager is created and deleted here.
    static void Register(CxTimerCallBack* timer);
    static void Unregister(CxTimerCallBack* timer);

private:
    CxTimerManager() = default;
    ~CxTimerManager() override = default;

    uint32_t m_nDispatching = 0;
};

// The manager, or null while no callback timer exists.
CxTimerManager* GetTimerManager();
