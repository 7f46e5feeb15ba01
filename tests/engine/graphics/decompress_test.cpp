// The decoders on hand-made streams: the documented examples, edge cases and
// the bounds of input and output.
#include "engine/graphics/decompress.h"

#include "engine/core/error.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

struct Decoded
{
    uint32_t result;
    Bytes data;
};

Decoded Decode(uint8_t method, const Bytes& stream, uint32_t capacity)
{
    Bytes out(capacity + 16, 0xEE); // a guard zone behind the destination
    uint32_t produced = 0xFFFFFFFF;
    const uint32_t result = Decompress(out.data(), capacity, stream.data(),
                                       static_cast<uint32_t>(stream.size()), method, &produced);
    for (size_t i = capacity; i < out.size(); ++i)
        EXPECT_EQ(0xEE, out[i]) << "written past the destination at " << i;
    EXPECT_LE(produced, capacity);
    out.resize(produced);
    return {result, out};
}

// Bits in DEFLATE order (least significant first), Huffman codes given as
// written (most significant first).
class DeflateBits
{
public:
    void Bits(uint32_t value, uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i)
            Bit((value >> i) & 1);
    }
    void Code(uint32_t code, uint32_t length)
    {
        for (uint32_t i = length; i > 0; --i)
            Bit((code >> (i - 1)) & 1);
    }
    Bytes Done() const { return bytes; }

private:
    void Bit(uint32_t bit)
    {
        if (count % 8 == 0)
            bytes.push_back(0);
        bytes.back() |= static_cast<uint8_t>(bit << (count % 8));
        ++count;
    }
    Bytes bytes;
    uint32_t count = 0;
};

TEST(DecompressStored, CopiesAndRejectsAnOversizedSource)
{
    EXPECT_EQ((Decoded{0, {1, 2, 3}}).data, Decode(0, {1, 2, 3}, 5).data);
    const Decoded cut = Decode(0, {1, 2, 3}, 2);
    EXPECT_EQ(13u, cut.result);
    EXPECT_EQ((Bytes{1, 2}), cut.data);
}

TEST(DecompressStored, UnknownMethodsCopyTheSource)
{
    for (uint8_t method : {10, 12, 255})
    {
        const Decoded d = Decode(method, {9, 8, 7}, 3);
        EXPECT_EQ(0u, d.result);
        EXPECT_EQ((Bytes{9, 8, 7}), d.data);
    }
}

TEST(DecompressRle8, RunsAndLiterals)
{
    const Decoded d = Decode(2, {0x83, 0x41, 0x42}, 10);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{0x41, 0x41, 0x41, 0x42}), d.data);
}

TEST(DecompressRle8, ZeroCountConsumesItsValueByte)
{
    const Decoded d = Decode(2, {0x80, 0x41, 0x42}, 10);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{0x42}), d.data);
}

TEST(DecompressRle8, BoundsOfInputAndOutput)
{
    EXPECT_EQ(13u, Decode(2, {0x41, 0x85}, 10).result); // run without its value
    const Decoded d = Decode(2, {0x41, 0x85, 0x43}, 4);
    EXPECT_EQ(13u, d.result);
    EXPECT_EQ((Bytes{0x41, 0x43, 0x43, 0x43}), d.data);
    EXPECT_EQ(13u, Decode(2, {0x41, 0x42}, 1).result);
}

TEST(DecompressRle16, RunsAndLiteralWords)
{
    const Decoded d = Decode(3, {0x02, 0x80, 0x34, 0x12, 0x05, 0x00}, 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{0x34, 0x12, 0x34, 0x12, 0x05, 0x00}), d.data);
}

TEST(DecompressRle16, OddLastByteIsIgnoredAndBoundsHold)
{
    EXPECT_EQ((Bytes{0x05, 0x00}), Decode(3, {0x05, 0x00, 0x77}, 16).data);
    EXPECT_EQ(13u, Decode(3, {0x03, 0x80}, 16).result);
    const Decoded d = Decode(3, {0x03, 0x80, 0x34, 0x12}, 5);
    EXPECT_EQ(13u, d.result);
    EXPECT_EQ(4u, d.data.size());
}

TEST(DecompressDeflate, EmptyFinalStoredBlock)
{
    const Decoded d = Decode(1, {0x01, 0x00, 0x00}, 0);
    EXPECT_EQ(0u, d.result);
    EXPECT_TRUE(d.data.empty());
}

TEST(DecompressDeflate, StoredBlocksHaveNoLengthComplement)
{
    // A stored block "ab", then a final stored block "c".
    const Decoded d = Decode(1, {0x00, 0x02, 0x00, 'a', 'b', 0x01, 0x01, 0x00, 'c'}, 8);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a', 'b', 'c'}), d.data);
}

