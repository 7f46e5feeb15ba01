#include "engine/graphics/font.h"

#include "engine/base/linked_list.h"
#include "engine/core/find_file.h"
#include "engine/core/log.h"
#include "engine/core/memory.h"
#include "engine/graphics/draw_surface.h"

#include <cstring>
#include <new>

const char* const CX_TEXT_BREAK_CHARS = " ,.;:!?]}/";

namespace {
ST_FONT_FILTER s_Filters[CX_FONT_FILTER_COUNT] = {};
// Never destroyed: fonts still listed at exit stay reachable, and no font is
// deleted after the cache or allocator it uses has gone.
CxLinkedList<CxFont*>& s_Fonts = *new CxLinkedList<CxFont*>();
int32_t s_nDefaultFontId = CX_DEFAULT_FONT_ID;

// Largest scaled glyph side: no surface is larger, and sums of widths stay
// far from overflowing.
constexpr int64_t MAX_GLYPH_SIDE = 32767;

int32_t Scale(int64_t length, int32_t size, int32_t fontHeight)
{
    const int64_t scaled = length * size / fontHeight;
    return static_cast<int32_t>(scaled < MAX_GLYPH_SIDE ? scaled : MAX_GLYPH_SIDE);
}

bool EndsWithNoCase(const char* name, const char* tail)
{
    const size_t nameLength = strlen(name);
    const size_t tailLength = strlen(tail);
    return tailLength <= nameLength && CxCompareNoCase(name + nameLength - tailLength, tail) == 0;
}

// Characters the text routines never draw.
bool IsSkipped(char c)
{
    return c == '\t' || c == '\r' || c == '\n';
}

uint32_t AddFont(CxFont* font, CxFont** outFont)
{
    if (!s_Fonts.AddTail(font))
    {
        delete font;
        ReportError(CX_ERR_OUT_OF_MEMORY, "Could not add a font to the font list");
        return CX_ERR_OUT_OF_MEMORY;
    }
    if (outFont)
        *outFont = font;
    return CX_ERR_NONE;
}
} // namespace

// ---------------------------------------------------------------------------
// CxBitmapFont

CxBitmapFont::~CxBitmapFont()
{
    Unload();
}

void CxBitmapFont::Unload()
{
    if (m_pChars)
        CX_FREE(m_pChars);
    m_pChars = nullptr;
    delete m_pImage;
    m_pImage = nullptr;
    m_Header = ST_FONT_HEADER();
    m_nTransparentColor = CX_FONT_DEFAULT_TRANSPARENT;
    m_MissingLogged.clear();
}

uint32_t CxBitmapFont::Load(const char* fileName)
{
    Unload();
    ClearError();
    CxDrawSurface* image = new (std::nothrow) CxDrawSurface();
    if (!image)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the image of font %s", fileName ? fileName : "");
        return GetError();
    }
    // The image loader reports its own failures.
    const uint32_t code = image->Load(fileName);
    if (code != CX_ERR_NONE || !image->IsCreated())
    {
        delete image;
        SetErrorCode(code != CX_ERR_NONE ? code : CX_ERR_INVALID_FILE_TYPE);
        return GetError();
    }
    return CreateFromSurface(image);
}

uint32_t CxBitmapFont::CreateFromSurface(CxDrawSurface* image)
{
    Unload();
    ClearError();
    if (!image)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "No bitmap for font");
        return GetError();
    }
    m_pImage = image;
    const int32_t width = image->GetWidth();
    const int32_t height = image->GetHeight();
    m_Header.nBitmapSize = static_cast<uint32_t>(image->GetPitch()) * static_cast<uint32_t>(height);
    m_Header.nHeight = static_cast<uint32_t>(height > 0 ? height : 0);
    if (image->GetTransparentColor() != CX_COLOR_NONE)
        m_nTransparentColor = image->GetTransparentColor();

    const CxSurfaceLock lock(image);
    if (!image->IsCreated() || !image->GetBits() || width <= 0 || height <= 0)
    {
        SetError(CX_ERR_INVALID_FILE_TYPE, "No bitmap for font");
        return GetError();
    }
    // Every separator pixel of the top row starts one glyph.
    const uint32_t separator = image->GetPixel(0, 0);
    uint32_t count = 0;
    for (int32_t x = 0; x < width; ++x)
        count += image->GetPixel(x, 0) == separator;
    m_pChars = static_cast<ST_FONT_CHAR*>(CX_ALLOC_ZERO(sizeof(ST_FONT_CHAR) * count));
    if (!m_pChars)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a font char array with %d entries",
                 static_cast<int>(count));
        return GetError();
    }
    uint32_t glyph = 0;
    for (int32_t x = 0; x < width; ++x)
    {
        if (image->GetPixel(x, 0) != separator)
            continue;
        ST_FONT_CHAR* entry = new (&m_pChars[glyph]) ST_FONT_CHAR();
        entry->left = x + 1;
        entry->top = 0;
        entry->bottom = height - 1;
        entry->nCode = static_cast<uint16_t>(glyph);
        if (glyph > 0)
            m_pChars[glyph - 1].right = x - 1;
        ++glyph;
    }
    m_pChars[count - 1].right = width - 1;
    m_Header.nCount = count;
    return CX_ERR_NONE;
}

