// CxDrawSurface::Load and Save. They go through the registry of image
// filters; until that registry exists no filter is found, and both report it
// as for an unknown extension.
#include "engine/graphics/draw_surface.h"

uint32_t CxDrawSurface::Load(const char* fileName, int32_t /*option*/)
{
    SetName(fileName);
    SetError(CX_ERR_INVALID_FILE_TYPE, "No image filter for %s", fileName ? fileName : "(null)");
    return GetError();
}

uint32_t CxDrawSurface::Save(const char* fileName, int32_t /*option*/)
{
    SetError(CX_ERR_INVALID_FILE_TYPE, "No image filter for %s", fileName ? fileName : "(null)");
    return GetError();
}
