// CTalkEvent: a figure shows a state and says sound files through that
// state's mouth. Done when the mouth has stopped talking, at once when the
// state has no mouth or does not exist. Cancelling stops the figure's
// animation and the talking; the event counts as paused while the figure's
// pause count is above 0.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/event.h"

#include <cstdint>

class CTalkingSuperSprite;

class CTalkEvent : public CxEvent
{
public:
    CTalkEvent(CTalkingSuperSprite* sprite, const CxLinkedList<CxString>& sounds, int16_t state);

    void Start() override;
    bool IsStarted() override { return m_bStarted; }
    void Stop() override;
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;
    void Release() override;

    int16_t GetState() const { return m_nState; }
    const CxLinkedList<CxString>& GetSounds() const { return m_Sounds; }

private:
    CTalkingSuperSprite* m_pSprite;
    CxLinkedList<CxString> m_Sounds;
    int16_t m_nState;
    bool m_bStarted = false;
    bool m_bDone = false;
    int32_t m_nPauses = 0;
};
