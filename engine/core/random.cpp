#include "engine/core/random.h"

static uint32_t s_nRandomState = 1;

void SeedRandom(uint32_t seed)
{
    s_nRandomState = seed;
}

int32_t Random()
{
    s_nRandomState = s_nRandomState * 214013u + 2531011u;
    return static_cast<int32_t>((s_nRandomState >> 16) & 0x7FFF);
}

int32_t RandomChoice(int32_t n)
{
    return n < 1 ? 0 : Random() % n;
}

int32_t RandomRange(int32_t low, int32_t high)
{
    if (high < low)
        return low;
    const int64_t span = static_cast<int64_t>(high) - low + 1;
    return static_cast<int32_t>(low + Random() % span);
}
