// CxDrawSurface copies beside SDL's software blitter doing the same job on the
// same pixels: colour-keyed RGB565 and RGB555 copies (against SDL's plain
// colour-key blit and against its run-length-encoded one, which is what SDL
// games use for sprites), an 8-bit to RGB565 copy with and without a key, a
// constant-opacity RGB565 blend and a 2x nearest-neighbour stretch. Each runs
// on a full 640 x 480 screen and on a 64 x 64 sprite drawn onto the screen;
// "items_per_second" is destination pixels per second. Every SDL case first
// checks that its result equals ours.
#include "engine/graphics/draw_surface.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

namespace {
constexpr int32_t kScreenW = 640;
constexpr int32_t kScreenH = 480;
constexpr uint16_t kKey = 0xF81F;    // magenta in RGB565
constexpr uint16_t kKey555 = 0x7C1F; // magenta in RGB555
constexpr uint8_t kKey8 = 253;

int32_t SizeOf(const benchmark::State& state)
{
    return static_cast<int32_t>(state.range(0));
}

// Deterministic sprite-like pixels: a filled disc of varied colours on the key.
void FillSprite(CxDrawSurface& s, uint32_t key)
{
    const uint32_t mask = (1u << s.GetDepth()) - 1u;
    const int32_t w = s.GetWidth(), h = s.GetHeight();
    uint32_t seed = 12345;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
        {
            seed = seed * 1664525u + 1013904223u;
            const int64_t dx = 2 * x - w, dy = 2 * y - h;
            const bool inside = dx * dx + dy * dy < static_cast<int64_t>(w) * w * 3 / 4;
            uint32_t v = (seed >> 16) & mask;
            if (v == key)
                v ^= 1;
            s.SetPixel(x, y, inside ? v : key);
        }
}

void FillRandom(CxDrawSurface& s, uint32_t seed)
{
    const uint32_t mask = s.GetDepth() >= 32 ? 0xFFFFFFFFu : ((1u << s.GetDepth()) - 1u);
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
        {
            seed = seed * 1664525u + 1013904223u;
            s.SetPixel(x, y, (seed >> 8) & mask);
        }
}

// An SDL surface holding a copy of a CxDrawSurface's pixels.
SDL_Surface* ToSdl(CxDrawSurface& s, Uint32 format)
{
    SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, s.GetWidth(), s.GetHeight(), s.GetDepth(), format);
    if (!out)
        return nullptr;
    s.Lock();
    const int32_t rowBytes = s.GetWidth() * s.GetDepth() / 8;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        memcpy(static_cast<uint8_t*>(out->pixels) + y * out->pitch, s.GetBits() + y * s.GetPitch(),
               static_cast<size_t>(rowBytes));
    s.Unlock();
    if (format == SDL_PIXELFORMAT_INDEX8)
    {
        SDL_Color colors[256];
        const uint8_t* p = s.GetPalette();
        for (int i = 0; i < 256; ++i)
            colors[i] = SDL_Color{p[i * 3], p[i * 3 + 1], p[i * 3 + 2], 255};
        SDL_SetPaletteColors(out->format->palette, colors, 0, 256);
    }
    return out;
}

// The destination rectangle: the whole screen for a full-screen source,
// otherwise the sprite near the middle of the screen.
CxRect Placement(int32_t w, int32_t h)
{
    if (w == kScreenW)
        return CxRect(0, 0, w - 1, h - 1);
    return CxRect(301, 207, 301 + w - 1, 207 + h - 1);
}

int32_t HeightFor(int32_t w)
{
    return w == kScreenW ? kScreenH : w;
}

// Fails the benchmark unless the SDL surface holds the same 16-bit pixels as
// ours within `tolerance` per channel (blends round differently), so that
// both sides are seen to do the same job.
bool SameResult(benchmark::State& state, SDL_Surface* theirs, CxDrawSurface& ours, int32_t tolerance)
{
    ours.Lock();
    bool same = true;
    for (int32_t y = 0; y < ours.GetHeight() && same; ++y)
        for (int32_t x = 0; x < ours.GetWidth() && same; ++x)
        {
            uint16_t a, b;
            memcpy(&a, static_cast<uint8_t*>(theirs->pixels) + y * theirs->pitch + 2 * x, 2);
            memcpy(&b, ours.GetBits() + y * ours.GetPitch() + 2 * x, 2);
            const int32_t dr = (a >> 11) - (b >> 11), dg = ((a >> 5) & 63) - ((b >> 5) & 63),
                          db = (a & 31) - (b & 31);
            same = dr <= tolerance && dr >= -tolerance && dg <= 2 * tolerance && dg >= -2 * tolerance &&
                   db <= tolerance && db >= -tolerance;
        }
    ours.Unlock();
    if (!same)
        state.SkipWithError("SDL and CxDrawSurface results differ");
    return same;
}

