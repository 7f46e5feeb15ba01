// The engine bitmap: a 44-byte header (or 812 bytes with a full palette
// area), red-green-blue palette entries, then the pixel rows as they lie in
// surface memory, compressed by one of the engine's codecs and checked by the
// CRC of the uncompressed bytes.
#include "engine/graphics/image_files.h"

#include "engine/core/buffer.h"
#include "engine/graphics/compress.h"
#include "engine/graphics/crc.h"
#include "engine/graphics/decompress.h"

#include <cstring>

namespace {
constexpr uint32_t QEX_MAGIC = 0xA9B8C7D6u;
constexpr uint32_t QEX_HEADER_SIZE = 44;
constexpr uint32_t QEX_LONG_HEADER_SIZE = 812;
// No codec expands a stream by more than this (the longest LZW strings and
// LZ77 matches stay below it), so a larger declared size cannot be real.
constexpr uint64_t QEX_MAX_EXPANSION = 32768;

uint32_t PaletteEntries(uint32_t headerSize, uint32_t depth)
{
    if (headerSize == QEX_LONG_HEADER_SIZE)
        return 256;
    return depth <= 8 ? 1u << depth : 0;
}
} // namespace

uint32_t LoadQex(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name)
{
    if (!data || size == 0)
        return CX_ERR_NONE; // nothing to load is not an error
    if (size < QEX_HEADER_SIZE || ReadLe32(data) != QEX_MAGIC)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid QEX file");
    const uint32_t headerSize = ReadLe32(data + 4);
    if (headerSize != QEX_HEADER_SIZE && headerSize != QEX_LONG_HEADER_SIZE)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid Header size for QEX bitmap");
    const uint32_t uncompressed = ReadLe32(data + 8);
    const uint32_t compressed = ReadLe32(data + 12);
    const uint32_t crc = ReadLe32(data + 16);
    const int32_t width = static_cast<int32_t>(ReadLe32(data + 20));
    const int32_t height = static_cast<int32_t>(ReadLe32(data + 24));
    const int32_t pitch = static_cast<int32_t>(ReadLe32(data + 28));
    const uint8_t method = data[32];
    const uint32_t depth = data[33];
    const uint8_t format = data[34];
    if (height < 0 || pitch < 0 ||
        static_cast<uint64_t>(height) * static_cast<uint64_t>(pitch) != uncompressed)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid uncompressed size for QEX bitmap");
    if (width <= 0 || height == 0 || width > CX_IMAGE_MAX_DIMENSION || height > CX_IMAGE_MAX_DIMENSION ||
        !IsImageDepth(depth) || static_cast<uint64_t>(pitch) < (static_cast<uint64_t>(width) * depth + 7) / 8)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE,
                         "Invalid QEX bitmap size %d x %d x %u, pitch %d: %s", width, height, depth, pitch,
                         name);
    const uint32_t entries = PaletteEntries(headerSize, depth);
    const uint64_t dataOffset = QEX_HEADER_SIZE + 3ull * entries;
    // Checked before anything is allocated: the stored data must be exactly
    // the rest of the file and able to yield the declared size.
    const bool stored = method == CX_COMPRESS_STORED || method >= CX_COMPRESS_METHOD_COUNT;
    if (dataOffset > size || compressed != size - dataOffset)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid compressed size for QEX bitmap: %s",
                         name);
    if ((stored && compressed != uncompressed) ||
        (!stored && uncompressed > static_cast<uint64_t>(compressed) * QEX_MAX_EXPANSION))
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid uncompressed size for QEX bitmap");

    if (surface->CreateSurface(width, height, static_cast<int32_t>(depth), pitch) != CX_ERR_NONE)
        return surface->GetError();
    surface->SetPixelFormat(format);
    if (depth <= 8)
    {
        uint8_t palette[768];
        memcpy(palette, surface->GetPalette(), sizeof(palette));
        memcpy(palette, data + QEX_HEADER_SIZE, 3 * entries);
        surface->SetPalette(palette);
    }
    CxSurfaceLock lock(surface);
    uint8_t* pixels = surface->GetBits();
    if (!pixels)
        return FailImage(surface, CX_ERR_OUT_OF_MEMORY, "pBits is NULL");
    if (stored)
        memcpy(pixels, data + dataOffset, uncompressed);
    else
    {
        uint32_t produced = 0;
        uint32_t result = Decompress(pixels, uncompressed, data + dataOffset, compressed, method, &produced);
        // Data that ends early leaves rows unwritten: as bad as a broken stream.
        if (result == CX_ERR_NONE && produced != uncompressed)
            result = CX_ERR_UNKNOWN;
        if (result != CX_ERR_NONE)
            surface->SetError(result, "Could not decompress QEX image data from %s", name);
    }
    if (ComputeCrc(pixels, uncompressed, 0) != crc)
        surface->SetError(CX_ERR_CRC, "QEX Bitmap failed crc check");
    return surface->GetError();
}

