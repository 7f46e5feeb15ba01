#include "game/world/talk_event.h"

#include "game/world/talking_sprite.h"

CTalkEvent::CTalkEvent(CTalkingSuperSprite* sprite, const CxLinkedList<CxString>& sounds, int16_t state)
    : m_pSprite(sprite), m_nState(state)
{
    for (auto* node = sounds.GetHead(); node; node = node->GetNext())
        m_Sounds.AddTail(node->m_Value);
}

void CTalkEvent::Start()
{
    m_bStarted = true;
    m_bDone = false;
    // A state the figure lacks, or one without a mouth: nothing to wait for.
    if (!m_pSprite || !m_pSprite->IsValidState(m_nState) ||
        m_pSprite->Talk(m_nState, m_Sounds) != CX_ERR_NONE)
        m_bDone = true;
}

void CTalkEvent::Stop()
{
    if (m_pSprite)
    {
        m_pSprite->StopAnimation();
        if (CLipSynch* lips = m_pSprite->GetLipSprite(m_nState))
            lips->StopTalking();
    }
    m_bDone = true;
}

bool CTalkEvent::IsFinished()
{
    if (!m_bStarted)
        return false;
    if (m_bDone || !m_pSprite)
        return true;
    CLipSynch* lips = m_pSprite->GetLipSprite(m_nState);
    return !lips || !lips->IsActive();
}

void CTalkEvent::Pause()
{
    if (!m_pSprite)
        return;
    ++m_nPauses;
    m_pSprite->AddPause();
}

void CTalkEvent::Resume()
{
    if (!m_pSprite || m_nPauses == 0)
        return;
    --m_nPauses;
    m_pSprite->RemovePause();
}

bool CTalkEvent::IsBlocked()
{
    return m_pSprite && m_pSprite->IsPaused();
}

void CTalkEvent::Release()
{
    m_bStarted = false;
    m_bDone = false;
}
