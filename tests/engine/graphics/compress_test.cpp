// Every encoder against its decoder on random and structured data, and the
// bounds every decoder keeps on streams our encoders made and then damaged.
#include "engine/graphics/compress.h"

#include "codec_test_data.h"
#include "engine/core/error.h"
#include "engine/graphics/decompress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Encode(uint8_t method, const Bytes& data)
{
    CxBuffer buffer;
    EXPECT_EQ(0u, Compress(buffer, data.data(), static_cast<uint32_t>(data.size()), method));
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetSize());
}

uint32_t DecodeInto(uint8_t method, const Bytes& stream, Bytes& out, uint32_t* produced)
{
    return Decompress(out.data(), static_cast<uint32_t>(out.size()), stream.data(),
                      static_cast<uint32_t>(stream.size()), method, produced);
}

struct Corpus
{
    const char* name;
    Bytes data;
};

std::vector<Corpus> MakeCorpora()
{
    return {
        {"empty", {}},
        {"one byte", {0x9C}},
        {"two equal bytes", {0x41, 0x41}},
        {"random 5000", codec_test::RandomBytes(5000, 1)},
        {"image 160x120", codec_test::ImagePixels(160, 120)},
        {"text 40000", codec_test::TextBytes(40000)},
        {"runs 70000", codec_test::RunBytes(70000)},
        {"zeros 100000", Bytes(100000, 0)},
    };
}

class CodecRoundTrip : public testing::TestWithParam<uint8_t>
{
};

TEST_P(CodecRoundTrip, DecodesToTheOriginalBytes)
{
    const uint8_t method = GetParam();
    for (const Corpus& corpus : MakeCorpora())
    {
        if (method == CX_COMPRESS_RLE16 && corpus.data.size() % 2)
            continue; // words only
        const Bytes stream = Encode(method, corpus.data);
        Bytes out(corpus.data.size());
        uint32_t produced = 0;
        ASSERT_EQ(0u, DecodeInto(method, stream, out, &produced)) << corpus.name;
        ASSERT_EQ(corpus.data.size(), produced) << corpus.name;
        EXPECT_EQ(corpus.data, out) << corpus.name;
    }
}

TEST_P(CodecRoundTrip, StructuredDataShrinks)
{
    const uint8_t method = GetParam();
    // Byte runs suit the byte run-length method; 16-bit pixels suit the rest.
    const Bytes data =
        method == CX_COMPRESS_RLE8 ? codec_test::RunBytes(100000) : codec_test::ImagePixels(320, 240);
    const Bytes stream = Encode(method, data);
    EXPECT_LT(stream.size(), data.size() * 9 / 10) << "method " << int(method);
}

TEST_P(CodecRoundTrip, TooSmallDestinationGivesError13WithinBounds)
{
    const uint8_t method = GetParam();
    for (const Corpus& corpus : MakeCorpora())
    {
        if (corpus.data.empty() || (method == CX_COMPRESS_RLE16 && corpus.data.size() % 2))
            continue;
        const Bytes stream = Encode(method, corpus.data);
        Bytes out(corpus.data.size() - 1 + 8, 0xEE);
        uint32_t produced = 0;
        EXPECT_EQ(13u, Decompress(out.data(), static_cast<uint32_t>(corpus.data.size() - 1), stream.data(),
                                  static_cast<uint32_t>(stream.size()), method, &produced))
            << corpus.name;
        EXPECT_LT(produced, corpus.data.size());
        for (size_t i = corpus.data.size() - 1; i < out.size(); ++i)
            ASSERT_EQ(0xEE, out[i]) << corpus.name << ": written past the destination";
    }
}

TEST_P(CodecRoundTrip, TruncatedStreamsFailOrGiveAPrefix)
{
    const uint8_t method = GetParam();
    const Bytes data = codec_test::TextBytes(3000);
    const Bytes stream = Encode(method, data);
    // Methods without an end marker can only be cut between items, which
    // leaves a correct prefix of the data.
    const bool hasEndMarker = method != 2 && method != 3 && method != 9;
    for (size_t cut = 0; cut < stream.size(); cut += 1 + cut / 16)
    {
        const Bytes part(stream.begin(), stream.begin() + cut);
        Bytes out(data.size());
        uint32_t produced = 0;
        const uint32_t result = DecodeInto(method, part, out, &produced);
        if (result != 0)
        {
            EXPECT_EQ(13u, result);
            continue;
        }
        if (hasEndMarker)
        {
            // Only the end marker (and padding) may be missing.
            EXPECT_EQ(data.size(), produced) << "cut at " << cut;
        }
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + produced, data.begin())) << "cut at " << cut;
    }
}

