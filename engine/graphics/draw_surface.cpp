// CxDrawSurface: construction, memory, description and pixel access. The
// palette and colour values, conversions and counting are in
// draw_surface_colors.cpp; drawing copies in draw_surface_blit.cpp (dedicated
// routines) and draw_surface_effects.cpp (the general routine); primitives and
// geometry in draw_surface_shapes.cpp.
#include "engine/graphics/draw_surface.h"

#include "engine/core/memory.h"
#include "engine/graphics/draw_surface_pixels.h"
#include "engine/graphics/draw_surface_runs.h"

#include <cstring>
#include <new>

using namespace cx_pixels;

namespace {
uint8_t s_nDefaultFormat16 = 0;

struct DefaultPalette
{
    uint8_t rgb[768];
    DefaultPalette()
    {
        for (int i = 0; i < 256; ++i)
            rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = static_cast<uint8_t>(i);
        // The 20 static colours of the Windows system palette.
        static const uint8_t low[10][3] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                                           {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                                           {192, 220, 192}, {166, 202, 240}};
        static const uint8_t high[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                            {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                            {0, 255, 255},   {255, 255, 255}};
        memcpy(rgb, low, sizeof(low));
        memcpy(rgb + 246 * 3, high, sizeof(high));
    }
};

const DefaultPalette s_DefaultPalette;

// Channel widths (alpha, red, green, blue) of the format codes 1-8.
const uint8_t s_FormatWidths[9][4] = {
    {0, 0, 0, 0}, {0, 5, 5, 5}, {0, 5, 6, 5}, {0, 5, 5, 6}, {0, 6, 5, 5},
    {0, 8, 8, 8}, {4, 4, 4, 4}, {0, 0, 0, 0}, {0, 5, 5, 5},
};

int64_t ComputePitch(int32_t width, int32_t depth)
{
    int64_t pitch = static_cast<int64_t>(width) * depth / 8;
    if (depth < 8 && width % 8 != 0)
        ++pitch;
    return pitch;
}
} // namespace

// ---------------------------------------------------------------------------
// Construction and memory

CxDrawSurface::CxDrawSurface()
{
    memcpy(m_Palette, s_DefaultPalette.rgb, sizeof(m_Palette));
    UpdateCacheData();
}

CxDrawSurface::CxDrawSurface(int32_t width, int32_t height, int32_t depth, void* externalBits,
                             uint8_t pixelFormat)
{
    memcpy(m_Palette, s_DefaultPalette.rgb, sizeof(m_Palette));
    m_nWidth = width;
    m_nHeight = height;
    m_nDepth = depth;
    m_nPitch = static_cast<int32_t>(ComputePitch(width, depth));
    if (externalBits)
    {
        m_pBits = static_cast<uint8_t*>(externalBits);
        m_nFlags |= CX_SURFACE_EXTERNAL;
    }
    UpdateCacheData();
    CreateSurface(width, height, depth, -1);
    SetPixelFormat(pixelFormat);
}

CxDrawSurface::CxDrawSurface(const CxDrawSurface& other) : CxError(), CxObject(), CxCachedObject()
{
    memcpy(m_Palette, s_DefaultPalette.rgb, sizeof(m_Palette));
    UpdateCacheData();
    CopyFrom(&other);
}

CxDrawSurface::~CxDrawSurface()
{
    // Qualified: the derived part is gone already, this class's versions are meant.
    CxDrawSurface::DestroySurface();
    CxDrawSurface::FreePaletteTable16();
    delete m_pKeyRuns;
}

void CxDrawSurface::UpdateCacheData()
{
    // External memory belongs to its owner: it is never swapped out or restored.
    if (m_nFlags & CX_SURFACE_EXTERNAL)
        SetCacheData<uint8_t>(nullptr, nullptr);
    else
        SetCacheData(&m_pBits, &m_nBitsSize);
}

bool CxDrawSurface::Reacquire()
{
    PixelsChanged();
    if (GetError() != CX_ERR_NONE)
        return false;
    const uint64_t size = static_cast<uint64_t>(m_nHeight > 0 ? m_nHeight : 0) *
                          static_cast<uint64_t>(m_nPitch > 0 ? m_nPitch : 0);
    if (m_nFlags & CX_SURFACE_EXTERNAL)
    {
        m_nBitsSize = static_cast<uint32_t>(size);
        return true;
    }
    if (m_pBits)
    {
        CX_FREE(m_pBits);
        m_pBits = nullptr;
    }
    m_nBitsSize = 0;
    // A surface that was destroyed (or never created) gets no memory back.
    if (!(m_nFlags & CX_SURFACE_CREATED) || size == 0)
        return true;
    if (size > 0xFFFFFFFFu)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Unable to allocate %ld bytes for m_pBits", static_cast<long>(size));
        return false;
    }
    // Zero-filled so that a new surface reads the same on every run.
    m_pBits = static_cast<uint8_t*>(CX_ALLOC_ZERO(static_cast<size_t>(size)));
    if (!m_pBits)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Unable to allocate %ld bytes for m_pBits", static_cast<long>(size));
        return false;
    }
    m_nBitsSize = static_cast<uint32_t>(size);
    SetResident(true);
    return true;
}

