// Truevision Targa: an 18-byte header, an identification field, an optional
// colour map and the pixels, raw or run-length coded. Pixels keep the file's
// byte order (24-bit pixels stay blue, green, red).
#include "engine/graphics/image_files.h"

#include <cstring>

namespace {
constexpr uint32_t TGA_HEADER_SIZE = 18;
// A run-length packet of two bytes can stand for 128 pixels of at least one
// byte: no valid file expands by more.
constexpr uint64_t TGA_MAX_EXPANSION = 128;

// Decodes packets into exactly size bytes; false when the data ends first.
bool DecodeTgaRle(const uint8_t* in, uint64_t inSize, uint8_t* out, uint64_t size, uint32_t pixelBytes)
{
    uint64_t i = 0;
    uint64_t o = 0;
    while (o < size)
    {
        if (i >= inSize)
            return false;
        const uint8_t header = in[i++];
        const uint64_t count = (header & 0x7Fu) + 1u;
        if (header & 0x80)
        {
            if (inSize - i < pixelBytes)
                return false;
            for (uint64_t n = 0; n < count && o < size; ++n)
                for (uint32_t b = 0; b < pixelBytes && o < size; ++b)
                    out[o++] = in[i + b];
            i += pixelBytes;
        }
        else
        {
            const uint64_t bytes = count * pixelBytes;
            if (inSize - i < bytes)
                return false;
            const uint64_t take = bytes < size - o ? bytes : size - o;
            memcpy(out + o, in + i, static_cast<size_t>(take));
            o += take;
            i += bytes;
        }
    }
    return true;
}
} // namespace

uint32_t LoadTga(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name)
{
    if (!data || size < TGA_HEADER_SIZE)
        return FailImage(surface, CX_ERR_UNKNOWN, "Could not read TARGA header from buffer.");
    const uint32_t idLength = data[0];
    const uint32_t mapType = data[1];
    const uint32_t type = data[2];
    const uint32_t mapFirst = ReadLe16(data + 3);
    const uint32_t mapLength = ReadLe16(data + 5);
    const uint32_t mapEntryBits = data[7];
    const uint32_t width = ReadLe16(data + 12);
    const uint32_t height = ReadLe16(data + 14);
    const uint32_t bits = data[16];
    const uint32_t descriptor = data[17];
    const uint64_t mapBytes = mapType == 1 ? static_cast<uint64_t>(mapLength) * mapEntryBits / 8 : 0;
    const uint64_t pixelOffset = TGA_HEADER_SIZE + idLength + mapBytes;

    if (type == 0)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Targa file does not contain image data!");
    const bool runLength = type == 9 || type == 10;
    if (type != 1 && type != 2 && !runLength)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Unsupported Targa file type!");
    if (!IsImageDepth(bits) || (runLength && bits < 8) || width == 0 || height == 0)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Unsupported Targa size %u x %u x %u: %s", width,
                         height, bits, name);
    const uint64_t pitch = static_cast<uint64_t>(width) * bits / 8 + ((bits < 8 && width % 8) ? 1 : 0);
    const uint64_t total = pitch * height;
    if (pixelOffset > size || (!runLength && pixelOffset + total > size) ||
        (runLength && total > (size - pixelOffset) * TGA_MAX_EXPANSION))
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Truncated Targa file: %s", name);
    // The map is copied byte for byte into the 768-byte palette.
    if (mapType == 1 && static_cast<uint64_t>(mapFirst) * 3 + mapBytes > 768)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Targa colour map does not fit a palette: %s",
                         name);

    if (surface->CreateSurface(static_cast<int32_t>(width), static_cast<int32_t>(height),
                               static_cast<int32_t>(bits), static_cast<int32_t>(pitch)) != CX_ERR_NONE)
        return surface->GetError();
    surface->SetPixelFormat(bits == 16 ? CX_PF_555 : CX_PF_DEFAULT);
    if (mapType == 1)
    {
        uint8_t palette[768];
        memcpy(palette, surface->GetPalette(), sizeof(palette));
        memcpy(palette + mapFirst * 3, data + TGA_HEADER_SIZE + idLength, static_cast<size_t>(mapBytes));
        for (uint32_t i = 0; i < 256; ++i)
        {
            const uint8_t blue = palette[3 * i];
            palette[3 * i] = palette[3 * i + 2];
            palette[3 * i + 2] = blue;
        }
        surface->SetPalette(palette);
    }
    CxSurfaceLock lock(surface);
    uint8_t* pixels = surface->GetBits();
    if (!pixels)
        return FailImage(surface, CX_ERR_OUT_OF_MEMORY, "pBits is NULL!");
    if (!runLength)
        memcpy(pixels, data + pixelOffset, static_cast<size_t>(total));
    else if (!DecodeTgaRle(data + pixelOffset, size - pixelOffset, pixels, total, bits / 8))
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Truncated Targa data: %s", name);
    switch (descriptor & 0xF0)
    {
    case 0x00: // bottom left
        surface->FlipVertical(nullptr);
        break;
    case 0x10: // bottom right
        surface->FlipVertical(nullptr);
        surface->FlipHorizontal(nullptr);
        break;
    case 0x30: // top right
        surface->FlipHorizontal(nullptr);
        break;
    default: // top left, as stored
        break;
    }
    return surface->GetError();
}

uint32_t WriteTga(CxDrawSurface* surface, CxByteSink& out)
{
    const uint32_t bits = static_cast<uint32_t>(surface->GetDepth());
    if (!surface->IsCreated() || bits < 8)
        return FailImage(surface, CX_ERR_INVALID_ARGUMENT, "Targa files are not written at %u bits", bits);
    CxDrawSurface converted;
    CxDrawSurface* source = SurfaceAs555(surface, converted);
    if (!source)
        return converted.GetError();
    const uint32_t width = static_cast<uint32_t>(source->GetWidth());
    const uint32_t height = static_cast<uint32_t>(source->GetHeight());
    const bool mapped = bits == 8;
    out.Put(0);
    out.Put(mapped ? 1 : 0);
    out.Put(mapped ? 1 : 2);
    out.PutWord(0);
    out.PutWord(mapped ? 256 : 0);
    out.Put(mapped ? 24 : 0);
    PutLe32(out, 0);
    out.PutWord(static_cast<uint16_t>(width));
    out.PutWord(static_cast<uint16_t>(height));
    out.Put(static_cast<uint8_t>(bits));
    out.Put(0x20); // top row first
    if (mapped)
    {
        const uint8_t* palette = source->GetPalette();
        for (uint32_t i = 0; i < 256; ++i)
        {
            out.Put(palette[3 * i + 2]);
            out.Put(palette[3 * i + 1]);
            out.Put(palette[3 * i]);
        }
    }
    CxSurfaceLock lock(source);
    const uint8_t* pixels = source->GetBits();
    if (!pixels)
        return FailImage(source, CX_ERR_OUT_OF_MEMORY, "pBits is NULL!");
    for (uint32_t y = 0; y < height; ++y)
        out.Append(pixels + static_cast<size_t>(y) * static_cast<uint32_t>(source->GetPitch()),
                   width * bits / 8);
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}
