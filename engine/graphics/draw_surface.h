// CxDrawSurface: the engine's pixel image.
//
// A rectangle of pixels in memory with its own palette and pixel-format
// description, and every software drawing operation of the engine: pixel
// access, colour conversion, lines, circles, rectangles, flood fill, flips,
// depth conversion and the clipped, scaled and keyed copy of one surface onto
// another with optional effects.
//
// The pixel memory is held through CxCachedObject: it may be
// written to a swap file and released while the surface is unlocked, and is
// brought back on the next Lock. Every operation that touches pixels brackets
// itself with Lock/Unlock and does nothing when the lock leaves no memory.
//
// Memory layout. Rows are stored top row first; row y starts at m_pBits +
// y * pitch and pixel x at byte x * depth / 8 of its row. Sub-byte pixels are
// packed from the most significant bit down (depth 1: bit 7 - x % 8; depth 2:
// x % 4 == 0 is bits 7-6; depth 4: even x is the high nibble).
//
// Raw pixel values (GetPixel, SetPixel, FillRect, FloodFill, colour keys):
// - depths 1-8: the palette index;
// - depth 16: the word, red in the top bits, then green, then blue, each as
//   wide as the pixel format says (5-6-5: red 15-11, green 10-5, blue 4-0);
//   format 6 (4-4-4-4) keeps alpha in the top nibble;
// - depth 24: the bytes b0 b1 b2 in memory read as b0 << 16 | b1 << 8 | b2.
//   Memory holds blue, green, red, so the value is 0x00BBGGRR;
// - depth 32: the little-endian word, 0x00RRGGBB (AARRGGBB with alpha).
//
// Note: MakeColor packs red into the top bits at every depth, so at depth 24
// its result is 0x00RRGGBB and does NOT match the raw 24-bit value
// (0x00BBGGRR) of the same colour. Internal conversions (Draw,
// ConvertDepth, Blur) write 24-bit pixels in the memory layout, never through
// MakeColor.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/base/object.h"
#include "engine/core/cached_object.h"
#include "engine/core/error.h"

#include <cstddef>
#include <cstdint>

class CxDrawSurface;
class CxKeyRuns;
struct CxBlitJob;

// All ones: "no colour" for keys and colours; as a Draw key, "use the
// surface's transparent colour".
constexpr uint32_t CX_COLOR_NONE = 0xFFFFFFFFu;

// Flag bits of a surface (bits 0-29 are the user's).
constexpr uint32_t CX_SURFACE_CREATED = 0x80000000u;
constexpr uint32_t CX_SURFACE_EXTERNAL = 0x40000000u;
constexpr uint32_t CX_SURFACE_USER_MASK = 0x3FFFFFFFu;

// Pixel-format codes (SetPixelFormat).
constexpr uint8_t CX_PF_DEFAULT = 0;
constexpr uint8_t CX_PF_555 = 1;
constexpr uint8_t CX_PF_565 = 2;
constexpr uint8_t CX_PF_556 = 3;
constexpr uint8_t CX_PF_655 = 4;
constexpr uint8_t CX_PF_888 = 5;
constexpr uint8_t CX_PF_4444 = 6;
constexpr uint8_t CX_PF_PALETTE = 7;
constexpr uint8_t CX_PF_555_ALT = 8;

