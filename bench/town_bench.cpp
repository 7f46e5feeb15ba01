// The town's cost per 50 ms tick: the truck driving across a 100 x 60 map of
// 64 px tiles at full speed (manual clock), one town update (steering,
// tread marks, scrolling, zones, collisions) and the repaint of the dirty
// areas into a 640 x 480 RGB565 screen. Reported as the median and the 99th
// percentile of the tick ("median_us", "p99_us"). Beside it, SDL's
// software blitter redrawing the same view whole each tick (the visible
// tiles and the truck frame, keyed) into an RGB565 surface.
//
// Also: one truck frame drawn with the smoothed-edge copy, with our plain
// keyed copy, and with SDL's keyed blit.
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/movie_driver.h"
#include "engine/platform/clock.h"
#include "game/world/smooth_blit.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/map/map_writer.h"
#include "tools/smk/smk_encoder.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr int32_t kColumns = 100;
constexpr int32_t kRows = 60;
constexpr int32_t kTile = 64;
constexpr int32_t kTruckW = 64;
constexpr int32_t kTruckH = 48;
constexpr int32_t kTiles = 8;

std::string WriteFile(const std::string& folder, const std::string& name, const std::string& bytes)
{
    const std::string path = folder + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (FILE* out = fopen(path.c_str(), "wb"))
    {
        fwrite(bytes.data(), 1, bytes.size(), out);
        fclose(out);
    }
    return path;
}

// A truck movie: a filled body on the key colour (palette index 0, magenta).
std::string TruckMovie()
{
    CxSmackerEncoder encoder;
    encoder.Begin(kTruckW, kTruckH, 12);
    std::vector<uint8_t> palette(768);
    palette[0] = 255;
    palette[2] = 255;
    for (int i = 1; i < 256; ++i)
        palette[i * 3] = palette[i * 3 + 1] = static_cast<uint8_t>(i);
    for (int32_t k = 0; k < 4; ++k)
    {
        std::vector<uint8_t> pixels(static_cast<size_t>(kTruckW) * kTruckH, 0);
        for (int32_t y = 6; y < kTruckH - 6; ++y)
            for (int32_t x = 4 + (y % 3); x < kTruckW - 4 - (y % 3); ++x)
                pixels[static_cast<size_t>(y) * kTruckW + x] = static_cast<uint8_t>(40 + x + k);
        encoder.AddFrame(pixels.data(), palette.data());
    }
    std::vector<uint8_t> movie;
    encoder.Finish(&movie);
    return std::string(movie.begin(), movie.end());
}

std::string TruckFile()
{
    std::string text =
        "[QexSprite]\nNumDirections=16\nMaxDrivingSpeed=10\nDrivingAcceleration=10\nMaxFrameRate=12\n";
    for (int d = 0; d < 16; ++d)
    {
        char section[300];
        snprintf(
            section, sizeof(section),
            "[Direction%03d]\nNumStates=3\nState000=$GAMEPATH\\truck.smk\nState001=$GAMEPATH\\truck.smk\n"
            "State002=$GAMEPATH\\truck.smk\nCollisionRect=4, 4, 59, 43\nTire0=8, 8\nTire1=56, 8\n"
            "Tire2=8, 40\nTire3=56, 40\n",
            d);
        text += section;
    }
    return text;
}

