// Feeds arbitrary bytes to the Tga loader; a loaded surface is read back
// through every pixel and written again.
#include "engine/core/error.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_files.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size > 0x1000000)
        return 0;
    CxDrawSurface surface;
    if (LoadTga(&surface, size ? data : nullptr, static_cast<uint32_t>(size), "fuzz") != CX_ERR_NONE ||
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
