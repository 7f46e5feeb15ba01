// One frame of a 640 x 480 scene: a full-screen background and 200 keyed
// 64 x 64 sprites that all move every frame. Our display tree (dirty
// rectangles, back-to-front paint into the screen, and the copy of the dirty
// areas into a presentation buffer) beside SDL's software blitter redrawing
// the same scene into an RGB565 surface and copying it out whole.
// "items_per_second" is frames per second.
#include "engine/graphics/display_object.h"
#include "engine/graphics/sprite.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {
constexpr int32_t kScreenW = 640;
constexpr int32_t kScreenH = 480;
constexpr int32_t kSprites = 200;
constexpr int32_t kSpriteSize = 64;
constexpr uint16_t kKey = 0xF81F;

uint32_t Next(uint32_t& seed)
{
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

void FillBackground(CxDrawSurface& s)
{
    uint32_t seed = 7;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            s.SetPixel(x, y,
                       static_cast<uint16_t>(((x >> 3) * 2113 + (y >> 3) * 777 + (Next(seed) & 3)) & 0xF7DE));
}

// A disc of varied colours on the key.
void FillSprite(CxDrawSurface& s, uint32_t seed)
{
    const int32_t w = s.GetWidth();
    for (int32_t y = 0; y < w; ++y)
        for (int32_t x = 0; x < w; ++x)
        {
            const int64_t dx = 2 * x - w, dy = 2 * y - w;
            uint16_t v = static_cast<uint16_t>(Next(seed));
            if (v == kKey)
                v ^= 1;
            s.SetPixel(x, y, dx * dx + dy * dy < static_cast<int64_t>(w) * w * 3 / 4 ? v : kKey);
        }
}

// Positions of the sprites in frame f: each moves on its own straight path,
// bouncing off the screen edges.
struct Mover
{
    int32_t x, y, dx, dy;
    void Step()
    {
        x += dx;
        y += dy;
        if (x < -kSpriteSize / 2 || x > kScreenW - kSpriteSize / 2)
            dx = -dx;
        if (y < -kSpriteSize / 2 || y > kScreenH - kSpriteSize / 2)
            dy = -dy;
    }
};

std::vector<Mover> MakeMovers()
{
    std::vector<Mover> movers;
    uint32_t seed = 99;
    for (int32_t i = 0; i < kSprites; ++i)
        movers.push_back(Mover{static_cast<int32_t>(Next(seed) % (kScreenW - kSpriteSize)),
                               static_cast<int32_t>(Next(seed) % (kScreenH - kSpriteSize)),
                               static_cast<int32_t>(Next(seed) % 7) - 3,
                               static_cast<int32_t>(Next(seed) % 5) - 2});
    return movers;
}

void BM_DisplayTreeScene(benchmark::State& state)
{
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    CxDisplayObject::SetRootSize(kScreenW, kScreenH);
    CxDrawSurface screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    std::vector<uint8_t> presentation(static_cast<size_t>(kScreenW) * kScreenH * 2);

    auto* backImage = new CxDrawSurface(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    FillBackground(*backImage);
    CxSprite background;
    background.SetImage(backImage, 1);
    background.SetDepth(100);
    background.Create(0, 0, kScreenW, kScreenH);
    background.MoveTo(0, 0);

    std::vector<std::unique_ptr<CxSprite>> sprites;
    std::vector<Mover> movers = MakeMovers();
    for (int32_t i = 0; i < kSprites; ++i)
    {
        auto* image = new CxDrawSurface(kSpriteSize, kSpriteSize, 16, nullptr, CX_PF_565);
        FillSprite(*image, static_cast<uint32_t>(i + 1));
        image->SetTransparentColor(kKey);
        auto sprite = std::make_unique<CxSprite>();
        sprite->SetImage(image, 1);
        sprite->SetDepth(0);
        sprite->Create(0, 0, kSpriteSize, kSpriteSize);
        sprite->MoveTo(movers[static_cast<size_t>(i)].x, movers[static_cast<size_t>(i)].y);
        sprites.push_back(std::move(sprite));
    }
    CxDisplayObject::UpdateScreen(&screen);

    for (auto _ : state)
    {
        for (int32_t i = 0; i < kSprites; ++i)
        {
            movers[static_cast<size_t>(i)].Step();
            sprites[static_cast<size_t>(i)]->MoveTo(movers[static_cast<size_t>(i)].x,
                                                    movers[static_cast<size_t>(i)].y);
        }
        // The areas to copy out, taken before painting empties the list.
        std::vector<CxRect> dirty;
        for (auto* n = CxDisplayObject::GetDirtyRects().GetHead(); n; n = n->GetNext())
            dirty.push_back(n->m_Value);
        CxDisplayObject::UpdateScreen(&screen);
        screen.Lock();
        const uint8_t* bits = screen.GetBits();
        for (const CxRect& r : dirty)
            for (int32_t y = r.top; y <= r.bottom; ++y)
                memcpy(presentation.data() + (static_cast<size_t>(y) * kScreenW + r.left) * 2,
                       bits + static_cast<size_t>(y) * screen.GetPitch() + r.left * 2,
                       static_cast<size_t>(r.Width()) * 2);
        screen.Unlock();
        benchmark::DoNotOptimize(presentation.data());
    }
    state.SetItemsProcessed(state.iterations());
    sprites.clear();
    background.Unload();
    background.Detach();
    CxDisplayObject::DestroyRoot();
}
BENCHMARK(BM_DisplayTreeScene)->Unit(benchmark::kMicrosecond);

SDL_Surface* ToSdl(CxDrawSurface& s)
{
    SDL_Surface* out =
        SDL_CreateRGBSurfaceWithFormat(0, s.GetWidth(), s.GetHeight(), 16, SDL_PIXELFORMAT_RGB565);
    s.Lock();
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        memcpy(static_cast<uint8_t*>(out->pixels) + static_cast<size_t>(y) * out->pitch,
               s.GetBits() + static_cast<size_t>(y) * s.GetPitch(), static_cast<size_t>(s.GetWidth()) * 2);
    s.Unlock();
    return out;
}

void BM_SdlBlitScene(benchmark::State& state)
{
    CxDrawSurface back(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
    FillBackground(back);
    SDL_Surface* background = ToSdl(back);
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
    std::vector<SDL_Surface*> sprites;
    for (int32_t i = 0; i < kSprites; ++i)
    {
        CxDrawSurface image(kSpriteSize, kSpriteSize, 16, nullptr, CX_PF_565);
        FillSprite(image, static_cast<uint32_t>(i + 1));
        SDL_Surface* s = ToSdl(image);
        SDL_SetColorKey(s, SDL_TRUE, kKey);
        sprites.push_back(s);
    }
    std::vector<Mover> movers = MakeMovers();
    std::vector<uint8_t> presentation(static_cast<size_t>(kScreenW) * kScreenH * 2);
    for (auto _ : state)
    {
        SDL_BlitSurface(background, nullptr, screen, nullptr);
        for (int32_t i = 0; i < kSprites; ++i)
        {
            Mover& m = movers[static_cast<size_t>(i)];
            m.Step();
            SDL_Rect at = {m.x, m.y, kSpriteSize, kSpriteSize};
            SDL_BlitSurface(sprites[static_cast<size_t>(i)], nullptr, screen, &at);
        }
        for (int32_t y = 0; y < kScreenH; ++y)
            memcpy(presentation.data() + static_cast<size_t>(y) * kScreenW * 2,
                   static_cast<uint8_t*>(screen->pixels) + static_cast<size_t>(y) * screen->pitch,
                   static_cast<size_t>(kScreenW) * 2);
        benchmark::DoNotOptimize(presentation.data());
    }
    state.SetItemsProcessed(state.iterations());
    for (SDL_Surface* s : sprites)
        SDL_FreeSurface(s);
    SDL_FreeSurface(screen);
    SDL_FreeSurface(background);
}
BENCHMARK(BM_SdlBlitScene)->Unit(benchmark::kMicrosecond);
} // namespace