void CxDrawSurface::Release()
{
    PixelsChanged();
    if (!(m_nFlags & CX_SURFACE_EXTERNAL) && m_pBits)
    {
        CX_FREE(m_pBits);
        m_pBits = nullptr;
    }
    m_nBitsSize = 0;
}

size_t CxDrawSurface::GetKeyRunsBytes() const
{
    return m_pKeyRuns ? m_pKeyRuns->GetBytes() : 0;
}

const CxKeyRuns* CxDrawSurface::KeyRunsFor(uint32_t key, bool lockedOutside)
{
    if (lockedOutside || (m_nFlags & CX_SURFACE_EXTERNAL) || (m_nDepth != 8 && m_nDepth != 16) || !m_pBits)
        return nullptr;
    if (m_pKeyRuns && m_pKeyRuns->Matches(key, m_nPixelVersion, m_nWidth, m_nHeight))
        return m_pKeyRuns->IsUsable() ? m_pKeyRuns : nullptr;
    if (!m_bRunsAsked || m_nRunsAskedVersion != m_nPixelVersion || m_nRunsAskedKey != key)
    {
        // The first copy of these pixels: remember them, build on the next.
        m_bRunsAsked = true;
        m_nRunsAskedVersion = m_nPixelVersion;
        m_nRunsAskedKey = key;
        return nullptr;
    }
    if (!m_pKeyRuns)
        m_pKeyRuns = new (std::nothrow) CxKeyRuns;
    if (!m_pKeyRuns)
        return nullptr;
    m_pKeyRuns->Build(m_pBits, m_nWidth, m_nHeight, m_nPitch, m_nDepth, key, m_nPixelVersion);
    return m_pKeyRuns->IsUsable() ? m_pKeyRuns : nullptr;
}

uint32_t CxDrawSurface::CopyFrom(const CxDrawSurface* source)
{
    if (!source || source == this)
        return GetError();
    CxDrawSurface* src = const_cast<CxDrawSurface*>(source);
    m_nUserValue = src->m_nUserValue;
    m_nTransparentColor = src->m_nTransparentColor;
    SetPalette(src->m_Palette);
    if (!src->IsCreated())
    {
        DestroySurface();
        m_nWidth = src->m_nWidth;
        m_nHeight = src->m_nHeight;
        m_nDepth = src->m_nDepth;
        m_nPitch = src->m_nPitch;
    }
    else if (CreateSurface(src->m_nWidth, src->m_nHeight, src->m_nDepth, src->m_nPitch) == CX_ERR_NONE)
    {
        if (src->LockBitsReading())
        {
            if (LockBits())
            {
                const uint32_t size = m_nBitsSize < src->m_nBitsSize ? m_nBitsSize : src->m_nBitsSize;
                memcpy(m_pBits, src->m_pBits, size);
                Unlock();
            }
            src->UnlockReading();
        }
    }
    m_nPixelFormat = src->m_nPixelFormat;
    m_nAlphaBits = src->m_nAlphaBits;
    m_nRedBits = src->m_nRedBits;
    m_nGreenBits = src->m_nGreenBits;
    m_nBlueBits = src->m_nBlueBits;
    return GetError();
}

