// The checksum of engine bitmaps: the reflected CRC-32 (polynomial
// 0x04C11DB7, table of ISO-HDLC CRC-32) computed from a start value chosen by
// the caller and without the final inversion of the common CRC-32. Pieces can
// be chained: the CRC of a + b is ComputeCrc(b, ComputeCrc(a, start)).
#pragma once

#include <cstdint>

// A length below 1 returns start unchanged.
uint32_t ComputeCrc(const void* data, int64_t length, uint32_t start);
