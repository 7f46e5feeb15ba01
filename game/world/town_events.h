// Events the town makes for its sequences: the smooth map scroll that a
// scene waits for, and the current building's talk.
#pragma once

#include "engine/base/geometry.h"
#include "engine/core/event.h"

#include <cstdint>

class CTown;

// "Town.ScrollMap(x, y [, interval [, speed]])": scrolls the map toward the
// view (x, y) by speed pixels every interval milliseconds; done when the
// scroll has stopped (a point beyond the map's scroll limits is reached as
// near as the map goes). Pausing the event holds the scroll.
class CScrollMapEvent : public CxEvent
{
public:
    CScrollMapEvent(CTown* town, const CxPoint& target, int32_t interval, float speed);

    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override { return false; }

private:
    CTown* m_pTown;
    CxPoint m_ptTarget;
    int32_t m_nInterval;
    float m_fSpeed;
    bool m_bPaused = false;
};