void Report(benchmark::State& state, int64_t pixels)
{
    state.SetItemsProcessed(state.iterations() * pixels);
}

// The memory of the source's table of opaque spans beside the source's own.
void ReportTable(benchmark::State& state, const CxDrawSurface& src)
{
    state.counters["table_bytes"] = static_cast<double>(src.GetKeyRunsBytes());
    state.counters["image_bytes"] = static_cast<double>(src.GetBitsSize());
}

// ---------------------------------------------------------------------------
// 16 -> 16 colour-keyed copies in RGB565 and RGB555

struct KeyedFormat
{
    uint8_t ours;
    Uint32 sdl;
    uint16_t key;
};

constexpr KeyedFormat k565{CX_PF_565, SDL_PIXELFORMAT_RGB565, kKey};
constexpr KeyedFormat k555{CX_PF_555, SDL_PIXELFORMAT_RGB555, kKey555};

void OursKeyed(benchmark::State& state, const KeyedFormat& f)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 16, nullptr, f.ours);
    FillSprite(src, f.key);
    CxDrawSurface dst(kScreenW, kScreenH, 16, nullptr, f.ours);
    const CxRect d = Placement(w, h);
    for (auto _ : state)
    {
        src.Draw(&dst, &d, nullptr, f.key);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    ReportTable(state, src);
}

// SDL's colour-key blit; with `rle` the source is run-length encoded first
// (SDL_SetSurfaceRLE), and the first blit encodes it outside the timing.
void SdlKeyed(benchmark::State& state, const KeyedFormat& f, bool rle)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 16, nullptr, f.ours);
    FillSprite(src, f.key);
    SDL_Surface* s = ToSdl(src, f.sdl);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, f.sdl);
    SDL_SetColorKey(s, SDL_TRUE, f.key);
    SDL_SetSurfaceRLE(s, rle ? 1 : 0);
    const CxRect d = Placement(w, h);
    SDL_Rect r{d.left, d.top, w, h};
    CxDrawSurface check(kScreenW, kScreenH, 16, nullptr, f.ours);
    src.Draw(&check, &d, nullptr, f.key);
    {
        SDL_Rect first = r;
        SDL_BlitSurface(s, nullptr, dst, &first);
        if (rle && !(s->flags & SDL_RLEACCEL))
        {
            state.SkipWithError("SDL did not run-length encode the source");
            return;
        }
        if (!SameResult(state, dst, check, 0))
            return;
    }
    for (auto _ : state)
    {
        SDL_Rect copy = r;
        SDL_BlitSurface(s, nullptr, dst, &copy);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(s);
}

void OursKeyed16(benchmark::State& state)
{
    OursKeyed(state, k565);
}

void SdlKeyed16(benchmark::State& state)
{
    SdlKeyed(state, k565, false);
}

void SdlRleKeyed16(benchmark::State& state)
{
    SdlKeyed(state, k565, true);
}

void OursKeyed555(benchmark::State& state)
{
    OursKeyed(state, k555);
}

void SdlKeyed555(benchmark::State& state)
{
    SdlKeyed(state, k555, false);
}

void SdlRleKeyed555(benchmark::State& state)
{
    SdlKeyed(state, k555, true);
}

// ---------------------------------------------------------------------------
// 8 -> 16 palettised copy

