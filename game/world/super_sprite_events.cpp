#include "game/world/super_sprite_events.h"

#include "engine/core/random.h"
#include "game/world/super_sprite.h"

#include <cstdlib>

int32_t PickStateArgument(const CxLinkedList<CxString>& arguments)
{
    if (arguments.IsEmpty())
        return 0;
    const auto* node = arguments.GetAt(static_cast<uint32_t>(Random() % arguments.GetCount()));
    const char* text = node->m_Value.c_str();
    char* end = nullptr;
    const long value = strtol(text, &end, 10);
    if (end == text || value < 0 || value > static_cast<long>(SUPER_EVENT_STATE_MASK))
        return -1;
    return static_cast<int32_t>(value);
}

CSuperSpriteEvent::CSuperSpriteEvent(CSuperSprite* sprite, int32_t state, bool doneAtOnce)
    : m_pSprite(sprite), m_bDoneAtOnce(doneAtOnce), m_bValid(state >= 0)
{
    m_nWord = (state >= 0 ? static_cast<uint32_t>(state) : SUPER_EVENT_STATE_MASK) & SUPER_EVENT_STATE_MASK;
    if (doneAtOnce)
        m_nWord |= SUPER_EVENT_DONE;
}

void CSuperSpriteEvent::Start()
{
    m_nWord |= SUPER_EVENT_STARTED;
    const int32_t state = GetState();
    // A state the sprite does not have plays nothing, and waits for nothing.
    if (!m_pSprite || !m_bValid || !m_pSprite->IsValidState(state))
    {
        m_nWord |= SUPER_EVENT_DONE;
        return;
    }
    Play(state);
}

void CSuperSpriteEvent::Stop()
{
    if (m_pSprite)
        m_pSprite->StopAnimation();
    m_nWord |= SUPER_EVENT_DONE;
}

bool CSuperSpriteEvent::IsFinished()
{
    if (!IsStarted())
        return false;
    return (m_nWord & SUPER_EVENT_DONE) || !m_pSprite || m_pSprite->IsAnimationFinished();
}

void CSuperSpriteEvent::Pause()
{
    if (!m_pSprite)
        return;
    ++m_nPauses;
    m_pSprite->AddPause();
}

void CSuperSpriteEvent::Resume()
{
    if (!m_pSprite || m_nPauses == 0)
        return;
    --m_nPauses;
    m_pSprite->RemovePause();
}

bool CSuperSpriteEvent::IsBlocked()
{
    return m_pSprite && m_pSprite->IsPaused();
}

void CSuperSpriteEvent::Release()
{
    // A sequence that runs again plays the state again.
    m_nWord &= ~(SUPER_EVENT_STARTED | SUPER_EVENT_DONE);
    if (m_bDoneAtOnce)
        m_nWord |= SUPER_EVENT_DONE;
}

void CSuperSpritePlayOnceEvent::Play(int32_t state)
{
    m_pSprite->PlayOnce(state);
}

void CSuperSpritePlayOnceContinueEvent::Play(int32_t state)
{
    m_pSprite->PlayOnce(state);
}

void CSuperSpritePlayInfiniteEvent::Play(int32_t state)
{
    m_pSprite->PlayForever(state);
}

CxEvent* CreateSuperSpritePlayEvent(CSuperSprite* sprite, const CxString& command,
                                    const CxLinkedList<CxString>& arguments)
{
    if (command.EqualsNoCase("PlayOnce"))
        return new (std::nothrow) CSuperSpritePlayOnceEvent(sprite, PickStateArgument(arguments));
    if (command.EqualsNoCase("PlayOnceAndContinue"))
        return new (std::nothrow) CSuperSpritePlayOnceContinueEvent(sprite, PickStateArgument(arguments));
    if (command.EqualsNoCase("PlayInfinite"))
        return new (std::nothrow) CSuperSpritePlayInfiniteEvent(sprite, PickStateArgument(arguments));
    return nullptr;
}
