// Bitmap fonts: CxFont, the font interface, and CxBitmapFont, a font whose
// glyphs stand side by side in one image strip.
//
// Font image layout. The pixel at (0, 0) gives the separator colour; every
// pixel of that colour in the top row starts a glyph one column to its
// right, and the glyph runs up to the column before the next separator (the
// last one to the image's right edge). Glyphs span the whole image height,
// so the top row's non-separator pixels belong to the glyphs. Glyph n of the
// strip is character code n.
//
// Program-wide: the list of loaded fonts (found by identifier), the default
// font's identifier and the table of font file filters (which loader makes a
// font from a file with a given extension).
//
// Text layout (DrawText): a string laid out in a rectangle with horizontal
// and vertical alignment, optional word wrap and drop shadow, drawn glyph by
// glyph.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>
#include <set>

class CxDrawSurface;

constexpr uint32_t CX_FONT_TAG = 0x464F4E54; // "FONT"
constexpr uint32_t CX_FONT_VERSION = 1;
// Header flags: 0x20 indexes the glyph table directly by character code.
constexpr uint32_t CX_FONT_FLAG_DIRECT_INDEX = 0x20;
constexpr uint32_t CX_FONT_IMAGE_FLAGS = 0x26; // every font made from an image
constexpr uint32_t CX_FONT_DEFAULT_TRANSPARENT = 10;

// DrawChar and DrawText colours and keys.
constexpr uint32_t CX_FONT_OWN_COLORS = 0xFFFFFFFFu;      // colour -1: the glyphs' own colours
constexpr uint32_t CX_FONT_KEY_TRANSPARENT = 0xFFFFFFFEu; // key -2: the font's transparent colour

// Identifier -1 names the default font (FindFont, RemoveFont, CxDrawText::SetFont).
constexpr int32_t CX_FONT_ID_DEFAULT = -1;
// The identifier the built-in default font carries in the list.
constexpr int32_t CX_DEFAULT_FONT_ID = 0x7FFFFFFF;

// DrawText layout flags.
constexpr uint32_t CX_TEXT_RIGHT = 0x02;
constexpr uint32_t CX_TEXT_CENTER = 0x04;
constexpr uint32_t CX_TEXT_BOTTOM = 0x10;
constexpr uint32_t CX_TEXT_VCENTER = 0x20;
constexpr uint32_t CX_TEXT_SHADOW = 0x40;
constexpr uint32_t CX_TEXT_WORDWRAP = 0x80;

// Word wrap breaks a line after one of these characters.
extern const char* const CX_TEXT_BREAK_CHARS;

// The font header (eight 32-bit words).
struct ST_FONT_HEADER
{
    uint32_t nTag = CX_FONT_TAG;
    uint32_t nVersion = CX_FONT_VERSION;
    uint32_t nFlags = CX_FONT_IMAGE_FLAGS;
    uint32_t nBitmapSize = 0; // pitch * height of the image
    uint32_t nCount = 0;      // glyphs in the table
    uint32_t nHeight = 0;
    uint32_t nReserved[2] = {0, 0};
};

// One glyph: its inclusive rectangle in the font image, two offsets that
// images never set, and its character code (28 bytes).
struct ST_FONT_CHAR
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;
    int32_t nOffset[2] = {0, 0};
    uint16_t nCode = 0;
};
static_assert(sizeof(ST_FONT_CHAR) == 28, "glyph entries are 28 bytes");

class CxFont : public CxError, public CxObject
{
public:
    CxFont() = default;
    CxFont(const CxFont&) = delete;
    CxFont& operator=(const CxFont&) = delete;

    ~CxFont() override = default;
    virtual uint32_t Load(const char* fileName) = 0;
    virtual void Unload() = 0;
    // Draws one glyph with its top-left corner at (x, y): colour
    // CX_FONT_OWN_COLORS copies its pixels, any other colour draws its
    // silhouette in that raw value; size 0 (or the font's height) draws 1:1,
    // another size scales the glyph by size / height. key is a raw value of
    // the font image, CX_FONT_KEY_TRANSPARENT for the font's transparent
    // colour, or CX_COLOR_NONE for the image's own. Returns the drawn width
    // (0 after a reported failure).
    virtual int32_t DrawChar(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t code, uint32_t colour,
                             int32_t size, uint32_t key) = 0;
    // Sum of the character widths; tab, carriage return and line feed, which
    // DrawText never draws, take no space.
    virtual int32_t GetTextWidth(const char* text, int32_t size) = 0;
    // The glyph's width scaled by size / height (truncated); 0 for a code without glyph.
    virtual int32_t GetCharWidth(uint32_t code, int32_t size) = 0;
    virtual int32_t GetLineHeight(int32_t size) { return size; }
    // The font's own height.
    virtual int32_t GetSize() = 0;
    // Extra pixels after each character (cx) and each line (cy).
    virtual CxSize GetSpacing() { return CxSize(0, 0); }
    virtual int32_t GetId() const { return m_nId; }
    virtual void SetId(int32_t id) { m_nId = id; }

protected:
    int32_t m_nId = 0;
};

