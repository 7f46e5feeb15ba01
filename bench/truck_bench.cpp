// Driving costs: one truck's steer + move + pace per 50 ms update (the town
// does this for every truck each update), beside the same arithmetic done
// bare with libm (no sprite, no table, no timers); and one truck animation
// frame change including its movie decode into the 5-6-5 frame surface,
// beside SDL cutting a frame of the same size out of a sprite sheet.
// The truck is 16 directions x 3 modes of a 64 x 48, 8-frame movie made in
// memory by our encoder; the manual clock advances 50 ms per update.
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/graphics/display_object.h"
#include "engine/media/movie_driver.h"
#include "engine/platform/clock.h"
#include "game/world/direction_table.h"
#include "game/world/truck.h"
#include "tools/smk/smk_encoder.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
constexpr int32_t kW = 64;
constexpr int32_t kH = 48;
constexpr int32_t kFrames = 8;

// A scratch folder with the movie and the truck file; removed at exit.
struct TruckData
{
    std::string folder;
    std::string file;
    CxGamePath paths;
    TruckData()
    {
        char name[] = "/tmp/truck_bench_XXXXXX";
        folder = mkdtemp(name) ? name : "/tmp";
        CxSmackerEncoder encoder;
        encoder.Begin(kW, kH, 12);
        std::vector<uint8_t> palette(768);
        for (int i = 0; i < 768; ++i)
            palette[i] = static_cast<uint8_t>(i * 7);
        for (int32_t k = 0; k < kFrames; ++k)
        {
            std::vector<uint8_t> pixels(static_cast<size_t>(kW) * kH);
            for (int32_t y = 0; y < kH; ++y)
                for (int32_t x = 0; x < kW; ++x)
                    pixels[static_cast<size_t>(y) * kW + x] = static_cast<uint8_t>((x / 4 + y / 4 + k) * 13);
            encoder.AddFrame(pixels.data(), palette.data());
        }
        std::vector<uint8_t> movie;
        encoder.Finish(&movie);
        Write("truck.smk", std::string(movie.begin(), movie.end()));
        std::string text = "[QexSprite]\nNumDirections=16\nMaxDrivingSpeed=9\nDrivingAcceleration=1\n"
                           "MaxFrameRate=12\n";
        for (int d = 0; d < 16; ++d)
        {
            char section[64];
            snprintf(section, sizeof(section), "[Direction%03d]\n", d);
            text +=
                std::string(section) +
                "NumStates=3\nState000=$GAMEPATH\\truck.smk\n"
                "State001=$GAMEPATH\\truck.smk\nState002=$GAMEPATH\\truck.smk\nCollisionRect=4, 4, 59, 43\n";
        }
        file = Write("truck.ini", text);
        paths.SetInstallPath(folder.c_str());
        paths.SetCDPath(folder.c_str());
    }
    ~TruckData()
    {
        for (const char* name : {"truck.smk", "truck.ini"})
            unlink((folder + "/" + name).c_str());
        rmdir(folder.c_str());
    }
    std::string Write(const char* name, const std::string& bytes)
    {
        const std::string path = folder + "/" + name;
        FILE* out = fopen(path.c_str(), "wb");
        if (out)
        {
            fwrite(bytes.data(), 1, bytes.size(), out);
            fclose(out);
        }
        return path;
    }
};

TruckData& Data()
{
    static TruckData data;
    return data;
}

struct Setup
{
    CxManualClock clock{1000};
    CxClock* previous;
    Setup()
    {
        previous = SetClock(&clock);
        CxDisplayObject::SetRootSize(640, 480);
        SetBlueScreenError(false);
        RegisterMovieDrivers();
        SetGamePath(&Data().paths);
    }
    ~Setup()
    {
        SetGamePath(nullptr);
        SetClock(previous);
    }
};

// The mouse circles the truck 300 pixels away, so it keeps turning and driving.
CxPoint MouseAt(int64_t step)
{
    const double a = static_cast<double>(step % 360) * 3.14159265358979 / 180.0;
    return CxPoint(2000 + static_cast<int32_t>(300 * std::sin(a)),
                   2000 - static_cast<int32_t>(300 * std::cos(a)));
}