TEST(DecompressDeflate, StoredBlockBounds)
{
    EXPECT_EQ(13u, Decode(1, {0x01, 0x05, 0x00, 'a', 'b'}, 8).result);      // fewer bytes than the length
    EXPECT_EQ(13u, Decode(1, {0x01, 0x03, 0x00, 'a', 'b', 'c'}, 2).result); // more than the destination
    EXPECT_EQ(13u, Decode(1, {0x01, 0x03}, 8).result);                      // length cut off
    EXPECT_EQ(13u, Decode(1, {0x00, 0x00, 0x00}, 8).result);                // no final block
}

TEST(DecompressDeflate, FixedCodesWithAMatch)
{
    // Literals 'x' 'y', then length 4 at distance 2, end of block.
    DeflateBits s;
    s.Bits(1, 1);
    s.Bits(1, 2);
    s.Code(0x30 + 'x', 8);
    s.Code(0x30 + 'y', 8);
    s.Code(2, 7); // symbol 258: length 4
    s.Code(1, 5); // distance code 1: distance 2
    s.Code(0, 7); // end of block
    const Decoded d = Decode(1, s.Done(), 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'x', 'y', 'x', 'y', 'x', 'y'}), d.data);
}

TEST(DecompressDeflate, PositionsBeforeTheStartReadAsZero)
{
    DeflateBits s;
    s.Bits(1, 1);
    s.Bits(1, 2);
    s.Code(0x30 + 'q', 8);
    s.Code(1, 7); // length 3
    s.Code(4, 5); // distance 5..6 with one extra bit
    s.Bits(0, 1); // distance 5
    s.Code(0, 7);
    const Decoded d = Decode(1, s.Done(), 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'q', 0, 0, 0}), d.data);
}

TEST(DecompressDeflate, TruncatedAndOverflowingFixedBlocks)
{
    DeflateBits s;
    s.Bits(1, 1);
    s.Bits(1, 2);
    for (char c : {'a', 'b', 'c', 'd'})
        s.Code(0x30 + c, 8);
    s.Code(0, 7);
    const Bytes stream = s.Done();
    EXPECT_EQ(0u, Decode(1, stream, 4).result);
    EXPECT_EQ(13u, Decode(1, stream, 3).result);
    for (size_t cut = 0; cut < stream.size(); ++cut)
        EXPECT_EQ(13u, Decode(1, Bytes(stream.begin(), stream.begin() + cut), 8).result) << cut;
}

TEST(DecompressDeflate, InvalidSymbolsAreRejected)
{
    DeflateBits lengthCode286;
    lengthCode286.Bits(1, 1);
    lengthCode286.Bits(1, 2);
    lengthCode286.Code(0xC6, 8); // symbol 286 of the fixed code
    EXPECT_EQ(13u, Decode(1, lengthCode286.Done(), 64).result);
    DeflateBits distance30;
    distance30.Bits(1, 1);
    distance30.Bits(1, 2);
    distance30.Code(0x30, 8);
    distance30.Code(1, 7);
    distance30.Code(30, 5);
    EXPECT_EQ(13u, Decode(1, distance30.Done(), 64).result);
}

TEST(DecompressDeflate, OverSubscribedCodeLengthsAreRejected)
{
    DeflateBits s;
    s.Bits(1, 1);
    s.Bits(2, 2);
    s.Bits(0, 5);  // 257 literal codes
    s.Bits(0, 5);  // 1 distance code
    s.Bits(15, 4); // 19 code-length codes
    for (int i = 0; i < 19; ++i)
        s.Bits(1, 3); // nineteen codes of length 1 cannot exist
    EXPECT_EQ(13u, Decode(1, s.Done(), 64).result);
}

