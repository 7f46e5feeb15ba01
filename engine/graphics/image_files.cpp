// The file entry points of the image loaders and the writer chosen by extension.
#include "engine/graphics/image_files.h"

#include "engine/base/cx_string.h"
#include "engine/core/file.h"

#include <cstdarg>
#include <cstring>

namespace {
typedef uint32_t (*MemoryLoader)(CxDrawSurface*, const uint8_t*, uint32_t, const char*);

// Reads the whole file; a failure there is returned as LoadFile reported it.
uint32_t LoadThrough(MemoryLoader loader, CxDrawSurface* surface, const char* fileName)
{
    CxFileBuffer buffer;
    const uint32_t result = LoadFile(fileName, buffer);
    if (result != CX_ERR_NONE)
    {
        surface->SetErrorCode(result);
        return result;
    }
    return loader(surface, buffer.GetData(), buffer.GetSize(), fileName);
}

bool HasExtension(const char* fileName, const char* extension)
{
    const size_t length = strlen(fileName);
    const size_t tail = strlen(extension);
    return length >= tail && CxCompareNoCase(fileName + length - tail, extension) == 0;
}
} // namespace

uint32_t FailImage(CxDrawSurface* surface, uint32_t code, const char* format, ...)
{
    CxString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    surface->SetError(code, "%s", text.c_str());
    return code;
}

CxDrawSurface* SurfaceAs555(CxDrawSurface* surface, CxDrawSurface& converted)
{
    if (surface->GetDepth() != 16 || surface->GetPixelFormat() == CX_PF_555)
        return surface;
    if (converted.CopyFrom(surface) != CX_ERR_NONE ||
        converted.ConvertPixelFormat16(CX_PF_555) != CX_ERR_NONE)
        return nullptr;
    return &converted;
}

uint32_t LoadBmpFile(CxDrawSurface* surface, const char* fileName, int32_t /*option*/)
{
    return LoadThrough(LoadBmp, surface, fileName);
}

uint32_t LoadTgaFile(CxDrawSurface* surface, const char* fileName, int32_t /*option*/)
{
    return LoadThrough(LoadTga, surface, fileName);
}

uint32_t LoadPcxFile(CxDrawSurface* surface, const char* fileName, int32_t /*option*/)
{
    return LoadThrough(LoadPcx, surface, fileName);
}

uint32_t LoadQexFile(CxDrawSurface* surface, const char* fileName, int32_t /*option*/)
{
    return LoadThrough(LoadQex, surface, fileName);
}

uint32_t SaveImageFileByFilter(CxDrawSurface* surface, const char* fileName, int32_t option)
{
    return SaveImageFile(surface, fileName, static_cast<uint8_t>(option >= 1 && option <= 9 ? option : 1));
}

uint32_t SaveImageFile(CxDrawSurface* surface, const char* fileName, uint8_t method)
{
    if (!surface || !fileName)
        return CX_ERR_INVALID_ARGUMENT;
    CxByteSink out;
    uint32_t result;
    if (HasExtension(fileName, ".bmp"))
        result = WriteBmp(surface, out);
    else if (HasExtension(fileName, ".tga"))
        result = WriteTga(surface, out);
    else if (HasExtension(fileName, ".pcx"))
        result = WritePcx(surface, out);
    else if (HasExtension(fileName, ".qex"))
        result = WriteQex(surface, out, method);
    else
        return FailImage(surface, CX_ERR_UNKNOWN, "No image filter registered for '%s'", fileName);
    if (result != CX_ERR_NONE)
        return result;
    if (out.HasFailed())
        return CX_ERR_OUT_OF_MEMORY;
    return SaveFileAtomic(fileName, out.GetData(), out.GetSize(), surface);
}
