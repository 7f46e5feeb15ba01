// The bot's hand on the mouse: it turns aims (bot_strategy.h) into the input
// a person would give. The pointer glides toward the aim, fast while far
// and slowing as it nears; a click is a press where the pointer has
// arrived and its release, never more often than every BOT_CLICK_EVERY_MS.
// Events are at least BOT_EVENT_GAP_MS of game time apart, so that each is
// handled in the pass it is given: the window layer takes one message a
// pass, and an event given in the pass right after another may wait a pass
// more, or not, depending on how the queue was read before.
#pragma once

#include "engine/core/replay.h"
#include "tools/bot/bot_strategy.h"

#include <cstdint>
#include <optional>

constexpr uint32_t BOT_EVENT_GAP_MS = 20;
constexpr int32_t BOT_MIN_STEP = 6;
constexpr int32_t BOT_MAX_STEP = 48;
constexpr uint32_t BOT_CLICK_EVERY_MS = 300;

class CBotPointer
{
public:
    // The input due at game time now for the aim: at most one event a
    // call, so that a pass handles what it is given before the next comes.
    std::optional<CxReplayEvent> Next(uint32_t now, const CBotAim& aim);

    int32_t GetX() const { return m_nX; }
    int32_t GetY() const { return m_nY; }
    bool IsDown() const { return m_bDown; }

private:
    int32_t m_nX = REPLAY_WIDTH / 2, m_nY = REPLAY_HEIGHT / 2;
    bool m_bDown = false;
    uint32_t m_nNextEvent = 0;
    uint32_t m_nNextClick = 0;
};
