#include "game/world/town_events.h"

#include "game/world/town.h"

CScrollMapEvent::CScrollMapEvent(CTown* town, const CxPoint& target, int32_t interval, float speed)
    : m_pTown(town), m_ptTarget(target), m_nInterval(interval), m_fSpeed(speed)
{
}

void CScrollMapEvent::Start()
{
    m_bStarted = true;
    m_pTown->StartMapScroll(m_ptTarget, m_nInterval, m_fSpeed);
}

void CScrollMapEvent::Stop()
{
    if (m_bStarted)
        m_pTown->GetMap().StopScroll();
}

bool CScrollMapEvent::IsFinished()
{
    // The map stops when it arrives, or as near as its limits let it come.
    return m_bStarted && !m_pTown->GetMap().IsScrolling();
}

void CScrollMapEvent::Pause()
{
    if (m_bStarted && !m_bPaused)
        m_pTown->GetMap().PauseScroll();
    m_bPaused = true;
}

void CScrollMapEvent::Resume()
{
    if (m_bStarted && m_bPaused)
        m_pTown->GetMap().ResumeScroll();
    m_bPaused = false;
}
