// Raw pixel access, channel conversion and the copy job shared by the
// CxDrawSurface sources. Internal to engine/graphics: no locking, no bounds
// checks.
#pragma once

#include "engine/graphics/draw_surface.h"

#include <cstdint>
#include <cstring>

namespace cx_pixels {
inline uint16_t Load16(const uint8_t* p)
{
    uint16_t v;
    memcpy(&v, p, 2);
    return v;
}

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

inline void Store16(uint8_t* p, uint16_t v)
{
    memcpy(p, &v, 2);
}

inline void Store32(uint8_t* p, uint32_t v)
{
    memcpy(p, &v, 4);
}

// The 24-bit raw value: memory bytes b0 b1 b2 read as b0 << 16 | b1 << 8 | b2.
inline uint32_t Load24(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}

inline void Store24(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 16);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v);
}

// Pixel x of a row at any supported depth; 0 for unsupported depths.
inline uint32_t ReadRaw(const uint8_t* row, int32_t x, int32_t depth)
{
    switch (depth)
    {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8:
        return row[x];
    case 16:
        return Load16(row + 2 * x);
    case 24:
        return Load24(row + 3 * x);
    case 32:
        return Load32(row + 4 * x);
    default:
        return 0;
    }
}

// Writes pixel x of a row; values are cut to the depth; unsupported depths are not written.
inline void WriteRaw(uint8_t* row, int32_t x, int32_t depth, uint32_t v)
{
    switch (depth)
    {
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1u << shift)) | ((v & 1u) << shift));
        break;
    }
    case 2: {
        const int shift = 6 - 2 * (x & 3);
        row[x >> 2] = static_cast<uint8_t>((row[x >> 2] & ~(3u << shift)) | ((v & 3u) << shift));
        break;
    }
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15u << shift)) | ((v & 15u) << shift));
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(v);
        break;
    case 16:
        Store16(row + 2 * x, static_cast<uint16_t>(v));
        break;
    case 24:
        Store24(row + 3 * x, v);
        break;
    case 32:
        Store32(row + 4 * x, v);
        break;
    default:
        break;
    }
}

inline bool IsSupportedDepth(int32_t depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

// Channel widths of a direct-colour format and the shifts that go with them.
struct Layout
{
    int32_t depth = 0;
    uint32_t aw = 0, rw = 0, gw = 0, bw = 0;

    Layout() = default;
    Layout(int32_t d, uint32_t a, uint32_t r, uint32_t g, uint32_t b) : depth(d), aw(a), rw(r), gw(g), bw(b)
    {
    }

    static uint32_t Mask(uint32_t width) { return width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u); }

    // 8-bit channels of a 16- or 32-bit raw value (each shifted up, not scaled).
    void Decode(uint32_t v, uint8_t rgba[4]) const
    {
        if (depth == 24)
        {
            rgba[0] = static_cast<uint8_t>(v);
            rgba[1] = static_cast<uint8_t>(v >> 8);
            rgba[2] = static_cast<uint8_t>(v >> 16);
            rgba[3] = 0;
            return;
        }
        rgba[2] = static_cast<uint8_t>((v & Mask(bw)) << (8 - bw));
        rgba[1] = static_cast<uint8_t>(((v >> bw) & Mask(gw)) << (8 - gw));
        rgba[0] = static_cast<uint8_t>(((v >> (gw + bw)) & Mask(rw)) << (8 - rw));
        rgba[3] = aw ? static_cast<uint8_t>(((v >> (rw + gw + bw)) & Mask(aw)) << (8 - aw)) : 0;
    }

    // A raw value from 8-bit channels (each shifted down to its width).
    uint32_t Encode(const uint8_t rgba[4]) const
    {
        if (depth == 24)
            return (static_cast<uint32_t>(rgba[2]) << 16) | (static_cast<uint32_t>(rgba[1]) << 8) | rgba[0];
        uint32_t v = (static_cast<uint32_t>(rgba[0] >> (8 - rw)) << (gw + bw)) |
                     (static_cast<uint32_t>(rgba[1] >> (8 - gw)) << bw) |
                     static_cast<uint32_t>(rgba[2] >> (8 - bw));
        if (aw)
            v |= static_cast<uint32_t>(rgba[3] >> (8 - aw)) << (rw + gw + bw);
        return v;
    }

    // The alpha channel scaled (not shifted) to 0-255; 255 when the format has none.
    uint32_t Alpha255(uint32_t v) const
    {
        if (depth == 24 || aw == 0)
            return 255;
        const uint32_t a = (v >> (rw + gw + bw)) & Mask(aw);
        return a * 255u / Mask(aw);
    }
};

// d * (255 - a) + s * a, divided by 255 and truncated.
inline uint8_t Mix255(uint32_t d, uint32_t s, uint32_t a)
{
    return static_cast<uint8_t>((d * (255u - a) + s * a) / 255u);
}

