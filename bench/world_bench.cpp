// The town's per-frame and per-line costs: painting a full 640 x 480 view of
// the tile map (64 x 64 RGB565 tiles, scrolled off the tile grid) beside
// SDL's software blitter drawing the same tiles at the same places, and the
// mouth analysis of a 10 s voice line at 22050 Hz.
#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/tile_map.h"
#include "game/world/lip_synch.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int32_t kScreenW = 640;
constexpr int32_t kScreenH = 480;
constexpr int32_t kTile = 64;
constexpr int32_t kColumns = 40;
constexpr int32_t kRows = 30;
constexpr int32_t kTileKinds = 8;
constexpr int32_t kScrollX = 37; // off the tile grid: partial tiles on every edge
constexpr int32_t kScrollY = 21;

void FillTile(CxDrawSurface& tile, uint32_t seed)
{
    for (int32_t y = 0; y < kTile; ++y)
        for (int32_t x = 0; x < kTile; ++x)
        {
            seed = seed * 1664525u + 1013904223u;
            tile.SetPixel(x, y, (seed >> 12) & 0xFFFF);
        }
}

// The kind of tile in a cell (the same layout for both painters).
int32_t KindAt(int32_t column, int32_t row)
{
    return (column * 7 + row * 3) % kTileKinds;
}

struct Tiles
{
    std::vector<std::unique_ptr<CxDrawSurface>> surfaces;
    Tiles()
    {
        for (int32_t k = 0; k < kTileKinds; ++k)
        {
            surfaces.push_back(std::make_unique<CxDrawSurface>(kTile, kTile, 16, nullptr, CX_PF_565));
            FillTile(*surfaces.back(), 1000u + static_cast<uint32_t>(k));
        }
    }
};

void BM_TileMapPaint(benchmark::State& state)
{
    CxDisplayObject::SetRootSize(kScreenW, kScreenH);
    Tiles tiles;
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    CxTileMap map;
    map.SetMapSize(kColumns, kRows, kTile, kTile);
    for (int32_t r = 0; r < kRows; ++r)
        for (int32_t c = 0; c < kColumns; ++c)
            map.SetCell(c, r, tiles.surfaces[static_cast<size_t>(KindAt(c, r))].get());
    map.ScrollTo(kScrollX, kScrollY);
    const CxRect view(kScrollX, kScrollY, kScrollX + kScreenW - 1, kScrollY + kScreenH - 1);
    for (auto _ : state)
    {
        map.Paint(&screen, view);
        benchmark::DoNotOptimize(screen.GetBits());
    }
    state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
    map.Detach();
    CxDisplayObject::DestroyRoot();
}
BENCHMARK(BM_TileMapPaint)->Unit(benchmark::kMicrosecond);

void BM_SdlBlitTiles(benchmark::State& state)
{
    Tiles tiles;
    std::vector<SDL_Surface*> sdlTiles;
    for (auto& tile : tiles.surfaces)
    {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, kTile, kTile, 16, SDL_PIXELFORMAT_RGB565);
        for (int32_t y = 0; y < kTile; ++y)
            memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, tile->GetPixelAddress(0, y), kTile * 2);
        sdlTiles.push_back(s);
    }
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    for (auto _ : state)
    {
        for (int32_t r = kScrollY / kTile; r <= (kScrollY + kScreenH - 1) / kTile; ++r)
            for (int32_t c = kScrollX / kTile; c <= (kScrollX + kScreenW - 1) / kTile; ++c)
            {
                SDL_Rect dest{c * kTile - kScrollX, r * kTile - kScrollY, kTile, kTile};
                SDL_BlitSurface(sdlTiles[static_cast<size_t>(KindAt(c, r))], nullptr, screen, &dest);
            }
        benchmark::DoNotOptimize(screen->pixels);
    }
    state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
    for (SDL_Surface* s : sdlTiles)
        SDL_FreeSurface(s);
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_SdlBlitTiles)->Unit(benchmark::kMicrosecond);

// A 10 s line: a 220 Hz voice whose loudness changes every 70 ms, with pauses.
std::string VoiceLine()
{
    constexpr uint32_t rate = 22050, frames = rate * 10;
    std::string wave = "RIFF";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            wave += static_cast<char>(v >> (8 * i));
    };
    auto put16 = [&](uint32_t v) {
        wave += static_cast<char>(v);
        wave += static_cast<char>(v >> 8);
    };
    put32(36 + frames * 2);
    wave += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    wave += "data";
    put32(frames * 2);
    uint32_t seed = 7;
    double level = 0;
    for (uint32_t i = 0; i < frames; ++i)
    {
        if (i % 1543 == 0)
        {
            seed = seed * 1664525u + 1013904223u;
            level = (seed >> 20) % 4 == 0 ? 0.0 : static_cast<double>((seed >> 8) % 20000);
        }
        put16(static_cast<uint16_t>(static_cast<int16_t>(level * std::sin(2.0 * M_PI * 220.0 * i / rate))));
    }
    return wave;
}

void BM_LipAnalysis10s(benchmark::State& state)
{
    const std::string wave = VoiceLine();
    ST_LIP_TABLE table;
    for (auto _ : state)
    {
        AnalyseLipSound(reinterpret_cast<const uint8_t*>(wave.data()), static_cast<uint32_t>(wave.size()), 0,
                        4, &table);
        benchmark::DoNotOptimize(table.frames.GetData());
    }
    state.counters["entries"] = table.frames.GetCount();
}
BENCHMARK(BM_LipAnalysis10s)->Unit(benchmark::kMillisecond);
} // namespace