TEST(DecompressLz77, LiteralsAndOverlappingMatch)
{
    // Three literals, then distance 1 length 5: "abccccc c".
    const Decoded d = Decode(9, {0x03, 0x80, 'a', 'b', 'c', 0x01, 0x00, 0x01, 0x00}, 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a', 'b', 'c', 'c', 'c', 'c', 'c', 'c'}), d.data);
}

TEST(DecompressLz77, Token32768IsADistance)
{
    Bytes stream = {0xFF, 0xFF};
    Bytes literals(0x7FFF);
    for (size_t i = 0; i < literals.size(); ++i)
        literals[i] = static_cast<uint8_t>(i * 13);
    stream.insert(stream.end(), literals.begin(), literals.end());
    stream.insert(stream.end(), {0x01, 0x80, 'z'});        // one more literal: 32768 bytes so far
    stream.insert(stream.end(), {0x00, 0x80, 0x00, 0x00}); // distance 32768, length 4
    const Decoded d = Decode(9, stream, 40000);
    ASSERT_EQ(0u, d.result);
    ASSERT_EQ(32772u, d.data.size());
    EXPECT_EQ(literals[0], d.data[32768]);
    EXPECT_EQ(literals[3], d.data[32771]);
}

TEST(DecompressLz77, BoundsOfInputAndOutput)
{
    EXPECT_EQ(13u, Decode(9, {0x05, 0x80, 'a'}, 16).result);             // literal run past the input
    EXPECT_EQ(13u, Decode(9, {0x01, 0x80, 'a', 0x01, 0x00}, 16).result); // match without a length
    EXPECT_EQ(13u, Decode(9, {0x01, 0x80, 'a', 0x01, 0x00, 0x00, 0x00}, 4).result);
    EXPECT_EQ(13u, Decode(9, {0x00, 0x00, 0x00, 0x00}, 16).result); // distance 0
    const Decoded before = Decode(9, {0x01, 0x80, 'a', 0x03, 0x00, 0x00, 0x00}, 16);
    EXPECT_EQ(0u, before.result);
    EXPECT_EQ((Bytes{'a', 0, 0, 'a', 0}), before.data);
}

TEST(DecompressLzss, LiteralsMatchAndEndMarker)
{
    // Literals 'a' 'b' at window 1 and 2, then a match of 3 from window 1,
    // then the end marker: flag 0 and position 0.
    std::vector<int> bits;
    auto put = [&](uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            bits.push_back((value >> i) & 1);
    };
    put(1, 1);
    put('a', 8);
    put(1, 1);
    put('b', 8);
    put(0, 1);
    put(1, 14);
    put(0, 4);
    put(0, 1);
    put(0, 14);
    Bytes stream((bits.size() + 7) / 8);
    for (size_t i = 0; i < bits.size(); ++i)
        stream[i / 8] |= static_cast<uint8_t>(bits[i] << (7 - i % 8));
    const Decoded d = Decode(6, stream, 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a', 'b', 'a', 'b', 'a'}), d.data);
    EXPECT_EQ(13u, Decode(6, stream, 4).result);
    EXPECT_EQ(13u, Decode(6, Bytes(stream.begin(), stream.begin() + 3), 16).result);
}

TEST(DecompressLzw12, FirstCodeAndTheNotYetDefinedCode)
{
    // 'a', then 257 (the code being defined: "aa"), then the end code.
    const Bytes stream = {0x06, 0x11, 0x01, 0x10, 0x00};
    const Decoded d = Decode(4, stream, 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a', 'a', 'a'}), d.data);
    EXPECT_EQ(13u, Decode(4, {0x06, 0x11, 0x02}, 16).result); // 258 is not defined yet
    EXPECT_EQ(13u, Decode(4, {0x10, 0x20, 0x00}, 16).result); // the first code must be a byte
    EXPECT_EQ(13u, Decode(4, {0x06, 0x11, 0x01}, 2).result);  // "aa" does not fit after "a"
}

TEST(DecompressLzwGrowing, WidthIncreaseCode)
{
    // 'a' and 257 at 9 bits, then 'b' and the end code at 10 bits.
    const Decoded d = Decode(5, {0x30, 0xC0, 0x46, 0x24, 0x00}, 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a', 'b'}), d.data);
}

TEST(DecompressLzwGrowing, ClearStartsAFreshDictionary)
{
    // 'a', clear, 'b' (a literal again), 259 (the entry being defined: "bb"), end.
    const Decoded d = Decode(5, {0x30, 0xC0, 0x8C, 0x50, 0x38, 0x00}, 16);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a', 'b', 'b', 'b'}), d.data);
}

TEST(DecompressAdaptiveHuffman, EscapeThenEndSymbol)
{
    // The escape leaf is the root's second child (bit 1), then the byte 'a'.
    // After 'a' is counted the end symbol has moved to the second child: 1.
    const Decoded d = Decode(7, {0xB0, 0xC0}, 4);
    EXPECT_EQ(0u, d.result);
    EXPECT_EQ((Bytes{'a'}), d.data);
    EXPECT_EQ(13u, Decode(7, {0xB0}, 4).result);             // no end symbol
    EXPECT_EQ(13u, Decode(7, {0xB0, 0xC0}, 0).result);       // 'a' does not fit
    EXPECT_EQ(13u, Decode(7, {0xB0, 0x8C, 0x20}, 4).result); // an escape for 'a' again
}

TEST(DecompressNullPointers, GiveEmptyResults)
{
    uint32_t produced = 1;
    EXPECT_EQ(0u, Decompress(nullptr, 0, nullptr, 0, 0, &produced));
    EXPECT_EQ(0u, produced);
    EXPECT_EQ(13u, Decompress(nullptr, 100, nullptr, 0, 7, &produced));
}
} // namespace