void OursPalette8To16(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 8);
    FillRandom(src, 7);
    CxDrawSurface dst(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    const CxRect d = Placement(w, h);
    for (auto _ : state)
    {
        src.Draw(&dst, &d, nullptr);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
}

void SdlPalette8To16(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 8);
    FillRandom(src, 7);
    SDL_Surface* s = ToSdl(src, SDL_PIXELFORMAT_INDEX8);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    const CxRect d = Placement(w, h);
    SDL_Rect r{d.left, d.top, w, h};
    CxDrawSurface check(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    src.Draw(&check, &d, nullptr);
    {
        SDL_Rect first = r;
        SDL_BlitSurface(s, nullptr, dst, &first);
        if (!SameResult(state, dst, check, 0))
            return;
    }
    for (auto _ : state)
    {
        SDL_Rect copy = r;
        SDL_BlitSurface(s, nullptr, dst, &copy);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(s);
}

// ---------------------------------------------------------------------------
// 8 -> 16 palettised colour-keyed copy (SDL cannot run-length encode a
// source whose format differs from the destination's, so its plain
// colour-key blit is the peer)

void OursKeyed8To16(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 8);
    FillSprite(src, kKey8);
    CxDrawSurface dst(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    const CxRect d = Placement(w, h);
    for (auto _ : state)
    {
        src.Draw(&dst, &d, nullptr, kKey8);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    ReportTable(state, src);
}

void SdlKeyed8To16(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 8);
    FillSprite(src, kKey8);
    SDL_Surface* s = ToSdl(src, SDL_PIXELFORMAT_INDEX8);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_SetColorKey(s, SDL_TRUE, kKey8);
    const CxRect d = Placement(w, h);
    SDL_Rect r{d.left, d.top, w, h};
    CxDrawSurface check(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    src.Draw(&check, &d, nullptr, kKey8);
    {
        SDL_Rect first = r;
        SDL_BlitSurface(s, nullptr, dst, &first);
        if (!SameResult(state, dst, check, 0))
            return;
    }
    for (auto _ : state)
    {
        SDL_Rect copy = r;
        SDL_BlitSurface(s, nullptr, dst, &copy);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(s);
}

// ---------------------------------------------------------------------------
// 16 -> 16 constant-opacity blend

void OursBlend16(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 16, nullptr, CX_PF_565);
    FillRandom(src, 8);
    CxDrawSurface dst(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    FillRandom(dst, 9);
    const CxRect d = Placement(w, h);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_OPACITY;
    fx.nParam = 128;
    for (auto _ : state)
    {
        src.Draw(&dst, &d, nullptr, CX_COLOR_NONE, &fx);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
}

void SdlBlend16(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w, h, 16, nullptr, CX_PF_565);
    FillRandom(src, 8);
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    FillRandom(screen, 9);
    SDL_Surface* s = ToSdl(src, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* dst = ToSdl(screen, SDL_PIXELFORMAT_RGB565);
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(s, 128);
    const CxRect d = Placement(w, h);
    SDL_Rect r{d.left, d.top, w, h};
    CxDrawSurface check(screen);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_OPACITY;
    fx.nParam = 128;
    src.Draw(&check, &d, nullptr, CX_COLOR_NONE, &fx);
    {
        SDL_Rect first = r;
        SDL_BlitSurface(s, nullptr, dst, &first);
        if (!SameResult(state, dst, check, 1))
            return;
    }
    for (auto _ : state)
    {
        SDL_Rect copy = r;
        SDL_BlitSurface(s, nullptr, dst, &copy);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(s);
}

// ---------------------------------------------------------------------------
// 2x nearest-neighbour stretch (16 -> 16, no key); the size is the destination's

void OursStretch2x(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w / 2, h / 2, 16, nullptr, CX_PF_565);
    FillRandom(src, 10);
    CxDrawSurface dst(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    const CxRect d = Placement(w, h);
    for (auto _ : state)
    {
        src.Draw(&dst, &d, nullptr);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
}

void SdlStretch2x(benchmark::State& state)
{
    const int32_t w = SizeOf(state), h = HeightFor(w);
    CxDrawSurface src(w / 2, h / 2, 16, nullptr, CX_PF_565);
    FillRandom(src, 10);
    SDL_Surface* s = ToSdl(src, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    const CxRect d = Placement(w, h);
    SDL_Rect r{d.left, d.top, w, h};
    CxDrawSurface check(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    src.Draw(&check, &d, nullptr);
    {
        SDL_Rect first = r;
        SDL_BlitScaled(s, nullptr, dst, &first);
        if (!SameResult(state, dst, check, 0))
            return;
    }
    for (auto _ : state)
    {
        SDL_Rect copy = r;
        SDL_BlitScaled(s, nullptr, dst, &copy);
        benchmark::ClobberMemory();
    }
    Report(state, static_cast<int64_t>(w) * h);
    SDL_FreeSurface(dst);
    SDL_FreeSurface(s);
}
} // namespace

BENCHMARK(OursKeyed16)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlKeyed16)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlRleKeyed16)->Arg(kScreenW)->Arg(64);
BENCHMARK(OursKeyed555)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlKeyed555)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlRleKeyed555)->Arg(kScreenW)->Arg(64);
BENCHMARK(OursPalette8To16)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlPalette8To16)->Arg(kScreenW)->Arg(64);
BENCHMARK(OursKeyed8To16)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlKeyed8To16)->Arg(kScreenW)->Arg(64);
BENCHMARK(OursBlend16)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlBlend16)->Arg(kScreenW)->Arg(64);
BENCHMARK(OursStretch2x)->Arg(kScreenW)->Arg(64);
BENCHMARK(SdlStretch2x)->Arg(kScreenW)->Arg(64);
