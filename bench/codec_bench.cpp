// DEFLATE decoding (method 1) by the engine beside zlib's inflate, on the
// same streams: a 640 x 480 16-bit picture and a larger mixed corpus. The
// streams come from zlib's encoder with Huffman blocks only (the stored block
// of this format differs), so both decoders read identical bits.
#include "engine/graphics/compress.h"
#include "engine/graphics/decompress.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes ImagePixels(uint32_t width, uint32_t height)
{
    std::mt19937 rng(7);
    Bytes data(static_cast<size_t>(width) * height * 2);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            uint16_t pixel;
            const uint32_t area = (x / 64 + y / 48) % 3;
            if (area == 0)
                pixel = static_cast<uint16_t>(((x * 31 / width) << 11) | ((y * 63 / height) << 5) | 12);
            else if (area == 1)
                pixel = 0x7BEF;
            else
                pixel = static_cast<uint16_t>(rng() & 0x0841) | 0xC618;
            data[(static_cast<size_t>(y) * width + x) * 2] = static_cast<uint8_t>(pixel);
            data[(static_cast<size_t>(y) * width + x) * 2 + 1] = static_cast<uint8_t>(pixel >> 8);
        }
    return data;
}

// Pictures, text, noisy bytes and runs: about 4.5 MB.
Bytes MixedCorpus()
{
    Bytes data = ImagePixels(1024, 768);
    static const char* words[] = {"truck ", "town ", "fire ",      "mail ",      "the ",   "hose ",
                                  "race ",  "and ",  "a ",         "map\n",      "drive ", "box ",
                                  "fish ",  "car ",  "[Engine]\n", "Width=640\n"};
    std::mt19937 rng(3);
    std::string text;
    while (text.size() < 1000000)
        text += words[rng() % 16];
    data.insert(data.end(), text.begin(), text.end());
    // Noisy bytes from a skewed distribution (pure noise would make zlib
    // choose stored blocks, which this format lays out differently).
    for (int i = 0; i < 300000; ++i)
        data.push_back(static_cast<uint8_t>((rng() % 97) * (rng() % 3)));
    for (int run = 0; run < 4000; ++run)
        data.insert(data.end(), 1 + rng() % 200, static_cast<uint8_t>(rng()));
    const Bytes image = ImagePixels(800, 600);
    data.insert(data.end(), image.begin(), image.end());
    return data;
}

Bytes ZlibDeflate(const Bytes& data)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, data.size()) + 16);
    z.next_in = const_cast<uint8_t*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Sample
{
    Bytes data;
    Bytes stream;
};

const Sample& GetSample(int which)
{
    static Sample samples[2];
    Sample& s = samples[which];
    if (s.data.empty())
    {
        s.data = which == 0 ? ImagePixels(640, 480) : MixedCorpus();
        s.stream = ZlibDeflate(s.data);
        // Both decoders must agree with the original before anything is timed.
        Bytes out(s.data.size());
        uint32_t produced = 0;
        if (Decompress(out.data(), static_cast<uint32_t>(out.size()), s.stream.data(),
                       static_cast<uint32_t>(s.stream.size()), CX_COMPRESS_DEFLATE, &produced) != 0 ||
            out != s.data)
        {
            fprintf(stderr, "engine inflater disagrees with zlib on sample %d\n", which);
            abort();
        }
    }
    return s;
}

void EngineInflate(benchmark::State& state)
{
    const Sample& s = GetSample(static_cast<int>(state.range(0)));
    Bytes out(s.data.size());
    for (auto _ : state)
    {
        uint32_t produced = 0;
        Decompress(out.data(), static_cast<uint32_t>(out.size()), s.stream.data(),
                   static_cast<uint32_t>(s.stream.size()), CX_COMPRESS_DEFLATE, &produced);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.data.size()));
    state.SetLabel(state.range(0) == 0 ? "640x480x16" : "mixed corpus");
}
BENCHMARK(EngineInflate)->Arg(0)->Arg(1);

void ZlibInflate(benchmark::State& state)
{
    const Sample& s = GetSample(static_cast<int>(state.range(0)));
    Bytes out(s.data.size());
    for (auto _ : state)
    {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = const_cast<uint8_t*>(s.stream.data());
        z.avail_in = static_cast<uInt>(s.stream.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        inflate(&z, Z_FINISH);
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.data.size()));
    state.SetLabel(state.range(0) == 0 ? "640x480x16" : "mixed corpus");
}
BENCHMARK(ZlibInflate)->Arg(0)->Arg(1);

// Our own encoder's streams, decoded by both (they read the same bits).
void EngineInflateOwnStream(benchmark::State& state)
{
    const Sample& s = GetSample(0);
    CxBuffer stream;
    Compress(stream, s.data.data(), static_cast<uint32_t>(s.data.size()), CX_COMPRESS_DEFLATE);
    Bytes out(s.data.size());
    for (auto _ : state)
    {
        uint32_t produced = 0;
        Decompress(out.data(), static_cast<uint32_t>(out.size()), stream.GetData(), stream.GetSize(),
                   CX_COMPRESS_DEFLATE, &produced);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.data.size()));
}
BENCHMARK(EngineInflateOwnStream);

void EngineDeflate(benchmark::State& state)
{
    const Sample& s = GetSample(0);
    for (auto _ : state)
    {
        CxBuffer stream;
        Compress(stream, s.data.data(), static_cast<uint32_t>(s.data.size()), CX_COMPRESS_DEFLATE);
        benchmark::DoNotOptimize(stream.GetData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.data.size()));
}
BENCHMARK(EngineDeflate);

void ZlibDeflateLevel6(benchmark::State& state)
{
    const Sample& s = GetSample(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ZlibDeflate(s.data).data());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.data.size()));
}
BENCHMARK(ZlibDeflateLevel6);
} // namespace
