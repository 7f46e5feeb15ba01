// CxDrawSurface: colour operations: the palette and colour values, depth and
// format conversion, palette building, fades, alpha, blur, colour replacement.
#include "engine/graphics/draw_surface.h"

#include "engine/base/binary_tree.h"
#include "engine/core/memory.h"
#include "engine/graphics/draw_surface_pixels.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

using namespace cx_pixels;

namespace {
const uint8_t s_Widths16[9][3] = {
    {0, 0, 0}, {5, 5, 5}, {5, 6, 5}, {5, 5, 6}, {6, 5, 5}, {8, 8, 8}, {4, 4, 4}, {0, 0, 0}, {5, 5, 5},
};

uint32_t Rescale(uint32_t value, uint32_t from, uint32_t to)
{
    return to >= from ? value << (to - from) : value >> (from - to);
}

// The packed colour key of BuildPalette: blue * 65536 + green * 256 + red.
uint32_t PackKey(uint8_t r, uint8_t g, uint8_t b)
{
    return (static_cast<uint32_t>(b) << 16) | (static_cast<uint32_t>(g) << 8) | r;
}

// Runs fn(channelValue, channelMax) -> newValue over the red, green and blue
// channels of every pixel of rect at depths 16, 24 and 32 (alpha untouched).
template <class F>
void ForEachChannel(uint8_t* bits, int32_t pitch, int32_t depth, const Layout& layout, const CxRect& r, F fn)
{
    for (int32_t y = r.top; y <= r.bottom; ++y)
    {
        uint8_t* row = bits + static_cast<int64_t>(y) * pitch;
        for (int32_t x = r.left; x <= r.right; ++x)
        {
            if (depth == 24)
            {
                uint8_t* p = row + 3 * x;
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<uint8_t>(fn(p[c], 255u));
                continue;
            }
            const uint32_t v = ReadRaw(row, x, depth);
            const uint32_t shifts[3] = {layout.gw + layout.bw, layout.bw, 0};
            const uint32_t widths[3] = {layout.rw, layout.gw, layout.bw};
            uint32_t out = v;
            for (int c = 0; c < 3; ++c)
            {
                const uint32_t mask = Layout::Mask(widths[c]);
                const uint32_t channel = (v >> shifts[c]) & mask;
                out = (out & ~(mask << shifts[c])) | ((fn(channel, mask) & mask) << shifts[c]);
            }
            WriteRaw(row, x, depth, out);
        }
    }
}
// Every pixel of the block, row padding included, never past the block.
uint64_t BlockPixelCount(int32_t pitch, int32_t height, uint32_t bitsSize, int32_t depth)
{
    const uint64_t count = static_cast<uint64_t>(pitch) * static_cast<uint64_t>(height) * 8 / depth;
    const uint64_t limit = static_cast<uint64_t>(bitsSize) * 8 / depth;
    return count < limit ? count : limit;
}
// One colour of a palette being built: its packed key, its count and fixed
// index, and whether popularity reduction has kept it so far.
struct PaletteEntry
{
    uint32_t key;
    ST_PALINFO info;
    bool alive;
};

int32_t KeyDistance(uint32_t a, uint32_t b)
{
    return std::abs(static_cast<int32_t>(a & 0xFF) - static_cast<int32_t>(b & 0xFF)) +
           std::abs(static_cast<int32_t>((a >> 8) & 0xFF) - static_cast<int32_t>((b >> 8) & 0xFF)) +
           std::abs(static_cast<int32_t>(a >> 16) - static_cast<int32_t>(b >> 16));
}

// Popularity reduction: while more than count colours are left, the least
// used colour without a fixed index goes, and its count joins the nearest
// colour still kept.
void ReduceByPopularity(std::vector<PaletteEntry>& entries, uint32_t count)
{
    uint32_t alive = static_cast<uint32_t>(entries.size());
    while (alive > count)
    {
        int64_t victim = -1;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].alive && entries[i].info.nIndex < 0 &&
                (victim < 0 || entries[i].info.nCount < entries[victim].info.nCount))
                victim = static_cast<int64_t>(i);
        if (victim < 0)
            return; // only fixed colours are left
        PaletteEntry& gone = entries[victim];
        gone.alive = false;
        --alive;
        int64_t nearest = -1;
        int32_t best = 0;
        for (size_t i = 0; i < entries.size(); ++i)
        {
            if (!entries[i].alive)
                continue;
            const int32_t distance = KeyDistance(entries[i].key, gone.key);
            if (nearest < 0 || distance < best)
            {
                nearest = static_cast<int64_t>(i);
                best = distance;
            }
        }
        if (nearest >= 0)
            entries[nearest].info.nCount += gone.info.nCount;
    }
}

