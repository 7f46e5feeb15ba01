// CSoundEvent: a sound played as a step of a sequence ("PlaySound",
// "PlayThisSound", "StartSound"). The event owns its sound and deletes it
// with itself.
#pragma once

#include "engine/core/event.h"

class CxSound;

class CSoundEvent : public CxEvent
{
public:
    // waitNot: finished as soon as the sound started; exclusive: the sound's
    // queue is flushed (everything playing in it stops) before it plays.
    CSoundEvent(CxSound* sound, bool waitNot, bool exclusive);
    ~CSoundEvent() override;

    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;

    CxSound* GetSound() const { return m_pSound; }
    bool IsWaitNot() const { return m_bWaitNot; }
    bool IsExclusive() const { return m_bExclusive; }

private:
    CxSound* m_pSound;
    bool m_bOwnsSound = true;
    bool m_bWaitNot;
    bool m_bExclusive;
};
