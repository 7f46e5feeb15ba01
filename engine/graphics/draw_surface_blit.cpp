// CxDrawSurface::Draw: clipping, routine choice and the dedicated copy
// routines (the general routine is in draw_surface_effects.cpp).
//
// Every routine walks the clipped destination rectangle row by row. The
// source position is s.left + ((i * stepX) >> 16) and s.top + ((k * stepY) >> 16)
// with steps (source size << 16) / destination size: exactly one to one when
// the sizes agree, a nearest-neighbour stretch otherwise. A stretched row
// whose source row equals the previous one is copied from the previous
// destination row when the row is written whole (no key holes, no blend);
// copying a keyed or blended row would copy the background of the row above.
#include "engine/graphics/draw_surface.h"

#include "engine/graphics/draw_surface_pixels.h"
#include "engine/graphics/draw_surface_runs.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

using namespace cx_pixels;
using namespace cx_rows;

namespace {
struct Px8
{
    static constexpr int kBytes = 1;
    static uint32_t Get(const uint8_t* p, int32_t i) { return p[i]; }
    static void Put(uint8_t* p, int32_t i, uint32_t v) { p[i] = static_cast<uint8_t>(v); }
};

struct Px16
{
    static constexpr int kBytes = 2;
    static uint32_t Get(const uint8_t* p, int32_t i) { return Load16(p + 2 * i); }
    static void Put(uint8_t* p, int32_t i, uint32_t v) { Store16(p + 2 * i, static_cast<uint16_t>(v)); }
};

struct Px24
{
    static constexpr int kBytes = 3;
    static uint32_t Get(const uint8_t* p, int32_t i) { return Load24(p + 3 * i); }
    static void Put(uint8_t* p, int32_t i, uint32_t v) { Store24(p + 3 * i, v); }
};

struct Px32
{
    static constexpr int kBytes = 4;
    static uint32_t Get(const uint8_t* p, int32_t i) { return Load32(p + 4 * i); }
    static void Put(uint8_t* p, int32_t i, uint32_t v) { Store32(p + 4 * i, v); }
};

struct ConvIdentity
{
    uint32_t operator()(uint32_t v) const { return v; }
};

struct ConvTable16
{
    const uint16_t* table;
    uint32_t operator()(uint32_t v) const { return table[v]; }
};

struct ConvTable32
{
    uint32_t table[256];
    uint32_t operator()(uint32_t v) const { return table[v & 0xFF]; }
};

struct ConvLayout
{
    Layout from;
    Layout to;
    uint32_t operator()(uint32_t v) const
    {
        uint8_t rgba[4];
        from.Decode(v, rgba);
        return to.Encode(rgba);
    }
};

int32_t RoundAway(double v)
{
    return v >= 0 ? static_cast<int32_t>(v + 0.5) : static_cast<int32_t>(v - 0.5);
}

// ---------------------------------------------------------------------------
// 16-bit fast paths

// The keyed 16-bit row: eight pixels at a time with SSE2 (all-key groups are
// skipped, others merged by mask), then a scalar form that skips
// four key pixels at once with two 32-bit comparisons.
} // namespace

void cx_rows::CopyRowKeyed16(uint8_t* dst, const uint8_t* src, int32_t n, uint16_t key)
{
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    for (; i + 8 <= n; i += 8)
    {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        const __m128i m = _mm_cmpeq_epi16(sv, k);
        const int bits = _mm_movemask_epi8(m);
        if (bits == 0xFFFF)
            continue;
        __m128i* dp = reinterpret_cast<__m128i*>(dst + 2 * i);
        if (bits == 0)
        {
            _mm_storeu_si128(dp, sv);
            continue;
        }
        const __m128i dv = _mm_loadu_si128(dp);
        _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(m, dv), _mm_andnot_si128(m, sv)));
    }
#endif
    const uint32_t key2 = static_cast<uint32_t>(key) | (static_cast<uint32_t>(key) << 16);
    for (; i + 4 <= n; i += 4)
    {
        if (Load32(src + 2 * i) == key2 && Load32(src + 2 * i + 4) == key2)
            continue;
        for (int32_t j = i; j < i + 4; ++j)
        {
            const uint16_t v = Load16(src + 2 * j);
            if (v != key)
                Store16(dst + 2 * j, v);
        }
    }
    for (; i < n; ++i)
    {
        const uint16_t v = Load16(src + 2 * i);
        if (v != key)
            Store16(dst + 2 * i, v);
    }
}

