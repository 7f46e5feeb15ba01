// The DEFLATE coder beside zlib, the reference implementation of RFC 1951:
// our decoder reads zlib's Huffman-coded streams, and zlib reads ours (which
// also proves that our encoder never emits a stored block, whose layout
// differs in this format).
#include "engine/graphics/compress.h"
#include "engine/graphics/decompress.h"

#include "codec_test_data.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes ZlibDeflate(const Bytes& data, int level, int strategy)
{
    z_stream z{};
    EXPECT_EQ(Z_OK, deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy));
    Bytes out(deflateBound(&z, data.size()) + 16);
    z.next_in = const_cast<Bytes::value_type*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(Z_STREAM_END, deflate(&z, Z_FINISH));
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Inflates with zlib; false when zlib rejects the stream.
bool ZlibInflate(const Bytes& stream, Bytes& out)
{
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return false;
    z.next_in = const_cast<Bytes::value_type*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool ok = result == Z_STREAM_END && z.total_out == out.size();
    inflateEnd(&z);
    return ok;
}

std::vector<Bytes> Samples()
{
    return {codec_test::ImagePixels(320, 240), codec_test::TextBytes(200000), codec_test::RunBytes(50000),
            codec_test::RandomBytes(70000, 5), Bytes(1, 'x')};
}

TEST(InflateStream, ReadsZlibHuffmanStreams)
{
    for (const Bytes& data : Samples())
        for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE, Z_FILTERED})
        {
            if (data.size() == 70000)
                continue; // noise: zlib picks stored blocks, whose layout differs here
            const Bytes stream = ZlibDeflate(data, 9, strategy);
            Bytes out(data.size());
            uint32_t produced = 0;
            ASSERT_EQ(0u, InflateStream(out.data(), static_cast<uint32_t>(out.size()), stream.data(),
                                        static_cast<uint32_t>(stream.size()), &produced))
                << "strategy " << strategy << " size " << data.size();
            EXPECT_EQ(data, out);
        }
}

TEST(InflateStream, BlockTypeThreeIsDynamicAndZlibStoredBlocksAreNotThisFormat)
{
    const Bytes data = codec_test::TextBytes(5000);
    Bytes stream = ZlibDeflate(data, 9, Z_DEFAULT_STRATEGY);
    ASSERT_EQ(2, (stream[0] >> 1) & 3) << "expected a dynamic first block";
    stream[0] |= 0x02;
    Bytes out(data.size());
    uint32_t produced = 0;
    ASSERT_EQ(0u, InflateStream(out.data(), static_cast<uint32_t>(out.size()), stream.data(),
                                static_cast<uint32_t>(stream.size()), &produced));
    EXPECT_EQ(data, out);
    // zlib's stored block has a one's complement length after the length;
    // here those two bytes are noise, so the output differs or fails.
    const Bytes noise = codec_test::RandomBytes(1000, 8);
    const Bytes stored = ZlibDeflate(noise, 0, Z_DEFAULT_STRATEGY);
    Bytes got(noise.size());
    uint32_t count = 0;
    const uint32_t result = InflateStream(got.data(), static_cast<uint32_t>(got.size()), stored.data(),
                                          static_cast<uint32_t>(stored.size()), &count);
    EXPECT_TRUE(result != 0 || got != noise);
}

TEST(EncodeDeflate, ZlibReadsOurStreamsSoNoStoredBlockIsEmitted)
{
    for (Bytes data : Samples())
    {
        CxBuffer stream;
        ASSERT_EQ(0u, Compress(stream, data.data(), static_cast<uint32_t>(data.size()), CX_COMPRESS_DEFLATE));
        Bytes encoded(stream.GetData(), stream.GetData() + stream.GetSize());
        Bytes out(data.size());
        ASSERT_TRUE(ZlibInflate(encoded, out)) << "size " << data.size();
        EXPECT_EQ(data, out);
    }
}

TEST(EncodeDeflate, CompressesAboutAsWellAsZlib)
{
    const Bytes data = codec_test::ImagePixels(640, 480);
    CxBuffer ours;
    ASSERT_EQ(0u, Compress(ours, data.data(), static_cast<uint32_t>(data.size()), CX_COMPRESS_DEFLATE));
    const Bytes theirs = ZlibDeflate(data, 6, Z_DEFAULT_STRATEGY);
    EXPECT_LT(ours.GetSize(), theirs.size() * 5 / 4);
    CxBuffer empty;
    ASSERT_EQ(0u, Compress(empty, nullptr, 0, CX_COMPRESS_DEFLATE));
    ASSERT_GT(empty.GetSize(), 0u);
    EXPECT_EQ(1, empty.GetData()[0] & 1);
    uint32_t produced = 1;
    EXPECT_EQ(0u, Decompress(nullptr, 0, empty.GetData(), empty.GetSize(), CX_COMPRESS_DEFLATE, &produced));
    EXPECT_EQ(0u, produced);
}

} // namespace
