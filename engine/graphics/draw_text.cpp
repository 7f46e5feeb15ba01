#include "engine/graphics/draw_text.h"

#include <new>

CxDrawText::CxDrawText()
{
    SetHitMask(CX_DRAW_TEXT_DEFAULT_HIT_MASK);
}

CxDrawText::~CxDrawText() = default;

void CxDrawText::Invalidate()
{
    m_nState |= CX_DRAW_TEXT_RENDER;
}

void CxDrawText::Changed()
{
    Invalidate();
    // Redraw shows a hidden object, so only a shown one is marked.
    if (IsShown())
        Redraw();
}

void CxDrawText::SetText(const char* text)
{
    m_strText = text ? text : "";
    Changed();
}

void CxDrawText::SetFont(int32_t id)
{
    SetFontObject(FindFont(id));
}

void CxDrawText::SetFontObject(CxFont* font)
{
    m_pFont = font;
    Changed();
}

void CxDrawText::SetColor(uint32_t colour)
{
    m_nColor = colour;
    Changed();
}

void CxDrawText::SetBackgroundColor(uint32_t colour)
{
    m_nBackgroundColor = colour;
    Changed();
}

void CxDrawText::SetShadowColor(uint32_t colour)
{
    m_nShadowColor = colour;
    Changed();
}

void CxDrawText::SetTextFlags(uint32_t flags)
{
    m_nTextFlags = flags;
    Changed();
}

void CxDrawText::SetFontSize(int32_t size)
{
    m_nSize = size;
    Changed();
}

void CxDrawText::SetImageDepth(uint32_t depth)
{
    m_nState = (m_nState & ~CX_DRAW_TEXT_DEPTH_MASK) | (depth & CX_DRAW_TEXT_DEPTH_MASK);
    Changed();
}

void CxDrawText::SetSize(const CxSize& size)
{
    const CxSize old = GetSize();
    CxSprite::SetSize(size);
    if (old.cx != size.cx || old.cy != size.cy)
        Invalidate();
}

bool CxDrawText::PrepareImage(int32_t width, int32_t height, int32_t depth)
{
    if (m_pImage && m_pImage->GetWidth() == width && m_pImage->GetHeight() == height &&
        m_pImage->GetDepth() == depth)
        return true;
    CxDrawSurface* image = new (std::nothrow) CxDrawSurface();
    if (!image || image->CreateSurface(width, height, depth) != CX_ERR_NONE)
    {
        delete image;
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not create a %d x %d text image", static_cast<int>(width),
                 static_cast<int>(height));
        return false;
    }
    // The image is replaced in place: this runs while the tree is being
    // painted, where hiding and showing would queue more repaints.
    if (!m_bBorrowed)
        delete m_pImage;
    m_pImage = image;
    m_bBorrowed = false;
    m_nFrameWidth = width;
    m_nFrameHeight = height;
    m_rcSource = image->GetRect();
    m_nFrameCount = 1;
    m_nFrame = 0;
    return true;
}

uint32_t CxDrawText::Render(CxDrawSurface* destination, const CxRect& area)
{
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    int32_t depth = static_cast<int32_t>(m_nState & CX_DRAW_TEXT_DEPTH_MASK);
    if (depth == static_cast<int32_t>(CX_DRAW_TEXT_DEPTH_MASK))
        depth = destination->GetDepth();
    if (!PrepareImage(width, height, depth))
        return GetError();
    // Match the destination's pixel layout so that copies either way are exact.
    if (destination->GetDepth() == depth)
    {
        if (depth <= 8)
            m_pImage->SetPalette(destination->GetPalette());
        else
            m_pImage->SetPixelFormat(destination->GetPixelFormat());
    }

    const CxRect whole(0, 0, width - 1, height - 1);
    bool complete = true;
    if (m_nBackgroundColor == CX_COLOR_NONE)
    {
        const CxPoint origin = LocalToScreen(CxPoint(0, 0));
        CxRect onDestination = area;
        onDestination.Offset(origin.x, origin.y);
        CxRect copied;
        const bool visible = copied.Intersect(onDestination, destination->GetRect());
        complete = visible && area == whole && copied == onDestination;
        if (visible)
        {
            CxRect inImage = copied;
            inImage.Offset(-origin.x, -origin.y);
            // The copy skips the destination's transparent pixels; filling
            // with that value first gives them their true value.
            if (destination->GetTransparentColor() != CX_COLOR_NONE && destination->GetDepth() == depth)
                m_pImage->FillRect(&inImage, destination->GetTransparentColor());
            destination->Draw(m_pImage, &inImage, &copied);
        }
        m_ptRendered = origin;
    }
    else
    {
        m_pImage->FillRect(nullptr, m_nBackgroundColor);
    }

    const CxRect textRect(CX_DRAW_TEXT_MARGIN, 0, width - CX_DRAW_TEXT_MARGIN - 1, height - 1);
    DrawText(m_pImage, textRect, m_nColor, m_strText.c_str(), m_nTextFlags, m_nSize, m_pFont,
             CX_FONT_KEY_TRANSPARENT, m_nShadowColor);
    if (complete)
        m_nState &= ~CX_DRAW_TEXT_RENDER;
    return GetError();
}

void CxDrawText::Paint(CxDrawSurface* surface, const CxRect& rect)
{
    if (rect.IsEmpty() || !surface)
        return;
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    if (m_pFont && width > 0 && height > 0)
    {
        // A see-through image holds the background of where it was rendered.
        if (m_nBackgroundColor == CX_COLOR_NONE && !(LocalToScreen(CxPoint(0, 0)) == m_ptRendered))
            Invalidate();
        CxRect area;
        if (IsRenderNeeded() && area.Intersect(rect, CxRect(0, 0, width - 1, height - 1)))
            Render(surface, area);
    }
    CxSprite::Paint(surface, rect);
}