namespace {
// Constant-opacity blend of 16-bit rows of a format without alpha bits.
// Each channel becomes (d * (255 - a) + s * a) / 255, truncated, in the
// channel's own width; this equals the general routine's blend in 8-bit
// space shifted back down. The vector paths divide by 255 exactly with
// ((x * 0x8081) >> 16) >> 7, which holds for every 16-bit x (the largest x
// here is 63 * 255). Sixteen pixels at a time with AVX2 when the processor
// has it, eight with SSE2, the rest one by one.
struct BlendSetup
{
    uint32_t alpha, inverse;
    uint32_t shift[3]; // red, green, blue
    uint32_t mask[3];
    bool keyed;
    uint16_t key;

    BlendSetup(uint32_t a, const Layout& layout, bool isKeyed, uint16_t colorKey)
        : alpha(a),
          inverse(255u - a), shift{layout.bw + layout.gw, layout.bw, 0}, mask{Layout::Mask(layout.rw),
                                                                              Layout::Mask(layout.gw),
                                                                              Layout::Mask(layout.bw)},
          keyed(isKeyed), key(colorKey)
    {
    }

    uint16_t Pixel(uint32_t s, uint32_t d) const
    {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c)
        {
            const uint32_t sc = (s >> shift[c]) & mask[c];
            const uint32_t dc = (d >> shift[c]) & mask[c];
            out |= ((dc * inverse + sc * alpha) / 255u) << shift[c];
        }
        return static_cast<uint16_t>(out);
    }
};

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) int32_t BlendAvx2(uint8_t* dst, const uint8_t* src, int32_t n,
                                                  const BlendSetup& b)
{
    const __m256i av = _mm256_set1_epi16(static_cast<short>(b.alpha));
    const __m256i iv = _mm256_set1_epi16(static_cast<short>(b.inverse));
    const __m256i magic = _mm256_set1_epi16(static_cast<short>(0x8081));
    const __m256i kv = _mm256_set1_epi16(static_cast<short>(b.key));
    __m128i shifts[3];
    __m256i masks[3];
    for (int c = 0; c < 3; ++c)
    {
        shifts[c] = _mm_cvtsi32_si128(static_cast<int>(b.shift[c]));
        masks[c] = _mm256_set1_epi16(static_cast<short>(b.mask[c]));
    }
    int32_t i = 0;
    for (; i + 16 <= n; i += 16)
    {
        const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i));
        __m256i* dp = reinterpret_cast<__m256i*>(dst + 2 * i);
        const __m256i dv = _mm256_loadu_si256(dp);
        __m256i out = _mm256_setzero_si256();
        for (int c = 0; c < 3; ++c)
        {
            const __m256i sc = _mm256_and_si256(_mm256_srl_epi16(sv, shifts[c]), masks[c]);
            const __m256i dc = _mm256_and_si256(_mm256_srl_epi16(dv, shifts[c]), masks[c]);
            const __m256i x = _mm256_add_epi16(_mm256_mullo_epi16(dc, iv), _mm256_mullo_epi16(sc, av));
            const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(x, magic), 7);
            out = _mm256_or_si256(out, _mm256_sll_epi16(q, shifts[c]));
        }
        if (b.keyed)
        {
            const __m256i m = _mm256_cmpeq_epi16(sv, kv);
            out = _mm256_blendv_epi8(out, dv, m);
        }
        _mm256_storeu_si256(dp, out);
    }
    return i;
}

#endif
} // namespace

#if defined(__x86_64__) || defined(__i386__)
bool cx_rows::HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

