#include "engine/ui/console_text.h"

#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"

const char* const CX_CONSOLE_PROMPT = "> ";

CxConsoleText::CxConsoleText(uint32_t maxLines) : m_nMaxLines(maxLines > 0 ? maxLines : 1) {}

void CxConsoleText::AddText(const char* text)
{
    for (const char* p = text ? text : ""; *p; ++p)
    {
        if (*p == '\r')
            continue;
        if (!m_bLineOpen)
        {
            if (!m_Lines.AddTail(CxString()))
                return;
            while (m_Lines.GetCount() > m_nMaxLines)
                m_Lines.RemoveHead();
            m_bLineOpen = true;
        }
        if (*p == '\n')
            m_bLineOpen = false;
        else
            m_Lines.GetTail()->m_Value += *p;
    }
}

void CxConsoleText::Clear()
{
    m_Lines.RemoveAll();
    m_bLineOpen = false;
}

const char* CxConsoleText::GetLine(uint32_t index) const
{
    const CxListNode<CxString>* node = m_Lines.GetAt(index);
    return node ? node->m_Value.c_str() : nullptr;
}

void CxConsoleText::Draw(CxDrawSurface* surface, const CxRect& rect)
{
    if (!surface)
        return;
    surface->FillRect(&rect, m_nBackgroundColor);
    CxFont* font = m_pFont ? m_pFont : FindFont(CX_FONT_ID_DEFAULT);
    if (!font)
        return;
    const int32_t lineHeight = font->GetLineHeight(font->GetSize()) + font->GetSpacing().cy;
    if (lineHeight <= 0)
        return;
    // Bottom up: the typed line first, then the output from the newest.
    CxRect line(rect.left, rect.bottom - lineHeight + 1, rect.right, rect.bottom);
    CxString input(CX_CONSOLE_PROMPT);
    input += m_strInput;
    input += '_';
    DrawText(surface, line, m_nTextColor, input.c_str(), 0, 0, font);
    for (const CxListNode<CxString>* node = m_Lines.GetTail(); node; node = node->GetPrev())
    {
        line.top -= lineHeight;
        line.bottom -= lineHeight;
        if (line.top < rect.top)
            break;
        DrawText(surface, line, m_nTextColor, node->m_Value.c_str(), 0, 0, font);
    }
}