uint32_t CxDrawSurface::CreateSurface(int32_t width, int32_t height, int32_t depth, int32_t pitch)
{
    DestroySurface();
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (width < 0 || height < 0 || !IsSupportedDepth(depth) || pitch < -1)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Invalid surface %d x %d x %d, pitch %d", width, height, depth,
                 pitch);
        return GetError();
    }
    m_nWidth = width;
    m_nHeight = height;
    m_nDepth = depth;
    SetPixelFormat(CX_PF_DEFAULT);
    const int64_t computed = ComputePitch(width, depth);
    if (computed > INT32_MAX)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Unable to allocate %ld bytes for m_pBits",
                 static_cast<long>(computed * height));
        return GetError();
    }
    m_nPitch = pitch != -1 ? pitch : static_cast<int32_t>(computed);
    // Reacquire allocates only for a created surface, so the bit goes first.
    m_nFlags |= CX_SURFACE_CREATED;
    Lock();
    Unlock();
    if (GetError() != CX_ERR_NONE)
        m_nFlags &= ~CX_SURFACE_CREATED;
    return GetError();
}

uint32_t CxDrawSurface::DestroySurface()
{
    PixelsChanged();
    Release();
    SetResident(false);
    m_nFlags &= ~CX_SURFACE_CREATED;
    // A swap file of the old contents must not come back into new memory:
    // with the memory released, restoring only deletes the file.
    CxCachedObject::RestoreFromCache();
    return GetError();
}

uint32_t CxDrawSurface::RestoreFromCache()
{
    if (HasCacheFile() && !m_pBits && IsCreated() && !HasExternalBits())
        return CX_ERR_OUT_OF_MEMORY;
    return CxCachedObject::RestoreFromCache();
}

CxDrawSurface* CxDrawSurface::Extract(const CxRect& rect)
{
    if (GetError() != CX_ERR_NONE)
        return nullptr;
    CxDrawSurface* surface = new (std::nothrow) CxDrawSurface;
    if (!surface)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Unable to allocate a new CxDrawSurface");
        return nullptr;
    }
    if (surface->CreateSurface(rect.Width(), rect.Height(), m_nDepth, -1) != CX_ERR_NONE)
    {
        SetError(surface->GetError(), "CreateSurface() failed");
        delete surface;
        return nullptr;
    }
    if (m_nDepth > 8)
    {
        surface->m_nPixelFormat = m_nPixelFormat;
        surface->m_nAlphaBits = m_nAlphaBits;
        surface->m_nRedBits = m_nRedBits;
        surface->m_nGreenBits = m_nGreenBits;
        surface->m_nBlueBits = m_nBlueBits;
    }
    else
        surface->SetPalette(m_Palette);
    // An exact copy: the transparent colour is not applied here, so the new
    // surface holds the key pixels too (the original left them undefined).
    ST_BLIT_FX plain;
    CxRect dest(0, 0, rect.Width() - 1, rect.Height() - 1);
    const uint32_t saved = m_nTransparentColor;
    m_nTransparentColor = CX_COLOR_NONE;
    Draw(surface, &dest, &rect, CX_COLOR_NONE, &plain);
    m_nTransparentColor = saved;
    return surface;
}

uint8_t* CxDrawSurface::GetBits()
{
    // The caller may write through the pointer.
    PixelsChanged();
    return m_pBits;
}

uint8_t* CxDrawSurface::GetPixelAddress(const ST_POINT& point)
{
    return GetPixelAddressRaw(point.x, point.y);
}

uint8_t* CxDrawSurface::GetPixelAddress(int32_t x, int32_t y)
{
    return GetPixelAddressRaw(x, y);
}

uint8_t* CxDrawSurface::GetPixelAddressRaw(int32_t x, int32_t y)
{
    PixelsChanged();
    return m_pBits + (static_cast<int64_t>(m_nDepth) * x) / 8 + static_cast<int64_t>(m_nPitch) * y;
}

// ---------------------------------------------------------------------------
// Description

CxSize CxDrawSurface::GetSize() const
{
    return CxSize(m_nWidth, m_nHeight);
}

CxRect CxDrawSurface::GetRect() const
{
    return CxRect(0, 0, m_nWidth - 1, m_nHeight - 1);
}

int32_t CxDrawSurface::GetWidth() const
{
    return m_nWidth;
}

int32_t CxDrawSurface::GetHeight() const
{
    return m_nHeight;
}

int32_t CxDrawSurface::GetDepth() const
{
    return m_nDepth;
}

int32_t CxDrawSurface::GetPitch() const
{
    return m_nPitch;
}

uint8_t CxDrawSurface::GetRedBits() const
{
    return m_nRedBits;
}

uint8_t CxDrawSurface::GetGreenBits() const
{
    return m_nGreenBits;
}

