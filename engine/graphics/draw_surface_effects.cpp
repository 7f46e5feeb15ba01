// CxDrawSurface::DrawGeneral: the copy routine for every depth pair and
// every effect, one pixel at a time. Draw sends here whatever its dedicated
// routines do not handle.
#include "engine/graphics/draw_surface.h"

#include "engine/graphics/draw_surface_pixels.h"

#include <algorithm>

using namespace cx_pixels;

// The state of one general copy: the conversions and effect parameters that
// stay the same for every pixel, and the steps of the copy.
class CxGeneralCopy
{
public:
    CxGeneralCopy(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& destRect,
                  const CxRect& sourceRect, uint32_t key, const ST_BLIT_FX* effect)
        : m_Job(source, destination, destRect, sourceRect, key, effect), m_pSrc(source), m_pDst(destination),
          m_DestRect(destRect), m_nSrcDepth(source->m_nDepth), m_nDstDepth(destination->m_nDepth),
          m_bSrcPal(m_nSrcDepth <= 8), m_bDstPal(m_nDstDepth <= 8),
          m_nIndexMask(m_bDstPal ? (1u << m_nDstDepth) - 1u : 0), m_SrcLayout(LayoutOf(source)),
          m_nColor(m_Job.Param()), m_nColor2(effect ? effect->nColor : CX_COLOR_NONE),
          m_nOpacity(std::min<uint32_t>(m_Job.Param(), 255)),
          m_bSameLayout(!m_bSrcPal && SameLayout(source, destination))
    {
        if (m_Job.type == CX_FX_MASK || m_Job.type == CX_FX_MASK_COLOR)
            m_pMask = effect->GetSurface();
    }

    // False when the copy draws nothing at all: an unsupported depth, or a
    // mask without pixel memory.
    bool IsUsable() const
    {
        if (!IsSupportedDepth(m_nSrcDepth) || !IsSupportedDepth(m_nDstDepth))
            return false;
        return !m_pMask || (m_pMask->m_pBits && m_pMask->IsResident());
    }

    void Run()
    {
        int32_t previousRow = -1;
        for (int32_t k = 0; k < m_Job.dh; ++k)
        {
            const int32_t sy = m_Job.SourceRow(k);
            uint8_t* drow = m_Job.DestRowBits(k);
            // A stretched copy that shows the same source row again copies the row above.
            if (m_Job.reuseRows && k > 0 && sy == previousRow)
            {
                const uint8_t* above = drow - m_pDst->m_nPitch;
                for (int32_t x = m_DestRect.left; x <= m_DestRect.right; ++x)
                    WriteRaw(drow, x, m_nDstDepth, ReadRaw(above, x, m_nDstDepth));
                continue;
            }
            previousRow = sy;
            CopyRow(m_Job.SourceRowBits(sy), drow, m_DestRect.top + k);
        }
    }

private:
    void CopyRow(const uint8_t* srow, uint8_t* drow, int32_t dy)
    {
        for (int32_t i = 0; i < m_Job.dw; ++i)
        {
            const int32_t dx = m_DestRect.left + i;
            const uint32_t v = ReadRaw(srow, m_Job.SourceColumn(i), m_nSrcDepth);
            const bool isKey = m_Job.keyed && v == m_Job.key;
            if (m_Job.type == CX_FX_RECOLOR_KEY)
            {
                WriteRaw(drow, dx, m_nDstDepth, isKey ? m_nColor : Convert(v));
                continue;
            }
            if (isKey || (m_Job.type == CX_FX_SCREEN_DOOR && !((m_Job.dw - i) & 1)) || IsMaskedOut(dx, dy))
                continue;
            uint32_t out;
            if (EffectPixel(v, ReadRaw(drow, dx, m_nDstDepth), out))
                WriteRaw(drow, dx, m_nDstDepth, out);
        }
    }

    // True when a mask hides the destination pixel at (dx, dy).
    bool IsMaskedOut(int32_t dx, int32_t dy) const
    {
        return m_pMask && (dx >= m_pMask->m_nWidth || dy >= m_pMask->m_nHeight ||
                           m_pMask->ReadPixel(dx, dy) == m_pMask->m_nTransparentColor);
    }

    // The value the effect writes for source value v over the destination
    // value under; false when the pixel is left as it is.
    bool EffectPixel(uint32_t v, uint32_t under, uint32_t& out)
    {
        switch (m_Job.type)
        {
        case CX_FX_SILHOUETTE:
            out = m_nColor;
            return true;
        case CX_FX_MASK_COLOR:
            out = m_nColor2 != CX_COLOR_NONE ? m_nColor2 : Convert(v);
            return true;
        case CX_FX_ALPHA:
        case CX_FX_OPACITY: {
            const uint32_t a =
                m_Job.type == CX_FX_OPACITY ? m_nOpacity : (m_bSrcPal ? 255u : m_SrcLayout.Alpha255(v));
            if (a == 0 && m_Job.type == CX_FX_ALPHA)
                return false;
            uint8_t s[4], dc[4];
            m_pSrc->DecodeColor(v, s);
            m_pDst->DecodeColor(under, dc);
            for (int c = 0; c < 3; ++c)
                dc[c] = Mix255(dc[c], s[c], a);
            out = m_pDst->EncodeColor(dc);
            return true;
        }
        case CX_FX_TINT: {
            const uint8_t tint[3] = {static_cast<uint8_t>(m_nColor >> 16),
                                     static_cast<uint8_t>(m_nColor >> 8), static_cast<uint8_t>(m_nColor)};
            uint8_t s[4];
            m_pSrc->DecodeColor(v, s);
            for (int c = 0; c < 3; ++c)
                s[c] = static_cast<uint8_t>((s[c] + tint[c]) / 2);
            out = m_pDst->EncodeColor(s);
            return true;
        }
        default:
            out = Convert(v);
            return true;
        }
    }

    // A source value in the destination's format. Identical layouts pass the
    // raw value on, bits outside the channels included (the top bit of
    // 5-5-5), as the whole-row copies do. One conversion is remembered:
    // sprites repeat colours, and the nearest-entry search of a palettised
    // destination is slow.
    uint32_t Convert(uint32_t v)
    {
        if (m_bSrcPal && m_bDstPal)
            return v & m_nIndexMask;
        if (m_bSameLayout)
            return v;
        if (m_bHaveLast && v == m_nLastIn)
            return m_nLastOut;
        uint8_t rgba[4];
        m_pSrc->DecodeColor(v, rgba);
        m_nLastIn = v;
        m_nLastOut = m_pDst->EncodeColor(rgba);
        m_bHaveLast = true;
        return m_nLastOut;
    }

    CxBlitJob m_Job;
    CxDrawSurface* m_pSrc;
    CxDrawSurface* m_pDst;
    CxRect m_DestRect;
    int32_t m_nSrcDepth;
    int32_t m_nDstDepth;
    bool m_bSrcPal;
    bool m_bDstPal;
    uint32_t m_nIndexMask;
    Layout m_SrcLayout;
    uint32_t m_nColor;
    uint32_t m_nColor2;
    uint32_t m_nOpacity;
    bool m_bSameLayout;
    CxDrawSurface* m_pMask = nullptr;
    uint32_t m_nLastIn = 0;
    uint32_t m_nLastOut = 0;
    bool m_bHaveLast = false;
};

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
    CxGeneralCopy copy(this, destination, destRect, sourceRect, key, effect);
    if (copy.IsUsable())
        copy.Run();
}
