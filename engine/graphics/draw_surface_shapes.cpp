// CxDrawSurface: lines, circles, rectangles, flood fill, flips, rotations and
// row packing.
#include "engine/graphics/draw_surface.h"

#include "engine/base/linked_list.h"
#include "engine/core/memory.h"
#include "engine/graphics/draw_surface_pixels.h"

#include <cstdlib>
#include <cstring>

using namespace cx_pixels;

namespace {
int64_t PitchFor(int32_t width, int32_t depth)
{
    int64_t pitch = static_cast<int64_t>(width) * depth / 8;
    if (depth < 8 && width % 8 != 0)
        ++pitch;
    return pitch;
}

uint32_t DepthMask(int32_t depth)
{
    return depth >= 32 ? 0xFFFFFFFFu : ((1u << depth) - 1u);
}
} // namespace

// ---------------------------------------------------------------------------
// Lines, circles, rectangles

uint32_t CxDrawSurface::DrawCircle(const ST_POINT& center, int32_t radius, uint32_t value)
{
    return DrawCircle(center.x, center.y, radius, value);
}

uint32_t CxDrawSurface::DrawCircle(int32_t x, int32_t y, int32_t radius, uint32_t value)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (!LockBits())
        return GetError();
    // Only the low 16 bits of the radius count. Points outside the surface are
    // dropped by SetPixel (the original wrote them unchecked).
    const int32_t r = static_cast<uint16_t>(radius);
    int32_t d = 3 - 2 * r;
    int32_t a = 0;
    int32_t b = r;
    auto eight = [&](int32_t p, int32_t q) {
        SetPixel(x + p, y + q, value);
        SetPixel(x - p, y + q, value);
        SetPixel(x + p, y - q, value);
        SetPixel(x - p, y - q, value);
        SetPixel(x + q, y + p, value);
        SetPixel(x - q, y + p, value);
        SetPixel(x + q, y - p, value);
        SetPixel(x - q, y - p, value);
    };
    while (a < b)
    {
        eight(a, b);
        if (d > 0)
        {
            d += 4 * (a - b) + 10;
            --b;
        }
        else
            d += 4 * a + 6;
        ++a;
    }
    if (a == b)
        eight(a, b);
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::DrawLine(const ST_POINT& from, const ST_POINT& to, uint32_t value)
{
    return DrawLine(from.x, from.y, to.x, to.y, value);
}

uint32_t CxDrawSurface::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t value)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    // A line wholly beyond one edge cannot touch the surface.
    if ((x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 >= m_nWidth && x2 >= m_nWidth) ||
        (y1 >= m_nHeight && y2 >= m_nHeight))
        return GetError();
    if (!LockBits())
        return GetError();
    // Bresenham, both ends included, every point through SetPixel (which clips).
    const int64_t dx = std::llabs(static_cast<int64_t>(x2) - x1);
    const int64_t dy = -std::llabs(static_cast<int64_t>(y2) - y1);
    const int32_t sx = x1 < x2 ? 1 : -1;
    const int32_t sy = y1 < y2 ? 1 : -1;
    int64_t err = dx + dy;
    int32_t x = x1;
    int32_t y = y1;
    for (;;)
    {
        SetPixel(x, y, value);
        if (x == x2 && y == y2)
            break;
        const int64_t e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y += sy;
        }
    }
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::FillCircle(const ST_POINT& center, int32_t radius, uint32_t value)
{
    return FillCircle(center.x, center.y, radius, value);
}

uint32_t CxDrawSurface::FillCircle(int32_t x, int32_t y, int32_t radius, uint32_t value)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    DrawCircle(x, y, radius, value);
    return FloodFill(x, y, value);
}

uint32_t CxDrawSurface::DrawRect(const CxRect& rect, uint32_t value)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    DrawLine(rect.left, rect.top, rect.right, rect.top, value);
    DrawLine(rect.right, rect.top, rect.right, rect.bottom, value);
    DrawLine(rect.right, rect.bottom, rect.left, rect.bottom, value);
    DrawLine(rect.left, rect.bottom, rect.left, rect.top, value);
    return GetError();
}