TEST_P(CodecRoundTrip, DamagedStreamsStayWithinBounds)
{
    const uint8_t method = GetParam();
    const Bytes data = codec_test::ImagePixels(64, 40);
    const Bytes stream = Encode(method, data);
    std::mt19937 rng(method);
    for (int round = 0; round < 200; ++round)
    {
        Bytes damaged = stream;
        for (int flips = 0; flips < 1 + round % 4; ++flips)
            damaged[rng() % damaged.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
        Bytes out(data.size() + 8, 0xEE);
        uint32_t produced = 0;
        const uint32_t result = Decompress(out.data(), static_cast<uint32_t>(data.size()), damaged.data(),
                                           static_cast<uint32_t>(damaged.size()), method, &produced);
        EXPECT_TRUE(result == 0 || result == 13);
        EXPECT_LE(produced, data.size());
        for (size_t i = data.size(); i < out.size(); ++i)
            ASSERT_EQ(0xEE, out[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(AllMethods, CodecRoundTrip, testing::Range<uint8_t>(1, 10),
                         [](const testing::TestParamInfo<uint8_t>& info) {
                             return "Method" + std::to_string(info.param);
                         });

TEST(Compress, StoredRunLengthAndHuffmanDetails)
{
    const Bytes data = codec_test::RandomBytes(100, 4);
    EXPECT_EQ(data, Encode(0, data));
    EXPECT_EQ(data, Encode(200, data)) << "unknown methods store";
    CxBuffer buffer;
    const uint8_t odd[3] = {1, 2, 3};
    EXPECT_EQ(CX_ERR_INVALID_ARGUMENT, Compress(buffer, odd, 3, CX_COMPRESS_RLE16)) << "words only";
    // 300 equal bytes: runs of 127, 127 and 46 in three byte pairs.
    EXPECT_EQ((Bytes{0xFF, 7, 0xFF, 7, 0xAE, 7}), Encode(CX_COMPRESS_RLE8, Bytes(300, 7)));
    // A lone byte with the top bit set must be sent as a run of one.
    EXPECT_EQ((Bytes{0x81, 0x90, 0x10}), Encode(CX_COMPRESS_RLE8, Bytes{0x90, 0x10}));
    // Escape (bit 1) and 'a', then the end symbol (bit 1): 1 01100001 1.
    EXPECT_EQ((Bytes{0xB0, 0xC0}), Encode(CX_COMPRESS_HUFFMAN, Bytes{'a'}));
}

TEST(Compress, GrowingLzwWidensAndClearsAndAdaptiveHuffmanSurvivesRescaling)
{
    // Enough distinct strings to fill a 16-bit dictionary and start over.
    const Bytes data = codec_test::RandomBytes(400000, 9);
    const Bytes stream = Encode(CX_COMPRESS_LZW, data);
    EXPECT_EQ(0u, stream.size() % 4);
    Bytes out(data.size());
    uint32_t produced = 0;
    ASSERT_EQ(0u, DecodeInto(CX_COMPRESS_LZW, stream, out, &produced));
    EXPECT_EQ(data, out);
    // More than 32768 symbols: the tree is halved and rebuilt along the way.
    Bytes text = codec_test::TextBytes(120000);
    for (size_t i = 0; i < text.size(); i += 1000)
        text[i] = static_cast<uint8_t>(i / 1000 + 128); // late new symbols too
    const Bytes coded = Encode(CX_COMPRESS_HUFFMAN, text);
    Bytes decoded(text.size());
    uint32_t count = 0;
    ASSERT_EQ(0u, DecodeInto(CX_COMPRESS_HUFFMAN, coded, decoded, &count));
    EXPECT_EQ(text, decoded);
    EXPECT_LT(coded.size(), text.size() * 7 / 10);
}

} // namespace