// Fixed colours at their index, the others from firstFree on in ascending key order.
void WritePaletteEntries(const std::vector<PaletteEntry>& entries, int32_t firstFree, uint8_t* palette)
{
    memset(palette, 0, 768);
    int32_t next = firstFree;
    for (const PaletteEntry& entry : entries)
    {
        if (!entry.alive)
            continue;
        int32_t index = entry.info.nIndex;
        if (index < 0)
            index = next++;
        if (index < 0 || index > 255)
            continue;
        palette[index * 3] = static_cast<uint8_t>(entry.key);
        palette[index * 3 + 1] = static_cast<uint8_t>(entry.key >> 8);
        palette[index * 3 + 2] = static_cast<uint8_t>(entry.key >> 16);
    }
}
} // namespace

// ---------------------------------------------------------------------------
// Depth and format

uint32_t CxDrawSurface::ConvertPixelFormat16(uint8_t format)
{
    if (m_nDepth != 16 || GetError() != CX_ERR_NONE)
        return GetError();
    if (format == CX_PF_DEFAULT)
        format = GetDefaultFormat16() ? GetDefaultFormat16() : CX_PF_555;
    if (format == m_nPixelFormat || format > CX_PF_555_ALT || format == CX_PF_PALETTE || format == CX_PF_888)
        return GetError();
    const uint32_t orw = m_nRedBits, ogw = m_nGreenBits, obw = m_nBlueBits;
    const uint32_t nrw = s_Widths16[format][0], ngw = s_Widths16[format][1], nbw = s_Widths16[format][2];
    if (LockBits())
    {
        for (int32_t y = 0; y < m_nHeight; ++y)
            for (int32_t x = 0; x < m_nWidth; ++x)
            {
                const uint32_t v = ReadPixel(x, y);
                const uint32_t r = Rescale((v >> (ogw + obw)) & Layout::Mask(orw), orw, nrw);
                const uint32_t g = Rescale((v >> obw) & Layout::Mask(ogw), ogw, ngw);
                const uint32_t b = Rescale(v & Layout::Mask(obw), obw, nbw);
                WritePixel(x, y, (r << (ngw + nbw)) | (g << nbw) | b);
            }
        Unlock();
    }
    SetPixelFormat(format);
    return GetError();
}

uint32_t CxDrawSurface::ConvertToDefaultFormat16()
{
    return ConvertPixelFormat16(GetDefaultFormat16());
}

uint32_t CxDrawSurface::ConvertDepth(int32_t depth, uint8_t pixelFormat)
{
    if (GetError() != CX_ERR_NONE || !IsCreated())
        return GetError();
    if (!IsSupportedDepth(depth))
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "ConvertDepth: unsupported depth %d", depth);
        return GetError();
    }
    if (depth == 16 && pixelFormat == CX_PF_DEFAULT)
        pixelFormat = GetDefaultFormat16() ? GetDefaultFormat16() : CX_PF_555;
    if (depth == m_nDepth && (depth != 16 || pixelFormat == m_nPixelFormat))
        return GetError();
    if (HasExternalBits() &&
        static_cast<int64_t>(m_nWidth) * depth / 8 * m_nHeight > static_cast<int64_t>(m_nBitsSize))
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "ConvertDepth: the external memory is too small");
        return GetError();
    }

    CxDrawSurface copy(*this);
    if (copy.GetError() != CX_ERR_NONE)
    {
        SetError(copy.GetError(), "ConvertDepth: could not copy the surface");
        return GetError();
    }
    if (CreateSurface(m_nWidth, m_nHeight, depth, -1) != CX_ERR_NONE)
        return GetError();
    if (depth == 16)
        SetPixelFormat(pixelFormat);
    if (depth <= 8)
    {
        uint8_t palette[768];
        memcpy(palette, m_Palette, sizeof(palette));
        copy.BuildPalette(palette, depth == 8, 1 << depth);
        SetPalette(palette);
    }
    if (copy.LockBits())
    {
        if (LockBits())
        {
            // One remembered colour: nearest-entry searches are slow.
            uint32_t lastIn = 0, lastOut = 0;
            bool haveLast = false;
            for (int32_t y = 0; y < m_nHeight; ++y)
                for (int32_t x = 0; x < m_nWidth; ++x)
                {
                    const uint32_t v = copy.ReadPixel(x, y);
                    if (!haveLast || v != lastIn)
                    {
                        uint8_t rgba[4];
                        copy.DecodeColor(v, rgba);
                        lastIn = v;
                        lastOut = EncodeColor(rgba);
                        haveLast = true;
                    }
                    WritePixel(x, y, lastOut);
                }
            Unlock();
        }
        copy.Unlock();
    }
    return GetError();
}