// Effect types of ST_BLIT_FX (first field).
constexpr int32_t CX_FX_NONE = 0;        // plain copy (key pixels skipped)
constexpr int32_t CX_FX_SCREEN_DOOR = 2; // pixel i of a row of width w drawn only when w - i is odd
constexpr int32_t CX_FX_ALPHA = 3;       // per-pixel alpha from the source's alpha channel
constexpr int32_t CX_FX_OPACITY = 6;     // constant opacity 0-255 in the second field
constexpr int32_t CX_FX_RECOLOR_KEY = 8; // key pixels written as the colour of the second field
constexpr int32_t CX_FX_SILHOUETTE = 9;  // non-key pixels written as the colour of the second field
constexpr int32_t CX_FX_TINT = 10;       // drawn pixels tinted halfway toward the second field's colour
constexpr int32_t CX_FX_MIRROR_H = 11;   // mirror left to right
constexpr int32_t CX_FX_MIRROR_V = 12;   // mirror top to bottom
constexpr int32_t CX_FX_HIDE = 14;       // draw nothing
constexpr int32_t CX_FX_MASK = 15;       // draw through the surface in the second field
constexpr int32_t CX_FX_MASK_COLOR = 16; // the same, writing the third field's colour
constexpr int32_t CX_FX_CALLBACK = 17;   // call the function in the second field instead

// The function of effect 17: called with both surfaces locked and the
// clipped rectangles (the same size unless the copy stretches) instead of
// the copy; its result is ignored.
typedef uint32_t (*CxBlitFunction)(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& destRect,
                                   const CxRect& sourceRect, uint32_t key, const struct ST_BLIT_FX* effect);

// The optional effect record of a copy: four words, the second of which holds
// a pointer for CX_FX_MASK, CX_FX_MASK_COLOR and CX_FX_CALLBACK and is
// therefore as wide as a pointer. Meaning of the second field by type:
// - CX_FX_ALPHA: not read; the weight is the source pixel's alpha scaled to
//   0-255 (4-bit 15 is 255); a source without alpha bits is opaque;
// - CX_FX_OPACITY: the opacity 0-255 (0 leaves the destination, 255 copies the source);
// - CX_FX_RECOLOR_KEY, CX_FX_SILHOUETTE: a raw pixel value of the destination's format;
// - CX_FX_TINT: a colour 0x00RRGGBB (whatever the destination's format);
//   every drawn pixel's red, green and blue (8-bit) become
//   (source + colour) / 2, then are packed in the destination's format.
//   Keying applies as in CX_FX_NONE. (Flashing buttons tint with their flash colour.)
// - CX_FX_MASK, CX_FX_MASK_COLOR: a CxDrawSurface* mask, laid over the
//   destination surface at its origin: a pixel is drawn only where the mask
//   has a pixel at the same destination position and that pixel is not the
//   mask's transparent colour (a null mask draws as CX_FX_NONE, a mask
//   without memory draws nothing);
// - CX_FX_CALLBACK: a CxBlitFunction.
// The third field is the colour of CX_FX_MASK_COLOR (a raw destination value;
// all ones for none). The fourth is not read by the copy routines.
struct ST_BLIT_FX
{
    int32_t nType = CX_FX_NONE;
    uintptr_t nParam = 0;
    uint32_t nColor = CX_COLOR_NONE;
    uint32_t nReserved = 0;

    CxDrawSurface* GetSurface() const { return reinterpret_cast<CxDrawSurface*>(nParam); }
    void SetSurface(CxDrawSurface* surface) { nParam = reinterpret_cast<uintptr_t>(surface); }
    CxBlitFunction GetFunction() const { return reinterpret_cast<CxBlitFunction>(nParam); }
    void SetFunction(CxBlitFunction function) { nParam = reinterpret_cast<uintptr_t>(function); }
};

// A colour of BuildPalette's reduction tree.
struct ST_PALINFO
{
    uint32_t nCount = 0;
    int32_t nIndex = -1; // fixed palette index, -1 for none
};

class CxDrawSurface : public CxError, public CxObject, public CxCachedObject
{
public:
    CxDrawSurface();
    // Stores the dimensions, records external bits (when not null), creates the
    // surface and sets the pixel format.
    CxDrawSurface(int32_t width, int32_t height, int32_t depth, void* externalBits = nullptr,
                  uint8_t pixelFormat = CX_PF_DEFAULT);
    // Does what CopyFrom does (the copy owns its pixel memory).
    CxDrawSurface(const CxDrawSurface& other);
    CxDrawSurface& operator=(const CxDrawSurface&) = delete;