uint32_t CxDrawSurface::FillRect(const CxRect* rect, uint32_t value)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    CxRect r;
    if (!ClipToSurface(rect, r) || !LockBits())
        return GetError();
    const int32_t w = r.Width();
    for (int32_t y = r.top; y <= r.bottom; ++y)
    {
        uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nPitch;
        switch (m_nDepth)
        {
        case 8:
            memset(row + r.left, static_cast<uint8_t>(value), static_cast<size_t>(w));
            break;
        case 16:
            for (int32_t x = 0; x < w; ++x)
                Store16(row + 2 * (r.left + x), static_cast<uint16_t>(value));
            break;
        case 32:
            for (int32_t x = 0; x < w; ++x)
                Store32(row + 4 * (r.left + x), value);
            break;
        default:
            for (int32_t x = r.left; x <= r.right; ++x)
                WriteRaw(row, x, m_nDepth, value);
            break;
        }
    }
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::FloodFill(int32_t x, int32_t y, uint32_t value)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight || !LockBits())
        return GetError();
    // The value as it will read back, so that the fill always makes progress.
    value &= DepthMask(m_nDepth);
    const uint32_t old = ReadPixel(x, y);
    if (old != value)
    {
        CxQueue<ST_POINT> queue;
        WritePixel(x, y, value);
        queue.Enqueue(ST_POINT{x, y});
        const uint32_t w = static_cast<uint32_t>(m_nWidth);
        const uint32_t h = static_cast<uint32_t>(m_nHeight);
        static const int32_t offsets[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
        while (!queue.IsEmpty())
        {
            const ST_POINT p = queue.Dequeue();
            for (const auto& o : offsets)
            {
                const int32_t nx = p.x + o[0];
                const int32_t ny = p.y + o[1];
                // Unsigned: negative coordinates are outside, nothing wraps.
                if (static_cast<uint32_t>(nx) >= w || static_cast<uint32_t>(ny) >= h)
                    continue;
                if (ReadPixel(nx, ny) != old)
                    continue;
                WritePixel(nx, ny, value);
                if (!queue.Enqueue(ST_POINT{nx, ny}))
                {
                    SetError(CX_ERR_OUT_OF_MEMORY, "FloodFill: out of memory for the queue");
                    break;
                }
            }
        }
    }
    Unlock();
    return GetError();
}

// ---------------------------------------------------------------------------
// Flips and rotations

uint32_t CxDrawSurface::FlipHorizontal(const CxRect* rect)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    CxRect r;
    if (!ClipToSurface(rect, r) || !LockBits())
        return GetError();
    for (int32_t y = r.top; y <= r.bottom; ++y)
    {
        uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nPitch;
        for (int32_t a = r.left, b = r.right; a < b; ++a, --b)
        {
            const uint32_t va = ReadRaw(row, a, m_nDepth);
            WriteRaw(row, a, m_nDepth, ReadRaw(row, b, m_nDepth));
            WriteRaw(row, b, m_nDepth, va);
        }
    }
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::FlipVertical(const CxRect* rect)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    CxRect r;
    if (!ClipToSurface(rect, r) || !LockBits())
        return GetError();
    const size_t rowBytes = static_cast<size_t>(static_cast<int64_t>(r.Width()) * m_nDepth / 8);
    uint8_t* buffer = static_cast<uint8_t*>(CX_ALLOC(rowBytes));
    if (!buffer)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Error: FlipVertical - Could not allocate %ld bytes for row",
                 static_cast<long>(rowBytes));
        Unlock();
        return GetError();
    }
    const int32_t swaps = r.Height() / 2;
    for (int32_t i = 0; i < swaps; ++i)
    {
        uint8_t* top = m_pBits + static_cast<int64_t>(r.top + i) * m_nPitch;
        uint8_t* bottom = m_pBits + static_cast<int64_t>(r.bottom - i) * m_nPitch;
        if (m_nDepth >= 8)
        {
            const int64_t offset = static_cast<int64_t>(r.left) * m_nDepth / 8;
            memcpy(buffer, top + offset, rowBytes);
            memcpy(top + offset, bottom + offset, rowBytes);
            memcpy(bottom + offset, buffer, rowBytes);
        }
        else
        {
            // Sub-byte rows need not start on a byte: swap pixel by pixel.
            for (int32_t x = r.left; x <= r.right; ++x)
            {
                const uint32_t v = ReadRaw(top, x, m_nDepth);
                WriteRaw(top, x, m_nDepth, ReadRaw(bottom, x, m_nDepth));
                WriteRaw(bottom, x, m_nDepth, v);
            }
        }
    }
    CX_FREE(buffer);
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::Rotate(int32_t degrees)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    const int32_t angle = ((degrees % 360) + 360) % 360;
    switch (angle)
    {
    case 90:
        return RotateClockwise();
    case 180:
        FlipHorizontal(nullptr);
        return FlipVertical(nullptr);
    case 270:
        Rotate(90);
        FlipHorizontal(nullptr);
        return FlipVertical(nullptr);
    default:
        return GetError();
    }
}