uint32_t CxDrawSurface::BuildPalette(uint8_t* palette, bool reserveSystemColors, int32_t count)
{
    if (!palette)
        return GetError();
    if (reserveSystemColors)
        count = 256;
    if (count > 256)
        count = 256;
    if (count < 1)
        return GetError();

    // Count every colour in a tree keyed by the packed colour; the reserved
    // system colours go in first with their fixed indexes.
    CxBinaryTree<uint32_t, ST_PALINFO> tree;
    if (reserveSystemColors)
    {
        const uint8_t* system = GetDefaultPalette();
        for (int32_t i = 0; i < 256; ++i)
        {
            if (i > 10 && i < 246)
                continue;
            ST_PALINFO info;
            info.nCount = 999999;
            info.nIndex = i;
            tree.Insert(PackKey(system[i * 3], system[i * 3 + 1], system[i * 3 + 2]), info);
        }
    }
    if (LockBits())
    {
        for (int32_t y = 0; y < m_nHeight; ++y)
            for (int32_t x = 0; x < m_nWidth; ++x)
            {
                uint8_t rgba[4];
                DecodeColor(ReadPixel(x, y), rgba);
                const uint32_t key = PackKey(rgba[0], rgba[1], rgba[2]);
                if (ST_PALINFO* info = tree.Find(key))
                    ++info->nCount;
                else
                {
                    ST_PALINFO fresh;
                    fresh.nCount = 1;
                    tree.Insert(key, fresh);
                }
            }
        Unlock();
    }

    // The counted colours in ascending key order (the tree's in-order walk),
    // so that "ties: the lowest key" is "the first found".
    std::vector<PaletteEntry> entries;
    try
    {
        entries.reserve(tree.GetCount());
    }
    catch (const std::bad_alloc&)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "BuildPalette: out of memory");
        return GetError();
    }
    for (auto* node = tree.First(); node; node = CxBinaryTree<uint32_t, ST_PALINFO>::Next(node))
        entries.push_back(PaletteEntry{node->m_Key, node->m_Value, true});
    ReduceByPopularity(entries, static_cast<uint32_t>(count));
    WritePaletteEntries(entries, reserveSystemColors ? 11 : 0, palette);
    return GetError();
}

// ---------------------------------------------------------------------------
// Levels and alpha

