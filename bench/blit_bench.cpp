// CxDrawSurface copies beside SDL's software blitter doing the same job on the
// same pixels: colour-keyed RGB565 and RGB555 copies (against SDL's plain
// colour-key blit and against its run-length-encoded one, which is what SDL
// games use for sprites), an 8-bit to RGB565 copy with and without a key, a
// constant-opacity RGB565 blend and a 2x nearest-neighbour stretch. Each runs
// on a full 640 x 480 screen and on a 64 x 64 sprite drawn onto the screen;
// "items_per_second" is destination pixels per second. Every SDL case first
// checks that its result equals ours.
//
// On a shared machine a pair measured one after the other can differ by a
// third from noise alone; interleaved repetitions compare ours and the peer
// under the same conditions:
//   blit_bench --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
//              --benchmark_report_aggregates_only=true --benchmark_min_time=0.1
#include "engine/graphics/draw_surface.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

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
// One copy, timed on either side

enum class Side
{
    kOurs,
    kSdl,       // SDL_BlitSurface
    kSdlRle,    // SDL_BlitSurface from a run-length-encoded source
    kSdlScaled, // SDL_BlitScaled
};

// A case: our source and the screen it is copied onto (the SDL side takes
// copies of both in the given formats), the key and the effect.
struct CopyCase
{
    CxDrawSurface& src;
    Uint32 srcFormat;
    CxDrawSurface& screen;
    Uint32 screenFormat;
    uint32_t key = CX_COLOR_NONE;
    const ST_BLIT_FX* fx = nullptr;
    // Per-channel difference allowed between the results (blends round differently).
    int32_t tolerance = 0;
};

