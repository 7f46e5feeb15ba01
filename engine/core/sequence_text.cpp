#include "engine/core/sequence_text.h"

#include <cstring>
#include <memory>
#include <new>

namespace {
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

class Parser
{
public:
    Parser(const char* text, uint32_t size) : m_pText(text), m_nSize(size) {}

    bool AtEnd() const { return m_nPos >= m_nSize; }
    // The line of the current position (counted on from the last call).
    uint32_t Line()
    {
        for (; m_nCounted < m_nPos && m_nCounted < m_nSize; ++m_nCounted)
            m_nLine += m_pText[m_nCounted] == '\n';
        return m_nLine;
    }
    char Peek() const { return m_nPos < m_nSize ? m_pText[m_nPos] : 0; }

    bool Keyword(const char* word)
    {
        const uint32_t length = static_cast<uint32_t>(strlen(word));
        if (m_nSize - m_nPos < length || CxCompareNoCaseN(m_pText + m_nPos, word, length) != 0)
            return false;
        m_nPos += length;
        SkipBlanks();
        return true;
    }

    void SkipBlanks()
    {
        while (m_nPos < m_nSize && IsBlank(m_pText[m_nPos]))
            ++m_nPos;
    }

    void SkipLine()
    {
        const void* end = memchr(m_pText + m_nPos, '\n', m_nSize - m_nPos);
        m_nPos = end ? static_cast<uint32_t>(static_cast<const char*>(end) - m_pText) : m_nSize;
    }

    void Skip(uint32_t count) { m_nPos = (m_nSize - m_nPos < count) ? m_nSize : m_nPos + count; }

    // The text up to and including the next ")", and the character after it
    // skipped; false (at the end) when there is no ")".
    bool EventText(CxString& out)
    {
        const void* close = memchr(m_pText + m_nPos, ')', m_nSize - m_nPos);
        if (!close)
        {
            m_nPos = m_nSize;
            return false;
        }
        const uint32_t end = static_cast<uint32_t>(static_cast<const char*>(close) - m_pText) + 1;
        out.Assign(m_pText + m_nPos,
                   static_cast<int32_t>(end - m_nPos > CX_STRING_MAX ? CX_STRING_MAX : end - m_nPos));
        m_nPos = end;
        Skip(1);
        return true;
    }

    // A name in double quotes (up to the closing quote or the line end) or
    // bare (up to a blank, a quote or the line end); the character that
    // ends it is skipped.
    void Name(CxString& out)
    {
        const bool quoted = Peek() == '"';
        if (quoted)
            ++m_nPos;
        const uint32_t start = m_nPos;
        while (m_nPos < m_nSize)
        {
            const char c = m_pText[m_nPos];
            if (c == '\n' || c == '"' || (!quoted && IsBlank(c)))
                break;
            ++m_nPos;
        }
        const uint32_t length = m_nPos - start;
        out.Assign(m_pText + start, static_cast<int32_t>(length > CX_STRING_MAX ? CX_STRING_MAX : length));
        Skip(1);
    }

private:
    const char* m_pText;
    uint32_t m_nSize;
    uint32_t m_nPos = 0;
    uint32_t m_nCounted = 0;
    uint32_t m_nLine = 1;
};
} // namespace

ESequenceWalk WalkSequenceText(const char* data, uint32_t size,
                               const std::function<bool(const ST_SEQUENCE_ITEM&)>& visit)
{
    if (!data || size == 0)
        return ESequenceWalk::Complete;
    std::unique_ptr<char[]> text(new (std::nothrow) char[size]);
    if (!text)
        return ESequenceWalk::NoMemory;
    for (uint32_t i = 0; i < size; ++i)
        text[i] = data[i] == '\r' ? '\n' : data[i];

    Parser parser(text.get(), size);
    ST_SEQUENCE_ITEM item;
    while (!parser.AtEnd())
    {
        const char c = parser.Peek();
        if (c == '\n' || c == '#')
        {
            c == '\n' ? parser.Skip(1) : parser.SkipLine();
            continue;
        }
        const uint32_t line = parser.Line();
        // A "Dynamic" or "continue" mark counts for the item after it, which
        // is reported on the line of its first mark.
        if (!item.nLine)
            item.nLine = line;
        if (parser.Keyword("Dynamic"))
        {
            item.bDynamic = true;
            continue;
        }
        if (parser.Keyword("continue"))
        {
            item.bNext = true;
            continue;
        }
        if (parser.Keyword("Event"))
        {
            item.bSequence = false;
            if (!parser.EventText(item.strText))
                return ESequenceWalk::Unclosed;
        }
        else if (parser.Keyword("Sequence"))
        {
            item.bSequence = true;
            parser.Name(item.strText);
        }
        else
        {
            // Anything else, an indented line included, is skipped whole
            // (and ends nothing: a mark before it still counts).
            if (!item.bDynamic && !item.bNext)
                item.nLine = 0;
            parser.SkipLine();
            continue;
        }
        if (!visit(item))
            return ESequenceWalk::Stopped;
        item = ST_SEQUENCE_ITEM();
    }
    return ESequenceWalk::Complete;
}
