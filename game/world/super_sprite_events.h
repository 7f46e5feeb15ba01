// The play events of super sprites, made by a sprite's event creator for
// "PlayOnce", "PlayOnceAndContinue" and "PlayInfinite" lines.
//
// Each holds the sprite and one packed word: bits 0-29 the state number,
// bit 30 set once started, bit 31 set when the event counts as done without
// waiting for the sprite. The state is one of the line's arguments picked at
// random (state 0 without arguments); a state the sprite does not have is
// not played and the event is done at once. Cancelling stops the sprite's
// animation; pausing the event pauses the sprite, and the event counts as
// paused while the sprite's pause count is above 0.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/event.h"

#include <cstdint>

class CSuperSprite;

constexpr uint32_t SUPER_EVENT_STATE_MASK = 0x3FFFFFFFu;
constexpr uint32_t SUPER_EVENT_STARTED = 0x40000000u;
constexpr uint32_t SUPER_EVENT_DONE = 0x80000000u;

// One state number of the arguments, picked with the engine's random source
// (-1 when the picked text is not a usable state number).
int32_t PickStateArgument(const CxLinkedList<CxString>& arguments);

class CSuperSpriteEvent : public CxEvent
{
public:
    // doneAtOnce: the sequence goes on while the state plays.
    CSuperSpriteEvent(CSuperSprite* sprite, int32_t state, bool doneAtOnce);

    void Start() override;
    bool IsStarted() override { return (m_nWord & SUPER_EVENT_STARTED) != 0; }
    void Stop() override;
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;
    void Release() override;

    CSuperSprite* GetSprite() const { return m_pSprite; }
    int32_t GetState() const { return static_cast<int32_t>(m_nWord & SUPER_EVENT_STATE_MASK); }
    uint32_t GetWord() const { return m_nWord; }

protected:
    // Plays the state on the sprite.
    virtual void Play(int32_t state) = 0;

    CSuperSprite* m_pSprite;
    uint32_t m_nWord;
    bool m_bDoneAtOnce;
    bool m_bValid;
    int32_t m_nPauses = 0;
};

// "PlayOnce": done when the animation has ended.
class CSuperSpritePlayOnceEvent : public CSuperSpriteEvent
{
public:
    CSuperSpritePlayOnceEvent(CSuperSprite* sprite, int32_t state) : CSuperSpriteEvent(sprite, state, false)
    {
    }

protected:
    void Play(int32_t state) override;
};

// "PlayOnceAndContinue": plays once, done at once.
class CSuperSpritePlayOnceContinueEvent : public CSuperSpriteEvent
{
public:
    CSuperSpritePlayOnceContinueEvent(CSuperSprite* sprite, int32_t state)
        : CSuperSpriteEvent(sprite, state, true)
    {
    }

protected:
    void Play(int32_t state) override;
};

// "PlayInfinite": plays 999999999 times, done at once.
class CSuperSpritePlayInfiniteEvent : public CSuperSpriteEvent
{
public:
    CSuperSpritePlayInfiniteEvent(CSuperSprite* sprite, int32_t state)
        : CSuperSpriteEvent(sprite, state, true)
    {
    }

protected:
    void Play(int32_t state) override;
};

// The play event for the command, or null when the command is none of the three.
CxEvent* CreateSuperSpritePlayEvent(CSuperSprite* sprite, const CxString& command,
                                    const CxLinkedList<CxString>& arguments);