// The town's files in a scratch folder: tiles, map, truck, a few buildings.
struct TownData
{
    std::string folder;
    CxGamePath paths;
    TownData()
    {
        char name[] = "/tmp/town_bench_XXXXXX";
        folder = mkdtemp(name) ? name : "/tmp/town_bench";
        ST_MAP_DESCRIPTION map;
        map.tileWidth = map.tileHeight = kTile;
        map.columns = kColumns;
        map.rows = kRows;
        std::filesystem::create_directories(folder + "/TILES");
        for (int32_t t = 0; t < kTiles; ++t)
        {
            CxDrawSurface tile(kTile, kTile, 16, nullptr, CX_PF_565);
            tile.FillRect(nullptr, static_cast<uint32_t>(0x2104 * (t + 1)));
            const CxRect stripe(0, t * 6, kTile - 1, t * 6 + 5);
            tile.FillRect(&stripe, 0xFFE0);
            const std::string file = "t" + std::to_string(t) + ".bmp";
            tile.Save((folder + "/TILES/" + file).c_str());
            map.tiles.push_back(ST_MAP_WRITER_TILE{file, 0});
        }
        for (int32_t r = 0; r < kRows; ++r)
            for (int32_t c = 0; c < kColumns; ++c)
                map.cells.push_back(static_cast<uint32_t>((r * 7 + c * 3) % kTiles));
        WriteMapFile((folder + "/town.map").c_str(), map);
        WriteFile(folder, "VPLAYER/truck.smk", TruckMovie());
        WriteFile(folder, "truck.smk", TruckMovie());
        WriteFile(folder, "VPLAYER/brund.ini", TruckFile());
        std::string world = "[World]\nMap=town.map\n[Buildings]\n";
        for (int b = 0; b < 16; ++b)
        {
            char entry[64];
            snprintf(entry, sizeof(entry), "Building%02d=b%02d.ini\n", b, b);
            world += entry;
            char text[300];
            snprintf(
                text, sizeof(text),
                "[QexSprite]\nNumStates=1\nPosition=%d, %d\n[State000]\nFileName=$GAMEPATH\\TILES\\t%d.bmp\n"
                "[Zone]\nPosition=%d, %d\nCenter=%d, %d\n",
                300 + b * 380, 300 + (b % 2) * 3000, b % kTiles, 300 + b * 380, 400, 300 + b * 380, 400);
            WriteFile(folder, "b" + std::to_string(100 + b).substr(1) + ".ini", text);
        }
        WriteFile(folder, "world.ini", world);
        paths.SetInstallPath(folder.c_str());
        paths.SetCDPath(folder.c_str());
    }
    ~TownData() { std::filesystem::remove_all(folder); }
};

TownData& Data()
{
    static TownData data;
    return data;
}

struct Setup
{
    CxManualClock clock{1000};
    CxClock* previous;
    Setup()
    {
        previous = SetClock(&clock);
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        CxDrawSurface::SetDefaultFormat16(CX_PF_565);
        SetBlueScreenError(false);
        RegisterStandardImageFilters();
        RegisterMovieDrivers();
        SetGamePath(&Data().paths);
    }
    ~Setup()
    {
        SetGamePath(nullptr);
        SetClock(previous);
        CxDisplayObject::DestroyRoot();
    }
};

// Drives across the map and back: the target flips at the edges.
void SteerAcross(CTruck& truck)
{
    const CxPoint centre = truck.GetCentre();
    if (centre.x > kColumns * kTile - 300)
        truck.SetTarget(CxPoint(100, centre.y));
    else if (centre.x < 300)
        truck.SetTarget(CxPoint(kColumns * kTile - 100, centre.y));
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()))];
}

