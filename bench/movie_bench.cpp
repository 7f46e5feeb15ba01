// Movie decoding: 640 x 480 Smacker movies decoded and converted into a
// 5-6-5 surface (frames per second; the target is at least 200) and into an
// 8-bit surface. "Noise" changes every pixel of every frame (every block is
// coded pixel by pixel: the decoder's worst case); "Cartoon" is flat-shaded
// scenery with a textured object moving across it (kept, filled and coded
// blocks, as drawn cut scenes are). Then and SDL converting an 8-bit frame to 5-6-5
// beside our conversion; then the cost of a Goto plus frame on a 32-frame
// sprite animation kept decoded, straight on the decoder and through the
// movie driver into a 5-6-5 surface (what a movie sprite pays when its frame
// changes), beside SDL cutting the same frame out of a sprite sheet. Movies
// are made in memory by our encoder.
#include "engine/graphics/draw_surface.h"
#include "engine/media/movie_driver.h"
#include "engine/platform/video.h"
#include "tools/smk/smk_encoder.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
// A moving pattern with some noise: roughly what a cut scene costs the decoder.
std::vector<uint8_t> MakeMovie(int32_t w, int32_t h, int32_t frames)
{
    CxSmackerEncoder encoder;
    encoder.Begin(w, h, 15);
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 768; ++i)
        palette[i] = static_cast<uint8_t>(i * 5);
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    uint32_t seed = 1;
    for (int32_t k = 0; k < frames; ++k)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
            {
                seed = seed * 1664525u + 1013904223u;
                pixels[static_cast<size_t>(y) * w + x] =
                    static_cast<uint8_t>((x + y) / 8 + k * 3 + ((seed >> 28) & 3));
            }
        encoder.AddFrame(pixels.data(), palette.data());
    }
    std::vector<uint8_t> file;
    encoder.Finish(&file);
    return file;
}

// Flat bands of colour, a ground of 8-pixel stripes and a 128 x 128 textured
// square moving 8 pixels a frame.
std::vector<uint8_t> MakeCartoon(int32_t frames)
{
    const int32_t w = 640, h = 480;
    CxSmackerEncoder encoder;
    encoder.Begin(w, h, 15);
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 768; ++i)
        palette[i] = static_cast<uint8_t>(i * 5);
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t k = 0; k < frames; ++k)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                pixels[static_cast<size_t>(y) * w + x] =
                    static_cast<uint8_t>(y < 320 ? 10 + y / 40 : 40 + x / 8 % 7);
        for (int32_t y = 0; y < 128; ++y)
            for (int32_t x = 0; x < 128; ++x)
                pixels[static_cast<size_t>(y + 200) * w + (x + 8 * k) % w] =
                    static_cast<uint8_t>(100 + (x * y) % 97);
        encoder.AddFrame(pixels.data(), palette.data());
    }
    std::vector<uint8_t> file;
    encoder.Finish(&file);
    return file;
}

// More frames than the decoded-frame cache keeps: every frame is decoded.
const std::vector<uint8_t>& NoiseMovie()
{
    static const std::vector<uint8_t> movie = MakeMovie(640, 480, CX_VIDEO_CACHE_FRAMES + 1);
    return movie;
}
const std::vector<uint8_t>& CartoonMovie()
{
    static const std::vector<uint8_t> movie = MakeCartoon(CX_VIDEO_CACHE_FRAMES + 1);
    return movie;
}

// Sizes surface for a w x h frame in the format and describes it as a target.
ST_VIDEO_TARGET MakeTarget(std::vector<uint8_t>& surface, int32_t w, int32_t h, uint8_t format)
{
    const int32_t bytes = format == CX_VIDEO_8BIT ? 1 : 2;
    surface.assign(static_cast<size_t>(w) * h * bytes, 0);
    ST_VIDEO_TARGET target;
    target.pBits = surface.data();
    target.nPitch = w * bytes;
    target.nWidth = w;
    target.nHeight = h;
    target.nFormat = format;
    return target;
}

void DecodeLoop(benchmark::State& state, const std::vector<uint8_t>& movie, uint8_t format)
{
    CxVideo video;
    video.Open(movie.data(), static_cast<uint32_t>(movie.size()));
    std::vector<uint8_t> surface;
    const ST_VIDEO_TARGET target = MakeTarget(surface, 640, 480, format);
    for (auto _ : state)
    {
        if (video.DecodeFrame(target) != CX_ERR_NONE)
        {
            state.PauseTiming();
            video.Goto(0);
            state.ResumeTiming();
            video.DecodeFrame(target);
        }
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_MovieDecode565_Noise(benchmark::State& state)
{
    DecodeLoop(state, NoiseMovie(), CX_VIDEO_565);
}
BENCHMARK(BM_MovieDecode565_Noise)->Unit(benchmark::kMillisecond);

void BM_MovieDecode8_Noise(benchmark::State& state)
{
    DecodeLoop(state, NoiseMovie(), CX_VIDEO_8BIT);
}
BENCHMARK(BM_MovieDecode8_Noise)->Unit(benchmark::kMillisecond);

void BM_MovieDecode565_Cartoon(benchmark::State& state)
{
    DecodeLoop(state, CartoonMovie(), CX_VIDEO_565);
}
BENCHMARK(BM_MovieDecode565_Cartoon)->Unit(benchmark::kMillisecond);

// The 8-bit to 5-6-5 step alone: SDL's blitter, then ours on a cached movie frame.
void BM_Convert8To565_SDL(benchmark::State& state)
{
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 8, SDL_PIXELFORMAT_INDEX8);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] =
            SDL_Color{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i * 7), 255};
    SDL_SetPaletteColors(source->format->palette, colours, 0, 256);
    for (int32_t y = 0; y < 480; ++y)
        for (int32_t x = 0; x < 640; ++x)
            static_cast<uint8_t*>(source->pixels)[y * source->pitch + x] = static_cast<uint8_t>(x ^ y);
    for (auto _ : state)
    {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        benchmark::DoNotOptimize(target->pixels);
    }
    state.SetItemsProcessed(state.iterations());
    SDL_FreeSurface(source);
    SDL_FreeSurface(target);
}
BENCHMARK(BM_Convert8To565_SDL)->Unit(benchmark::kMillisecond);

