#include "tools/bot/bot_pointer.h"

#include "engine/platform/window.h"
#include "tools/bot/bot_geometry.h"

#include <algorithm>
#include <cmath>

CxPoint BotClampToScreen(const CxPoint& point)
{
    return CxPoint(std::clamp(point.x, 0, BOT_SCREEN_WIDTH - 1),
                   std::clamp(point.y, 0, BOT_SCREEN_HEIGHT - 1));
}

CxPoint BotSteerPoint(const CxPoint& from, const CxPoint& to)
{
    const CxPoint start = BotClampToScreen(from);
    if (BotClampToScreen(to) == to)
        return to;
    // The largest share t of the way from start to to that stays on the
    // screen, axis by axis; start is on it, so t >= 0.
    const double dx = static_cast<double>(to.x) - start.x, dy = static_cast<double>(to.y) - start.y;
    double t = 1.0;
    if (dx > 0)
        t = std::min(t, (BOT_SCREEN_WIDTH - 1 - start.x) / dx);
    else if (dx < 0)
        t = std::min(t, -start.x / dx);
    if (dy > 0)
        t = std::min(t, (BOT_SCREEN_HEIGHT - 1 - start.y) / dy);
    else if (dy < 0)
        t = std::min(t, -start.y / dy);
    const CxPoint point(start.x + static_cast<int32_t>(std::lround(t * dx)),
                        start.y + static_cast<int32_t>(std::lround(t * dy)));
    return BotClampToScreen(point);
}

int64_t BotDistance2(const CxPoint& a, const CxPoint& b)
{
    const int64_t dx = static_cast<int64_t>(a.x) - b.x, dy = static_cast<int64_t>(a.y) - b.y;
    return dx * dx + dy * dy;
}

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
            return std::nullopt;
        m_bDown = true;
        m_nNextClick = now + BOT_CLICK_EVERY_MS;
        event.kind = CxReplayKind::Down, event.x = m_nX, event.y = m_nY, event.button = 1;
        return event;
    }
    if (now < m_nNextMove)
        return std::nullopt;
    m_nNextMove = now + BOT_MOVE_EVERY_MS;
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

void InjectBotEvent(const CxReplayEvent& event)
{
    switch (event.kind)
    {
    case CxReplayKind::Move:
        CxInjectMouseMotion(event.x, event.y);
        break;
    case CxReplayKind::Down:
    case CxReplayKind::Up:
        CxInjectMouseButton(event.button, event.kind == CxReplayKind::Down, event.x, event.y);
        break;
    case CxReplayKind::Key:
    case CxReplayKind::KeyUp:
        CxInjectKey(event.key, event.kind == CxReplayKind::Key, event.mods);
        break;
    default:
        break;
    }
}