namespace {

void BlendRow16(uint8_t* dst, const uint8_t* src, int32_t n, const BlendSetup& b)
{
    int32_t i = 0;
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2())
        i = BlendAvx2(dst, src, n, b);
#endif
#if defined(__SSE2__)
    const __m128i av = _mm_set1_epi16(static_cast<short>(b.alpha));
    const __m128i iv = _mm_set1_epi16(static_cast<short>(b.inverse));
    const __m128i magic = _mm_set1_epi16(static_cast<short>(0x8081));
    const __m128i kv = _mm_set1_epi16(static_cast<short>(b.key));
    for (; i + 8 <= n; i += 8)
    {
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        __m128i* dp = reinterpret_cast<__m128i*>(dst + 2 * i);
        const __m128i dv = _mm_loadu_si128(dp);
        __m128i out = _mm_setzero_si128();
        for (int c = 0; c < 3; ++c)
        {
            const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(b.shift[c]));
            const __m128i mask = _mm_set1_epi16(static_cast<short>(b.mask[c]));
            const __m128i sc = _mm_and_si128(_mm_srl_epi16(sv, shift), mask);
            const __m128i dc = _mm_and_si128(_mm_srl_epi16(dv, shift), mask);
            const __m128i x = _mm_add_epi16(_mm_mullo_epi16(dc, iv), _mm_mullo_epi16(sc, av));
            const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(x, magic), 7);
            out = _mm_or_si128(out, _mm_sll_epi16(q, shift));
        }
        if (b.keyed)
        {
            const __m128i m = _mm_cmpeq_epi16(sv, kv);
            out = _mm_or_si128(_mm_and_si128(m, dv), _mm_andnot_si128(m, out));
        }
        _mm_storeu_si128(dp, out);
    }
#endif
    for (; i < n; ++i)
    {
        const uint32_t s = Load16(src + 2 * i);
        if (b.keyed && s == b.key)
            continue;
        Store16(dst + 2 * i, b.Pixel(s, Load16(dst + 2 * i)));
    }
}

} // namespace

// 8-bit rows through the 16-bit palette table, two pixels per 32-bit
// store. All rows in one call: a sprite's rows are short, and a call per row
// cost as much as a fifth of its copy. GCC would otherwise pack the scalar
// stores into vector shuffles that cost more than they save.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-slp-vectorize")))
#endif
void cx_rows::PaletteRows8To16(uint8_t* __restrict dst, int64_t dstPitch, const uint8_t* __restrict src,
                               int64_t srcPitch, int32_t n, int32_t rows, const uint16_t* __restrict table)
{
    for (int32_t k = 0; k < rows; ++k, dst += dstPitch, src += srcPitch)
    {
        int32_t i = 0;
        // A first single pixel puts the stores on 4-byte boundaries, so
        // that none of them straddles a cache line.
        if ((reinterpret_cast<uintptr_t>(dst) & 2) && n > 0)
        {
            Store16(dst, table[src[0]]);
            i = 1;
        }
        for (; i + 8 <= n; i += 8)
        {
            Store32(dst + 2 * i, table[src[i]] | (static_cast<uint32_t>(table[src[i + 1]]) << 16));
            Store32(dst + 2 * i + 4, table[src[i + 2]] | (static_cast<uint32_t>(table[src[i + 3]]) << 16));
            Store32(dst + 2 * i + 8, table[src[i + 4]] | (static_cast<uint32_t>(table[src[i + 5]]) << 16));
            Store32(dst + 2 * i + 12, table[src[i + 6]] | (static_cast<uint32_t>(table[src[i + 7]]) << 16));
        }
        for (; i + 2 <= n; i += 2)
            Store32(dst + 2 * i, table[src[i]] | (static_cast<uint32_t>(table[src[i + 1]]) << 16));
        for (; i < n; ++i)
            Store16(dst + 2 * i, table[src[i]]);
    }
}

void cx_rows::PaletteRow8To16(uint8_t* dst, const uint8_t* src, int32_t n, const uint16_t* table)
{
    PaletteRows8To16(dst, 0, src, 0, n, 1, table);
}

