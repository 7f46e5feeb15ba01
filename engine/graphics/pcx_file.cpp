// ZSoft PCX: a 128-byte header, run-length coded rows (planes one after
// another within a row) and, for palette images, 256 red-green-blue entries
// in the last 768 bytes of the file.
#include "engine/graphics/image_files.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
constexpr uint32_t PCX_HEADER_SIZE = 128;
constexpr uint32_t PCX_PALETTE_SIZE = 768;
// A two-byte run stands for at most 63 bytes.
constexpr uint64_t PCX_MAX_EXPANSION = 32;

// Fills exactly size bytes; false when the input ends first.
bool PcxDecompress(const uint8_t* in, uint64_t inSize, uint8_t* out, uint64_t size)
{
    uint64_t i = 0;
    uint64_t o = 0;
    while (o < size)
    {
        if (i >= inSize)
            return false;
        const uint8_t b = in[i++];
        if ((b & 0xC0) != 0xC0)
        {
            out[o++] = b;
            continue;
        }
        if (i >= inSize)
            return false;
        const uint8_t value = in[i++];
        for (uint32_t n = b & 0x3Fu; n > 0 && o < size; --n)
            out[o++] = value;
    }
    return true;
}
// True-colour PCX files keep each row as a red, a green and a blue plane (and
// an alpha plane with four planes). The surface wants pixels: blue, green,
// red (and alpha) side by side, so each row is rebuilt from its planes.
void InterleavePlanes(uint8_t* pixels, uint32_t width, uint32_t height, uint32_t planeBytes, uint32_t planes)
{
    const size_t pitch = static_cast<size_t>(planeBytes) * planes;
    std::vector<uint8_t> row(pitch);
    for (uint32_t y = 0; y < height; ++y)
    {
        uint8_t* line = pixels + pitch * y;
        std::copy(line, line + pitch, row.begin());
        for (uint32_t x = 0; x < width; ++x)
        {
            uint8_t* pixel = line + static_cast<size_t>(x) * planes;
            pixel[0] = row[2 * planeBytes + x];
            pixel[1] = row[planeBytes + x];
            pixel[2] = row[x];
            if (planes == 4)
                pixel[3] = row[3 * planeBytes + x];
        }
    }
}

} // namespace

uint32_t LoadPcx(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name)
{
    if (!data || size < PCX_HEADER_SIZE)
        return FailImage(surface, CX_ERR_UNKNOWN, "Could not read ST_PCX_HEADER");
    if (data[0] != 10)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Invalid PCX file: %s", name);
    const int32_t xMin = static_cast<int16_t>(ReadLe16(data + 4));
    const int32_t yMin = static_cast<int16_t>(ReadLe16(data + 6));
    const int32_t xMax = static_cast<int16_t>(ReadLe16(data + 8));
    const int32_t yMax = static_cast<int16_t>(ReadLe16(data + 10));
    const uint32_t planes = data[65];
    const uint32_t depth = data[3] * planes;
    const int32_t width = xMax - xMin + 1;
    const int32_t height = yMax - yMin + 1;
    const uint64_t pitch = static_cast<uint64_t>(ReadLe16(data + 66)) * planes;
    const uint64_t total = pitch * static_cast<uint64_t>(height > 0 ? height : 0);
    // The rows must hold the pixels, and the data must be able to fill them.
    if (width <= 0 || height <= 0 || width > CX_IMAGE_MAX_DIMENSION || height > CX_IMAGE_MAX_DIMENSION ||
        !IsImageDepth(depth) || pitch < (static_cast<uint64_t>(width) * depth + 7) / 8)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Unsupported PCX size %d x %d x %u: %s", width,
                         height, depth, name);
    if (total > (size - PCX_HEADER_SIZE) * PCX_MAX_EXPANSION)
        return FailImage(surface, CX_ERR_INVALID_FILE_TYPE, "Truncated PCX file: %s", name);

    if (surface->CreateSurface(width, height, static_cast<int32_t>(depth), static_cast<int32_t>(pitch)) !=
        CX_ERR_NONE)
        return surface->GetError();
    CxSurfaceLock lock(surface);
    uint8_t* pixels = surface->GetBits();
    if (!pixels)
        return FailImage(surface, CX_ERR_OUT_OF_MEMORY, "pBits is NULL!");
    if (depth <= 8 && size >= PCX_PALETTE_SIZE)
        surface->SetPalette(data + size - PCX_PALETTE_SIZE);
    if (!PcxDecompress(data + PCX_HEADER_SIZE, size - PCX_HEADER_SIZE, pixels, total))
        return FailImage(surface, CX_ERR_UNKNOWN, "PCXDecompress() failed!");
    if (data[3] == 8 && (planes == 3 || planes == 4))
        InterleavePlanes(pixels, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                         ReadLe16(data + 66), planes);
    return surface->GetError();
}

uint32_t WritePcx(CxDrawSurface* surface, CxByteSink& out)
{
    const uint32_t depth = static_cast<uint32_t>(surface->GetDepth());
    if (!surface->IsCreated() || (depth != 1 && depth != 4 && depth != 8))
        return FailImage(surface, CX_ERR_INVALID_ARGUMENT, "PCX files are not written at %u bits", depth);
    const uint32_t width = static_cast<uint32_t>(surface->GetWidth());
    const uint32_t height = static_cast<uint32_t>(surface->GetHeight());
    const uint32_t rowBytes = (width * depth + 7) / 8;
    const uint32_t lineBytes = (rowBytes + 1) & ~1u; // lines have an even length
    uint8_t header[PCX_HEADER_SIZE] = {};
    header[0] = 10;
    header[1] = 5;
    header[2] = 1;
    header[3] = static_cast<uint8_t>(depth);
    header[8] = static_cast<uint8_t>(width - 1);
    header[9] = static_cast<uint8_t>((width - 1) >> 8);
    header[10] = static_cast<uint8_t>(height - 1);
    header[11] = static_cast<uint8_t>((height - 1) >> 8);
    header[12] = header[14] = 72;
    header[65] = 1;
    header[66] = static_cast<uint8_t>(lineBytes);
    header[67] = static_cast<uint8_t>(lineBytes >> 8);
    header[68] = 1;
    out.Append(header, sizeof(header));
    CxSurfaceLock lock(surface);
    const uint8_t* pixels = surface->GetBits();
    if (!pixels)
        return FailImage(surface, CX_ERR_OUT_OF_MEMORY, "pBits is NULL!");
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<uint32_t>(surface->GetPitch());
        for (uint32_t x = 0; x < lineBytes;)
        {
            const uint8_t value = x < rowBytes ? row[x] : 0;
            uint32_t run = 1;
            while (x + run < lineBytes && run < 63 && (x + run < rowBytes ? row[x + run] : 0) == value)
                ++run;
            if (run > 1 || (value & 0xC0) == 0xC0)
                out.Put(static_cast<uint8_t>(0xC0 | run));
            out.Put(value);
            x += run;
        }
    }
    out.Put(0x0C);
    out.Append(surface->GetPalette(), PCX_PALETTE_SIZE);
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}
