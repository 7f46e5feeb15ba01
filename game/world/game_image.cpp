#include "game/world/game_image.h"

#include "engine/graphics/draw_surface.h"
#include "engine/graphics/sprite.h"

#include <new>

void SetGameColorKey(CxDrawSurface* surface)
{
    if (surface)
        surface->SetTransparentColor(surface->MakeColor(255, 0, 255));
}

uint32_t LoadGameImage(CxDrawSurface& surface, const char* fileName, int32_t option)
{
    const uint32_t code = surface.Load(fileName, option);
    if (code == CX_ERR_NONE)
        SetGameColorKey(&surface);
    return code;
}

CxDrawSurface* LoadGameImage(const char* fileName)
{
    CxDrawSurface* surface = new (std::nothrow) CxDrawSurface;
    if (!surface)
        return nullptr;
    if (LoadGameImage(*surface, fileName) != CX_ERR_NONE)
    {
        delete surface;
        return nullptr;
    }
    return surface;
}

uint32_t LoadGameSprite(CxSprite& sprite, const char* fileName, int32_t frameCount)
{
    const uint32_t code = sprite.Load(fileName, frameCount);
    if (code == CX_ERR_NONE)
        SetGameColorKey(sprite.GetImage());
    return code;
}
