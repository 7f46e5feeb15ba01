#include "tools/image/image_compare.h"

#include "engine/graphics/draw_surface.h"

#include <cstdlib>
#include <cstring>

bool PixelTo565(const CxDrawSurface& surface, uint32_t pixel, uint32_t rgb[3])
{
    const int32_t depth = surface.GetDepth();
    if (depth == 24 || depth == 32)
    {
        rgb[0] = ((pixel >> 16) & 0xFF) >> 3;
        rgb[1] = ((pixel >> 8) & 0xFF) >> 2;
        rgb[2] = (pixel & 0xFF) >> 3;
        return true;
    }
    if (depth != 15 && depth != 16)
        return false;
    if (surface.GetGreenBits() == 6)
    {
        rgb[0] = (pixel >> 11) & 0x1F;
        rgb[1] = (pixel >> 5) & 0x3F;
        rgb[2] = pixel & 0x1F;
        return true;
    }
    const uint32_t green = (pixel >> 5) & 0x1F;
    rgb[0] = (pixel >> 10) & 0x1F;
    rgb[1] = (green << 1) | (green >> 4);
    rgb[2] = pixel & 0x1F;
    return true;
}

namespace {
bool Readable(const CxDrawSurface& surface)
{
    uint32_t rgb[3];
    return surface.IsCreated() && surface.GetWidth() > 0 && surface.GetHeight() > 0 &&
           PixelTo565(surface, 0, rgb);
}

uint32_t Distance(uint32_t a, uint32_t b)
{
    return a > b ? a - b : b - a;
}
} // namespace

bool CompareImages(CxDrawSurface& a, CxDrawSurface& b, uint32_t tolerance, ST_IMAGE_DIFFERENCE* out,
                   CxDrawSurface* diff)
{
    *out = ST_IMAGE_DIFFERENCE();
    if (!Readable(a) || !Readable(b))
        return false;
    const int32_t width = a.GetWidth(), height = a.GetHeight();
    out->sizesDiffer = width != b.GetWidth() || height != b.GetHeight();
    if (diff && diff->CreateSurface(width, height, 24) != CX_ERR_NONE)
        diff = nullptr;
    const uint32_t red = diff ? diff->MakeColor(255, 0, 0) : 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
        {
            uint32_t p[3], q[3] = {0, 0, 0};
            PixelTo565(a, a.GetPixel(x, y), p);
            const bool inside = x < b.GetWidth() && y < b.GetHeight();
            if (inside)
                PixelTo565(b, b.GetPixel(x, y), q);
            const bool differs = !inside || Distance(p[0], q[0]) > tolerance ||
                                 Distance(p[1], q[1]) > tolerance || Distance(p[2], q[2]) > tolerance;
            ++out->pixels;
            out->differing += differs ? 1 : 0;
            if (diff)
                diff->SetPixel(x, y,
                               differs ? red
                                       : diff->MakeColor(static_cast<uint8_t>(p[0] << 1),
                                                         static_cast<uint8_t>(p[1]),
                                                         static_cast<uint8_t>(p[2] << 1)));
        }
    return true;
}

bool ParseDifferingLimit(const char* text, uint64_t total, uint64_t* limit)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    const double value = strtod(text, &end);
    if (end == text || !(value >= 0.0))
        return false;
    if (strcmp(end, "px") == 0)
    {
        if (value != static_cast<double>(static_cast<uint64_t>(value)))
            return false;
        *limit = static_cast<uint64_t>(value);
        return true;
    }
    if ((*end != '\0' && strcmp(end, "%") != 0) || value > 100.0)
        return false;
    *limit = static_cast<uint64_t>(value / 100.0 * static_cast<double>(total));
    return true;
}