void BM_Convert8To565_Ours(benchmark::State& state)
{
    // One 640 x 480 frame is kept decoded, so Goto + DecodeFrame is only the conversion.
    static const std::vector<uint8_t> movie = MakeMovie(640, 480, 1);
    CxVideo video;
    video.Open(movie.data(), static_cast<uint32_t>(movie.size()));
    std::vector<uint8_t> surface;
    const ST_VIDEO_TARGET target = MakeTarget(surface, 640, 480, CX_VIDEO_565);
    for (auto _ : state)
    {
        video.Goto(0);
        video.DecodeFrame(target);
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Convert8To565_Ours)->Unit(benchmark::kMillisecond);

void BM_SpriteGoto(benchmark::State& state)
{
    static const std::vector<uint8_t> movie = MakeMovie(64, 64, 32);
    CxVideo video;
    video.Open(movie.data(), static_cast<uint32_t>(movie.size()));
    std::vector<uint8_t> surface;
    const ST_VIDEO_TARGET target = MakeTarget(surface, 64, 64, CX_VIDEO_565);
    int32_t frame = 0;
    for (auto _ : state)
    {
        frame = (frame + 13) % 32;
        video.Goto(frame);
        video.DecodeFrame(target);
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpriteGoto)->Unit(benchmark::kMicrosecond);

// The same jumps through CxSmackerDriver: a given frame decoded into the
// sprite's 16-bit surface, with the surface locked around it.
void BM_SpriteGotoDriver(benchmark::State& state)
{
    static const std::vector<uint8_t> movie = MakeMovie(64, 64, 32);
    const std::string path = "/tmp/movie_bench_" + std::to_string(getpid()) + ".smk";
    FILE* file = fopen(path.c_str(), "wb");
    if (!file || fwrite(movie.data(), 1, movie.size(), file) != movie.size())
    {
        if (file)
            fclose(file);
        state.SkipWithError("cannot write the movie file");
        return;
    }
    fclose(file);
    CxSmackerDriver driver;
    if (driver.Open(path.c_str(), 0) != CX_ERR_NONE)
    {
        remove(path.c_str());
        state.SkipWithError("cannot open the movie");
        return;
    }
    CxDrawSurface surface;
    driver.AllocateSurface(&surface, 16);
    surface.SetPixelFormat(CX_PF_565);
    ST_MOVIE_FRAME record;
    record.pSurface = &surface;
    int32_t frame = 0;
    for (auto _ : state)
    {
        frame = (frame + 13) % 32;
        record.nFlags = CX_MOVIE_FRAME_DEFAULT;
        record.nFrame = frame;
        driver.DoFrame(&record);
        benchmark::DoNotOptimize(surface.GetBits());
    }
    state.SetItemsProcessed(state.iterations());
    driver.Close();
    remove(path.c_str());
}
BENCHMARK(BM_SpriteGotoDriver)->Unit(benchmark::kMicrosecond);

// The peer: SDL converting one 64 x 64 frame of an 8-bit 32-frame sprite sheet into 5-6-5.
void BM_SpriteSheetFrame_SDL(benchmark::State& state)
{
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, 64 * 32, 64, 8, SDL_PIXELFORMAT_INDEX8);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 64, 64, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] =
            SDL_Color{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(i * 7), 255};
    SDL_SetPaletteColors(sheet->format->palette, colours, 0, 256);
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64 * 32; ++x)
            static_cast<uint8_t*>(sheet->pixels)[y * sheet->pitch + x] = static_cast<uint8_t>(x ^ y);
    int32_t frame = 0;
    for (auto _ : state)
    {
        frame = (frame + 13) % 32;
        SDL_Rect source{frame * 64, 0, 64, 64};
        SDL_BlitSurface(sheet, &source, target, nullptr);
        benchmark::DoNotOptimize(target->pixels);
    }
    state.SetItemsProcessed(state.iterations());
    SDL_FreeSurface(sheet);
    SDL_FreeSurface(target);
}
BENCHMARK(BM_SpriteSheetFrame_SDL)->Unit(benchmark::kMicrosecond);
} // namespace
