#include "engine/core/timer.h"

#include "engine/base/array.h"
#include "engine/platform/clock.h"

namespace {
CxTimerManager* s_pTimerManager = nullptr;

// now + duration as an end tick. The two tick values that mean "stopped"
// and "no end" are stepped over (by one or two milliseconds), so a timer
// whose end happens to fall on them after the wrap still runs and ends.
uint32_t EndTick(uint32_t now, uint32_t duration)
{
    const uint32_t end = now + duration;
    if (end == CX_TIMER_STOPPED || end == CX_TIMER_NO_END)
        return 1;
    return end;
}

// Whether tick has reached end, across the wrap (ends lie less than 2^31 ms ahead).
bool Reached(uint32_t tick, uint32_t end)
{
    return static_cast<int32_t>(end - tick) <= 0;
}
} // namespace

void CxTimer::Start(uint32_t duration)
{
    Reset();
    const uint32_t now = GetTickCount();
    ++m_nStarts;
    m_nStartTick = now;
    m_nEndTick = duration == 0 ? CX_TIMER_NO_END : EndTick(now, duration);
    if (IsPaused())
    {
        // Started while paused: it stands still from now until resumed.
        m_nPauseTick = now;
        m_nSavedRemaining = duration;
        m_bPauseRecorded = true;
    }
}

void CxTimer::Reset()
{
    m_nStartTick = 0;
    m_nEndTick = CX_TIMER_STOPPED;
    m_nPauseTick = 0;
    m_nSavedRemaining = 0;
    m_bPauseRecorded = false;
}

uint32_t CxTimer::GetElapsed() const
{
    if (!IsRunning())
        return 0;
    const uint32_t now = (IsPaused() && m_bPauseRecorded) ? m_nPauseTick : GetTickCount();
    return now - m_nStartTick;
}

uint32_t CxTimer::GetRemaining() const
{
    if (m_bPauseRecorded)
        return m_nSavedRemaining;
    if (!HasEnd())
        return 0;
    const uint32_t now = GetTickCount();
    return Reached(now, m_nEndTick) ? 0 : m_nEndTick - now;
}

bool CxTimer::HasExpired() const
{
    return HasEnd() && Reached(GetTickCount(), m_nEndTick);
}

void CxTimer::Pause()
{
    if (!IsRunning() || m_bPauseRecorded)
        return;
    m_nSavedRemaining = GetRemaining();
    m_nPauseTick = GetTickCount();
    m_bPauseRecorded = true;
}

void CxTimer::Resume()
{
    if (!IsRunning() || !m_bPauseRecorded)
        return;
    const uint32_t now = GetTickCount();
    m_nStartTick += now - m_nPauseTick;
    if (m_nEndTick != CX_TIMER_NO_END)
        m_nEndTick = EndTick(now, m_nSavedRemaining);
    m_nSavedRemaining = 0;
    m_nPauseTick = 0;
    m_bPauseRecorded = false;
}

CxTimerCallBack::CxTimerCallBack(CxTimerListener* listener, uint32_t interval, long userValue, long id)
    : m_pListener(listener), m_nInterval(interval), m_nUserValue(userValue), m_nID(id)
{
    CxTimerManager::Register(this);
}

CxTimerCallBack::~CxTimerCallBack()
{
    CxTimerManager::Unregister(this);
}

void CxTimerCallBack::Resume()
{
    const bool wasPaused = m_bPauseRecorded;
    CxTimer::Resume();
    // Count the next interval from the moment of resuming (the shifted start
    // tick could lie more than an interval back and fire at once).
    if (wasPaused)
    {
        m_nLastCall = GetTickCount();
        m_bCalled = true;
        m_nCalledStart = m_nStarts;
    }
}

void CxTimerCallBack::Tick()
{
    if (!m_pListener || !IsRunning() || IsPaused())
        return;
    const uint32_t now = GetTickCount();
    if (m_nEndTick == CX_TIMER_NO_END || !Reached(now, m_nEndTick))
    {
        // A timer started again (after a reset, or while running) counts
        // its intervals from the new start, not from a call of the old run.
        if (!m_bCalled || m_nCalledStart != m_nStarts)
        {
            m_nLastCall = m_nStartTick;
            m_bCalled = true;
            m_nCalledStart = m_nStarts;
        }
        if (now - m_nLastCall >= m_nInterval)
        {
            m_nLastCall = now;
            m_pListener->OnTimer(this);
        }
        return;
    }
    Reset();
    m_bCalled = false;
    m_pListener->OnTimer(this);
}

void CxTimerManager::Register(CxTimerCallBack* timer)
{
    if (!s_pTimerManager)
        s_pTimerManager = new (std::nothrow) CxTimerManager;
    if (s_pTimerManager)
        s_pTimerManager->AddTail(timer);
}

void CxTimerManager::Unregister(CxTimerCallBack* timer)
{
    if (!s_pTimerManager)
        return;
    s_pTimerManager->Remove(timer);
    // While the manager is walking its list it deletes itself afterwards.
    if (s_pTimerManager->IsEmpty() && s_pTimerManager->m_nDispatching == 0)
    {
        delete s_pTimerManager;
        s_pTimerManager = nullptr;
    }
}

void CxTimerManager::OnMainLoop()
{
    // Listeners may create, kill or delete timers (even the last one) while
    // they are called: walk a copy and skip timers that left the list.
    CxArray<CxTimerCallBack*> pass;
    for (auto* node = GetHead(); node; node = node->GetNext())
        pass.Add(node->m_Value);
    ++m_nDispatching;
    for (uint32_t i = 0; i < pass.GetCount(); ++i)
        if (Find(pass[i]))
            pass[i]->Tick();
    --m_nDispatching;
    if (IsEmpty() && m_nDispatching == 0 && s_pTimerManager == this)
    {
        s_pTimerManager = nullptr;
        delete this;
    }
}

CxTimerManager* GetTimerManager()
{
    return s_pTimerManager;
}
