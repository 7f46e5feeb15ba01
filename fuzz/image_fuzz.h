// The body shared by the image-loader fuzz targets: feeds arbitrary bytes to
// one loader; a loaded surface is read back through every pixel and written
// again as a compressed QEX image.
#pragma once

#include "engine/core/error.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"

#include <cstddef>
#include <cstdint>

typedef uint32_t (*ImageLoader)(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name);

inline int FuzzImageLoader(ImageLoader load, const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size > 0x1000000)
        return 0;
    CxDrawSurface surface;
    if (load(&surface, size ? data : nullptr, static_cast<uint32_t>(size), "fuzz") != CX_ERR_NONE ||
        !surface.IsCreated())
        return 0;
    uint32_t sum = 0;
    for (int32_t y = 0; y < surface.GetHeight(); ++y)
        for (int32_t x = 0; x < surface.GetWidth(); ++x)
            sum += surface.GetPixel(x, y);
    if (surface.GetBitsSize() <= 0x40000)
    {
        CxByteSink out;
        WriteQex(&surface, out, 1);
    }
    return static_cast<int>(sum & 0);
}