namespace {

// ---------------------------------------------------------------------------
// The dedicated routines: one template over the source and destination pixel
// types and the conversion; effects 0, 2, 8, 9, 11 and 12.

// One unkeyed row stretched by stepX (16.16 fixed point). Onto 16 bits, two
// pixels go out per 32-bit store, on 4-byte boundaries so that no store
// straddles a cache line.
template <class S, class D, class C>
inline void StretchRow(uint8_t* drow, const uint8_t* sp, int32_t n, uint32_t stepX, const C& c)
{
    uint32_t fx = 0;
    int32_t i = 0;
    if constexpr (D::kBytes == 2)
    {
        if ((reinterpret_cast<uintptr_t>(drow) & 2) && n > 0)
        {
            D::Put(drow, 0, c(S::Get(sp, 0)));
            i = 1;
            fx = stepX;
        }
        for (; i + 2 <= n; i += 2, fx += 2 * stepX)
            Store32(drow + 2 * i, (c(S::Get(sp, static_cast<int32_t>(fx >> 16))) & 0xFFFFu) |
                                      (c(S::Get(sp, static_cast<int32_t>((fx + stepX) >> 16))) << 16));
    }
    for (; i < n; ++i, fx += stepX)
        D::Put(drow, i, c(S::Get(sp, static_cast<int32_t>(fx >> 16))));
}

template <class S, class D, class C>
void DedicatedCopy(const CxBlitJob& j, const C& conv)
{
    const bool contiguous = j.stepX == 0x10000u && !j.mirrorH;
    const uint32_t color = j.Param();
    int32_t previousRow = -1;
    for (int32_t k = 0; k < j.dh; ++k)
    {
        const int32_t sy = j.SourceRow(k);
        uint8_t* drow = j.DestRowBits(k) + static_cast<int64_t>(j.d.left) * D::kBytes;
        if (j.reuseRows && k > 0 && sy == previousRow)
        {
            memcpy(drow, drow - j.DestPitch(), static_cast<size_t>(j.dw) * D::kBytes);
            continue;
        }
        previousRow = sy;
        const uint8_t* srow = j.SourceRowBits(sy);
        const uint8_t* sp = srow + static_cast<int64_t>(j.s.left) * S::kBytes;
        switch (j.type)
        {
        case CX_FX_SCREEN_DOOR:
        case CX_FX_RECOLOR_KEY:
        case CX_FX_SILHOUETTE:
            for (int32_t i = 0; i < j.dw; ++i)
            {
                const uint32_t v = S::Get(srow, j.SourceColumn(i));
                const bool isKey = j.keyed && v == j.key;
                if (j.type == CX_FX_RECOLOR_KEY)
                    D::Put(drow, i, isKey ? color : conv(v));
                else if (isKey)
                    continue;
                else if (j.type == CX_FX_SILHOUETTE)
                    D::Put(drow, i, color);
                else if ((j.dw - i) & 1)
                    D::Put(drow, i, conv(v));
            }
            break;
        default: {
            // Locals: stores through uint8_t pointers may alias anything, and
            // would otherwise force the job and the table to be read again.
            const C c(conv);
            const int32_t n = j.dw;
            const uint32_t key = j.key;
            const uint32_t stepX = j.stepX;
            if (!j.keyed)
            {
                if (contiguous)
                    for (int32_t i = 0; i < n; ++i)
                        D::Put(drow, i, c(S::Get(sp, i)));
                else if (!j.mirrorH)
                    StretchRow<S, D>(drow, sp, n, stepX, c);
                else
                    for (int32_t i = 0; i < n; ++i)
                        D::Put(drow, i, c(S::Get(srow, j.SourceColumn(i))));
            }
            else if (contiguous)
            {
                for (int32_t i = 0; i < n; ++i)
                {
                    const uint32_t v = S::Get(sp, i);
                    if (v != key)
                        D::Put(drow, i, c(v));
                }
            }
            else
            {
                for (int32_t i = 0; i < n; ++i)
                {
                    const uint32_t v = S::Get(srow, j.SourceColumn(i));
                    if (v != key)
                        D::Put(drow, i, c(v));
                }
            }
            break;
        }
        }
    }
}

// A plain copy between identical layouts: whole rows, or the keyed 16-bit row.
template <class P>
void SameFormatCopy(const CxBlitJob& j)
{
    const bool rows = j.OneToOne() && !j.mirrorH && !j.mirrorV &&
                      (j.type == CX_FX_NONE || j.type == CX_FX_MIRROR_H || j.type == CX_FX_MIRROR_V);
    if (rows && !j.keyed)
    {
        for (int32_t k = 0; k < j.dh; ++k)
            memmove(j.DestRowBits(k) + static_cast<int64_t>(j.d.left) * P::kBytes,
                    j.SourceRowBits(j.s.top + k) + static_cast<int64_t>(j.s.left) * P::kBytes,
                    static_cast<size_t>(j.dw) * P::kBytes);
        return;
    }
    if (rows && j.runs && (P::kBytes == 1 || P::kBytes == 2))
    {
        cx_rows::CopyKeyedSpans(j, P::kBytes);
        return;
    }
    if (rows && P::kBytes == 2)
    {
        for (int32_t k = 0; k < j.dh; ++k)
            CopyRowKeyed16(j.DestRowBits(k) + static_cast<int64_t>(j.d.left) * 2,
                           j.SourceRowBits(j.s.top + k) + static_cast<int64_t>(j.s.left) * 2, j.dw,
                           static_cast<uint16_t>(j.key));
        return;
    }
    DedicatedCopy<P, P>(j, ConvIdentity());
}

void Blend16(const CxBlitJob& j)
{
    uint32_t alpha = j.Param();
    if (alpha > 255)
        alpha = 255;
    const BlendSetup setup(alpha, LayoutOf(j.dst), j.keyed, static_cast<uint16_t>(j.key));
    for (int32_t k = 0; k < j.dh; ++k)
        BlendRow16(j.DestRowBits(k) + static_cast<int64_t>(j.d.left) * 2,
                   j.SourceRowBits(j.s.top + k) + static_cast<int64_t>(j.s.left) * 2, j.dw, setup);
}

// Per-pixel alpha from a 4-4-4-4 source onto a 16-bit destination, same size, no key.
void Alpha16(const CxBlitJob& j)
{
    const Layout from = LayoutOf(j.src);
    const Layout to = LayoutOf(j.dst);
    for (int32_t k = 0; k < j.dh; ++k)
    {
        const uint8_t* sp = j.SourceRowBits(j.s.top + k) + static_cast<int64_t>(j.s.left) * 2;
        uint8_t* dp = j.DestRowBits(k) + static_cast<int64_t>(j.d.left) * 2;
        for (int32_t i = 0; i < j.dw; ++i)
        {
            const uint32_t v = Load16(sp + 2 * i);
            const uint32_t a = from.Alpha255(v);
            if (a == 0)
                continue;
            uint8_t s[4], d[4];
            from.Decode(v, s);
            to.Decode(Load16(dp + 2 * i), d);
            d[0] = Mix255(d[0], s[0], a);
            d[1] = Mix255(d[1], s[1], a);
            d[2] = Mix255(d[2], s[2], a);
            Store16(dp + 2 * i, static_cast<uint16_t>(to.Encode(d)));
        }
    }
}

bool IsTable16Format(uint8_t format)
{
    return format == CX_PF_555 || format == CX_PF_565 || format == CX_PF_556 || format == CX_PF_655 ||
           format == CX_PF_555_ALT;
}
// Clips a copy of source rectangle s to destination rectangle d against both
// surfaces: first the destination (the source edges move with it, scaled for
// a stretched copy), then the source (the destination edges move one to
// one). False when nothing is left to draw.
bool ClipCopyRects(CxRect& d, CxRect& s, const CxRect& destBounds, const CxRect& sourceBounds)
{
    CxRect dc;
    if (!dc.Intersect(d, destBounds))
        return false;
    if ((d.Width() == s.Width() && d.Height() == s.Height()) || dc == d)
    {
        s.left += dc.left - d.left;
        s.top += dc.top - d.top;
        s.right += dc.right - d.right;
        s.bottom += dc.bottom - d.bottom;
    }
    else
    {
        const double scaleX = static_cast<double>(s.Width()) / d.Width();
        const double scaleY = static_cast<double>(s.Height()) / d.Height();
        s.left += RoundAway((dc.left - d.left) * scaleX);
        s.top += RoundAway((dc.top - d.top) * scaleY);
        s.right += RoundAway((dc.right - d.right) * scaleX);
        s.bottom += RoundAway((dc.bottom - d.bottom) * scaleY);
    }
    d = dc;
    CxRect sc;
    if (!sc.Intersect(s, sourceBounds))
        return false;
    d.left += sc.left - s.left;
    d.top += sc.top - s.top;
    d.right += sc.right - s.right;
    d.bottom += sc.bottom - s.bottom;
    s = sc;
    return d.Width() > 0 && d.Height() > 0 && s.Width() > 0 && s.Height() > 0;
}
} // namespace

