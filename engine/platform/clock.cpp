#include "engine/platform/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
const std::chrono::steady_clock::time_point s_Start = std::chrono::steady_clock::now();
std::atomic<CxClock*> s_pClock{nullptr};
} // namespace

uint32_t GetSystemTicks()
{
    const auto elapsed = std::chrono::steady_clock::now() - s_Start;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

uint32_t GetTickCount()
{
    CxClock* clock = s_pClock.load();
    return clock ? clock->GetTicks() : GetSystemTicks();
}

CxClock* SetClock(CxClock* clock)
{
    return s_pClock.exchange(clock);
}

void SleepMs(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