// A quarter turn clockwise: the pixel at (x, y) moves to (height - 1 - y, x).
uint32_t CxDrawSurface::RotateClockwise()
{
    if (!IsCreated())
        return GetError();
    if (m_nWidth == m_nHeight)
    {
        // In place, in cycles of four around the centre.
        if (!LockBits())
            return GetError();
        const int32_t n = m_nWidth;
        for (int32_t i = 0; i < n / 2; ++i)
            for (int32_t j = i; j < n - 1 - i; ++j)
            {
                // p0 = (j, i) -> p1 = (n-1-i, j) -> p2 = (n-1-j, n-1-i) -> p3 = (i, n-1-j) -> p0
                const uint32_t v0 = ReadPixel(j, i);
                const uint32_t v1 = ReadPixel(n - 1 - i, j);
                const uint32_t v2 = ReadPixel(n - 1 - j, n - 1 - i);
                const uint32_t v3 = ReadPixel(i, n - 1 - j);
                WritePixel(n - 1 - i, j, v0);
                WritePixel(n - 1 - j, n - 1 - i, v1);
                WritePixel(i, n - 1 - j, v2);
                WritePixel(j, i, v3);
            }
        Unlock();
        return GetError();
    }

    // Not square: through a copy (in-place cycles of four only work for a square).
    CxDrawSurface copy(*this);
    if (copy.GetError() != CX_ERR_NONE)
    {
        SetError(copy.GetError(), "Rotate: could not copy the surface");
        return GetError();
    }
    const int32_t oldWidth = m_nWidth;
    const int32_t oldHeight = m_nHeight;
    if (HasExternalBits())
    {
        // The owner's block cannot grow: turn within it when the new rows fit.
        const int64_t pitch = PitchFor(oldHeight, m_nDepth);
        if (pitch * oldWidth > static_cast<int64_t>(m_nBitsSize))
        {
            SetError(CX_ERR_INVALID_ARGUMENT, "Rotate: the external memory is too small");
            return GetError();
        }
        m_nWidth = oldHeight;
        m_nHeight = oldWidth;
        m_nPitch = static_cast<int32_t>(pitch);
    }
    else
    {
        const uint8_t format[5] = {m_nPixelFormat, m_nAlphaBits, m_nRedBits, m_nGreenBits, m_nBlueBits};
        if (CreateSurface(oldHeight, oldWidth, m_nDepth, -1) != CX_ERR_NONE)
            return GetError();
        m_nPixelFormat = format[0];
        m_nAlphaBits = format[1];
        m_nRedBits = format[2];
        m_nGreenBits = format[3];
        m_nBlueBits = format[4];
    }
    if (copy.LockBits())
    {
        if (LockBits())
        {
            for (int32_t y = 0; y < oldHeight; ++y)
                for (int32_t x = 0; x < oldWidth; ++x)
                    WritePixel(oldHeight - 1 - y, x, copy.ReadPixel(x, y));
            Unlock();
        }
        copy.Unlock();
    }
    return GetError();
}