    // The virtual operations, in the order of the virtual table (derived
    // screens keep it).
    // Destruction.
    ~CxDrawSurface() override;
    // Copying another surface.
    virtual uint32_t CopyFrom(const CxDrawSurface* source);
    // Creating and destroying the pixel memory.
    virtual uint32_t CreateSurface(int32_t width, int32_t height, int32_t depth, int32_t pitch = -1);
    virtual uint32_t DestroySurface();
    // Extracting a rectangle: a new surface (owned by the caller, delete it) holding a copy of the
    // rectangle; null on failure.
    virtual CxDrawSurface* Extract(const CxRect& rect);
    // Loading and saving, through the image filters (draw_surface_io.cpp).
    virtual uint32_t Load(const char* fileName, int32_t option = 0);
    virtual uint32_t Save(const char* fileName, int32_t option = 0);
    // Pixel addresses. They are not checked; lock the surface while using them.
    virtual uint8_t* GetBits();
    virtual uint8_t* GetPixelAddress(const ST_POINT& point);
    virtual uint8_t* GetPixelAddress(int32_t x, int32_t y);
    virtual uint8_t* GetPixelAddressRaw(int32_t x, int32_t y);
    // Size and layout.
    virtual CxSize GetSize() const;
    virtual CxRect GetRect() const;
    virtual int32_t GetWidth() const;
    virtual int32_t GetHeight() const;
    virtual int32_t GetDepth() const;
    virtual int32_t GetPitch() const;
    // Depth and pixel-format conversion.
    virtual uint32_t ConvertDepth(int32_t depth, uint8_t pixelFormat = CX_PF_DEFAULT);
    virtual uint32_t ConvertPixelFormat16(uint8_t format);
    virtual uint32_t ConvertToDefaultFormat16();
    // Packing the rows to the narrowest pitch.
    virtual uint32_t PackRows();
    // Channel widths.
    virtual uint8_t GetRedBits() const;
    virtual uint8_t GetGreenBits() const;
    virtual uint8_t GetBlueBits() const;
    virtual uint8_t GetAlphaBits() const;
    // Drawing onto another surface. A key of CX_COLOR_NONE means this surface's transparent colour.
    // Blends (CX_FX_ALPHA, CX_FX_OPACITY) mix each channel as (d * (255 - a) + s * a) / 255
    // and keep the destination's alpha. Mirrors take source column
    // (source width - 1 - x) and row (source height - 1 - y) of the whole
    // surface for the unmirrored position (x, y), so a clipped sprite shows
    // the right part of its mirror image. 8-to-8 copies draw CX_FX_MIRROR_H
    // as a plain keyed copy. Types not listed above draw as CX_FX_NONE.
    virtual uint32_t DrawAt(CxDrawSurface* destination, int32_t x, int32_t y,
                            const CxRect* sourceRect = nullptr, uint32_t key = CX_COLOR_NONE,
                            const ST_BLIT_FX* effect = nullptr);
    virtual uint32_t Draw(CxDrawSurface* destination, const CxRect* destRect = nullptr,
                          const CxRect* sourceRect = nullptr, uint32_t key = CX_COLOR_NONE,
                          const ST_BLIT_FX* effect = nullptr);
    // Copying the pixels into another surface of the same layout.
    virtual uint32_t CopyPixelsTo(CxDrawSurface* destination);
    // Blurring.
    virtual uint32_t Blur(int32_t passes = 1, const CxRect* rect = nullptr);
    // Colour levels and alpha.
    virtual uint32_t FadeColors(int32_t level, const CxRect* rect = nullptr);
    // Each channel (in its own width) multiplied by level / 255, clamped to
    // 0 and the channel's maximum; depths 16, 24 and 32; alpha kept.
    virtual uint32_t AdjustColorsByLevel(int32_t level, const CxRect* rect = nullptr);
    virtual uint32_t SetAlpha(uint32_t value, const CxRect* rect = nullptr);
    virtual uint32_t ScaleAlpha(double factor, const CxRect* rect = nullptr);
    // Reading pixels. Reads outside the surface give 0.
    virtual uint32_t GetPixel(const ST_POINT& point);
    virtual uint32_t GetPixel(int32_t x, int32_t y);
    virtual uint8_t GetRed(int32_t x, int32_t y);
    virtual uint8_t GetGreen(int32_t x, int32_t y);
    virtual uint8_t GetBlue(int32_t x, int32_t y);
    // Writing pixels. Writes outside the surface are ignored.
    virtual void SetPixel(int32_t x, int32_t y, uint32_t value);
    virtual void SetPixel(const ST_POINT& point, uint32_t value);
    // Shapes.
    virtual uint32_t DrawCircle(const ST_POINT& center, int32_t radius, uint32_t value);
    virtual uint32_t DrawCircle(int32_t x, int32_t y, int32_t radius, uint32_t value);
    virtual uint32_t DrawLine(const ST_POINT& from, const ST_POINT& to, uint32_t value);
    virtual uint32_t DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t value);
    virtual uint32_t FillCircle(const ST_POINT& center, int32_t radius, uint32_t value);
    virtual uint32_t FillCircle(int32_t x, int32_t y, int32_t radius, uint32_t value);
    virtual uint32_t DrawRect(const CxRect& rect, uint32_t value);
    virtual uint32_t FillRect(const CxRect* rect, uint32_t value);
    virtual uint32_t FloodFill(int32_t x, int32_t y, uint32_t value);
    // Replacing colours.
    virtual uint32_t ReplaceColor(uint32_t from, uint32_t to);
    virtual uint32_t SwapColors(uint32_t a, uint32_t b);
    // Flips and rotation. Rotate turns clockwise by 90, 180 or 270 degrees.
    virtual uint32_t FlipHorizontal(const CxRect* rect = nullptr);
    virtual uint32_t FlipVertical(const CxRect* rect = nullptr);
    virtual uint32_t Rotate(int32_t degrees);
    // Shifting the pixels round (what leaves one side comes back on the other).
    virtual uint32_t RotateHorizontal(int32_t dx);
    virtual uint32_t RotateLeft(int32_t dx);
    virtual uint32_t RotateVertical(int32_t dy);
    virtual uint32_t RotateUp(int32_t dy);
    // User flags.
    virtual uint32_t SetUserFlags(uint32_t bits);
    virtual uint32_t GetUserFlags() const;
    virtual bool HasUserFlags(uint32_t mask) const;
    virtual bool IsCreated() const;
    // User value and transparent colour.
    virtual void SetUserValue(int32_t value);
    virtual int32_t GetUserValue() const;
    virtual void SetTransparentColor(uint32_t color);
    virtual uint32_t GetTransparentColor() const;
    // Pixel format.
    virtual void SetPixelFormat(uint8_t code);
    virtual uint8_t GetPixelFormat() const;
    // External pixel memory.
    virtual void SetExternalBits(bool external);
    virtual bool HasExternalBits() const;
    // Name.
    virtual void SetName(const char* name);
    virtual void GetName(CxString& name) const;
    // Layout fields, set without touching the pixel memory.
    virtual void SetPitch(int32_t pitch);
    virtual void SetDepth(int32_t depth);
    virtual void SetWidth(int32_t width);
    virtual void SetHeight(int32_t height);
    // Palettes: 256 entries of red, green, blue.
    virtual uint8_t* GetPalette();
    virtual void SetPalette(const uint8_t* palette);
    virtual uint32_t RemapToPalette(const uint8_t* palette);
    virtual uint32_t BuildPalette(uint8_t* palette, bool reserveSystemColors, int32_t count);
    // Colour values.
    virtual uint32_t MakeColor(uint8_t red, uint8_t green, uint8_t blue);
    virtual uint32_t ColorFromPaletteIndex(int32_t index);
    // The 16-bit lookup table of the palette.
    virtual uint32_t BuildPaletteTable16(uint8_t format);
    virtual void FreePaletteTable16();
    // Counting and finding pixels.
    virtual uint32_t CountColors();
    virtual uint32_t CountPixels(uint32_t value);
    virtual int32_t FindPixel(uint32_t value, int32_t* x, int32_t* y);

    // CxCachedObject. A lock from outside may write the pixels, so it (and
    // its unlock) marks them changed; see GetPixelVersion.
    // Final, so that the surface's own operations lock without a virtual call.
    void Lock() final
    {
        PixelsChanged();
        AddLock();
    }
    void Unlock() final
    {
        PixelsChanged();
        RemoveLock();
    }
    // Allocate and free m_pBits.
    bool Reacquire() override;
    void Release() override;
    // Keeps the swap file when the memory could not be allocated again, so
    // that a later lock can still bring the pixels back (the base would read
    // nothing and delete the file).
    uint32_t RestoreFromCache() override;

    // Helpers outside the virtual table.
    // The program-wide default 16-bit format (0 until the screen sets it).
    static void SetDefaultFormat16(uint8_t format);
    static uint8_t GetDefaultFormat16();
    // The default palette: a grey ramp with the 20 static Windows colours at 0-9 and 246-255.
    static const uint8_t* GetDefaultPalette();
    // Points an external-memory surface at its owner's pixels (ignored otherwise).
    void SetBits(void* bits);
    // The 16-bit table of BuildPaletteTable16 (null until built) and its format.
    const uint16_t* GetPaletteTable16() const { return m_pPaletteTable16; }
    uint8_t GetPaletteTable16Format() const { return m_nTable16Format; }
    uint32_t GetBitsSize() const { return m_nBitsSize; }
    // A count that changes whenever the pixels may have changed: every Lock
    // and Unlock from outside, every hand-out of a writable pointer (GetBits,
    // GetPixelAddress), every drawing operation on the surface (they lock
    // it), creation, loading and every change of size or memory. Keyed
    // copies keep a table of this surface's opaque spans and rebuild it when
    // the count has moved.
    uint32_t GetPixelVersion() const { return m_nPixelVersion; }
    // Bytes held by that table (0 when none is built).
    size_t GetKeyRunsBytes() const;
    uint32_t GetFlags() const { return m_nFlags; }

    // The general copy routine, reachable directly so that tests can hold every
    // dedicated routine against it. Takes rectangles already clipped by Draw
    // and both surfaces locked.
    void DrawGeneral(CxDrawSurface* destination, const CxRect& destRect, const CxRect& sourceRect,
                     uint32_t key, const ST_BLIT_FX* effect);

