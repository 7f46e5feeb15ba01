// The engine's one random source: the classic linear congruential generator
// (state * 214013 + 2531011, result (state >> 16) & 0x7FFF), so a run is
// reproducible from its seed ("Engine"/"RandomNumberSeed").
#pragma once

#include <cstdint>

constexpr int32_t CX_RAND_MAX = 0x7FFF;

void SeedRandom(uint32_t seed);
// 0 .. 32767
int32_t Random();
// 0 .. n - 1 (value modulo n); 0 when n < 1.
int32_t RandomChoice(int32_t n);
// low .. high inclusive (low + value modulo (high - low + 1)); low when high < low.
int32_t RandomRange(int32_t low, int32_t high);