void BM_TownTick(benchmark::State& state)
{
    Setup setup;
    CxDrawSurface screen(640, 480, 16, nullptr, CX_PF_565);
    CTown town;
    town.AttachTo(CxDisplayObject::GetRoot());
    town.SetSize(640, 480);
    town.LoadWorld();
    town.Redraw();
    if (!town.GetTruck() || town.GetTruck()->GetNumDirections() != 16)
    {
        state.SkipWithError("the town's truck did not load");
        return;
    }
    for (uint32_t t = 0; t < town.GetMap().GetTileCount(); ++t)
        if (!town.GetMap().GetTile(t) || !town.GetMap().GetTile(t)->GetBits())
        {
            state.SkipWithError("a tile of the town did not load");
            return;
        }
    town.m_bUserControl = false;
    town.GetTruck()->SetTarget(CxPoint(kColumns * kTile - 100, 1450));
    CxDisplayObject::UpdateScreen(&screen);
    std::vector<double> ticks;
    double painted = 0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        setup.clock.Advance(TOWN_UPDATE_INTERVAL);
        SteerAcross(*town.GetTruck());
        town.UpdateTown();
        for (auto* n = CxDisplayObject::GetDirtyRects().GetHead(); n; n = n->GetNext())
            painted += static_cast<double>(n->m_Value.Width()) * n->m_Value.Height();
        CxDisplayObject::UpdateScreen(&screen);
        ticks.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["median_us"] = Percentile(ticks, 0.5);
    state.counters["p99_us"] = Percentile(ticks, 0.99);
    state.counters["view_x"] = town.GetViewOrigin().x;
    // Pixels repainted per tick: the whole 307200 while the view scrolls.
    state.counters["painted_px"] = painted / static_cast<double>(ticks.size());
    town.UnloadWorld();
}
BENCHMARK(BM_TownTick)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The peer: SDL redraws the whole view each tick from the same tiles and a
// keyed truck frame, scrolling at the truck's top speed.
void BM_TownTick_SDLFullRedraw(benchmark::State& state)
{
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
    std::vector<SDL_Surface*> tiles;
    for (int32_t t = 0; t < kTiles; ++t)
    {
        SDL_Surface* tile = SDL_CreateRGBSurfaceWithFormat(0, kTile, kTile, 16, SDL_PIXELFORMAT_RGB565);
        SDL_FillRect(tile, nullptr, static_cast<Uint32>(0x2104 * (t + 1)));
        tiles.push_back(tile);
    }
    SDL_Surface* truck = SDL_CreateRGBSurfaceWithFormat(0, kTruckW, kTruckH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_FillRect(truck, nullptr, 0xF81F);
    SDL_Rect body{4, 6, kTruckW - 8, kTruckH - 12};
    SDL_FillRect(truck, &body, 0x7BEF);
    SDL_SetColorKey(truck, SDL_TRUE, 0xF81F);
    std::vector<double> ticks;
    int32_t viewX = 0, step = 10;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        viewX += step;
        if (viewX < 0 || viewX > kColumns * kTile - 640)
            step = -step;
        const int32_t viewY = 1450 - 240;
        for (int32_t r = viewY / kTile; r <= (viewY + 479) / kTile; ++r)
            for (int32_t c = viewX / kTile; c <= (viewX + 639) / kTile; ++c)
            {
                SDL_Rect to{c * kTile - viewX, r * kTile - viewY, kTile, kTile};
                SDL_BlitSurface(tiles[static_cast<size_t>((r * 7 + c * 3) % kTiles)], nullptr, screen, &to);
            }
        SDL_Rect at{320 - kTruckW / 2, 240 - kTruckH / 2, kTruckW, kTruckH};
        SDL_BlitSurface(truck, nullptr, screen, &at);
        benchmark::DoNotOptimize(screen->pixels);
        ticks.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["median_us"] = Percentile(ticks, 0.5);
    state.counters["p99_us"] = Percentile(ticks, 0.99);
    for (SDL_Surface* tile : tiles)
        SDL_FreeSurface(tile);
    SDL_FreeSurface(truck);
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_TownTick_SDLFullRedraw)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// One truck frame over a tile: the smoothed-edge copy, our keyed copy, SDL's keyed blit.
void TruckFrame(CxDrawSurface& frame)
{
    frame.FillRect(nullptr, 0xF81F);
    for (int32_t y = 6; y < kTruckH - 6; ++y)
    {
        const CxRect row(4 + (y % 3), y, kTruckW - 5 - (y % 3), y);
        frame.FillRect(&row, 0x7BEF);
    }
}

void BM_TruckFrame(benchmark::State& state, bool smooth)
{
    CxDrawSurface frame(kTruckW, kTruckH, 16, nullptr, CX_PF_565),
        under(kTruckW, kTruckH, 16, nullptr, CX_PF_565);
    TruckFrame(frame);
    under.FillRect(nullptr, 0x2104);
    ST_BLIT_FX effect;
    effect.nType = CX_FX_CALLBACK;
    effect.SetFunction(SmoothEdgeBlit);
    for (auto _ : state)
        benchmark::DoNotOptimize(frame.DrawAt(&under, 0, 0, nullptr, 0xF81F, smooth ? &effect : nullptr));
}
BENCHMARK_CAPTURE(BM_TruckFrame, Smoothed, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TruckFrame, Keyed, false)->Unit(benchmark::kMicrosecond);

void BM_TruckFrame_SDLKeyed(benchmark::State& state)
{
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, kTruckW, kTruckH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* under = SDL_CreateRGBSurfaceWithFormat(0, kTruckW, kTruckH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_FillRect(frame, nullptr, 0xF81F);
    for (int32_t y = 6; y < kTruckH - 6; ++y)
    {
        SDL_Rect row{4 + (y % 3), y, kTruckW - 8 - 2 * (y % 3), 1};
        SDL_FillRect(frame, &row, 0x7BEF);
    }
    SDL_SetColorKey(frame, SDL_TRUE, 0xF81F);
    SDL_FillRect(under, nullptr, 0x2104);
    for (auto _ : state)
        benchmark::DoNotOptimize(SDL_BlitSurface(frame, nullptr, under, nullptr));
    SDL_FreeSurface(frame);
    SDL_FreeSurface(under);
}
BENCHMARK(BM_TruckFrame_SDLKeyed)->Unit(benchmark::kMicrosecond);
} // namespace