const ST_FONT_CHAR* CxBitmapFont::FindChar(uint32_t code) const
{
    if (!m_pChars)
        return nullptr;
    if (m_Header.nFlags & CX_FONT_FLAG_DIRECT_INDEX)
        return code < m_Header.nCount ? &m_pChars[code] : nullptr;
    for (uint32_t i = 0; i < m_Header.nCount; ++i)
        if (m_pChars[i].nCode == code)
            return &m_pChars[i];
    return nullptr;
}

int32_t CxBitmapFont::ResolveSize(int32_t size) const
{
    return size > 0 ? size : static_cast<int32_t>(m_Header.nHeight);
}

int32_t CxBitmapFont::DrawChar(CxDrawSurface* surface, int32_t x, int32_t y, uint32_t code, uint32_t colour,
                               int32_t size, uint32_t key)
{
    if (!surface)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Can't render to a null surface");
        return 0;
    }
    if (!m_pImage)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "No bitmap for font");
        return 0;
    }
    const ST_FONT_CHAR* glyph = FindChar(code);
    if (!glyph)
    {
        NoteMissingChar(code);
        return 0;
    }
    if (key == CX_FONT_KEY_TRANSPARENT)
        key = m_nTransparentColor;
    ST_BLIT_FX silhouette;
    silhouette.nType = CX_FX_SILHOUETTE;
    silhouette.nParam = colour;
    const ST_BLIT_FX* effect = colour == CX_FONT_OWN_COLORS ? nullptr : &silhouette;

    const CxRect source(glyph->left, glyph->top, glyph->right, glyph->bottom);
    int32_t width = source.Width();
    int32_t height = source.Height();
    const int32_t fontHeight = static_cast<int32_t>(m_Header.nHeight);
    if (size > 0 && size != fontHeight && fontHeight > 0)
    {
        width = Scale(width, size, fontHeight);
        height = Scale(height, size, fontHeight);
    }
    if (width <= 0 || height <= 0)
        return 0;
    const CxRect dest(x, y, x + width - 1, y + height - 1);
    m_pImage->Draw(surface, &dest, &source, key, effect);
    return width;
}

void CxBitmapFont::NoteMissingChar(uint32_t code)
{
    // Text comes from players and data files (an accented letter in a name);
    // a counted error per character would end the game after three of them.
    // The code stays in the object, the log says it once, and the text goes on.
    SetErrorCode(CX_ERR_INVALID_ARGUMENT);
    if (!m_MissingLogged.insert(code).second)
        return;
    LogEntry(CX_LOG_WARNING, "nLetter not found in this font: font %d has no glyph for character %u",
             static_cast<int>(GetId()), code);
}

int32_t CxBitmapFont::GetCharWidth(uint32_t code, int32_t size)
{
    const ST_FONT_CHAR* glyph = FindChar(code);
    const int32_t fontHeight = static_cast<int32_t>(m_Header.nHeight);
    if (!glyph || fontHeight <= 0)
        return 0;
    return Scale(glyph->right - glyph->left + 1, ResolveSize(size), fontHeight);
}

int32_t CxBitmapFont::GetTextWidth(const char* text, int32_t size)
{
    int32_t width = 0;
    for (const char* p = text ? text : ""; *p; ++p)
        if (!IsSkipped(*p))
            width += GetCharWidth(static_cast<uint8_t>(*p), size);
    return width;
}

// ---------------------------------------------------------------------------
// Font file filters