uint32_t CxDrawSurface::FadeColors(int32_t level, const CxRect* rect)
{
    CxRect r;
    if ((m_nDepth != 16 && m_nDepth != 24 && m_nDepth != 32) || !ClipToSurface(rect, r) || !LockBits())
        return GetError();
    const uint32_t factor = static_cast<uint32_t>(level) & 0xFF;
    ForEachChannel(m_pBits, m_nPitch, m_nDepth,
                   Layout(m_nDepth, m_nAlphaBits, m_nRedBits, m_nGreenBits, m_nBlueBits), r,
                   [factor](uint32_t c, uint32_t) { return c * factor / 255u; });
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::AdjustColorsByLevel(int32_t level, const CxRect* rect)
{
    CxRect r;
    if ((m_nDepth != 16 && m_nDepth != 24 && m_nDepth != 32) || !ClipToSurface(rect, r) || !LockBits())
        return GetError();
    const uint64_t factor = level > 0 ? static_cast<uint64_t>(level) : 0;
    ForEachChannel(m_pBits, m_nPitch, m_nDepth,
                   Layout(m_nDepth, m_nAlphaBits, m_nRedBits, m_nGreenBits, m_nBlueBits), r,
                   [factor](uint32_t c, uint32_t max) {
                       const uint64_t v = c * factor / 255u;
                       return static_cast<uint32_t>(v > max ? max : v);
                   });
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::SetAlpha(uint32_t value, const CxRect* rect)
{
    CxRect r;
    if ((m_nDepth != 16 && m_nDepth != 32) || !ClipToSurface(rect, r))
        return GetError();
    const uint32_t colorBits = static_cast<uint32_t>(m_nRedBits) + m_nGreenBits + m_nBlueBits;
    if (m_nDepth == 16 && colorBits >= 16)
        return GetError();
    if (!LockBits())
        return GetError();
    for (int32_t y = r.top; y <= r.bottom; ++y)
    {
        uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nPitch;
        for (int32_t x = r.left; x <= r.right; ++x)
        {
            if (m_nDepth == 32)
                row[4 * x + 3] = static_cast<uint8_t>(value);
            else
            {
                const uint32_t colorMask = Layout::Mask(colorBits);
                const uint32_t alpha = (value & Layout::Mask(16 - colorBits)) << colorBits;
                Store16(row + 2 * x, static_cast<uint16_t>((Load16(row + 2 * x) & colorMask) | alpha));
            }
        }
    }
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::ScaleAlpha(double factor, const CxRect* rect)
{
    CxRect r;
    if ((m_nDepth != 16 && m_nDepth != 32) || !ClipToSurface(rect, r))
        return GetError();
    const uint32_t colorBits =
        m_nDepth == 16 ? static_cast<uint32_t>(m_nRedBits) + m_nGreenBits + m_nBlueBits : 24;
    if (colorBits >= static_cast<uint32_t>(m_nDepth))
        return GetError();
    const uint32_t alphaBits = static_cast<uint32_t>(m_nDepth) - colorBits;
    if (alphaBits > 8 || !LockBits())
        return GetError();
    for (int32_t y = r.top; y <= r.bottom; ++y)
    {
        uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nPitch;
        for (int32_t x = r.left; x <= r.right; ++x)
        {
            const uint32_t v = ReadRaw(row, x, m_nDepth);
            const uint32_t a8 = ((v >> colorBits) & Layout::Mask(alphaBits)) << (8 - alphaBits);
            double scaled = a8 * factor;
            if (scaled > 255.0)
                scaled = 255.0;
            if (scaled < 0.0)
                scaled = 0.0;
            const uint32_t a = static_cast<uint32_t>(scaled) >> (8 - alphaBits);
            WriteRaw(row, x, m_nDepth, (v & Layout::Mask(colorBits)) | (a << colorBits));
        }
    }
    Unlock();
    return GetError();
}

// ---------------------------------------------------------------------------
// Blur

uint32_t CxDrawSurface::Blur(int32_t passes, const CxRect* rect)
{
    static const int32_t kernel[7][7] = {
        {0, 0, 1, 2, 1, 0, 0},       {0, 3, 13, 22, 13, 3, 0},   {1, 13, 59, 97, 59, 13, 1},
        {2, 22, 97, 159, 97, 22, 2}, {1, 13, 59, 97, 59, 13, 1}, {0, 3, 13, 22, 13, 3, 0},
        {0, 0, 1, 2, 1, 0, 0},
    };
    CxRect r;
    if (passes < 1 || !IsSupportedDepth(m_nDepth) || !ClipToSurface(rect, r))
        return GetError();
    if (r.Width() < 7 || r.Height() < 7 || !LockBits())
        return GetError();
    for (int32_t pass = 0; pass < passes; ++pass)
    {
        for (int32_t y = r.top + 3; y <= r.bottom - 3; ++y)
            for (int32_t x = r.left + 3; x <= r.right - 3; ++x)
            {
                uint32_t sum[3] = {0, 0, 0};
                for (int32_t ky = 0; ky < 7; ++ky)
                {
                    const uint8_t* row = m_pBits + static_cast<int64_t>(y + ky - 3) * m_nPitch;
                    for (int32_t kx = 0; kx < 7; ++kx)
                    {
                        const int32_t weight = kernel[ky][kx];
                        if (!weight)
                            continue;
                        if (m_nDepth == 24)
                        {
                            const uint8_t* p = row + 3 * (x + kx - 3);
                            sum[0] += weight * p[0];
                            sum[1] += weight * p[1];
                            sum[2] += weight * p[2];
                        }
                        else
                        {
                            uint8_t rgba[4];
                            DecodeColor(ReadRaw(row, x + kx - 3, m_nDepth), rgba);
                            sum[0] += weight * rgba[0];
                            sum[1] += weight * rgba[1];
                            sum[2] += weight * rgba[2];
                        }
                    }
                }
                uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nPitch;
                if (m_nDepth == 24)
                {
                    for (int c = 0; c < 3; ++c)
                        row[3 * x + c] = static_cast<uint8_t>(sum[c] / 1000 > 255 ? 255 : sum[c] / 1000);
                    continue;
                }
                const uint32_t old = ReadRaw(row, x, m_nDepth);
                uint8_t rgba[4];
                DecodeColor(old, rgba);
                const uint8_t blurred[3] = {static_cast<uint8_t>(sum[0] / 1000 > 255 ? 255 : sum[0] / 1000),
                                            static_cast<uint8_t>(sum[1] / 1000 > 255 ? 255 : sum[1] / 1000),
                                            static_cast<uint8_t>(sum[2] / 1000 > 255 ? 255 : sum[2] / 1000)};
                // An unchanged colour keeps its raw value (its palette index,
                // its alpha and any bits outside the channels).
                if (blurred[0] == rgba[0] && blurred[1] == rgba[1] && blurred[2] == rgba[2])
                    continue;
                rgba[0] = blurred[0];
                rgba[1] = blurred[1];
                rgba[2] = blurred[2];
                WriteRaw(row, x, m_nDepth, EncodeColor(rgba));
            }
    }
    Unlock();
    return GetError();
}

// ---------------------------------------------------------------------------
// Colour replacement

uint32_t CxDrawSurface::ReplaceColor(uint32_t from, uint32_t to)
{
    if ((m_nDepth != 8 && m_nDepth != 16 && m_nDepth != 24 && m_nDepth != 32) || !LockBits())
        return GetError();
    const uint64_t count = BlockPixelCount(m_nPitch, m_nHeight, m_nBitsSize, m_nDepth);
    const uint32_t mask = m_nDepth == 32 ? 0xFFFFFFFFu : ((1u << m_nDepth) - 1u);
    for (uint64_t i = 0; i < count; ++i)
        if (ReadRaw(m_pBits, static_cast<int32_t>(i), m_nDepth) == (from & mask))
            WriteRaw(m_pBits, static_cast<int32_t>(i), m_nDepth, to);
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::SwapColors(uint32_t a, uint32_t b)
{
    if ((m_nDepth != 8 && m_nDepth != 16 && m_nDepth != 24 && m_nDepth != 32) || !LockBits())
        return GetError();
    const uint64_t count = BlockPixelCount(m_nPitch, m_nHeight, m_nBitsSize, m_nDepth);
    const uint32_t mask = m_nDepth == 32 ? 0xFFFFFFFFu : ((1u << m_nDepth) - 1u);
    for (uint64_t i = 0; i < count; ++i)
    {
        const uint32_t v = ReadRaw(m_pBits, static_cast<int32_t>(i), m_nDepth);
        if (v == (a & mask))
            WriteRaw(m_pBits, static_cast<int32_t>(i), m_nDepth, b);
        else if (v == (b & mask))
            WriteRaw(m_pBits, static_cast<int32_t>(i), m_nDepth, a);
    }
    Unlock();
    return GetError();
}

// ---------------------------------------------------------------------------
// Counting and searching

uint32_t CxDrawSurface::CountColors()
{
    if (!IsSupportedDepth(m_nDepth))
        return 0;
    const uint32_t valueBits = m_nDepth >= 24 ? 24 : static_cast<uint32_t>(m_nDepth);
    const uint32_t bytes = ((1u << valueBits) + 7) / 8;
    uint8_t* marks = static_cast<uint8_t*>(CX_ALLOC_ZERO(bytes));
    if (!marks)
        return 0;
    uint32_t count = 0;
    if (LockBits())
    {
        const uint32_t mask = (1u << valueBits) - 1;
        for (int32_t y = 0; y < m_nHeight; ++y)
            for (int32_t x = 0; x < m_nWidth; ++x)
            {
                const uint32_t v = ReadPixel(x, y) & mask;
                const uint8_t bit = static_cast<uint8_t>(1u << (v & 7));
                if (!(marks[v >> 3] & bit))
                {
                    marks[v >> 3] |= bit;
                    ++count;
                }
            }
        Unlock();
    }
    CX_FREE(marks);
    return count;
}

uint32_t CxDrawSurface::CountPixels(uint32_t value)
{
    if (m_nDepth != 16 || !LockBits())
        return 0;
    uint32_t count = 0;
    uint64_t words = static_cast<uint64_t>(m_nPitch) * m_nHeight / 2;
    if (words > m_nBitsSize / 2)
        words = m_nBitsSize / 2;
    for (uint64_t i = 0; i < words; ++i)
        if (Load16(m_pBits + 2 * i) == static_cast<uint16_t>(value))
            ++count;
    Unlock();
    return count;
}

int32_t CxDrawSurface::FindPixel(uint32_t value, int32_t* x, int32_t* y)
{
    if (!x || !y)
        return 0;
    const int32_t startX = *x < 0 ? 0 : *x;
    const int32_t startY = *y < 0 ? 0 : *y;
    if (!LockBits())
        return 0;
    int32_t found = 0;
    for (int32_t row = startY; row < m_nHeight && !found; ++row)
        for (int32_t column = startX; column < m_nWidth; ++column)
            if (ReadPixel(column, row) == value)
            {
                *x = column;
                *y = row;
                found = 1;
                break;
            }
    Unlock();
    return found;
}

// ---------------------------------------------------------------------------
// Palette and colours

uint8_t* CxDrawSurface::GetPalette()
{
    return m_Palette;
}

void CxDrawSurface::SetPalette(const uint8_t* palette)
{
    if (palette && palette != m_Palette)
        memcpy(m_Palette, palette, sizeof(m_Palette));
    FreePaletteTable16();
}

uint32_t CxDrawSurface::RemapToPalette(const uint8_t* palette)
{
    if (!palette || m_nDepth != 8)
        return GetError();
    if (LockBits())
    {
        // The new index of every old index, against the new palette.
        CxDrawSurface target;
        memcpy(target.m_Palette, palette, sizeof(target.m_Palette));
        uint8_t map[256];
        for (int i = 0; i < 256; ++i)
            map[i] = static_cast<uint8_t>(target.NearestPaletteIndex(m_Palette[i * 3], m_Palette[i * 3 + 1],
                                                                     m_Palette[i * 3 + 2], 256));
        const uint64_t size = static_cast<uint64_t>(m_nPitch) * m_nHeight;
        for (uint64_t i = 0; i < size && i < m_nBitsSize; ++i)
            m_pBits[i] = map[m_pBits[i]];
        Unlock();
    }
    SetPalette(palette);
    return GetError();
}

uint32_t CxDrawSurface::MakeColor(uint8_t red, uint8_t green, uint8_t blue)
{
    if (m_nDepth <= 8)
        return 0;
    return (static_cast<uint32_t>(red >> (8 - m_nRedBits)) << (m_nGreenBits + m_nBlueBits)) |
           (static_cast<uint32_t>(green >> (8 - m_nGreenBits)) << m_nBlueBits) |
           static_cast<uint32_t>(blue >> (8 - m_nBlueBits));
}

uint32_t CxDrawSurface::ColorFromPaletteIndex(int32_t index)
{
    if (index < 0 || index > 255)
        return 0;
    const uint8_t* entry = m_Palette + index * 3;
    return (static_cast<uint32_t>(entry[0] >> (8 - m_nRedBits)) << (m_nGreenBits + m_nBlueBits)) |
           (static_cast<uint32_t>(entry[1] >> (8 - m_nGreenBits)) << m_nBlueBits) |
           static_cast<uint32_t>(entry[2] >> (8 - m_nBlueBits));
}

uint32_t CxDrawSurface::BuildPaletteTable16(uint8_t format)
{
    FreePaletteTable16();
    if (m_nDepth < 1 || m_nDepth > 8)
        return GetError();
    const int32_t entries = 1 << m_nDepth;
    m_pPaletteTable16 = static_cast<uint16_t*>(CX_ALLOC(sizeof(uint16_t) * entries));
    if (!m_pPaletteTable16)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Unable to allocate %ld bytes for the 16-bit palette",
                 static_cast<long>(sizeof(uint16_t) * entries));
        return GetError();
    }
    uint32_t rw = 5, gw = 5, bw = 5;
    if (format == CX_PF_565)
        gw = 6;
    else if (format == CX_PF_556)
        bw = 6;
    else if (format == CX_PF_655)
        rw = 6;
    for (int32_t i = 0; i < entries; ++i)
    {
        const uint8_t* e = m_Palette + i * 3;
        m_pPaletteTable16[i] = static_cast<uint16_t>(((e[0] >> (8 - rw)) << (gw + bw)) |
                                                     ((e[1] >> (8 - gw)) << bw) | (e[2] >> (8 - bw)));
    }
    m_nTable16Format = format;
    return GetError();
}

void CxDrawSurface::FreePaletteTable16()
{
    if (m_pPaletteTable16)
    {
        CX_FREE(m_pPaletteTable16);
        m_pPaletteTable16 = nullptr;
    }
    m_nTable16Format = 0;
}