uint32_t CxDrawSurface::RotateHorizontal(int32_t dx)
{
    if (dx == 0 || GetError() != CX_ERR_NONE)
        return GetError();
    const int64_t rowBytes = static_cast<int64_t>(m_nWidth) * m_nDepth / 8;
    int64_t bytes = std::llabs(static_cast<int64_t>(dx) * m_nDepth / 8);
    if (rowBytes <= 0)
        return GetError();
    bytes %= rowBytes;
    if (bytes == 0 || !LockBits())
        return GetError();
    uint8_t* buffer = static_cast<uint8_t*>(CX_ALLOC(static_cast<size_t>(bytes)));
    if (!buffer)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "RotateHorizontal: could not allocate %ld bytes",
                 static_cast<long>(bytes));
        Unlock();
        return GetError();
    }
    const size_t n = static_cast<size_t>(bytes);
    const size_t rest = static_cast<size_t>(rowBytes - bytes);
    for (int32_t y = 0; y < m_nHeight; ++y)
    {
        uint8_t* row = m_pBits + static_cast<int64_t>(y) * m_nPitch;
        if (dx > 0)
        {
            // To the right: the last bytes come round to the front.
            memcpy(buffer, row + rest, n);
            memmove(row + n, row, rest);
            memcpy(row, buffer, n);
        }
        else
        {
            memcpy(buffer, row, n);
            memmove(row, row + n, rest);
            memcpy(row + rest, buffer, n);
        }
    }
    CX_FREE(buffer);
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::RotateLeft(int32_t dx)
{
    return RotateHorizontal(-dx);
}

// The original only locked and unlocked; completed here: rows move down by
// dy (up for negative dy), those leaving one end entering at the other.
uint32_t CxDrawSurface::RotateVertical(int32_t dy)
{
    if (GetError() != CX_ERR_NONE || !LockBits())
        return GetError();
    const int32_t h = m_nHeight;
    const int32_t shift = h > 0 ? ((dy % h) + h) % h : 0;
    if (shift != 0)
    {
        const size_t size = static_cast<size_t>(static_cast<int64_t>(m_nPitch) * h);
        uint8_t* copy = static_cast<uint8_t*>(CX_ALLOC(size));
        if (!copy)
            SetError(CX_ERR_OUT_OF_MEMORY, "RotateVertical: could not allocate %ld bytes",
                     static_cast<long>(size));
        else
        {
            memcpy(copy, m_pBits, size);
            for (int32_t y = 0; y < h; ++y)
                memcpy(m_pBits + static_cast<int64_t>((y + shift) % h) * m_nPitch,
                       copy + static_cast<int64_t>(y) * m_nPitch, static_cast<size_t>(m_nPitch));
            CX_FREE(copy);
        }
    }
    Unlock();
    return GetError();
}

uint32_t CxDrawSurface::RotateUp(int32_t dy)
{
    return RotateVertical(-dy);
}

uint32_t CxDrawSurface::PackRows()
{
    if (m_nDepth < 8 || GetError() != CX_ERR_NONE)
        return GetError();
    const int32_t rowBytes = static_cast<int32_t>(static_cast<int64_t>(m_nWidth) * m_nDepth / 8);
    if (m_nPitch <= rowBytes || !LockBits())
        return GetError();
    for (int32_t y = 1; y < m_nHeight; ++y)
        memmove(m_pBits + static_cast<int64_t>(y) * rowBytes, m_pBits + static_cast<int64_t>(y) * m_nPitch,
                static_cast<size_t>(rowBytes));
    m_nPitch = rowBytes;
    Unlock();
    return GetError();
}