uint32_t RegisterFontFilter(const char* extension, CxFontLoadFunction load)
{
    if (!extension || extension[0] != '.')
    {
        ReportError(CX_ERR_INVALID_ARGUMENT, "Extension MUST include the period as in '.ttf'");
        return CX_ERR_INVALID_ARGUMENT;
    }
    if (strlen(extension) >= CX_FONT_EXTENSION_SIZE)
    {
        ReportError(CX_ERR_INVALID_ARGUMENT, "Font file extension '%s' is longer than %u characters",
                    extension, CX_FONT_EXTENSION_SIZE - 1);
        return CX_ERR_INVALID_ARGUMENT;
    }
    for (ST_FONT_FILTER& filter : s_Filters)
        if (filter.szExtension[0] == '\0')
        {
            CxCopyText(filter.szExtension, extension, CX_FONT_EXTENSION_SIZE);
            filter.pLoad = load;
            break;
        }
    return CX_ERR_NONE;
}

uint32_t UnregisterFontFilter(const char* pattern)
{
    for (ST_FONT_FILTER& filter : s_Filters)
        if (filter.szExtension[0] != '\0' && CxMatchWildcard(filter.szExtension, pattern ? pattern : ""))
            filter = ST_FONT_FILTER{};
    return CX_ERR_NONE;
}

const ST_FONT_FILTER* GetFontFilter(uint32_t index)
{
    return index < CX_FONT_FILTER_COUNT ? &s_Filters[index] : nullptr;
}

CxFont* LoadBitmapFontFile(const char* fileName, int32_t)
{
    CxBitmapFont* font = new (std::nothrow) CxBitmapFont();
    if (!font)
    {
        ReportError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a new CxBitmapFont");
        return nullptr;
    }
    if (font->Load(fileName) != CX_ERR_NONE)
    {
        delete font;
        return nullptr;
    }
    return font;
}

// ---------------------------------------------------------------------------
// The font list

uint32_t LoadFont(const char* fileName, CxFont** outFont)
{
    if (outFont)
        *outFont = nullptr;
    if (!fileName)
        fileName = "";
    const ST_FONT_FILTER* found = nullptr;
    for (const ST_FONT_FILTER& filter : s_Filters)
        if (filter.szExtension[0] != '\0' && EndsWithNoCase(fileName, filter.szExtension))
        {
            found = &filter;
            break;
        }
    if (!found)
    {
        ReportError(CX_ERR_UNKNOWN, "No font file filter registered for '%s'", fileName);
        return CX_ERR_UNKNOWN;
    }
    if (!found->pLoad)
    {
        ReportError(CX_ERR_INVALID_ARGUMENT, "No Load function registered for '%s'", fileName);
        return CX_ERR_INVALID_ARGUMENT;
    }
    CxFont* font = found->pLoad(fileName, 0);
    if (!font)
    {
        // The loader reported why.
        const uint32_t code = GetLastErrorCode();
        return code != CX_ERR_NONE ? code : CX_ERR_INVALID_FILE_TYPE;
    }
    return AddFont(font, outFont);
}

uint32_t CreateFontFromSurface(CxDrawSurface* image, CxFont** outFont)
{
    if (outFont)
        *outFont = nullptr;
    CxBitmapFont* font = new (std::nothrow) CxBitmapFont();
    if (!font)
    {
        delete image;
        ReportError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a new CxBitmapFont");
        return CX_ERR_OUT_OF_MEMORY;
    }
    const uint32_t code = font->CreateFromSurface(image);
    if (code != CX_ERR_NONE)
    {
        delete font;
        return code;
    }
    return AddFont(font, outFont);
}

CxFont* FindFont(int32_t id)
{
    if (id == CX_FONT_ID_DEFAULT)
        id = s_nDefaultFontId;
    for (CxListNode<CxFont*>* node = s_Fonts.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetId() == id)
            return node->m_Value;
    return nullptr;
}

bool RemoveFont(int32_t id)
{
    CxFont* font = FindFont(id);
    if (!font)
        return false;
    s_Fonts.Remove(font);
    delete font;
    return true;
}

void RemoveAllFonts()
{
    while (!s_Fonts.IsEmpty())
        delete s_Fonts.RemoveHead();
}

uint32_t GetFontCount()
{
    return s_Fonts.GetCount();
}

int32_t GetDefaultFontId()
{
    return s_nDefaultFontId;
}

void SetDefaultFontId(int32_t id)
{
    s_nDefaultFontId = id;
}