void BM_TruckUpdate(benchmark::State& state)
{
    Setup setup;
    CTruck truck;
    if (truck.LoadFromFile(Data().file.c_str()) != CX_ERR_NONE)
    {
        state.SkipWithError("truck did not load");
        return;
    }
    truck.PlaceAt(CxPoint(2000, 2000));
    int64_t step = 0;
    for (auto _ : state)
    {
        setup.clock.Advance(50);
        const CxPoint mouse = MouseAt(step++);
        truck.Steer(&mouse);
        benchmark::DoNotOptimize(truck.Move());
        truck.Pace();
        // Keep it near the circle's centre, as the town's map keeps it on the map.
        if (step % 64 == 0)
            truck.PlaceAt(CxPoint(2000, 2000));
    }
}
BENCHMARK(BM_TruckUpdate)->Unit(benchmark::kNanosecond);

// The same steps in bare floats with libm: angle, nearest of 16, one turn,
// heading, speed, position.
void BM_TruckUpdate_LibmReference(benchmark::State& state)
{
    ResetDirectionAngles();
    const float* table = GetDirectionAngles();
    float x = 2000, y = 2000, speed = 0;
    int direction = 0;
    int64_t step = 0;
    for (auto _ : state)
    {
        const CxPoint mouse = MouseAt(step++);
        const float vx = static_cast<float>(mouse.x) - x, vy = static_cast<float>(mouse.y) - y;
        float angle = std::atan2(vx, -vy) * 57.29578f;
        angle = angle < 0 ? angle + 360 : angle;
        int best = 0;
        float bestDistance = 1e30f;
        for (int i = 0; i < 16; ++i)
        {
            float d = std::fabs(angle - table[i]);
            d = d > 180 ? 360 - d : d;
            if (d < bestDistance)
                bestDistance = d, best = i;
        }
        direction = (direction + (best > direction ? 1 : best < direction ? -1 : 0) + 16) % 16;
        const float heading = table[direction] / 57.29578f;
        speed = std::fmin(speed + (std::sqrt(vx * vx + vy * vy) - 60) * 0.04f, 9.0f);
        speed = speed < 0 ? 0 : speed;
        x += std::sin(heading) * speed;
        y -= std::cos(heading) * speed;
        if (step % 64 == 0)
            x = y = 2000;
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
    }
}
BENCHMARK(BM_TruckUpdate_LibmReference)->Unit(benchmark::kNanosecond);

void BM_TruckFrameChange(benchmark::State& state)
{
    Setup setup;
    CTruck truck;
    if (truck.LoadFromFile(Data().file.c_str()) != CX_ERR_NONE)
    {
        state.SkipWithError("truck did not load");
        return;
    }
    for (auto _ : state)
    {
        truck.NextTruckFrame();
        benchmark::DoNotOptimize(truck.GetImage());
    }
}
BENCHMARK(BM_TruckFrameChange)->Unit(benchmark::kMicrosecond);

void BM_TruckFrame_SDLSheet(benchmark::State& state)
{
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, kW * kFrames, kH, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 16, SDL_PIXELFORMAT_RGB565);
    if (!sheet || !frame)
    {
        state.SkipWithError("SDL surfaces");
        return;
    }
    SDL_FillRect(sheet, nullptr, 0x1234);
    SDL_SetColorKey(sheet, SDL_TRUE, 0xF81F);
    int32_t k = 0;
    for (auto _ : state)
    {
        SDL_Rect source{(k++ % kFrames) * kW, 0, kW, kH};
        SDL_BlitSurface(sheet, &source, frame, nullptr);
        benchmark::DoNotOptimize(frame->pixels);
    }
    SDL_FreeSurface(frame);
    SDL_FreeSurface(sheet);
}
BENCHMARK(BM_TruckFrame_SDLSheet)->Unit(benchmark::kMicrosecond);
} // namespace