struct SdlSurfaceFree
{
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceFree>;

void TimeOurs(benchmark::State& state, const CopyCase& c, const CxRect& d)
{
    for (auto _ : state)
    {
        c.src.Draw(&c.screen, &d, nullptr, c.key, c.fx);
        benchmark::ClobberMemory();
    }
    if (c.key != CX_COLOR_NONE)
        ReportTable(state, c.src);
}

// The first blit runs outside the timing (an RLE source is encoded there)
// and must give our result.
void TimeSdl(benchmark::State& state, const CopyCase& c, const CxRect& d, Side side)
{
    SdlSurfacePtr source(ToSdl(c.src, c.srcFormat));
    SdlSurfacePtr screen(ToSdl(c.screen, c.screenFormat));
    if (!source || !screen)
    {
        state.SkipWithError("SDL could not make the surfaces");
        return;
    }
    if (c.key != CX_COLOR_NONE)
        SDL_SetColorKey(source.get(), SDL_TRUE, c.key);
    if (side == Side::kSdlRle)
        SDL_SetSurfaceRLE(source.get(), 1);
    if (c.fx && c.fx->nType == CX_FX_OPACITY)
    {
        SDL_SetSurfaceBlendMode(source.get(), SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(source.get(), static_cast<Uint8>(c.fx->nParam));
    }
    CxDrawSurface check(c.screen);
    c.src.Draw(&check, &d, nullptr, c.key, c.fx);
    const SDL_Rect r{d.left, d.top, d.Width(), d.Height()};
    const auto blit = [&] {
        SDL_Rect copy = r;
        if (side == Side::kSdlScaled)
            SDL_BlitScaled(source.get(), nullptr, screen.get(), &copy);
        else
            SDL_BlitSurface(source.get(), nullptr, screen.get(), &copy);
    };
    blit();
    if (side == Side::kSdlRle && !(source->flags & SDL_RLEACCEL))
    {
        state.SkipWithError("SDL did not run-length encode the source");
        return;
    }
    if (!SameResult(state, screen.get(), check, c.tolerance))
        return;
    for (auto _ : state)
    {
        blit();
        benchmark::ClobberMemory();
    }
}

void Time(benchmark::State& state, const CopyCase& c, Side side)
{
    const int32_t w = SizeOf(state);
    const CxRect d = Placement(w, HeightFor(w));
    if (side == Side::kOurs)
        TimeOurs(state, c, d);
    else
        TimeSdl(state, c, d, side);
    Report(state, static_cast<int64_t>(d.Width()) * d.Height());
}

// ---------------------------------------------------------------------------
// 16 -> 16 colour-keyed copies in RGB565 and RGB555

void Keyed16With(benchmark::State& state, uint8_t format, Uint32 sdlFormat, uint16_t key, Side side)
{
    const int32_t w = SizeOf(state);
    CxDrawSurface src(w, HeightFor(w), 16, nullptr, format);
    FillSprite(src, key);
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, format);
    Time(state, {src, sdlFormat, screen, sdlFormat, key}, side);
}

void Keyed16(benchmark::State& state, Side side)
{
    Keyed16With(state, CX_PF_565, SDL_PIXELFORMAT_RGB565, kKey, side);
}

void Keyed555(benchmark::State& state, Side side)
{
    Keyed16With(state, CX_PF_555, SDL_PIXELFORMAT_RGB555, kKey555, side);
}

// ---------------------------------------------------------------------------
// 8 -> 16 palettised copy, plain and colour-keyed (SDL cannot run-length
// encode a source whose format differs from the destination's, so its plain
// colour-key blit is the peer)

void Palette8To16With(benchmark::State& state, uint32_t key, Side side)
{
    const int32_t w = SizeOf(state);
    CxDrawSurface src(w, HeightFor(w), 8);
    if (key == CX_COLOR_NONE)
        FillRandom(src, 7);
    else
        FillSprite(src, key);
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    Time(state, {src, SDL_PIXELFORMAT_INDEX8, screen, SDL_PIXELFORMAT_RGB565, key}, side);
}

void Palette8To16(benchmark::State& state, Side side)
{
    Palette8To16With(state, CX_COLOR_NONE, side);
}

void Keyed8To16(benchmark::State& state, Side side)
{
    Palette8To16With(state, kKey8, side);
}

// ---------------------------------------------------------------------------
// 16 -> 16 constant-opacity blend

void Blend16(benchmark::State& state, Side side)
{
    const int32_t w = SizeOf(state);
    CxDrawSurface src(w, HeightFor(w), 16, nullptr, CX_PF_565);
    FillRandom(src, 8);
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    FillRandom(screen, 9);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_OPACITY;
    fx.nParam = 128;
    Time(state, {src, SDL_PIXELFORMAT_RGB565, screen, SDL_PIXELFORMAT_RGB565, CX_COLOR_NONE, &fx, 1}, side);
}

// ---------------------------------------------------------------------------
// 2x nearest-neighbour stretch (16 -> 16, no key); the size is the destination's

void Stretch2x(benchmark::State& state, Side side)
{
    const int32_t w = SizeOf(state);
    CxDrawSurface src(w / 2, HeightFor(w) / 2, 16, nullptr, CX_PF_565);
    FillRandom(src, 10);
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    Time(state, {src, SDL_PIXELFORMAT_RGB565, screen, SDL_PIXELFORMAT_RGB565}, side);
}

// Each case under its name, on the full screen and as a sprite.
struct NamedCase
{
    const char* name;
    void (*run)(benchmark::State&, Side);
    Side side;
};

constexpr NamedCase kCases[] = {
    {"OursKeyed16", Keyed16, Side::kOurs},           {"SdlKeyed16", Keyed16, Side::kSdl},
    {"SdlRleKeyed16", Keyed16, Side::kSdlRle},       {"OursKeyed555", Keyed555, Side::kOurs},
    {"SdlKeyed555", Keyed555, Side::kSdl},           {"SdlRleKeyed555", Keyed555, Side::kSdlRle},
    {"OursPalette8To16", Palette8To16, Side::kOurs}, {"SdlPalette8To16", Palette8To16, Side::kSdl},
    {"OursKeyed8To16", Keyed8To16, Side::kOurs},     {"SdlKeyed8To16", Keyed8To16, Side::kSdl},
    {"OursBlend16", Blend16, Side::kOurs},           {"SdlBlend16", Blend16, Side::kSdl},
    {"OursStretch2x", Stretch2x, Side::kOurs},       {"SdlStretch2x", Stretch2x, Side::kSdlScaled},
};

[[maybe_unused]] const bool kRegistered = [] {
    for (const NamedCase& c : kCases)
        benchmark::RegisterBenchmark(c.name, c.run, c.side)->Arg(kScreenW)->Arg(64);
    return true;
}();
} // namespace
