// CxKeyRuns: the opaque runs of a surface for one colour key, and the span
// copies that draw them. Internal to engine/graphics.
//
// A keyed copy of a sprite-like image (a disc, a truck, a glyph) spends most
// of its time deciding pixel by pixel what the key has already decided once:
// which spans of each row are drawn. The table holds, per row, the spans of
// pixels that are not the key (start column and length), so that a one-to-one
// keyed copy moves only those spans and never reads the key pixels or the
// destination under them.
//
// A row that breaks into many short spans (noise, dithering, one-pixel
// outlines) is not stored: it is marked dense and copied with the vector
// compare-and-select of the keyed row instead, which beats a loop over tiny
// spans. The table is therefore never larger than the surface: a stored row
// has at most one span per kDenseRowPixels pixels, four bytes each, against
// at least kDenseRowPixels bytes of pixels; the row index adds four bytes per
// row, and a table that would still not fit in the surface's own size (rows
// of one or two pixels) is not built.
//
// The table is valid for the pixels it was built from. CxDrawSurface counts
// every change of its pixels (every lock that may write, every hand-out of a
// writable pointer, every size or memory change) and rebuilds the table on
// the next keyed copy when the count or the key differs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class CxKeyRuns
{
public:
    struct Run
    {
        uint16_t start;
        uint16_t length;
    };

    // A row is stored as spans only when it has at most one span per this
    // many pixels; otherwise it is dense.
    static constexpr int32_t kDenseRowPixels = 8;

    CxKeyRuns() = default;
    CxKeyRuns(const CxKeyRuns&) = delete;
    CxKeyRuns& operator=(const CxKeyRuns&) = delete;
    ~CxKeyRuns();

    // Builds the table of an 8- or 16-bit image for the key and remembers
    // the pixel version it describes. False, leaving no usable table, when
    // the image is not 8 or 16 bits, wider than the span fields allow, would
    // need more memory than its own pixels, or memory is short.
    bool Build(const uint8_t* bits, int32_t width, int32_t height, int32_t pitch, int32_t depth, uint32_t key,
               uint32_t version);
    // Whether the table describes these pixels for this key (a failed build
    // also matches, so that it is not tried again for the same pixels).
    bool Matches(uint32_t key, uint32_t version, int32_t width, int32_t height) const
    {
        return m_bBuilt && m_nKey == key && m_nVersion == version && m_nWidth == width && m_nHeight == height;
    }
    bool IsUsable() const { return m_bUsable; }
    int32_t GetWidth() const { return m_nWidth; }
    void Invalidate() { m_bBuilt = false; }

    // The raw arrays, for loops that keep them in registers: entry y of the
    // row index is the first span of row y (bit 31 set for a dense row).
    const uint32_t* RowIndex() const { return m_pRowStart; }
    const Run* Runs() const { return m_pRuns; }
    static constexpr uint32_t kDenseRow = 0x80000000u;

    bool IsDenseRow(int32_t y) const { return (m_pRowStart[y] & kDenseBit) != 0; }
    const Run* RowBegin(int32_t y) const { return m_pRuns + (m_pRowStart[y] & ~kDenseBit); }
    const Run* RowEnd(int32_t y) const { return m_pRuns + (m_pRowStart[y + 1] & ~kDenseBit); }

    // Bytes held by the table (0 when none is allocated).
    size_t GetBytes() const;

private:
    static constexpr uint32_t kDenseBit = 0x80000000u;

    bool Reserve(int32_t rows, uint32_t runs);
    void Free();

    uint32_t* m_pRowStart = nullptr; // rows + 1 entries; bit 31 marks a dense row
    Run* m_pRuns = nullptr;
    int32_t m_nRowCapacity = 0;
    uint32_t m_nRunCapacity = 0;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    uint32_t m_nKey = 0;
    uint32_t m_nVersion = 0;
    bool m_bBuilt = false;
    bool m_bUsable = false;
};

struct CxBlitJob;

// Row routines shared by the copy routines.
namespace cx_rows {
// The keyed 16-bit row: vector compare-and-select, key groups skipped.
void CopyRowKeyed16(uint8_t* dst, const uint8_t* src, int32_t n, uint16_t key);
// One 8-bit row through a 16-bit palette table (no key), and `rows` rows
// of it; source and destination do not overlap.
void PaletteRow8To16(uint8_t* dst, const uint8_t* src, int32_t n, const uint16_t* table);
void PaletteRows8To16(uint8_t* __restrict dst, int64_t dstPitch, const uint8_t* __restrict src,
                      int64_t srcPitch, int32_t n, int32_t rows, const uint16_t* __restrict table);
#if defined(__x86_64__) || defined(__i386__)
bool HasAvx2();
#endif
// The one-to-one keyed copy of the job through its span table (job.runs):
// same-format 8- or 16-bit pixels, or 8-bit pixels through a 16-bit
// palette table. Dense rows take the keyed row routines.
void CopyKeyedSpans(const CxBlitJob& job, int32_t bytesPerPixel);
void CopyKeyedSpans8To16(const CxBlitJob& job, const uint16_t* table);
} // namespace cx_rows

namespace cx_spans {
#if defined(__SSE2__)
inline void Move16(uint8_t* dst, const uint8_t* src)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
}

// 16 to 64 bytes: two or four 16-byte moves, the upper half overlapping
// the lower one.
inline void Move16To64(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    if (bytes > 32)
    {
        Move16(dst + 16, src + 16);
        Move16(dst + bytes - 32, src + bytes - 32);
    }
    Move16(dst, src);
    Move16(dst + bytes - 16, src + bytes - 16);
}
#endif

// Copies `bytes` bytes between places that do not overlap. Spans of a sprite
// row are short (tens of pixels) and their lengths change from row to row,
// so the copy goes by size class, with the last moves of a class
// overlapping the first ones, instead of a loop whose exit would be
// mispredicted on almost every row; long spans go to the library copy.
inline void CopySpan(uint8_t* dst, const uint8_t* src, size_t bytes)
{
#if defined(__SSE2__)
    if (bytes >= 16)
    {
        if (bytes <= 64)
            Move16To64(dst, src, bytes);
        else if (bytes <= 128)
        {
            Move16To64(dst, src, 64);
            Move16To64(dst + bytes - 64, src + bytes - 64, 64);
        }
        else
            memcpy(dst, src, bytes);
        return;
    }
#endif
    if (bytes >= 8)
    {
        uint64_t head, tail;
        memcpy(&head, src, 8);
        memcpy(&tail, src + bytes - 8, 8);
        memcpy(dst, &head, 8);
        memcpy(dst + bytes - 8, &tail, 8);
    }
    else if (bytes >= 4)
    {
        uint32_t head, tail;
        memcpy(&head, src, 4);
        memcpy(&tail, src + bytes - 4, 4);
        memcpy(dst, &head, 4);
        memcpy(dst + bytes - 4, &tail, 4);
    }
    else if (bytes >= 2)
    {
        uint16_t head, tail;
        memcpy(&head, src, 2);
        memcpy(&tail, src + bytes - 2, 2);
        memcpy(dst, &head, 2);
        memcpy(dst + bytes - 2, &tail, 2);
    }
    else if (bytes == 1)
        *dst = *src;
}
} // namespace cx_spans
