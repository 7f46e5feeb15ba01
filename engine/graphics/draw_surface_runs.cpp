// CxKeyRuns: building the table of opaque spans of an 8- or 16-bit image,
// and the keyed copies that go through it.
#include "engine/graphics/draw_surface_runs.h"

#include "engine/core/memory.h"
#include "engine/graphics/draw_surface_pixels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

using namespace cx_pixels;
using namespace cx_rows;

namespace {
// Calls emit(start, length) for every span of pixels that are not the key,
// left to right; returns the number of spans.
template <class Emit>
uint32_t ScanRow(const uint8_t* row, int32_t width, int32_t depth, uint32_t key, Emit emit)
{
    uint32_t count = 0;
    int32_t x = 0;
    while (x < width)
    {
        if (depth == 8)
            while (x < width && row[x] == key)
                ++x;
        else
            while (x < width && Load16(row + 2 * x) == key)
                ++x;
        if (x >= width)
            break;
        const int32_t start = x;
        if (depth == 8)
            while (x < width && row[x] != key)
                ++x;
        else
            while (x < width && Load16(row + 2 * x) != key)
                ++x;
        emit(start, x - start);
        ++count;
    }
    return count;
}

bool IsDense(uint32_t spans, int32_t width)
{
    return static_cast<uint64_t>(spans) * CxKeyRuns::kDenseRowPixels > static_cast<uint64_t>(width);
}
} // namespace

CxKeyRuns::~CxKeyRuns()
{
    Free();
}

void CxKeyRuns::Free()
{
    if (m_pRowStart)
        CX_FREE(m_pRowStart);
    if (m_pRuns)
        CX_FREE(m_pRuns);
    m_pRowStart = nullptr;
    m_pRuns = nullptr;
    m_nRowCapacity = 0;
    m_nRunCapacity = 0;
}

bool CxKeyRuns::Reserve(int32_t rows, uint32_t runs)
{
    // Memory left over from a larger image is given back.
    if (rows + 1 > m_nRowCapacity || m_nRowCapacity > 2 * (rows + 1) + 16)
    {
        if (m_pRowStart)
            CX_FREE(m_pRowStart);
        m_pRowStart = static_cast<uint32_t*>(CX_ALLOC(static_cast<size_t>(rows + 1) * sizeof(uint32_t)));
        m_nRowCapacity = m_pRowStart ? rows + 1 : 0;
        if (!m_pRowStart)
            return false;
    }
    if (runs > m_nRunCapacity || !m_pRuns || m_nRunCapacity > 2 * runs + 16)
    {
        if (m_pRuns)
            CX_FREE(m_pRuns);
        // At least one entry, so that an image without any span still has a table.
        const uint32_t capacity = runs > 0 ? runs : 1;
        m_pRuns = static_cast<Run*>(CX_ALLOC(static_cast<size_t>(capacity) * sizeof(Run)));
        m_nRunCapacity = m_pRuns ? capacity : 0;
        if (!m_pRuns)
            return false;
    }
    return true;
}

bool CxKeyRuns::Build(const uint8_t* bits, int32_t width, int32_t height, int32_t pitch, int32_t depth,
                      uint32_t key, uint32_t version)
{
    m_bBuilt = true;
    m_bUsable = false;
    m_nKey = key;
    m_nVersion = version;
    m_nWidth = width;
    m_nHeight = height;
    if (!bits || (depth != 8 && depth != 16) || width <= 0 || height <= 0 || width > 0xFFFF || pitch <= 0)
        return false;

    // First pass: how many spans the stored (not dense) rows need.
    uint64_t stored = 0;
    for (int32_t y = 0; y < height; ++y)
    {
        const uint32_t spans =
            ScanRow(bits + static_cast<int64_t>(y) * pitch, width, depth, key, [](int32_t, int32_t) {});
        if (!IsDense(spans, width))
            stored += spans;
    }
    const uint64_t bytes = (static_cast<uint64_t>(height) + 1) * sizeof(uint32_t) + stored * sizeof(Run);
    if (bytes > static_cast<uint64_t>(pitch) * static_cast<uint64_t>(height) || stored > 0x7FFFFFFFu)
    {
        Free();
        return false;
    }
    if (!Reserve(height, static_cast<uint32_t>(stored)))
    {
        Free();
        return false;
    }

    // Second pass: the spans themselves.
    uint32_t next = 0;
    for (int32_t y = 0; y < height; ++y)
    {
        const uint8_t* row = bits + static_cast<int64_t>(y) * pitch;
        const uint32_t first = next;
        const uint32_t spans = ScanRow(row, width, depth, key, [&](int32_t start, int32_t length) {
            // A dense row writes no more than its allowance; the rest is dropped below.
            if (next < m_nRunCapacity && next - first < static_cast<uint32_t>(width / kDenseRowPixels) + 1)
                m_pRuns[next++] = Run{static_cast<uint16_t>(start), static_cast<uint16_t>(length)};
        });
        if (IsDense(spans, width))
        {
            next = first;
            m_pRowStart[y] = first | kDenseBit;
        }
        else
            m_pRowStart[y] = first;
    }
    m_pRowStart[height] = next;
    m_bUsable = true;
    return true;
}

