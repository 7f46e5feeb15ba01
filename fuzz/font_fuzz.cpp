// Feeds arbitrary bytes to the font builder: the first byte picks the image
// loader, the rest is the image file. A font made from it draws every code
// and a wrapped, shadowed text.
#include "engine/core/error.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/image_files.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size < 1 || size > 0x100000)
        return 0;
    typedef uint32_t (*Loader)(CxDrawSurface*, const uint8_t*, uint32_t, const char*);
    static const Loader loaders[] = {LoadBmp, LoadTga, LoadPcx, LoadQex};
    CxDrawSurface* image = new CxDrawSurface();
    const uint8_t* file = size > 1 ? data + 1 : nullptr;
    if (loaders[data[0] % 4](image, file, static_cast<uint32_t>(size - 1), "fuzz") != CX_ERR_NONE ||
        !image->IsCreated() || image->GetBitsSize() > 0x400000)
    {
        delete image;
        return 0;
    }
    CxFont* font = nullptr;
    if (CreateFontFromSurface(image, &font) != CX_ERR_NONE)
        return 0;
    CxDrawSurface target(64, 48, 16, nullptr, CX_PF_565);
    int32_t width = 0;
    for (uint32_t code = 0; code < 300; ++code)
    {
        width += font->GetCharWidth(code, 0) + font->GetCharWidth(code, 7);
        font->DrawChar(&target, static_cast<int32_t>(code % 70) - 3, static_cast<int32_t>(code % 50) - 2,
                       code, code & 1 ? CX_FONT_OWN_COLORS : 0x1234, static_cast<int32_t>(code % 3) * 9,
                       CX_FONT_KEY_TRANSPARENT);
    }
    DrawText(&target, CxRect(2, 2, 40, 40), 0xFFFF, "Rumbo, the town truck: fire!\tHello.\r\nMore text here",
             CX_TEXT_WORDWRAP | CX_TEXT_SHADOW | CX_TEXT_CENTER | CX_TEXT_VCENTER, 0, font);
    DrawText(&target, CxRect(-5, 30, 20, 60), CX_FONT_OWN_COLORS, "abcdefghij", CX_TEXT_RIGHT, 5, font);
    RemoveAllFonts();
    return width & 0;
}
