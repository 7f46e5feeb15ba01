#include "engine/graphics/bit_buffer.h"

#include <gtest/gtest.h>

namespace {
TEST(CxBitBufferRead, MostSignificantFirstUpToThirtyTwoBits)
{
    uint8_t data[] = {0xA5, 0x3C};
    CxBitBuffer bits(data, 2, true);
    EXPECT_EQ(1u, bits.ReadBit());
    EXPECT_EQ(0u, bits.ReadBit());
    EXPECT_EQ(0x4u, bits.ReadBits(3));  // 1 0 0
    EXPECT_EQ(0x53u, bits.ReadBits(7)); // 1 0 1 | 0 0 1 1
    EXPECT_EQ(0xCu, bits.ReadBits(4));
    EXPECT_EQ(0u, bits.GetError());
    EXPECT_EQ(2u, bits.GetPosition());
    uint8_t wide[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    CxBitBuffer many(wide, 5, true);
    EXPECT_EQ(0x1u, many.ReadBits(4));
    EXPECT_EQ(0x23456789u, many.ReadBits(32));
}

TEST(CxBitBufferRead, PastTheEndGivesError13AndTheBitsGathered)
{
    uint8_t data[] = {0xFF};
    CxBitBuffer bits(data, 1, true);
    EXPECT_EQ(0x3Fu, bits.ReadBits(6));
    EXPECT_EQ(0x3u, bits.ReadBits(5)); // two bits were left
    EXPECT_EQ(13u, bits.GetError());
    EXPECT_EQ(0u, bits.ReadBit());
    CxBitBuffer none;
    EXPECT_EQ(0u, none.ReadBit());
    CxBitBuffer empty(data, 0, true);
    EXPECT_EQ(0u, empty.ReadBits(8));
    EXPECT_EQ(13u, empty.GetError());
}

TEST(CxBitBufferWrite, BitsFillBytesFromTheTopFlushPadsAndTheEndIsKept)
{
    uint8_t data[3] = {0, 0, 0x22};
    CxBitBuffer bits(data, 2, true);
    bits.WriteBits(0x5, 3);
    bits.WriteBits(0x1F, 6);
    EXPECT_EQ(1u, bits.GetPosition());
    EXPECT_EQ(0xAFu, data[0]);
    bits.Flush();
    EXPECT_EQ(0x80u, data[1]);
    EXPECT_TRUE(bits.IsAligned());
    bits.WriteBits(0xFFFF, 16);
    EXPECT_EQ(13u, bits.GetError());
    EXPECT_EQ(0x22u, data[2]) << "nothing is written past the end";
    // Destruction stores a partial byte when there is room.
    uint8_t one[1] = {};
    {
        CxBitBuffer partial(one, 1, true);
        partial.WriteBits(0x3, 2);
    }
    EXPECT_EQ(0xC0u, one[0]);
}

TEST(CxBitBufferWrite, AllocateStartsAgainAndRoundTrips)
{
    CxBitBuffer bits;
    ASSERT_EQ(0u, bits.Allocate(8));
    bits.WriteBits(0xDEADBEEF, 32);
    bits.WriteBits(0x2A, 7);
    bits.Flush();
    bits.Reset();
    EXPECT_EQ(0xDEADBEEFu, bits.ReadBits(32));
    EXPECT_EQ(0x2Au, bits.ReadBits(7));
    EXPECT_EQ(0u, bits.GetError());
}
} // namespace