uint8_t CxDrawSurface::GetBlueBits() const
{
    return m_nBlueBits;
}

uint8_t CxDrawSurface::GetAlphaBits() const
{
    return m_nAlphaBits;
}

uint32_t CxDrawSurface::SetUserFlags(uint32_t bits)
{
    const uint32_t old = m_nFlags;
    m_nFlags = (m_nFlags & ~CX_SURFACE_USER_MASK) | (bits & CX_SURFACE_USER_MASK);
    return old;
}

uint32_t CxDrawSurface::GetUserFlags() const
{
    return m_nFlags & CX_SURFACE_USER_MASK;
}

bool CxDrawSurface::HasUserFlags(uint32_t mask) const
{
    return (m_nFlags & mask) == mask;
}

bool CxDrawSurface::IsCreated() const
{
    return (m_nFlags & CX_SURFACE_CREATED) != 0;
}

void CxDrawSurface::SetUserValue(int32_t value)
{
    m_nUserValue = value;
}

int32_t CxDrawSurface::GetUserValue() const
{
    return m_nUserValue;
}

void CxDrawSurface::SetTransparentColor(uint32_t color)
{
    m_nTransparentColor = color;
}

uint32_t CxDrawSurface::GetTransparentColor() const
{
    return m_nTransparentColor;
}

void CxDrawSurface::SetPixelFormat(uint8_t code)
{
    if (code == CX_PF_DEFAULT)
    {
        if (m_nDepth >= 1 && m_nDepth <= 8)
            code = CX_PF_PALETTE;
        else if (m_nDepth == 16)
            code = s_nDefaultFormat16 ? s_nDefaultFormat16 : CX_PF_555;
        else if (m_nDepth == 24 || m_nDepth == 32)
            code = CX_PF_888;
    }
    m_nPixelFormat = code;
    if (code > CX_PF_555_ALT)
        return;
    m_nAlphaBits = s_FormatWidths[code][0];
    m_nRedBits = s_FormatWidths[code][1];
    m_nGreenBits = s_FormatWidths[code][2];
    m_nBlueBits = s_FormatWidths[code][3];
    if (code == CX_PF_888 && m_nDepth == 32)
        m_nAlphaBits = 8;
}

uint8_t CxDrawSurface::GetPixelFormat() const
{
    return m_nPixelFormat;
}

void CxDrawSurface::SetExternalBits(bool external)
{
    if (external == HasExternalBits())
        return;
    PixelsChanged();
    if (external)
    {
        // Own memory would leak once the flag says it is someone else's.
        Release();
        m_nFlags |= CX_SURFACE_EXTERNAL;
    }
    else
    {
        // The owner's memory stays with the owner; own memory comes at the next lock.
        m_pBits = nullptr;
        m_nFlags &= ~CX_SURFACE_EXTERNAL;
        SetResident(false);
    }
    UpdateCacheData();
}

bool CxDrawSurface::HasExternalBits() const
{
    return (m_nFlags & CX_SURFACE_EXTERNAL) != 0;
}

void CxDrawSurface::SetBits(void* bits)
{
    if (HasExternalBits())
        m_pBits = static_cast<uint8_t*>(bits);
    PixelsChanged();
}

void CxDrawSurface::SetName(const char* name)
{
    m_strName = name ? name : "";
}

void CxDrawSurface::GetName(CxString& name) const
{
    name = m_strName;
}

void CxDrawSurface::SetPitch(int32_t pitch)
{
    m_nPitch = pitch;
    PixelsChanged();
}

void CxDrawSurface::SetDepth(int32_t depth)
{
    m_nDepth = depth;
    PixelsChanged();
}

void CxDrawSurface::SetWidth(int32_t width)
{
    m_nWidth = width;
    PixelsChanged();
}

void CxDrawSurface::SetHeight(int32_t height)
{
    m_nHeight = height;
    PixelsChanged();
}

void CxDrawSurface::SetDefaultFormat16(uint8_t format)
{
    s_nDefaultFormat16 = format;
}

uint8_t CxDrawSurface::GetDefaultFormat16()
{
    return s_nDefaultFormat16;
}

const uint8_t* CxDrawSurface::GetDefaultPalette()
{
    return s_DefaultPalette.rgb;
}

bool CxDrawSurface::ClipToSurface(const CxRect* rect, CxRect& clipped) const
{
    if (!rect)
    {
        clipped = GetRect();
        return !clipped.IsEmpty();
    }
    return clipped.Intersect(*rect, GetRect());
}