inline Layout LayoutOf(const CxDrawSurface* surface)
{
    return Layout(surface->GetDepth(), surface->GetAlphaBits(), surface->GetRedBits(),
                  surface->GetGreenBits(), surface->GetBlueBits());
}

inline bool SameLayout(const CxDrawSurface* a, const CxDrawSurface* b)
{
    return a->GetDepth() == b->GetDepth() && a->GetAlphaBits() == b->GetAlphaBits() &&
           a->GetRedBits() == b->GetRedBits() && a->GetGreenBits() == b->GetGreenBits() &&
           a->GetBlueBits() == b->GetBlueBits();
}
} // namespace cx_pixels

// What one copy needs, computed once from the clipped rectangles.
struct CxBlitJob
{
    CxDrawSurface* src;
    CxDrawSurface* dst;
    CxRect s;
    CxRect d;
    int32_t dw, dh;
    uint32_t stepX, stepY;
    uint32_t key;
    bool keyed;
    int32_t type;
    const ST_BLIT_FX* fx;
    bool mirrorH;
    bool mirrorV;
    bool reuseRows;
    bool oneToOne;
    // The source's table of opaque spans for the key, when the copy may use
    // it (one to one, keyed, plain; see CxDrawSurface::KeyRunsFor).
    const CxKeyRuns* runs = nullptr;

    CxBlitJob(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& destRect,
              const CxRect& sourceRect, uint32_t colorKey, const ST_BLIT_FX* effect)
        : src(source), dst(destination), s(sourceRect), d(destRect), fx(effect)
    {
        dw = d.Width();
        dh = d.Height();
        // (size << 16) / size is 1 << 16: small sprites skip the divisions.
        stepX =
            s.Width() == dw
                ? 0x10000u
                : static_cast<uint32_t>((static_cast<uint64_t>(s.Width()) << 16) / static_cast<uint64_t>(dw));
        stepY = s.Height() == dh ? 0x10000u
                                 : static_cast<uint32_t>((static_cast<uint64_t>(s.Height()) << 16) /
                                                         static_cast<uint64_t>(dh));
        oneToOne = s.Width() == dw && s.Height() == dh;
        key = colorKey;
        keyed = colorKey != CX_COLOR_NONE;
        type = effect ? effect->nType : CX_FX_NONE;
        // Types the table does not list are drawn as CX_FX_NONE.
        switch (type)
        {
        case CX_FX_SCREEN_DOOR:
        case CX_FX_ALPHA:
        case CX_FX_OPACITY:
        case CX_FX_RECOLOR_KEY:
        case CX_FX_SILHOUETTE:
        case CX_FX_TINT:
        case CX_FX_MIRROR_H:
        case CX_FX_MIRROR_V:
        case CX_FX_HIDE:
        case CX_FX_MASK:
        case CX_FX_MASK_COLOR:
        case CX_FX_CALLBACK:
            break;
        default:
            type = CX_FX_NONE;
            break;
        }
        mirrorH = type == CX_FX_MIRROR_H;
        mirrorV = type == CX_FX_MIRROR_V;
        reuseRows = type == CX_FX_RECOLOR_KEY ||
                    (!keyed && (type == CX_FX_NONE || type == CX_FX_MIRROR_H || type == CX_FX_MIRROR_V));
    }

    // Kept as a flag: comparing both steps in one go would load them as one
    // word right after storing them apart (a stalled store-to-load forward).
    bool OneToOne() const { return oneToOne; }

    // The source row of destination row k (mirrored for CX_FX_MIRROR_V: source
    // height - 1 - top - k, measured on the whole surface, so that a sprite
    // clipped at the top still shows the right rows of its flipped image).
    int32_t SourceRow(int32_t k) const
    {
        const int32_t row = s.top + static_cast<int32_t>((static_cast<uint64_t>(k) * stepY) >> 16);
        return mirrorV ? src->m_nHeight - 1 - row : row;
    }

    // The source column of destination column i (mirrored like rows for CX_FX_MIRROR_H).
    int32_t SourceColumn(int32_t i) const
    {
        const int32_t column = s.left + static_cast<int32_t>((static_cast<uint64_t>(i) * stepX) >> 16);
        return mirrorH ? src->m_nWidth - 1 - column : column;
    }

    const uint8_t* SourceRowBits(int32_t row) const
    {
        return src->m_pBits + static_cast<int64_t>(row) * src->m_nPitch;
    }
    uint8_t* DestRowBits(int32_t k) const
    {
        return dst->m_pBits + static_cast<int64_t>(d.top + k) * dst->m_nPitch;
    }
    int64_t SourcePitch() const { return src->m_nPitch; }
    int64_t DestPitch() const { return dst->m_nPitch; }

    uint32_t Param() const { return fx ? static_cast<uint32_t>(fx->nParam) : 0; }
};
