#include "tools/bot/bot_pointer.h"

#include "tools/bot/bot_geometry.h"

#include <algorithm>
#include <cmath>

namespace {
// One step of the glide along one axis, its share of the whole step.
int32_t Toward(int32_t from, int32_t to, int32_t step, int32_t distance)
{
    if (distance <= step)
        return to;
    return from + static_cast<int32_t>(static_cast<int64_t>(to - from) * step / distance);
}
} // namespace

std::optional<CxReplayEvent> CBotPointer::Next(uint32_t now, const CBotAim& aim)
{
    CxReplayEvent event;
    event.time = now;
    if (now < m_nNextEvent)
        return std::nullopt;
    m_nNextEvent = now + BOT_EVENT_GAP_MS;
    if (m_bDown)
    {
        m_bDown = false;
        event.kind = CxReplayKind::Up, event.x = m_nX, event.y = m_nY, event.button = 1;
        return event;
    }
    const CxPoint target = BotClampToScreen(CxPoint(aim.x, aim.y));
    if (target.x == m_nX && target.y == m_nY)
    {
        if (!aim.click || now < m_nNextClick)
        {
            m_nNextEvent = now;
            return std::nullopt;
        }
        m_bDown = true;
        m_nNextClick = now + BOT_CLICK_EVERY_MS;
        event.kind = CxReplayKind::Down, event.x = m_nX, event.y = m_nY, event.button = 1;
        return event;
    }
    // A third of the way each move, within the steps' bounds: quick over
    // long distances, gentle on arrival.
    const int32_t distance =
        static_cast<int32_t>(std::lround(std::sqrt(static_cast<double>(BotDistance2(target, {m_nX, m_nY})))));
    const int32_t step = std::clamp(distance / 3, BOT_MIN_STEP, BOT_MAX_STEP);
    const int32_t x = Toward(m_nX, target.x, step, distance), y = Toward(m_nY, target.y, step, distance);
    // Rounding never leaves the pointer short of a point it can reach.
    const bool stuck = x == m_nX && y == m_nY;
    m_nX = stuck ? target.x : x;
    m_nY = stuck ? target.y : y;
    event.kind = CxReplayKind::Move, event.x = m_nX, event.y = m_nY;
    return event;
}