// ---------------------------------------------------------------------------
// Pixels

uint32_t CxDrawSurface::ReadPixel(int32_t x, int32_t y) const
{
    return ReadRaw(m_pBits + static_cast<int64_t>(y) * m_nPitch, x, m_nDepth);
}

void CxDrawSurface::WritePixel(int32_t x, int32_t y, uint32_t value)
{
    WriteRaw(m_pBits + static_cast<int64_t>(y) * m_nPitch, x, m_nDepth, value);
}

void CxDrawSurface::DecodeColor(uint32_t raw, uint8_t rgba[4]) const
{
    if (m_nDepth <= 8)
    {
        const uint8_t* entry = m_Palette + (raw & 0xFF) * 3;
        rgba[0] = entry[0];
        rgba[1] = entry[1];
        rgba[2] = entry[2];
        rgba[3] = 0;
        return;
    }
    Layout(m_nDepth, m_nAlphaBits, m_nRedBits, m_nGreenBits, m_nBlueBits).Decode(raw, rgba);
}

uint32_t CxDrawSurface::EncodeColor(const uint8_t rgba[4]) const
{
    if (m_nDepth <= 8)
        return static_cast<uint32_t>(NearestPaletteIndex(rgba[0], rgba[1], rgba[2], 1 << m_nDepth));
    return Layout(m_nDepth, m_nAlphaBits, m_nRedBits, m_nGreenBits, m_nBlueBits).Encode(rgba);
}

int32_t CxDrawSurface::NearestPaletteIndex(uint8_t red, uint8_t green, uint8_t blue, int32_t entries) const
{
    if (entries > 256)
        entries = 256;
    int32_t best = 0;
    int32_t bestDistance = 0x30000;
    for (int32_t i = 0; i < entries; ++i)
    {
        const int32_t dr = m_Palette[i * 3] - red;
        const int32_t dg = m_Palette[i * 3 + 1] - green;
        const int32_t db = m_Palette[i * 3 + 2] - blue;
        const int32_t distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

uint32_t CxDrawSurface::GetPixel(const ST_POINT& point)
{
    return GetPixel(point.x, point.y);
}

uint32_t CxDrawSurface::GetPixel(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight || !LockBitsReading())
        return 0;
    const uint32_t value = ReadPixel(x, y);
    UnlockReading();
    return value;
}

uint8_t CxDrawSurface::GetRed(int32_t x, int32_t y)
{
    if (!IsSupportedDepth(m_nDepth))
        return 0;
    uint8_t rgba[4];
    DecodeColor(GetPixel(x, y), rgba);
    return rgba[0];
}

uint8_t CxDrawSurface::GetGreen(int32_t x, int32_t y)
{
    if (!IsSupportedDepth(m_nDepth))
        return 0;
    uint8_t rgba[4];
    DecodeColor(GetPixel(x, y), rgba);
    return rgba[1];
}

uint8_t CxDrawSurface::GetBlue(int32_t x, int32_t y)
{
    if (!IsSupportedDepth(m_nDepth))
        return 0;
    uint8_t rgba[4];
    DecodeColor(GetPixel(x, y), rgba);
    return rgba[2];
}

void CxDrawSurface::SetPixel(int32_t x, int32_t y, uint32_t value)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight || !LockBits())
        return;
    WritePixel(x, y, value);
    Unlock();
}

void CxDrawSurface::SetPixel(const ST_POINT& point, uint32_t value)
{
    SetPixel(point.x, point.y, value);
}

uint32_t CxDrawSurface::CopyPixelsTo(CxDrawSurface* destination)
{
    if (!destination || GetError() != CX_ERR_NONE || destination->GetError() != CX_ERR_NONE)
        return GetError();
    if (!LockBitsReading())
        return GetError();
    if (destination->LockBits())
    {
        // pitch x height bytes, but never past either block.
        uint64_t size = static_cast<uint64_t>(m_nPitch) * static_cast<uint64_t>(m_nHeight);
        if (size > m_nBitsSize)
            size = m_nBitsSize;
        if (!destination->HasExternalBits() && size > destination->m_nBitsSize)
            size = destination->m_nBitsSize;
        memmove(destination->m_pBits, m_pBits, static_cast<size_t>(size));
        destination->Unlock();
    }
    UnlockReading();
    return GetError();
}
