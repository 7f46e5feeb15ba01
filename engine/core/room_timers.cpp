#include "engine/core/room_timers.h"

#include <new>

CxRoomTimers::CxRoomTimers(CxTimerListener* listener, CxError* owner) : m_pListener(listener), m_pOwner(owner)
{
}

CxRoomTimers::~CxRoomTimers()
{
    Leave();
}

uint32_t CxRoomTimers::SetTimer(long id, uint32_t interval, long userValue)
{
    KillTimer(id);
    CxTimerCallBack* timer = new (std::nothrow) CxTimerCallBack(m_pListener, interval, userValue, id);
    if (!timer || !m_Timers.AddTail(timer))
    {
        delete timer;
        if (m_pOwner)
            m_pOwner->SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a CxTimerCallBack");
        else
            ReportError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a CxTimerCallBack");
        return CX_ERR_OUT_OF_MEMORY;
    }
    timer->Start(0);
    return CX_ERR_NONE;
}

void CxRoomTimers::KillTimer(long id)
{
    CxTimerCallBack* timer = FindTimer(id);
    if (!timer)
        return;
    m_Timers.Remove(timer);
    // Stopped at once, deleted at the next update: it may be the caller's own timer.
    timer->Reset();
    timer->SetListener(nullptr);
    m_Cleaner.Add(timer);
}

void CxRoomTimers::KillAllTimers()
{
    while (!m_Timers.IsEmpty())
        KillTimer(m_Timers.GetHead()->m_Value->GetID());
}

void CxRoomTimers::PauseTimer(long id)
{
    if (CxTimerCallBack* timer = FindTimer(id))
        timer->AddPause();
}

void CxRoomTimers::ResumeTimer(long id)
{
    if (CxTimerCallBack* timer = FindTimer(id))
        timer->RemovePause();
}

CxTimerCallBack* CxRoomTimers::FindTimer(long id) const
{
    for (auto* node = m_Timers.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetID() == id)
            return node->m_Value;
    return nullptr;
}

long CxRoomTimers::GetTimerID(const CxTimer* timer) const
{
    for (auto* node = m_Timers.GetHead(); node; node = node->GetNext())
        if (node->m_Value == timer)
            return node->m_Value->GetID();
    return -1;
}

void CxRoomTimers::Leave()
{
    KillAllTimers();
    m_Cleaner.Empty();
}
