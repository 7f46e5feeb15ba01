// A manual clock installed for the lifetime of the object: tests step it
// instead of sleeping, and the clock installed before comes back when it goes.
#pragma once

#include "engine/platform/clock.h"

class ScopedManualClock : public CxManualClock
{
public:
    explicit ScopedManualClock(uint32_t start = 0) : CxManualClock(start), m_pPrevious(SetClock(this)) {}
    ~ScopedManualClock() override { SetClock(m_pPrevious); }
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

private:
    CxClock* m_pPrevious;
};