uint32_t WriteQex(CxDrawSurface* surface, CxByteSink& out, uint8_t method, bool longHeader)
{
    if (!surface->IsCreated())
        return FailImage(surface, CX_ERR_INVALID_ARGUMENT, "QEX writer: the surface has no pixels");
    const uint32_t depth = static_cast<uint32_t>(surface->GetDepth());
    const uint32_t height = static_cast<uint32_t>(surface->GetHeight());
    uint32_t pitch = static_cast<uint32_t>(surface->GetPitch());
    uint32_t size = height * pitch;
    CxSurfaceLock lock(surface);
    const uint8_t* pixels = surface->GetBits();
    if (!pixels)
        return FailImage(surface, CX_ERR_OUT_OF_MEMORY, "pBits is NULL");
    // Word run-length packs 16-bit words. An odd pixel block (odd pitch and
    // odd height, say an 8-bit image of odd width) gets one padding byte per
    // row: the file's pitch may exceed the row's width, so every reader takes it.
    CxBuffer padded;
    if (method == CX_COMPRESS_RLE16 && size % 2)
    {
        const uint32_t paddedPitch = pitch + 1;
        if (padded.Allocate(height * paddedPitch) != CX_ERR_NONE)
        {
            surface->SetErrorCode(CX_ERR_OUT_OF_MEMORY); // the buffer has reported it
            return CX_ERR_OUT_OF_MEMORY;
        }
        uint8_t* rows = padded.GetData();
        for (uint32_t y = 0; y < height; ++y)
        {
            memcpy(rows + y * paddedPitch, pixels + y * pitch, pitch);
            rows[y * paddedPitch + pitch] = 0;
        }
        pixels = rows;
        pitch = paddedPitch;
        size = height * pitch;
    }
    CxByteSink packed;
    const uint32_t result = CompressInto(packed, pixels, size, method);
    if (result != CX_ERR_NONE)
        return FailImage(surface, result, "Could not compress QEX image data with method %u", method);
    const uint32_t headerSize = longHeader ? QEX_LONG_HEADER_SIZE : QEX_HEADER_SIZE;
    PutLe32(out, QEX_MAGIC);
    PutLe32(out, headerSize);
    PutLe32(out, size);
    PutLe32(out, packed.GetSize());
    PutLe32(out, ComputeCrc(pixels, size, 0));
    PutLe32(out, static_cast<uint32_t>(surface->GetWidth()));
    PutLe32(out, height);
    PutLe32(out, pitch);
    out.Put(method);
    out.Put(static_cast<uint8_t>(depth));
    out.Put(surface->GetPixelFormat());
    const uint8_t zeros[9] = {};
    out.Append(zeros, sizeof(zeros));
    out.Append(surface->GetPalette(), 3 * PaletteEntries(headerSize, depth));
    out.Append(packed.GetData(), packed.GetSize());
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}
