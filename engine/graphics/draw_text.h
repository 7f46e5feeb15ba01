// CxDrawText: a sprite that shows one string in its area with a font. The
// string is rendered into the sprite's own image, and rendered again only
// when the text, font, size, look, size of the sprite or its place changed.
//
// The image is the text drawn over its background colour or, with the
// see-through background (-1), over a copy of what lies behind the sprite on
// the destination at paint time. The display tree paints what lies behind
// first, but only inside the area being repainted: the rest of the
// destination may still hold an older picture, including this sprite's own
// last text. So only the repainted part is copied, and when it does not cover
// the whole sprite (or the sprite reaches past the destination) the image
// stays marked for another render, which the next full repaint completes.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/sprite.h"

#include <cstdint>

constexpr uint32_t CX_DRAW_TEXT_DEFAULT_FLAGS = 0x21;
constexpr uint32_t CX_DRAW_TEXT_DEFAULT_HIT_MASK = 33;
// State word: bits 0-29 the image depth (all ones: the destination's, which
// is the screen's), bit 30 a render is needed.
constexpr uint32_t CX_DRAW_TEXT_DEPTH_MASK = 0x3FFFFFFF;
constexpr uint32_t CX_DRAW_TEXT_RENDER = 0x40000000;
// The text is laid out in the image inside this margin left and right.
constexpr int32_t CX_DRAW_TEXT_MARGIN = 4;

class CxDrawText : public CxSprite
{
public:
    CxDrawText();
    ~CxDrawText() override;

    // Stores the text, asks for a render and a redraw.
    void SetText(const char* text);
    const CxString& GetText() const { return m_strText; }
    // The font by identifier (FindFont: -1 is the default font); a render is asked for.
    void SetFont(int32_t id);
    void SetFontObject(CxFont* font);
    CxFont* GetFont() const { return m_pFont; }
    // -1 (CX_FONT_OWN_COLORS): the glyphs' own colours.
    void SetColor(uint32_t colour);
    // -1: see-through.
    void SetBackgroundColor(uint32_t colour);
    void SetShadowColor(uint32_t colour);
    // The layout flags of DrawText (CX_TEXT_*).
    void SetTextFlags(uint32_t flags);
    // 0: the font's own height.
    void SetFontSize(int32_t size);
    // Image depth; CX_DRAW_TEXT_DEPTH_MASK takes the destination's.
    void SetImageDepth(uint32_t depth);
    uint32_t GetColor() const { return m_nColor; }
    uint32_t GetBackgroundColor() const { return m_nBackgroundColor; }
    uint32_t GetShadowColor() const { return m_nShadowColor; }
    uint32_t GetTextFlags() const { return m_nTextFlags; }
    int32_t GetFontSize() const { return m_nSize; }
    uint32_t GetTextState() const { return m_nState; }

    // Marks the image stale; the next paint renders it again.
    void Invalidate();
    bool IsRenderNeeded() const { return (m_nState & CX_DRAW_TEXT_RENDER) != 0; }

    // A new size needs a new image.
    void SetSize(const CxSize& size) override;
    using CxSprite::SetSize;
    // Renders when needed (rect: the part being repainted, in the sprite's
    // coordinates), then paints as any sprite.
    void Paint(CxDrawSurface* surface, const CxRect& rect) override;

protected:
    // Draws the image again; area is the part of the sprite (its own
    // coordinates) whose background on the destination is up to date.
    virtual uint32_t Render(CxDrawSurface* destination, const CxRect& area);
    // The change of look is shown: marks the render and the sprite's area.
    void Changed();

private:
    // Makes sure the image has the sprite's size and the given depth.
    bool PrepareImage(int32_t width, int32_t height, int32_t depth);

    CxFont* m_pFont = nullptr;
    CxString m_strText;
    uint32_t m_nColor = CX_FONT_OWN_COLORS;
    uint32_t m_nBackgroundColor = CX_COLOR_NONE;
    uint32_t m_nShadowColor = 0;
    uint32_t m_nTextFlags = CX_DRAW_TEXT_DEFAULT_FLAGS;
    int32_t m_nSize = 0;
    uint32_t m_nState = CX_DRAW_TEXT_DEPTH_MASK | CX_DRAW_TEXT_RENDER;
    // Where on the destination the see-through background was copied from.
    CxPoint m_ptRendered;
};
