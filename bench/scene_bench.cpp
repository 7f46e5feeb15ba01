// One frame of a 640 x 480 scene: a full-screen background and 200 keyed
// 64 x 64 sprites that all move every frame. Our display tree (dirty
// rectangles, back-to-front paint into the screen, and the copy of the dirty
// areas into a presentation buffer) beside SDL's software blitter redrawing
// the same scene into an RGB565 surface and copying it out whole, once with
// plain colour keys and once with run-length-encoded sprites. The SDL cases
// first check that they present the same frames as the tree.
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

// Our scene: a background sprite and the moving sprites in the display tree,
// painted into a screen surface whose dirty areas are then copied into a
// presentation buffer.
class TreeScene
{
public:
    TreeScene() : m_Screen(kScreenW, kScreenH, 16, nullptr, CX_PF_565), m_Movers(MakeMovers())
    {
        CxDrawSurface::SetDefaultFormat16(CX_PF_565);
        CxDisplayObject::SetRootSize(kScreenW, kScreenH);
        m_Presentation.resize(static_cast<size_t>(kScreenW) * kScreenH * 2);
        auto* backImage = new CxDrawSurface(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
        FillBackground(*backImage);
        m_Background.SetImage(backImage, 1);
        m_Background.SetDepth(100);
        m_Background.Create(0, 0, kScreenW, kScreenH);
        m_Background.MoveTo(0, 0);
        for (int32_t i = 0; i < kSprites; ++i)
        {
            auto* image = new CxDrawSurface(kSpriteSize, kSpriteSize, 16, nullptr, CX_PF_565);
            FillSprite(*image, static_cast<uint32_t>(i + 1));
            image->SetTransparentColor(kKey);
            auto sprite = std::make_unique<CxSprite>();
            sprite->SetImage(image, 1);
            sprite->SetDepth(0);
            sprite->Create(0, 0, kSpriteSize, kSpriteSize);
            sprite->MoveTo(m_Movers[static_cast<size_t>(i)].x, m_Movers[static_cast<size_t>(i)].y);
            m_Sprites.push_back(std::move(sprite));
        }
        Present();
    }

    ~TreeScene()
    {
        m_Sprites.clear();
        m_Background.Unload();
        m_Background.Detach();
        CxDisplayObject::DestroyRoot();
    }

    void Frame()
    {
        for (int32_t i = 0; i < kSprites; ++i)
        {
            Mover& m = m_Movers[static_cast<size_t>(i)];
            m.Step();
            m_Sprites[static_cast<size_t>(i)]->MoveTo(m.x, m.y);
        }
        Present();
    }

    const uint8_t* Presentation() const { return m_Presentation.data(); }

private:
    void Present()
    {
        // The areas to copy out, taken before painting empties the list.
        m_Dirty.clear();
        for (auto* n = CxDisplayObject::GetDirtyRects().GetHead(); n; n = n->GetNext())
            m_Dirty.push_back(n->m_Value);
        CxDisplayObject::UpdateScreen(&m_Screen);
        m_Screen.Lock();
        const uint8_t* bits = m_Screen.GetBits();
        for (const CxRect& r : m_Dirty)
            for (int32_t y = r.top; y <= r.bottom; ++y)
                memcpy(m_Presentation.data() + (static_cast<size_t>(y) * kScreenW + r.left) * 2,
                       bits + static_cast<size_t>(y) * m_Screen.GetPitch() + r.left * 2,
                       static_cast<size_t>(r.Width()) * 2);
        m_Screen.Unlock();
    }

    CxDrawSurface m_Screen;
    std::vector<uint8_t> m_Presentation;
    std::vector<CxRect> m_Dirty;
    CxSprite m_Background;
    std::vector<std::unique_ptr<CxSprite>> m_Sprites;
    std::vector<Mover> m_Movers;
};

void BM_DisplayTreeScene(benchmark::State& state)
{
    TreeScene scene;
    for (auto _ : state)
    {
        scene.Frame();
        benchmark::DoNotOptimize(scene.Presentation());
    }
    state.SetItemsProcessed(state.iterations());
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

// The same scene with SDL: the whole screen redrawn every frame (background,
// then every sprite with its colour key) and copied out whole. With `rle`
// every sprite is run-length encoded (SDL_SetSurfaceRLE), as SDL games do.
class SdlScene
{
public:
    explicit SdlScene(bool rle) : m_Movers(MakeMovers())
    {
        CxDrawSurface back(kScreenW, kScreenH, 16, nullptr, CX_PF_565);
        FillBackground(back);
        m_pBackground = ToSdl(back);
        m_pScreen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
        for (int32_t i = 0; i < kSprites; ++i)
        {
            CxDrawSurface image(kSpriteSize, kSpriteSize, 16, nullptr, CX_PF_565);
            FillSprite(image, static_cast<uint32_t>(i + 1));
            SDL_Surface* s = ToSdl(image);
            SDL_SetColorKey(s, SDL_TRUE, kKey);
            SDL_SetSurfaceRLE(s, rle ? 1 : 0);
            m_Sprites.push_back(s);
        }
        m_Presentation.resize(static_cast<size_t>(kScreenW) * kScreenH * 2);
    }

    ~SdlScene()
    {
        for (SDL_Surface* s : m_Sprites)
            SDL_FreeSurface(s);
        SDL_FreeSurface(m_pScreen);
        SDL_FreeSurface(m_pBackground);
    }

    void Frame()
    {
        SDL_BlitSurface(m_pBackground, nullptr, m_pScreen, nullptr);
        for (int32_t i = 0; i < kSprites; ++i)
        {
            Mover& m = m_Movers[static_cast<size_t>(i)];
            m.Step();
            SDL_Rect at = {m.x, m.y, kSpriteSize, kSpriteSize};
            SDL_BlitSurface(m_Sprites[static_cast<size_t>(i)], nullptr, m_pScreen, &at);
        }
        for (int32_t y = 0; y < kScreenH; ++y)
            memcpy(m_Presentation.data() + static_cast<size_t>(y) * kScreenW * 2,
                   static_cast<uint8_t*>(m_pScreen->pixels) + static_cast<size_t>(y) * m_pScreen->pitch,
                   static_cast<size_t>(kScreenW) * 2);
    }

    bool AllEncoded() const
    {
        for (SDL_Surface* s : m_Sprites)
            if (!(s->flags & SDL_RLEACCEL))
                return false;
        return true;
    }

    const uint8_t* Presentation() const { return m_Presentation.data(); }

private:
    SDL_Surface* m_pBackground = nullptr;
    SDL_Surface* m_pScreen = nullptr;
    std::vector<SDL_Surface*> m_Sprites;
    std::vector<Mover> m_Movers;
    std::vector<uint8_t> m_Presentation;
};

// Draws the first frames of both scenes and fails the benchmark unless SDL
// presents the same pixels as the display tree.
bool SameScene(benchmark::State& state, SdlScene& theirs)
{
    TreeScene ours;
    for (int32_t frame = 0; frame < 3; ++frame)
    {
        ours.Frame();
        theirs.Frame();
        if (memcmp(ours.Presentation(), theirs.Presentation(), static_cast<size_t>(kScreenW) * kScreenH * 2))
        {
            state.SkipWithError("SDL and the display tree present different frames");
            return false;
        }
    }
    return true;
}

void SdlSceneCase(benchmark::State& state, bool rle)
{
    SdlScene scene(rle);
    if (!SameScene(state, scene))
        return;
    if (rle && !scene.AllEncoded())
    {
        state.SkipWithError("SDL did not run-length encode the sprites");
        return;
    }
    for (auto _ : state)
    {
        scene.Frame();
        benchmark::DoNotOptimize(scene.Presentation());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SdlBlitScene(benchmark::State& state)
{
    SdlSceneCase(state, false);
}
BENCHMARK(BM_SdlBlitScene)->Unit(benchmark::kMicrosecond);

void BM_SdlRleBlitScene(benchmark::State& state)
{
    SdlSceneCase(state, true);
}
BENCHMARK(BM_SdlRleBlitScene)->Unit(benchmark::kMicrosecond);
} // namespace