// ---------------------------------------------------------------------------

inline const CxKeyRuns* CxDrawSurface::CurrentKeyRuns(uint32_t key, bool lockedOutside)
{
    if (!lockedOutside && m_pKeyRuns && m_pKeyRuns->IsUsable() &&
        m_pKeyRuns->Matches(key, m_nPixelVersion, m_nWidth, m_nHeight))
        return m_pKeyRuns;
    return KeyRunsFor(key, lockedOutside);
}

uint32_t CxDrawSurface::DrawAt(CxDrawSurface* destination, int32_t x, int32_t y, const CxRect* sourceRect,
                               uint32_t key, const ST_BLIT_FX* effect)
{
    const int32_t w = sourceRect ? sourceRect->Width() : m_nWidth;
    const int32_t h = sourceRect ? sourceRect->Height() : m_nHeight;
    const CxRect dest(x, y, x + w - 1, y + h - 1);
    return Draw(destination, &dest, sourceRect, key, effect);
}

uint32_t CxDrawSurface::Draw(CxDrawSurface* destination, const CxRect* destRect, const CxRect* sourceRect,
                             uint32_t key, const ST_BLIT_FX* effect)
{
    if (!destination || GetError() != CX_ERR_NONE || destination->GetError() != CX_ERR_NONE)
        return GetError();
    const int32_t type = effect ? effect->nType : CX_FX_NONE;
    if (type == CX_FX_HIDE)
        return GetError();
    if (key == CX_COLOR_NONE)
        key = m_nTransparentColor;

    // The surfaces' own rectangles, read from the fields (this runs for
    // every sprite of every frame).
    const CxRect destBounds(0, 0, destination->m_nWidth - 1, destination->m_nHeight - 1);
    const CxRect ownBounds(0, 0, m_nWidth - 1, m_nHeight - 1);
    // Each rectangle is built in its own branch: choosing between the
    // pointers and copying through the chosen one makes the compiler load
    // the whole rectangle at once from fields just stored one by one, a
    // load the processor cannot forward from those stores, and this stall
    // alone cost a small sprite's copy a sixth of its time.
    CxRect d, s;
    if (destRect)
        d = CxRect(destRect->left, destRect->top, destRect->right, destRect->bottom);
    else
        d = destBounds;
    if (sourceRect)
        s = CxRect(sourceRect->left, sourceRect->top, sourceRect->right, sourceRect->bottom);
    else
        s = ownBounds;
    if (d.Width() <= 0 || d.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0 ||
        !ClipCopyRects(d, s, destBounds, ownBounds))
        return GetError();

    // The source is only read (its span table stays valid); whether
    // someone else holds it locked is noted first.
    const bool lockedOutside = LockCount() > 0;
    if (!LockBitsReading())
        return GetError();
    if (!destination->LockBits())
    {
        UnlockReading();
        return GetError();
    }

    if (type == CX_FX_CALLBACK)
    {
        if (CxBlitFunction function = effect->GetFunction())
            function(this, destination, d, s, key, effect);
    }
    else
    {
        CxBlitJob job(this, destination, d, s, key, effect);
        if (job.OneToOne() && job.keyed && job.type == CX_FX_NONE && destination != this &&
            (m_nDepth == 8 || m_nDepth == 16) && (destination->m_nDepth == 8 || destination->m_nDepth == 16))
            job.runs = CurrentKeyRuns(key, lockedOutside);
        // The copy of nearly every sprite: a plain keyed copy between equal
        // formats through the span table, taken here without the routine
        // choice below, whose tests cost a small sprite a tenth of its time.
        if (job.runs && m_nDepth == destination->m_nDepth && (m_nDepth == 8 || SameLayoutAs(destination)))
            cx_rows::CopyKeyedSpans(job, m_nDepth / 8);
        else if (!DrawDedicated(job, destination, type))
            DrawThroughGeneral(destination, d, s, key, effect);
    }

    destination->Unlock();
    UnlockReading();
    return GetError();
}

