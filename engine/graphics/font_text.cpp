// Text layout: word wrap and DrawText.
//
// Word wrap keeps a break character on the line it ends. Spaces never start
// a new line themselves: they may hang past the right edge, where they draw
// nothing. A word wider than the whole line is split at the first character
// that does not fit. Line feeds already in the text are kept.
//
// Alignment: without wrap the one line is placed by its width. With wrap
// each line is placed by its own width, so centred or right-aligned
// paragraphs look as intended.
#include "engine/graphics/font.h"

#include "engine/graphics/draw_surface.h"

#include <cstring>

namespace {
bool IsSkipped(char c)
{
    return c == '\t' || c == '\r' || c == '\n';
}

bool IsBreakChar(char c)
{
    return c != '\0' && strchr(CX_TEXT_BREAK_CHARS, c) != nullptr;
}

// The advance of one character in a laid-out line.
int32_t Advance(CxFont* font, char c, int32_t size, int32_t spacing)
{
    return IsSkipped(c) ? 0 : font->GetCharWidth(static_cast<uint8_t>(c), size) + spacing;
}

// Width of the line that starts at text and ends at a line feed or the end.
int32_t LineWidth(CxFont* font, const char* text, int32_t size, int32_t spacing, bool stopAtLineFeed)
{
    int32_t width = 0;
    for (const char* p = text; *p && !(stopAtLineFeed && *p == '\n'); ++p)
        width += Advance(font, *p, size, spacing);
    return width;
}

int32_t StartX(const CxRect& rect, int32_t textWidth, uint32_t flags)
{
    if (flags & CX_TEXT_CENTER)
        return rect.left + (rect.Width() - textWidth) / 2;
    if (flags & CX_TEXT_RIGHT)
        return rect.right - textWidth + 1;
    return rect.left;
}
} // namespace

CxString WrapText(CxFont* font, const char* text, int32_t width, int32_t size)
{
    CxString out;
    if (!font || !text)
        return out;
    const int32_t spacing = font->GetSpacing().cx;
    int32_t lineWidth = 0;
    int32_t breakAt = -1;   // index in out of the last break character on this line
    int32_t widthAfter = 0; // width of what follows that break character
    for (const char* p = text; *p; ++p)
    {
        const char c = *p;
        if (c == '\n')
        {
            out += c;
            lineWidth = 0;
            breakAt = -1;
            continue;
        }
        const int32_t advance = Advance(font, c, size, spacing);
        while (advance > 0 && c != ' ' && lineWidth > 0 && lineWidth + advance > width)
        {
            if (breakAt >= 0)
            {
                // Move what follows the break character to a new line.
                CxString head = out.Left(breakAt + 1);
                head += '\n';
                head += out.Mid(breakAt + 1);
                out = head;
                lineWidth = widthAfter;
                breakAt = -1;
            }
            else
            {
                out += '\n';
                lineWidth = 0;
            }
        }
        out += c;
        lineWidth += advance;
        widthAfter += advance;
        if (IsBreakChar(c))
        {
            breakAt = out.GetLength() - 1;
            widthAfter = 0;
        }
    }
    return out;
}

int32_t DrawText(CxDrawSurface* surface, const CxRect& rect, uint32_t colour, const char* text,
                 uint32_t flags, int32_t size, CxFont* font, uint32_t key, uint32_t shadowColour)
{
    if (!text || !*text)
        return 0;
    if (!font)
        font = FindFont(CX_FONT_ID_DEFAULT);
    if (!font)
        return 0;
    if (size <= 0)
        size = font->GetSize();
    const CxSize spacing = font->GetSpacing();
    const int32_t lineHeight = font->GetLineHeight(size);
    const bool wrap = (flags & CX_TEXT_WORDWRAP) != 0;

    const CxString laidOut = wrap ? WrapText(font, text, rect.Width(), size) : CxString(text);
    int32_t lines = 1;
    if (wrap)
        for (const char* p = laidOut.c_str(); *p; ++p)
            lines += *p == '\n';

    int32_t y = rect.top;
    if (flags & CX_TEXT_VCENTER)
        y = rect.top + (rect.Height() - lineHeight * lines) / 2;
    else if (flags & CX_TEXT_BOTTOM)
        y = rect.bottom - lineHeight * lines + 1;

    const char* p = laidOut.c_str();
    int32_t x = StartX(rect, LineWidth(font, p, size, spacing.cx, wrap), flags);
    for (; *p; ++p)
    {
        const char c = *p;
        if (c == '\t' || c == '\r')
            continue;
        if (c == '\n')
        {
            if (wrap)
            {
                y += lineHeight + spacing.cy;
                x = StartX(rect, LineWidth(font, p + 1, size, spacing.cx, true), flags);
            }
            continue;
        }
        if (!wrap && x >= rect.right)
            break;
        const uint32_t code = static_cast<uint8_t>(c);
        if (flags & CX_TEXT_SHADOW)
            font->DrawChar(surface, x + 1, y + 1, code, shadowColour, size, key);
        x += font->DrawChar(surface, x, y, code, colour, size, key) + spacing.cx;
    }
    return lines;
}