protected:
    // Pixel access without locking or bounds checks (the caller holds a lock).
    uint32_t ReadPixel(int32_t x, int32_t y) const;
    void WritePixel(int32_t x, int32_t y, uint32_t value);
    // Red, green, blue and alpha of a raw value as 8-bit channels.
    void DecodeColor(uint32_t raw, uint8_t rgba[4]) const;
    // A raw value of this surface's format for 8-bit channels (the nearest
    // palette entry at depths up to 8; the memory layout at depth 24).
    uint32_t EncodeColor(const uint8_t rgba[4]) const;
    int32_t NearestPaletteIndex(uint8_t red, uint8_t green, uint8_t blue, int32_t entries) const;
    // Locks; false (and unlocked again) when there is no pixel memory.
    bool LockBits()
    {
        Lock();
        if (m_pBits && IsResidentNow() && (m_nFlags & CX_SURFACE_CREATED))
            return true;
        Unlock();
        return false;
    }
    // The same for operations that only read the pixels: the lock leaves the
    // pixel version alone. Pair with UnlockReading.
    bool LockBitsReading()
    {
        AddLock();
        if (m_pBits && IsResidentNow() && (m_nFlags & CX_SURFACE_CREATED))
            return true;
        RemoveLock();
        return false;
    }
    void UnlockReading() { RemoveLock(); }
    void PixelsChanged() { ++m_nPixelVersion; }
    bool ClipToSurface(const CxRect* rect, CxRect& clipped) const;

    CxString m_strName;
    uint8_t m_Palette[768];
    uint16_t* m_pPaletteTable16 = nullptr;
    uint8_t* m_pBits = nullptr;
    uint32_t m_nBitsSize = 0;
    int32_t m_nUserValue = 0;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nDepth = 0;
    int32_t m_nPitch = 0;
    uint32_t m_nTransparentColor = CX_COLOR_NONE;
    uint8_t m_nPixelFormat = CX_PF_DEFAULT;
    uint8_t m_nAlphaBits = 0;
    uint8_t m_nRedBits = 0;
    uint8_t m_nGreenBits = 0;
    uint8_t m_nBlueBits = 0;
    uint32_t m_nFlags = 0;
    // The 16-bit format m_pPaletteTable16 was built for.
    uint8_t m_nTable16Format = 0;

