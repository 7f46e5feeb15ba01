// The engine's clock: milliseconds since start as an unsigned 32-bit value
// that wraps. Every timer, animation and sequence reads time here, so tests
// install a manual clock and step it instead of sleeping.
#pragma once

#include <cstdint>

class CxClock
{
public:
    virtual ~CxClock() = default;
    virtual uint32_t GetTicks() = 0;
};

// A clock that moves only when told to.
class CxManualClock : public CxClock
{
public:
    explicit CxManualClock(uint32_t start = 0) : m_nNow(start) {}
    uint32_t GetTicks() override { return m_nNow; }
    void Set(uint32_t now) { m_nNow = now; }
    void Advance(uint32_t ms) { m_nNow += ms; }

private:
    uint32_t m_nNow;
};

// The current tick count of the installed clock.
uint32_t GetTickCount();
// Installs a clock (not owned); null restores the system clock. Returns the previous one.
CxClock* SetClock(CxClock* clock);
// Milliseconds of the monotonic system clock, whatever clock is installed.
uint32_t GetSystemTicks();
// Sleeps the calling thread (real time).
void SleepMs(uint32_t ms);
