#include "engine/graphics/palette.h"

#include "engine/graphics/draw_surface.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

CxOSPalette::CxOSPalette() = default;

CxOSPalette::~CxOSPalette() = default;

uint32_t CxOSPalette::Initialize()
{
    // The draw surfaces' default palette is this very palette.
    return SetEntries(CxDrawSurface::GetDefaultPalette());
}

uint32_t CxOSPalette::CreateLogicalPalette(uint32_t options)
{
    constexpr uint32_t count = 256;
    const uint32_t size = 4 * count + 8;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
    if (!buffer)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Error allocating %ld bytes for palette", static_cast<long>(size));
        return GetError();
    }
    uint8_t* logical = buffer.get();
    memset(logical, 0, size);
    logical[0] = static_cast<uint8_t>(CX_PALETTE_VERSION & 0xFF);
    logical[1] = static_cast<uint8_t>(CX_PALETTE_VERSION >> 8);
    logical[2] = static_cast<uint8_t>(count & 0xFF);
    logical[3] = static_cast<uint8_t>(count >> 8);
    for (uint32_t i = 0; i < count; ++i)
    {
        uint8_t* entry = logical + 4 + 4 * i;
        uint8_t flags = 0;
        if (options & CX_PALETTE_EXPLICIT)
        {
            // The entry names a system palette index instead of a colour.
            entry[0] = static_cast<uint8_t>(i & 0xFF);
            entry[1] = static_cast<uint8_t>(i >> 8);
            flags = CX_PC_EXPLICIT;
        }
        else
        {
            entry[0] = m_Entries[i].nRed;
            entry[1] = m_Entries[i].nGreen;
            entry[2] = m_Entries[i].nBlue;
            if (options & CX_PALETTE_RESERVED)
                flags = (i >= 10 && i <= 244) ? CX_PC_RESERVED : 0;
            else
                flags = (i >= 10 && i <= 245) ? CX_PC_NOCOLLAPSE : 0;
        }
        entry[3] = flags;
        m_Entries[i].nFlags = flags;
    }
    m_pLogical = std::move(buffer);
    m_nLogicalSize = size;
    return GetError();
}

uint32_t CxOSPalette::SetEntries(const uint8_t* rgb)
{
    if (!rgb)
        return GetError();
    for (int32_t i = 0; i < 256; ++i)
    {
        m_Entries[i].nRed = rgb[3 * i];
        m_Entries[i].nGreen = rgb[3 * i + 1];
        m_Entries[i].nBlue = rgb[3 * i + 2];
    }
    return CreateLogicalPalette();
}

void CxOSPalette::GetEntries(uint8_t* rgb) const
{
    for (int32_t i = 0; i < 256; ++i)
    {
        rgb[3 * i] = m_Entries[i].nRed;
        rgb[3 * i + 1] = m_Entries[i].nGreen;
        rgb[3 * i + 2] = m_Entries[i].nBlue;
    }
}
