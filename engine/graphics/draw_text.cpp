#include "engine/graphics/draw_text.h"

#include <new>

CxDrawText::CxDrawText() = default;

CxDrawText::~CxDrawText()
{
    delete m_pImage;
}

void CxDrawText::Invalidate()
{
    m_nState |= CX_DRAW_TEXT_RENDER;
}

void CxDrawText::SetText(const char* text)
{
    m_strText = text ? text : "";
    Invalidate();
    RequestRedraw();
}

void CxDrawText::SetFont(int32_t id)
{
    SetFontObject(FindFont(id));
}

void CxDrawText::SetFontObject(CxFont* font)
{
    m_pFont = font;
    Invalidate();
}

void CxDrawText::SetColor(uint32_t colour)
{
    m_nColor = colour;
    Invalidate();
}

void CxDrawText::SetBackgroundColor(uint32_t colour)
{
    m_nBackgroundColor = colour;
    Invalidate();
}

void CxDrawText::SetShadowColor(uint32_t colour)
{
    m_nShadowColor = colour;
    Invalidate();
}

void CxDrawText::SetFlags(uint32_t flags)
{
    m_nFlags = flags;
    Invalidate();
}

void CxDrawText::SetFontSize(int32_t size)
{
    m_nSize = size;
    Invalidate();
}

void CxDrawText::SetDepth(uint32_t depth)
{
    m_nState =
        (m_nState & ~CX_DRAW_TEXT_DEPTH_MASK) | (depth & CX_DRAW_TEXT_DEPTH_MASK) | CX_DRAW_TEXT_RENDER;
}

void CxDrawText::SetRect(const CxRect& rect)
{
    if (rect == m_rcPosition)
        return;
    // A new size needs a new image; a new place shows a new background.
    m_rcPosition = rect;
    Invalidate();
    RequestRedraw();
}

uint32_t CxDrawText::Render(CxDrawSurface* destination)
{
    if (!IsRenderNeeded() || !m_pFont)
        return GetError();
    const int32_t width = m_rcPosition.Width();
    const int32_t height = m_rcPosition.Height();
    if (width <= 0 || height <= 0)
        return GetError();
    int32_t depth = static_cast<int32_t>(m_nState & CX_DRAW_TEXT_DEPTH_MASK);
    if (depth == static_cast<int32_t>(CX_DRAW_TEXT_DEPTH_MASK))
    {
        if (!destination)
            return GetError();
        depth = destination->GetDepth();
    }

    if (!m_pImage || m_pImage->GetWidth() != width || m_pImage->GetHeight() != height ||
        m_pImage->GetDepth() != depth)
    {
        delete m_pImage;
        m_pImage = new (std::nothrow) CxDrawSurface();
        if (!m_pImage || m_pImage->CreateSurface(width, height, depth) != CX_ERR_NONE)
        {
            delete m_pImage;
            m_pImage = nullptr;
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not create a %d x %d text image", static_cast<int>(width),
                     static_cast<int>(height));
            return GetError();
        }
    }
    // Match the destination's pixel layout so that copies either way are exact.
    if (destination && destination->GetDepth() == depth)
    {
        if (depth <= 8)
            m_pImage->SetPalette(destination->GetPalette());
        else
            m_pImage->SetPixelFormat(destination->GetPixelFormat());
    }

    bool covered = true;
    if (m_nBackgroundColor == CX_COLOR_NONE)
    {
        CxRect visible;
        covered =
            destination && visible.Intersect(m_rcPosition, destination->GetRect()) && visible == m_rcPosition;
        if (destination)
        {
            // The copy skips the destination's transparent pixels; filling
            // with that value first gives them their true value.
            if (destination->GetTransparentColor() != CX_COLOR_NONE && destination->GetDepth() == depth)
                m_pImage->FillRect(nullptr, destination->GetTransparentColor());
            const CxRect whole = m_pImage->GetRect();
            destination->Draw(m_pImage, &whole, &m_rcPosition);
        }
    }
    else
    {
        m_pImage->FillRect(nullptr, m_nBackgroundColor);
    }

    const CxRect textRect(CX_DRAW_TEXT_MARGIN, 0, width - CX_DRAW_TEXT_MARGIN - 1, height - 1);
    DrawText(m_pImage, textRect, m_nColor, m_strText.c_str(), m_nFlags, m_nSize, m_pFont,
             CX_FONT_KEY_TRANSPARENT, m_nShadowColor);
    if (covered)
        m_nState &= ~CX_DRAW_TEXT_RENDER;
    return GetError();
}

uint32_t CxDrawText::Paint(CxDrawSurface* destination)
{
    if (!destination)
        return GetError();
    Render(destination);
    if (m_pImage)
        m_pImage->Draw(destination, &m_rcPosition);
    return GetError();
}
