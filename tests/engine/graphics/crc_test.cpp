#include "engine/graphics/crc.h"

#include "codec_test_data.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {
TEST(ComputeCrc, KnownValuesEmptyInputAndChaining)
{
    EXPECT_EQ(0xCA6598D0u, ComputeCrc("abc", 3, 0));
    // With the common start value and a final inversion it is the usual CRC-32.
    EXPECT_EQ(0xCBF43926u, ComputeCrc("123456789", 9, 0xFFFFFFFFu) ^ 0xFFFFFFFFu);
    EXPECT_EQ(0x12345678u, ComputeCrc("abc", 0, 0x12345678u));
    EXPECT_EQ(0x12345678u, ComputeCrc("abc", -5, 0x12345678u));
    const auto data = codec_test::RandomBytes(1000, 12);
    EXPECT_EQ(ComputeCrc(data.data(), 1000, 0),
              ComputeCrc(data.data() + 333, 667, ComputeCrc(data.data(), 333, 0)));
}

TEST(ComputeCrc, MatchesZlibForEveryLengthAndAlignment)
{
    const auto data = codec_test::RandomBytes(300, 11);
    for (size_t offset = 0; offset < 9; ++offset)
        for (size_t length = 0; length + offset <= data.size(); length += 7)
        {
            const uint32_t expected =
                static_cast<uint32_t>(crc32(0, data.data() + offset, static_cast<uInt>(length)));
            ASSERT_EQ(expected, ComputeCrc(data.data() + offset, static_cast<int64_t>(length), 0xFFFFFFFFu) ^
                                    0xFFFFFFFFu)
                << "offset " << offset << " length " << length;
        }
}
} // namespace
