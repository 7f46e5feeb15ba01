#include "engine/media/sound_event.h"

#include "engine/media/sound.h"

CSoundEvent::CSoundEvent(CxSound* sound, bool waitNot, bool exclusive)
    : m_pSound(sound), m_bWaitNot(waitNot), m_bExclusive(exclusive)
{
}

CSoundEvent::~CSoundEvent()
{
    if (m_bOwnsSound)
        delete m_pSound;
}

void CSoundEvent::Start()
{
    if (m_pSound)
    {
        if (m_bExclusive && m_pSound->GetQueueIndex() >= 0)
            FlushAudioQueue(m_pSound->GetQueueIndex());
        m_pSound->Play();
    }
    m_bStarted = true;
}

void CSoundEvent::Stop()
{
    if (m_pSound)
        m_pSound->Stop();
}

bool CSoundEvent::IsFinished()
{
    if (!m_bStarted)
        return false;
    return m_bWaitNot || !m_pSound || m_pSound->IsDone();
}

void CSoundEvent::Pause()
{
    if (m_pSound)
        m_pSound->Pause();
}

void CSoundEvent::Resume()
{
    if (m_pSound)
        m_pSound->Resume();
}

bool CSoundEvent::IsBlocked()
{
    return m_pSound && m_pSound->IsPaused();
}