size_t CxKeyRuns::GetBytes() const
{
    return (m_pRowStart ? static_cast<size_t>(m_nRowCapacity) * sizeof(uint32_t) : 0) +
           (m_pRuns ? static_cast<size_t>(m_nRunCapacity) * sizeof(Run) : 0);
}

// ---------------------------------------------------------------------------
// Keyed copies through the table

namespace {
// The keyed 8-bit row, for rows the span table leaves dense.
void CopyRowKeyed8(uint8_t* dst, const uint8_t* src, int32_t n, uint8_t key)
{
    for (int32_t i = 0; i < n; ++i)
        if (src[i] != key)
            dst[i] = src[i];
}

void PaletteRowKeyed8To16(uint8_t* dst, const uint8_t* src, int32_t n, uint8_t key, const uint16_t* table)
{
    for (int32_t i = 0; i < n; ++i)
        if (src[i] != key)
            Store16(dst + 2 * i, table[src[i]]);
}

// Walks the clipped rectangle row by row: span(dst, src, offset, count) for
// every part of an opaque span inside the source columns (offset from the
// rectangle's left edge; dst and src point at the rectangle's left edge in
// the row), dense(dst, src) for a row the table does not store. Everything
// the loop needs is held in locals: stores through byte pointers may alias
// anything (the table's own fields too) and would otherwise reload the job
// and the table on every span.
template <class Span, class Dense>
inline void ForEachSpan(const CxBlitJob& j, int32_t srcBytes, int32_t dstBytes, Span span, Dense dense)
{
    const CxKeyRuns& runs = *j.runs;
    const int32_t left = j.s.left;
    const int32_t right = j.s.left + j.dw;
    // Rows drawn whole need no clipping of their spans.
    const bool whole = left == 0 && right == runs.GetWidth();
    const int32_t rows = j.dh;
    const int64_t srcPitch = j.SourcePitch();
    const int64_t dstPitch = j.DestPitch();
    const uint8_t* srow = j.SourceRowBits(j.s.top) + static_cast<int64_t>(left) * srcBytes;
    uint8_t* drow = j.DestRowBits(0) + static_cast<int64_t>(j.d.left) * dstBytes;
    const uint32_t* index = runs.RowIndex() + j.s.top;
    const CxKeyRuns::Run* const spans = runs.Runs();
    constexpr uint32_t denseBit = CxKeyRuns::kDenseRow;
    for (int32_t k = 0; k < rows; ++k, srow += srcPitch, drow += dstPitch)
    {
        const uint32_t first = index[k];
        if (first & denseBit)
        {
            dense(drow, srow);
            continue;
        }
        const CxKeyRuns::Run* r = spans + first;
        const CxKeyRuns::Run* const e = spans + (index[k + 1] & ~denseBit);
        if (whole)
        {
            for (; r != e; ++r)
                span(drow, srow, r->start, r->length);
            continue;
        }
        for (; r != e; ++r)
        {
            int32_t a = r->start;
            int32_t b = a + r->length;
            if (b <= left)
                continue;
            if (a >= right)
                break;
            if (a < left)
                a = left;
            if (b > right)
                b = right;
            span(drow, srow, a - left, b - a);
        }
    }
}

// The same-format keyed copy at 1 or 2 bytes a pixel; move(dst, src, bytes)
// copies one opaque span.
template <class Move>
inline void CopySameFormatSpans(const CxBlitJob& j, int32_t bytesPerPixel, Move move)
{
    const int32_t n = j.dw;
    const uint32_t key = j.key;
    if (bytesPerPixel == 2)
        ForEachSpan(
            j, 2, 2,
            [move](uint8_t* d, const uint8_t* s, int32_t offset, int32_t count) {
                move(d + offset * 2, s + offset * 2, static_cast<size_t>(count) * 2);
            },
            [n, key](uint8_t* d, const uint8_t* s) { CopyRowKeyed16(d, s, n, static_cast<uint16_t>(key)); });
    else
        ForEachSpan(
            j, 1, 1,
            [move](uint8_t* d, const uint8_t* s, int32_t offset, int32_t count) {
                move(d + offset, s + offset, static_cast<size_t>(count));
            },
            [n, key](uint8_t* d, const uint8_t* s) { CopyRowKeyed8(d, s, n, static_cast<uint8_t>(key)); });
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) inline __m256i LoadVec32(const uint8_t* src)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
}