private:
    friend struct CxBlitJob;
    friend class CxGeneralCopy;
    // The steps of Draw after clipping and locking: the dedicated routine
    // for the depths and the effect when there is one (true when it drew),
    // else the general routine (with the effect's mask locked).
    bool DrawDedicated(CxBlitJob& job, CxDrawSurface* destination, int32_t type);
    bool DrawDedicatedPlain(CxBlitJob& job, CxDrawSurface* destination);
    bool DrawPalettedTo16(CxBlitJob& job, uint8_t format);
    void DrawThroughGeneral(CxDrawSurface* destination, const CxRect& d, const CxRect& s, uint32_t key,
                            const ST_BLIT_FX* effect);
    // The table of opaque spans for the key, built when a keyed copy of the
    // same pixels is asked for the second time (a surface that changes
    // between every two copies, such as a movie frame, never pays for one);
    // null when there is none to use. Only for surfaces that own their
    // memory and are not locked by anyone else (an outside lock may be
    // writing through a pointer at this moment).
    const CxKeyRuns* KeyRunsFor(uint32_t key, bool lockedOutside);
    // The table when it is built for these pixels and usable (the common
    // case, checked inline), else KeyRunsFor.
    const CxKeyRuns* CurrentKeyRuns(uint32_t key, bool lockedOutside);
    // Same depth and channel widths, read from the fields.
    bool SameLayoutAs(const CxDrawSurface* other) const
    {
        return m_nDepth == other->m_nDepth && m_nAlphaBits == other->m_nAlphaBits &&
               m_nRedBits == other->m_nRedBits && m_nGreenBits == other->m_nGreenBits &&
               m_nBlueBits == other->m_nBlueBits;
    }

    CxKeyRuns* m_pKeyRuns = nullptr;
    uint32_t m_nPixelVersion = 0;
    // The version and key of the last keyed copy that found no table.
    uint32_t m_nRunsAskedVersion = 0;
    uint32_t m_nRunsAskedKey = CX_COLOR_NONE;
    bool m_bRunsAsked = false;
    void UpdateCacheData();
    uint32_t RotateClockwise();
};

// Holds a surface's lock for a scope, so that every way out of the scope
// unlocks it; a null surface is not locked.
class CxSurfaceLock
{
public:
    explicit CxSurfaceLock(CxDrawSurface* surface) : m_pSurface(surface)
    {
        if (m_pSurface)
            m_pSurface->Lock();
    }
    ~CxSurfaceLock()
    {
        if (m_pSurface)
            m_pSurface->Unlock();
    }
    CxSurfaceLock(const CxSurfaceLock&) = delete;
    CxSurfaceLock& operator=(const CxSurfaceLock&) = delete;

private:
    CxDrawSurface* m_pSurface;
};
