// CxConsoleText: the text side of the developer command console. It keeps
// the latest lines of the text output and the line being typed, and draws
// them into a rectangle with a font (the engine's default font unless set):
// the typed line with its prompt at the bottom, the output lines above it,
// newest lowest, as many as fit.
//
// As the text output's listener it receives every Output text; pieces
// without a line feed continue the last line, so formatted output written
// in parts reads as one line.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/base/linked_list.h"
#include "engine/core/log.h"

#include <cstdint>

class CxDrawSurface;
class CxFont;

constexpr uint32_t CX_CONSOLE_DEFAULT_LINES = 100;
extern const char* const CX_CONSOLE_PROMPT;

class CxConsoleText : public CxOutputListener
{
public:
    explicit CxConsoleText(uint32_t maxLines = CX_CONSOLE_DEFAULT_LINES);
    CxConsoleText(const CxConsoleText&) = delete;
    CxConsoleText& operator=(const CxConsoleText&) = delete;

    void OnOutput(const char* text) override { AddText(text); }
    // Appends text: line feeds end lines, carriage returns are dropped.
    // The oldest lines go once more than the maximum are kept.
    void AddText(const char* text);
    void Clear();
    uint32_t GetLineCount() const { return m_Lines.GetCount(); }
    // Line index 0 is the oldest kept; null past the end.
    const char* GetLine(uint32_t index) const;

    void SetInputLine(const char* text) { m_strInput = text ? text : ""; }
    const CxString& GetInputLine() const { return m_strInput; }

    // Null: the default font at the time of drawing.
    void SetFont(CxFont* font) { m_pFont = font; }
    // Raw values of the surface drawn on.
    void SetColors(uint32_t text, uint32_t background)
    {
        m_nTextColor = text;
        m_nBackgroundColor = background;
    }

    // Fills rect with the background and draws the lines that fit.
    void Draw(CxDrawSurface* surface, const CxRect& rect);

private:
    CxLinkedList<CxString> m_Lines;
    uint32_t m_nMaxLines;
    bool m_bLineOpen = false; // the last line has no line feed yet
    CxString m_strInput;
    CxFont* m_pFont = nullptr;
    uint32_t m_nTextColor = 0xFFFFFFFFu;
    uint32_t m_nBackgroundColor = 0;
};