void CxDrawSurface::DrawThroughGeneral(CxDrawSurface* destination, const CxRect& d, const CxRect& s,
                                       uint32_t key, const ST_BLIT_FX* effect)
{
    const int32_t type = effect ? effect->nType : CX_FX_NONE;
    CxDrawSurface* mask = (type == CX_FX_MASK || type == CX_FX_MASK_COLOR) ? effect->GetSurface() : nullptr;
    if (mask && !mask->LockBits())
        return;
    DrawGeneral(destination, d, s, key, effect);
    if (mask)
        mask->Unlock();
}

bool CxDrawSurface::DrawDedicated(CxBlitJob& job, CxDrawSurface* destination, int32_t type)
{
    const int32_t sd = m_nDepth;
    const int32_t dd = destination->m_nDepth;
    switch (type)
    {
    case CX_FX_ALPHA:
        if (sd != 16 || dd != 16 || !job.OneToOne() || job.keyed || m_nPixelFormat != CX_PF_4444)
            return false;
        Alpha16(job);
        return true;
    case CX_FX_OPACITY:
        if (sd != 16 || !SameLayoutAs(destination) || m_nAlphaBits != 0 || !job.OneToOne())
            return false;
        Blend16(job);
        return true;
    case CX_FX_MIRROR_V:
        if (sd != 16 || !SameLayoutAs(destination) || job.keyed)
            return false;
        DedicatedCopy<Px16, Px16>(job, ConvIdentity());
        return true;
    case CX_FX_TINT:
    case CX_FX_MASK:
    case CX_FX_MASK_COLOR:
        return false;
    default:
        // CX_FX_NONE, CX_FX_SCREEN_DOOR, CX_FX_RECOLOR_KEY, CX_FX_SILHOUETTE and
        // CX_FX_MIRROR_H (unknown types are CX_FX_NONE in the job).
        return DrawDedicatedPlain(job, destination);
    }
}

