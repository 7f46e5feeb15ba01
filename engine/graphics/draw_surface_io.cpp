// CxDrawSurface::Load and Save, through the registry of image filters
// (image_filter.h).
#include "engine/graphics/draw_surface.h"

#include "engine/graphics/image_filter.h"

uint32_t CxDrawSurface::Load(const char* fileName, int32_t option)
{
    const ST_IMAGE_FILTER* filter = FindImageFilterForLoad(fileName);
    if (!filter)
    {
        SetError(CX_ERR_UNKNOWN, "No image filter registered for '%s'", fileName ? fileName : "");
        return GetError();
    }
    if (!filter->pLoad)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "No Load function registered for '%s'", filter->szExtension);
        return GetError();
    }
    // The loader has reported its failure already; keep only the code.
    SetErrorCode(filter->pLoad(this, fileName, option));
    if (GetError() != CX_ERR_NONE)
        return GetError();
    SetName(fileName);
    const uint8_t defaultFormat = GetDefaultFormat16();
    if (m_nDepth == 16 && defaultFormat != CX_PF_DEFAULT && m_nPixelFormat != defaultFormat)
        ConvertPixelFormat16(defaultFormat);
    return GetError();
}

uint32_t CxDrawSurface::Save(const char* fileName, int32_t option)
{
    const ST_IMAGE_FILTER* filter = FindImageFilterForSave(fileName);
    if (!filter)
    {
        SetError(CX_ERR_UNKNOWN, "No image filter registered for '%s'", fileName ? fileName : "");
        return GetError();
    }
    if (!filter->pSave)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "No Save function registered for '%s'", filter->szExtension);
        return GetError();
    }
    SetErrorCode(filter->pSave(this, fileName, option));
    return GetError();
}
