#include "engine/graphics/crc.h"

#include <array>

namespace {
// Eight tables let the loop fold eight bytes per step ("slicing by eight");
// table 0 is the classic byte-wise table.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables MakeTables()
{
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i)
    {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][i] = crc;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int t = 1; t < 8; ++t)
            tables[t][i] = (tables[t - 1][i] >> 8) ^ tables[0][tables[t - 1][i] & 0xFF];
    return tables;
}

constexpr CrcTables s_Tables = MakeTables();
} // namespace

uint32_t ComputeCrc(const void* data, int64_t length, uint32_t start)
{
    if (length < 1 || !data)
        return start;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    uint32_t crc = start;
    while (length >= 8)
    {
        const uint32_t low = crc ^ (static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                    static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
        crc = s_Tables[7][low & 0xFF] ^ s_Tables[6][(low >> 8) & 0xFF] ^ s_Tables[5][(low >> 16) & 0xFF] ^
              s_Tables[4][low >> 24] ^ s_Tables[3][p[4]] ^ s_Tables[2][p[5]] ^ s_Tables[1][p[6]] ^
              s_Tables[0][p[7]];
        p += 8;
        length -= 8;
    }
    while (length-- > 0)
        crc = (crc >> 8) ^ s_Tables[0][(crc ^ *p++) & 0xFF];
    return crc;
}
