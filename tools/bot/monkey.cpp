#include "tools/bot/monkey.h"

#include "engine/base/geometry.h"
#include "engine/frame/replay_run.h"
#include "engine/platform/clock.h"
#include "engine/platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {
// The places a click must never reach, on whatever screen is up (the
// monkey does not know which one is): each is a button's place in the
// game's code (its top left) and the size of its picture in the demo data
// (one frame of the strip), with a margin of 10 pixels for pictures of
// another size. Keep every such button in this one list.
constexpr int32_t MARGIN = 10;
constexpr CxRect FORBIDDEN[] = {
    // The title's exit button (game/screens/login.cpp: 53, 356; 100 x 70).
    {53 - MARGIN, 356 - MARGIN, 53 + 100 + MARGIN, 356 + 70 + MARGIN},
    // The closing screen's exit (yes) button (game/screens/yes_no_dialog.cpp:
    // 440, 353; 110 x 90) ...
    {440 - MARGIN, 353 - MARGIN, 440 + 110 + MARGIN, 353 + 90 + MARGIN},
    // ... and its web link (no) button (160, 349; 110 x 90).
    {160 - MARGIN, 349 - MARGIN, 160 + 110 + MARGIN, 349 + 90 + MARGIN},
};

// Points of buttons worth pressing often: the title's play, the answers of
// the yes/no dialogs, the closing screen's play on, the map's exit and go
// and its buildings (game/screens/*.cpp). The forbidden places hold on
// every screen, so where a button of another screen lies under one (the
// title's play, a dialog's yes) its point is in the part left free.
constexpr CxPoint SPOTS[] = {
    {580, 381}, {133, 334}, {335, 377}, {352, 407}, {40, 30},   {200, 420}, {111, 214},
    {341, 152}, {125, 76},  {321, 216}, {76, 150},  {180, 131}, {417, 100}, {191, 284},
    {266, 292}, {485, 140}, {264, 249}, {427, 236}, {30, 348},  {615, 210},
};
// Keys a child might press that neither quit nor close: M (the map) and
// N (a dialog's no). Never with Alt.
constexpr uint32_t KEYS[] = {'M', 'N'};

constexpr uint32_t MOVE_EVERY_MS = 20;
constexpr int32_t MOVE_STEP = 14;
} // namespace

CMonkey::CMonkey(uint32_t seed) : m_Random(seed) {}

bool CMonkey::IsForbiddenClick(int32_t x, int32_t y)
{
    return std::any_of(std::begin(FORBIDDEN), std::end(FORBIDDEN),
                       [&](const CxRect& r) { return r.Contains(x, y); });
}

uint32_t CMonkey::Between(uint32_t low, uint32_t high)
{
    return std::uniform_int_distribution<uint32_t>(low, high)(m_Random);
}

void CMonkey::PickTarget(uint32_t now)
{
    if (Between(0, 3) == 0)
    {
        const CxPoint& spot = SPOTS[Between(0, std::size(SPOTS) - 1)];
        m_nTargetX = spot.x, m_nTargetY = spot.y;
    }
    else
    {
        m_nTargetX = static_cast<int32_t>(Between(0, REPLAY_WIDTH - 1));
        m_nTargetY = static_cast<int32_t>(Between(0, REPLAY_HEIGHT - 1));
    }
    m_nNextTarget = now + Between(MONKEY_MIN_TARGET_MS, MONKEY_MAX_TARGET_MS);
    // Often a click where the pointer arrives, sometimes on the way.
    m_nNextClick = now + Between(200, 2500);
}

std::optional<CxReplayEvent> CMonkey::Click(uint32_t now)
{
    m_nNextClick = now + Between(300, 4000);
    if (IsForbiddenClick(m_nX, m_nY))
        return std::nullopt;
    m_bButtonDown = true;
    // Mostly a click; now and then the button is held (steering, dragging).
    m_nReleaseAt = now + (Between(0, 4) == 0 ? Between(400, 2000) : Between(30, 200));
    CxReplayEvent event;
    event.time = now, event.kind = CxReplayKind::Down, event.x = m_nX, event.y = m_nY, event.button = 1;
    return event;
}

std::optional<CxReplayEvent> CMonkey::Key(uint32_t now)
{
    CxReplayEvent event;
    event.time = now;
    if (m_nKeyDown)
    {
        event.kind = CxReplayKind::KeyUp, event.key = m_nKeyDown;
        m_nKeyDown = 0;
        m_nNextKey = now + Between(5000, 30000);
        return event;
    }
    m_nKeyDown = KEYS[Between(0, std::size(KEYS) - 1)];
    event.kind = CxReplayKind::Key, event.key = m_nKeyDown;
    m_nNextKey = now + Between(50, 150);
    return event;
}

std::optional<CxReplayEvent> CMonkey::Next(uint32_t now)
{
    if (!m_bStarted)
    {
        m_bStarted = true;
        PickTarget(now);
        m_nNextKey = now + Between(5000, 30000);
    }
    // Targets keep their times whatever else is going on.
    if (now >= m_nNextTarget)
        PickTarget(now);
    if (m_bButtonDown)
    {
        // The pointer stays put while the button is down, so the button
        // goes up where it went down and no press ends in a forbidden place.
        if (now < m_nReleaseAt)
            return std::nullopt;
        m_bButtonDown = false;
        CxReplayEvent event;
        event.time = now, event.kind = CxReplayKind::Up, event.x = m_nX, event.y = m_nY, event.button = 1;
        return event;
    }
    if (now >= m_nNextKey)
        return Key(now);
    if (now >= m_nNextClick)
        return Click(now);
    if (now < m_nNextMove || (m_nX == m_nTargetX && m_nY == m_nTargetY))
        return std::nullopt;
    m_nNextMove = now + MOVE_EVERY_MS;
    m_nX += std::clamp(m_nTargetX - m_nX, -MOVE_STEP, MOVE_STEP);
    m_nY += std::clamp(m_nTargetY - m_nY, -MOVE_STEP, MOVE_STEP);
    CxReplayEvent event;
    event.time = now, event.kind = CxReplayKind::Move, event.x = m_nX, event.y = m_nY;
    return event;
}

void CMonkeyDriver::BeginPass()
{
    if (m_pInner)
        m_pInner->BeginPass();
    // The engine's clock: the stepping clock of a driven run, else real time.
    const std::optional<CxReplayEvent> event = m_Monkey.Next(GetTickCount());
    if (!event)
        return;
    ++m_nEvents;
    InjectReplayEvent(*event, event->x, event->y);
}

void CMonkeyDriver::EndPass()
{
    if (m_pInner)
        m_pInner->EndPass();
}