__attribute__((target("avx2"))) inline void StoreVec32(uint8_t* dst, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), v);
}

// The span copy with 32-byte moves, by the same size classes as
// cx_spans::CopySpan. All loads of a span come before its stores, so that
// no load has to be checked against a store of the same span.
__attribute__((target("avx2"))) inline void CopySpanAvx2(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    if (bytes < 32)
    {
        cx_spans::CopySpan(dst, src, bytes);
        return;
    }
    if (bytes <= 64)
    {
        const __m256i a = LoadVec32(src), b = LoadVec32(src + bytes - 32);
        StoreVec32(dst, a);
        StoreVec32(dst + bytes - 32, b);
    }
    else if (bytes <= 128)
    {
        const __m256i a = LoadVec32(src), b = LoadVec32(src + 32);
        const __m256i c = LoadVec32(src + bytes - 64), d = LoadVec32(src + bytes - 32);
        StoreVec32(dst, a);
        StoreVec32(dst + 32, b);
        StoreVec32(dst + bytes - 64, c);
        StoreVec32(dst + bytes - 32, d);
    }
    else
        memcpy(dst, src, bytes);
}

// The same loop with 32-byte moves for processors with AVX2; flattened, so
// that the loop and its moves are compiled inline in this AVX2 function.
__attribute__((target("avx2"), flatten)) void CopySpansAvx2(const CxBlitJob& j, int32_t bytesPerPixel)
{
    CopySameFormatSpans(j, bytesPerPixel,
                        [](uint8_t* d, const uint8_t* s, size_t bytes) { CopySpanAvx2(d, s, bytes); });
}
#endif

} // namespace

// Same-format keyed copy (8 or 16 bits) through the span table.
void cx_rows::CopyKeyedSpans(const CxBlitJob& j, int32_t bytesPerPixel)
{
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2())
    {
        CopySpansAvx2(j, bytesPerPixel);
        return;
    }
#endif
    CopySameFormatSpans(j, bytesPerPixel,
                        [](uint8_t* d, const uint8_t* s, size_t bytes) { cx_spans::CopySpan(d, s, bytes); });
}

// 8-bit to 16-bit keyed copy through the span table and the palette table.
void cx_rows::CopyKeyedSpans8To16(const CxBlitJob& j, const uint16_t* table)
{
    const int32_t n = j.dw;
    const uint8_t key = static_cast<uint8_t>(j.key);
    ForEachSpan(
        j, 1, 2,
        [table](uint8_t* d, const uint8_t* s, int32_t offset, int32_t count) {
            PaletteRow8To16(d + offset * 2, s + offset, count, table);
        },
        [n, key, table](uint8_t* d, const uint8_t* s) { PaletteRowKeyed8To16(d, s, n, key, table); });
}
