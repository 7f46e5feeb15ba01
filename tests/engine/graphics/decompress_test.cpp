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

// Hand-made streams of the byte-oriented methods: the documented examples,
// edge cases and the bounds of input and output. Data is compared when the
// result is 0 or expected data is given.
TEST(Decompress, HandMadeStreams)
{
    const char a = 'a', b = 'b', c = 'c';
    const struct
    {
        const char* name;
        uint8_t method;
        Bytes stream;
        uint32_t capacity;
        uint32_t result;
        Bytes data;
    } cases[] = {
        {"stored", 0, {1, 2, 3}, 5, 0, {1, 2, 3}},
        {"stored, source too big", 0, {1, 2, 3}, 2, 13, {1, 2}},
        {"unknown method 10 copies", 10, {9, 8, 7}, 3, 0, {9, 8, 7}},
        {"unknown method 255 copies", 255, {9, 8, 7}, 3, 0, {9, 8, 7}},
        {"rle8 run and literal", 2, {0x83, 0x41, 0x42}, 10, 0, {0x41, 0x41, 0x41, 0x42}},
        {"rle8 zero count eats its value", 2, {0x80, 0x41, 0x42}, 10, 0, {0x42}},
        {"rle8 run without value", 2, {0x41, 0x85}, 10, 13, {}},
        {"rle8 run past the end", 2, {0x41, 0x85, 0x43}, 4, 13, {0x41, 0x43, 0x43, 0x43}},
        {"rle8 literal past the end", 2, {0x41, 0x42}, 1, 13, {}},
        {"rle16 run and literal",
         3,
         {0x02, 0x80, 0x34, 0x12, 0x05, 0x00},
         16,
         0,
         {0x34, 0x12, 0x34, 0x12, 0x05, 0x00}},
        {"rle16 odd last byte ignored", 3, {0x05, 0x00, 0x77}, 16, 0, {0x05, 0x00}},
        {"rle16 run without value", 3, {0x03, 0x80}, 16, 13, {}},
        {"rle16 run past the end", 3, {0x03, 0x80, 0x34, 0x12}, 5, 13, {0x34, 0x12, 0x34, 0x12}},
        {"deflate empty final stored block", 1, {0x01, 0x00, 0x00}, 0, 0, {}},
        // Stored blocks here have no one's complement of the length.
        {"deflate stored blocks", 1, {0x00, 0x02, 0x00, a, b, 0x01, 0x01, 0x00, c}, 8, 0, {a, b, c}},
        {"deflate stored, short data", 1, {0x01, 0x05, 0x00, a, b}, 8, 13, {}},
        {"deflate stored, over the destination", 1, {0x01, 0x03, 0x00, a, b, c}, 2, 13, {}},
        {"deflate stored, length cut off", 1, {0x01, 0x03}, 8, 13, {}},
        {"deflate no final block", 1, {0x00, 0x00, 0x00}, 8, 13, {}},
        {"lz77 overlapping match",
         9,
         {0x03, 0x80, a, b, c, 0x01, 0x00, 0x01, 0x00},
         16,
         0,
         {a, b, c, c, c, c, c, c}},
        {"lz77 literals past the input", 9, {0x05, 0x80, a}, 16, 13, {}},
        {"lz77 match without length", 9, {0x01, 0x80, a, 0x01, 0x00}, 16, 13, {}},
        {"lz77 match past the end", 9, {0x01, 0x80, a, 0x01, 0x00, 0x00, 0x00}, 4, 13, {}},
        {"lz77 distance 0", 9, {0x00, 0x00, 0x00, 0x00}, 16, 13, {}},
        {"lz77 before the start reads 0", 9, {0x01, 0x80, a, 0x03, 0x00, 0x00, 0x00}, 16, 0, {a, 0, 0, a, 0}},
        // 'a', then 257 (the code being defined: "aa"), then the end code.
        {"lzw12 code being defined", 4, {0x06, 0x11, 0x01, 0x10, 0x00}, 16, 0, {a, a, a}},
        {"lzw12 code not yet defined", 4, {0x06, 0x11, 0x02}, 16, 13, {}},
        {"lzw12 first code not a byte", 4, {0x10, 0x20, 0x00}, 16, 13, {}},
        {"lzw12 entry does not fit", 4, {0x06, 0x11, 0x01}, 2, 13, {}},
        // 'a' and 257 at 9 bits, then 'b' and the end code at 10 bits.
        {"lzw width increase", 5, {0x30, 0xC0, 0x46, 0x24, 0x00}, 16, 0, {a, b}},
        // 'a', clear, 'b', 259 (the entry being defined: "bb"), end.
        {"lzw clear", 5, {0x30, 0xC0, 0x8C, 0x50, 0x38, 0x00}, 16, 0, {a, b, b, b}},
        // Escape (bit 1) and 'a', then the end symbol, now the second child (bit 1).
        {"huffman escape and end", 7, {0xB0, 0xC0}, 4, 0, {a}},
        {"huffman without end", 7, {0xB0}, 4, 13, {}},
        {"huffman no room", 7, {0xB0, 0xC0}, 0, 13, {}},
        {"huffman escape for a known byte", 7, {0xB0, 0x8C, 0x20}, 4, 13, {}},
    };
    for (const auto& t : cases)
    {
        const Decoded d = Decode(t.method, t.stream, t.capacity);
        EXPECT_EQ(t.result, d.result) << t.name;
        if (t.result == 0 || !t.data.empty())
        {
            EXPECT_EQ(t.data, d.data) << t.name;
        }
    }
    uint32_t produced = 1;
    EXPECT_EQ(0u, Decompress(nullptr, 0, nullptr, 0, 0, &produced));
    EXPECT_EQ(0u, produced);
    EXPECT_EQ(13u, Decompress(nullptr, 100, nullptr, 0, 7, &produced));
}

TEST(DecompressDeflate, FixedCodesWithAMatchAndPositionsBeforeTheStart)
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
    // Positions before the start read as zero.
    DeflateBits q;
    q.Bits(1, 1);
    q.Bits(1, 2);
    q.Code(0x30 + 'q', 8);
    q.Code(1, 7); // length 3
    q.Code(4, 5); // distance 5..6 with one extra bit
    q.Bits(0, 1); // distance 5
    q.Code(0, 7);
    const Decoded e = Decode(1, q.Done(), 16);
    EXPECT_EQ(0u, e.result);
    EXPECT_EQ((Bytes{'q', 0, 0, 0}), e.data);
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

TEST(DecompressDeflate, InvalidSymbolsAndOverSubscribedCodeLengthsAreRejected)
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

} // namespace
