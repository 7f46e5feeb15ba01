// Windows bitmaps: the 14-byte file header and the 40-byte information
// header, an optional palette of blue-green-red-reserved quads, then rows
// padded to four bytes, bottom row first unless the height is negative.
//
// The longer information headers of later versions (108 and 124 bytes, as
// image editors write by default) are read too when the pixels are plain
// (no compression, no bit fields): their palette follows the longer header
// and their pixels start where the file header's offset says, which must
// lie after the palette. A 40-byte file's pixels are read right after its
// palette, whatever that offset says, as files made for the engine expect.
#include "engine/graphics/image_files.h"

#include <cstring>

namespace {
constexpr uint32_t BMP_HEADER_SIZE = 54;
constexpr uint32_t BMP_INFO_SIZE = 40;
constexpr uint32_t BMP_FILE_HEADER_SIZE = 14;
constexpr uint32_t BMP_V4_INFO_SIZE = 108;
constexpr uint32_t BMP_V5_INFO_SIZE = 124;

// The file's row pitch: whole bytes of pixels, one more for a partial byte
// at depths below 8 when the width is not a multiple of 8, rounded to 4.
uint64_t BmpPitch(uint64_t width, uint32_t bits)
{
    const uint64_t extra = (bits < 8 && width % 8) ? 1 : 0;
    return (width * bits / 8 + 3 + extra) & ~uint64_t(3);
}
} // namespace

uint32_t LoadBmp(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name)
{
    if (!data || size == 0)
        return FailImage(surface, CX_ERR_UNKNOWN, "Invalid buffer.");
    const uint16_t magic = size >= 2 ? ReadLe16(data) : data[0];
    if (size < 2 || magic != 0x4D42)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid BMP file. (%04x)", magic);
    if (size < BMP_HEADER_SIZE)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Truncated BMP header: %s", name);
    const uint32_t infoSize = ReadLe32(data + 14);
    const uint32_t width = ReadLe32(data + 18);
    const int32_t height = static_cast<int32_t>(ReadLe32(data + 22));
    const uint32_t bits = ReadLe16(data + 28);
    const uint32_t compression = ReadLe32(data + 30);
    const uint32_t imageSize = ReadLe32(data + 34);
    const uint32_t colorsUsed = ReadLe32(data + 46);
    // Compressed or bit-field files would be read as garbage.
    const bool longHeader = infoSize == BMP_V4_INFO_SIZE || infoSize == BMP_V5_INFO_SIZE;
    if ((infoSize != BMP_INFO_SIZE && !longHeader) || compression != 0)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE,
                         "Unsupported BMP layout (header %u, compression %u): %s", infoSize, compression,
                         name);
    if (!IsImageDepth(bits) || width == 0 || width > CX_IMAGE_MAX_DIMENSION || height == 0 ||
        height < -CX_IMAGE_MAX_DIMENSION || height > CX_IMAGE_MAX_DIMENSION)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Unsupported BMP size %u x %d x %u: %s", width,
                         height, bits, name);
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    const uint64_t pitch = BmpPitch(width, bits);
    const uint64_t total = pitch * rows;
    const uint64_t paletteCount = bits <= 8 ? (colorsUsed ? colorsUsed : 1u << bits) : 0;
    if (paletteCount > 256)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid BMP palette of %u colours: %s",
                         colorsUsed, name);
    const uint64_t paletteOffset = BMP_FILE_HEADER_SIZE + infoSize;
    uint64_t dataOffset = paletteOffset + 4 * paletteCount;
    if (longHeader)
    {
        const uint32_t pixelOffset = ReadLe32(data + 10);
        if (pixelOffset < dataOffset)
            return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "BMP pixels overlap the header: %s", name);
        dataOffset = pixelOffset;
    }
    if (dataOffset + total > size)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Truncated BMP file: %s", name);
    // A larger image size field than the rows need is clipped to the rows.
    const uint64_t copyBytes = imageSize && imageSize < total ? imageSize : total;

    if (surface->CreateSurface(static_cast<int32_t>(width), static_cast<int32_t>(rows),
                               static_cast<int32_t>(bits), static_cast<int32_t>(pitch)) != CX_ERR_NONE)
        return surface->GetError();
    if (bits == 16)
        surface->SetPixelFormat(CX_PF_555);
    CxSurfaceLock lock(surface);
    uint8_t* pixels = surface->GetBits();
    if (!pixels)
        return FailImage(surface, CX_ERR_OUT_OF_MEMORY, "pBits is NULL");
    memcpy(pixels, data + dataOffset, static_cast<size_t>(copyBytes));
    if (paletteCount)
    {
        uint8_t palette[768];
        memcpy(palette, surface->GetPalette(), sizeof(palette));
        for (uint32_t i = 0; i < paletteCount; ++i)
        {
            const uint8_t* quad = data + paletteOffset + 4 * i;
            palette[3 * i] = quad[2];
            palette[3 * i + 1] = quad[1];
            palette[3 * i + 2] = quad[0];
        }
        surface->SetPalette(palette);
    }
    if (height > 0)
        surface->FlipVertical(nullptr);
    surface->PackRows();
    return surface->GetError();
}

uint32_t WriteBmp(CxDrawSurface* surface, CxByteSink& out)
{
    const uint32_t bits = static_cast<uint32_t>(surface->GetDepth());
    if (!surface->IsCreated() || bits == 2 || !IsImageDepth(bits))
        return FailImage(surface, CX_ERR_INVALID_ARGUMENT, "BMP files cannot hold %u-bit pixels", bits);
    CxDrawSurface converted;
    CxDrawSurface* source = SurfaceAs555(surface, converted);
    if (!source)
        return converted.GetError();
    const uint32_t width = static_cast<uint32_t>(source->GetWidth());
    const uint32_t height = static_cast<uint32_t>(source->GetHeight());
    const uint32_t filePitch = static_cast<uint32_t>(BmpPitch(width, bits));
    const uint32_t rowBytes = (width * bits + 7) / 8;
    const uint32_t paletteCount = bits <= 8 ? 1u << bits : 0;
    const uint32_t dataOffset = BMP_HEADER_SIZE + 4 * paletteCount;
    const uint32_t imageSize = filePitch * height;
    out.Put('B');
    out.Put('M');
    PutLe32(out, dataOffset + imageSize);
    PutLe32(out, 0);
    PutLe32(out, dataOffset);
    PutLe32(out, BMP_INFO_SIZE);
    PutLe32(out, width);
    PutLe32(out, height); // positive: bottom row first
    out.PutWord(1);
    out.PutWord(static_cast<uint16_t>(bits));
    PutLe32(out, 0);
    PutLe32(out, imageSize);
    PutLe32(out, 2835); // 72 dots per inch
    PutLe32(out, 2835);
    PutLe32(out, paletteCount);
    PutLe32(out, 0);
    const uint8_t* palette = source->GetPalette();
    for (uint32_t i = 0; i < paletteCount; ++i)
    {
        out.Put(palette[3 * i + 2]);
        out.Put(palette[3 * i + 1]);
        out.Put(palette[3 * i]);
        out.Put(0);
    }
    CxSurfaceLock lock(source);
    const uint8_t* pixels = source->GetBits();
    if (!pixels)
        return FailImage(source, CX_ERR_OUT_OF_MEMORY, "pBits is NULL");
    const uint8_t padding[4] = {};
    for (uint32_t i = 0; i < height; ++i)
    {
        out.Append(pixels + static_cast<size_t>(height - 1 - i) * static_cast<uint32_t>(source->GetPitch()),
                   rowBytes);
        out.Append(padding, filePitch - rowBytes);
    }
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}
