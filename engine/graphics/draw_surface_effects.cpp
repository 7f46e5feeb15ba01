// CxDrawSurface::DrawGeneral: the copy routine for every depth pair and
// every effect, one pixel at a time. Draw sends here whatever its dedicated
// routines do not handle.
#include "engine/graphics/draw_surface.h"

#include "engine/graphics/draw_surface_pixels.h"

using namespace cx_pixels;

// The general routine: every depth pair and every effect, one pixel at a time
// through the channel widths of both surfaces.
// - palettised to palettised copies the index (cut to the destination depth);
// - palettised to direct colour goes through the source palette;
// - direct colour to palettised takes the nearest destination palette entry;
// - direct to direct shifts each channel to 8 bits and down to the
//   destination's width; alpha goes along (0 when the source has none);
//   between identical layouts the raw value is copied.
// Blends (CX_FX_ALPHA, CX_FX_OPACITY) keep the destination's alpha.
void CxDrawSurface::DrawGeneral(CxDrawSurface* destination, const CxRect& destRect, const CxRect& sourceRect,
                                uint32_t key, const ST_BLIT_FX* effect)
{
    CxBlitJob j(this, destination, destRect, sourceRect, key, effect);
    CxDrawSurface* dst = destination;
    const int32_t sd = m_nDepth;
    const int32_t dd = dst->m_nDepth;
    if (!IsSupportedDepth(sd) || !IsSupportedDepth(dd))
        return;
    const bool srcPal = sd <= 8;
    const bool dstPal = dd <= 8;
    const uint32_t indexMask = dstPal ? (1u << dd) - 1u : 0;
    const Layout srcLayout = LayoutOf(this);
    const int32_t type = j.type;
    const uint32_t color = j.Param();
    const uint32_t color2 = effect ? effect->nColor : CX_COLOR_NONE;
    uint32_t opacity = j.Param();
    if (opacity > 255)
        opacity = 255;
    const uint8_t tint[3] = {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                             static_cast<uint8_t>(color)};
    CxDrawSurface* mask = (type == CX_FX_MASK || type == CX_FX_MASK_COLOR) ? effect->GetSurface() : nullptr;
    const uint32_t maskKey = mask ? mask->m_nTransparentColor : CX_COLOR_NONE;
    const bool maskUsable = mask && mask->m_pBits && mask->IsResident();
    if (mask && !maskUsable)
        return;

    // One remembered conversion: sprites repeat colours, and the nearest-entry
    // search of a palettised destination is slow.
    uint32_t lastIn = 0, lastOut = 0;
    bool haveLast = false;
    // Identical layouts pass the raw value on, bits outside the channels
    // included (the top bit of 5-5-5), as the whole-row copies do.
    const bool sameLayout = !srcPal && SameLayout(this, dst);
    auto convert = [&](uint32_t v) -> uint32_t {
        if (srcPal && dstPal)
            return v & indexMask;
        if (sameLayout)
            return v;
        if (haveLast && v == lastIn)
            return lastOut;
        uint8_t rgba[4];
        DecodeColor(v, rgba);
        lastIn = v;
        lastOut = dst->EncodeColor(rgba);
        haveLast = true;
        return lastOut;
    };

    int32_t previousRow = -1;
    for (int32_t k = 0; k < j.dh; ++k)
    {
        const int32_t sy = j.SourceRow(k);
        const int32_t dy = destRect.top + k;
        uint8_t* drow = j.DestRowBits(k);
        if (j.reuseRows && k > 0 && sy == previousRow)
        {
            const uint8_t* above = drow - dst->m_nPitch;
            for (int32_t x = destRect.left; x <= destRect.right; ++x)
                WriteRaw(drow, x, dd, ReadRaw(above, x, dd));
            continue;
        }
        previousRow = sy;
        const uint8_t* srow = j.SourceRowBits(sy);
        for (int32_t i = 0; i < j.dw; ++i)
        {
            const int32_t dx = destRect.left + i;
            const uint32_t v = ReadRaw(srow, j.SourceColumn(i), sd);
            const bool isKey = j.keyed && v == key;
            if (type == CX_FX_RECOLOR_KEY)
            {
                WriteRaw(drow, dx, dd, isKey ? color : convert(v));
                continue;
            }
            if (isKey)
                continue;
            if (type == CX_FX_SCREEN_DOOR && !((j.dw - i) & 1))
                continue;
            if (mask)
            {
                if (dx >= mask->m_nWidth || dy >= mask->m_nHeight || mask->ReadPixel(dx, dy) == maskKey)
                    continue;
            }
            uint32_t out;
            switch (type)
            {
            case CX_FX_SILHOUETTE:
                out = color;
                break;
            case CX_FX_MASK_COLOR:
                out = color2 != CX_COLOR_NONE ? color2 : convert(v);
                break;
            case CX_FX_ALPHA:
            case CX_FX_OPACITY: {
                const uint32_t a = type == CX_FX_OPACITY ? opacity : (srcPal ? 255u : srcLayout.Alpha255(v));
                if (a == 0 && type == CX_FX_ALPHA)
                    continue;
                uint8_t s[4], dc[4];
                DecodeColor(v, s);
                dst->DecodeColor(ReadRaw(drow, dx, dd), dc);
                dc[0] = Mix255(dc[0], s[0], a);
                dc[1] = Mix255(dc[1], s[1], a);
                dc[2] = Mix255(dc[2], s[2], a);
                out = dst->EncodeColor(dc);
                break;
            }
            case CX_FX_TINT: {
                uint8_t s[4];
                DecodeColor(v, s);
                for (int c = 0; c < 3; ++c)
                    s[c] = static_cast<uint8_t>((s[c] + tint[c]) / 2);
                out = dst->EncodeColor(s);
                break;
            }
            default:
                out = convert(v);
                break;
            }
            WriteRaw(drow, dx, dd, out);
        }
    }
}