class CxBitmapFont : public CxFont
{
public:
    CxBitmapFont() = default;
    ~CxBitmapFont() override;

    // Loads the image through the image filters and builds the font from it.
    uint32_t Load(const char* fileName) override;
    void Unload() override;
    int32_t DrawChar(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t code, uint32_t colour,
                     int32_t size, uint32_t key) override;
    int32_t GetTextWidth(const char* text, int32_t size) override;
    int32_t GetCharWidth(uint32_t code, int32_t size) override;
    int32_t GetSize() override { return static_cast<int32_t>(m_Header.nHeight); }

    // Builds the glyph table from an image strip; the font takes the image
    // (also when this fails, in which case it is deleted).
    uint32_t CreateFromSurface(CxDrawSurface* image);

    const ST_FONT_HEADER& GetHeader() const { return m_Header; }
    // The glyph of a character code, or null.
    const ST_FONT_CHAR* FindChar(uint32_t code) const;
    CxDrawSurface* GetImage() const { return m_pImage; }
    uint32_t GetTransparentColor() const { return m_nTransparentColor; }
    void SetTransparentColor(uint32_t colour) { m_nTransparentColor = colour; }

private:
    // A size of 0 or less means the font's own height.
    int32_t ResolveSize(int32_t size) const;

    // A character the font lacks is logged once, then drawn as nothing.
    void NoteMissingChar(uint32_t code);

    ST_FONT_HEADER m_Header;
    ST_FONT_CHAR* m_pChars = nullptr;
    std::set<uint32_t> m_MissingLogged;
    CxDrawSurface* m_pImage = nullptr;
    uint32_t m_nTransparentColor = CX_FONT_DEFAULT_TRANSPARENT;
};

// The font file filters.
typedef CxFont* (*CxFontLoadFunction)(const char* fileName, int32_t option);

constexpr uint32_t CX_FONT_FILTER_COUNT = 10;
constexpr uint32_t CX_FONT_EXTENSION_SIZE = 8;

struct ST_FONT_FILTER
{
    char szExtension[CX_FONT_EXTENSION_SIZE]; // empty: a free entry
    CxFontLoadFunction pLoad;
};

// Fills the first free entry (nothing when all are in use). The extension
// must start with a period and fit the entry (error 16).
uint32_t RegisterFontFilter(const char* extension, CxFontLoadFunction load);
// Clears every entry whose extension matches the ";"-separated wildcard list.
uint32_t UnregisterFontFilter(const char* pattern);
const ST_FONT_FILTER* GetFontFilter(uint32_t index);
// The loader of bitmap fonts for the filter table: a new CxBitmapFont made
// from the image file, or null when the image could not be loaded.
CxFont* LoadBitmapFontFile(const char* fileName, int32_t option);

// The font list. Both creators append the new font and hand it out; *outFont
// is null on failure.
uint32_t LoadFont(const char* fileName, CxFont** outFont);
// Takes the image (deleted when the font cannot be made).
uint32_t CreateFontFromSurface(CxDrawSurface* image, CxFont** outFont);
// The first listed font with that identifier; -1 means the default font.
CxFont* FindFont(int32_t id);
// Unlinks and deletes the first font with that identifier; false when none.
bool RemoveFont(int32_t id);
// Deletes every listed font (engine shutdown).
void RemoveAllFonts();
uint32_t GetFontCount();
int32_t GetDefaultFontId();
void SetDefaultFontId(int32_t id);

// Lays text out in rect and draws it (font_text.cpp); a null font means the
// default font, size 0 the font's height. Returns the number of lines laid
// out (0 when nothing was drawn).
int32_t DrawText(CxDrawSurface* surface, const CxRect& rect, uint32_t colour, const char* text,
                 uint32_t flags, int32_t size = 0, CxFont* font = nullptr,
                 uint32_t key = CX_FONT_KEY_TRANSPARENT, uint32_t shadowColour = 0);
// The text as word wrap breaks it for lines of the given width: line feeds
// inserted after break characters (or inside a word too long for a line).
CxString WrapText(CxFont* font, const char* text, int32_t width, int32_t size);
