// CxDrawText: one string shown in a rectangle with a font, rendered into an
// image of its own and re-rendered only when the text, font, size or look
// changed.
//
// The image is what the text object paints: the text drawn over its
// background colour or, with the see-through background (-1), over a copy of
// what lies behind it on the destination at render time. The caller paints
// whatever lies behind first. When the object reaches past the destination,
// the copy cannot cover it and the next paint renders again.
//
// Render is the whole drawing logic; Paint renders when needed and copies
// the image to the destination at the object's position. A display object
// that shows text calls Render from its own paint and then paints the image
// as any sprite; RequestRedraw is where it marks its area changed.
#pragma once

#include "engine/core/cx_string.h"
#include "engine/core/error.h"
#include "engine/core/geometry.h"
#include "engine/core/object.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"

#include <cstdint>

constexpr uint32_t CX_DRAW_TEXT_DEFAULT_FLAGS = 0x21;
constexpr uint32_t CX_DRAW_TEXT_DEFAULT_HIT_MASK = 33;
// State word: bits 0-29 the image depth (all ones: the destination's, which
// is the screen's), bit 30 a render is needed.
constexpr uint32_t CX_DRAW_TEXT_DEPTH_MASK = 0x3FFFFFFF;
constexpr uint32_t CX_DRAW_TEXT_RENDER = 0x40000000;
// The text is laid out in the image inside this margin left and right.
constexpr int32_t CX_DRAW_TEXT_MARGIN = 4;

class CxDrawText : public CxError, public CxObject
{
public:
    CxDrawText();
    ~CxDrawText() override;
    CxDrawText(const CxDrawText&) = delete;
    CxDrawText& operator=(const CxDrawText&) = delete;

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
    void SetFlags(uint32_t flags);
    // 0: the font's own height.
    void SetFontSize(int32_t size);
    // Image depth; CX_DRAW_TEXT_DEPTH_MASK takes the destination's.
    void SetDepth(uint32_t depth);
    uint32_t GetColor() const { return m_nColor; }
    uint32_t GetBackgroundColor() const { return m_nBackgroundColor; }
    uint32_t GetShadowColor() const { return m_nShadowColor; }
    uint32_t GetFlags() const { return m_nFlags; }
    int32_t GetFontSize() const { return m_nSize; }
    uint32_t GetState() const { return m_nState; }
    uint32_t GetHitMask() const { return m_nHitMask; }

    // Position and size on the destination.
    void SetRect(const CxRect& rect);
    const CxRect& GetRect() const { return m_rcPosition; }

    // Marks the image stale; the next Render draws it again.
    void Invalidate();
    bool IsRenderNeeded() const { return (m_nState & CX_DRAW_TEXT_RENDER) != 0; }
    // Renders the image when needed and a font is set; destination gives the
    // depth (when not fixed) and the see-through background.
    uint32_t Render(CxDrawSurface* destination);
    // Render, then copy the image to the destination at the position.
    uint32_t Paint(CxDrawSurface* destination);
    CxDrawSurface* GetImage() const { return m_pImage; }

protected:
    // Called when the object's look changed; a display object marks its area here.
    virtual void RequestRedraw() {}

    CxFont* m_pFont = nullptr;
    CxString m_strText;
    uint32_t m_nColor = CX_FONT_OWN_COLORS;
    uint32_t m_nBackgroundColor = CX_COLOR_NONE;
    uint32_t m_nShadowColor = 0;
    uint32_t m_nFlags = CX_DRAW_TEXT_DEFAULT_FLAGS;
    int32_t m_nSize = 0;
    uint32_t m_nState = CX_DRAW_TEXT_DEPTH_MASK | CX_DRAW_TEXT_RENDER;
    uint32_t m_nHitMask = CX_DRAW_TEXT_DEFAULT_HIT_MASK;
    CxRect m_rcPosition;
    CxDrawSurface* m_pImage = nullptr;
};