bool CxDrawSurface::DrawDedicatedPlain(CxBlitJob& job, CxDrawSurface* destination)
{
    const int32_t sd = m_nDepth;
    const int32_t dd = destination->m_nDepth;
    if (sd == 8 && dd == 8)
    {
        // 8-to-8 copies draw CX_FX_MIRROR_H as a plain keyed copy (no mirror).
        if (job.mirrorH)
        {
            job.mirrorH = false;
            job.type = CX_FX_NONE;
        }
        SameFormatCopy<Px8>(job);
        return true;
    }
    if (sd == 8 && dd == 16 && IsTable16Format(destination->m_nPixelFormat))
        return DrawPalettedTo16(job, destination->m_nPixelFormat);
    if (sd == 8 && (dd == 24 || dd == 32))
    {
        ConvTable32 conv;
        for (int i = 0; i < 256; ++i)
        {
            const uint8_t rgba[4] = {m_Palette[i * 3], m_Palette[i * 3 + 1], m_Palette[i * 3 + 2], 0};
            conv.table[i] = destination->EncodeColor(rgba);
        }
        if (dd == 24)
            DedicatedCopy<Px8, Px24>(job, conv);
        else
            DedicatedCopy<Px8, Px32>(job, conv);
        return true;
    }
    if ((sd == 16 || sd == 32) && dd == sd && SameLayoutAs(destination))
    {
        if (sd == 16)
            SameFormatCopy<Px16>(job);
        else
            SameFormatCopy<Px32>(job);
        return true;
    }
    if (sd == 24 && dd == 24)
    {
        SameFormatCopy<Px24>(job);
        return true;
    }
    if ((sd == 24 || sd == 32) && dd == 16)
    {
        if (sd == 24)
            DedicatedCopy<Px24, Px16>(job, ConvLayout{LayoutOf(this), LayoutOf(destination)});
        else
            DedicatedCopy<Px32, Px16>(job, ConvLayout{LayoutOf(this), LayoutOf(destination)});
        return true;
    }
    return false;
}

bool CxDrawSurface::DrawPalettedTo16(CxBlitJob& job, uint8_t format)
{
    if (!m_pPaletteTable16 || m_nTable16Format != format)
        BuildPaletteTable16(format);
    if (!m_pPaletteTable16)
        return false;
    if (job.OneToOne() && !job.keyed && job.type == CX_FX_NONE)
        PaletteRows8To16(job.DestRowBits(0) + static_cast<int64_t>(job.d.left) * 2, job.DestPitch(),
                         job.SourceRowBits(job.s.top) + job.s.left, job.SourcePitch(), job.dw, job.dh,
                         m_pPaletteTable16);
    else if (job.runs)
        cx_rows::CopyKeyedSpans8To16(job, m_pPaletteTable16);
    else
        DedicatedCopy<Px8, Px16>(job, ConvTable16{m_pPaletteTable16});
    return true;
}
