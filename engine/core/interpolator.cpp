#include "engine/core/interpolator.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
// Braced names nested deeper than this are taken literally, so a hostile
// text cannot recurse deep enough to exhaust the stack.
constexpr uint32_t MAX_BRACE_DEPTH = 16;

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void AppendChar(char* out, uint32_t size, uint32_t& n, char c)
{
    if (n + 1 < size)
        out[n++] = c;
}
} // namespace

void CxFormatLong(char* out, uint32_t size, const char* format, long value)
{
    if (!out || size == 0)
        return;
    out[0] = 0;
    if (!format)
        format = "%d";
    // Rebuild the format into a safe one: literal text with every other "%"
    // doubled, and the first integer conversion rewritten to take a long.
    char safe[160];
    uint32_t n = 0;
    bool used = false;
    bool isChar = false;
    const char* p = format;
    while (*p && n + 24 < sizeof(safe))
    {
        if (*p != '%')
        {
            AppendChar(safe, sizeof(safe), n, *p++);
            continue;
        }
        const char* conv = p++;
        while (*p && strchr("-+ 0#", *p))
            ++p;
        uint32_t digits = 0;
        while (*p >= '0' && *p <= '9')
            ++p, ++digits;
        if (*p == '.')
            for (++p; *p >= '0' && *p <= '9'; ++p)
                ++digits;
        const char* lengthStart = p;
        while (*p == 'l' || *p == 'h')
            ++p;
        const char conversion = *p;
        if (!used && conversion && strchr("diuxXoc", conversion) && digits <= 6 && p - conv < 16)
        {
            // Flags, width and precision are kept; the length becomes "l" (none for "%c").
            for (const char* q = conv; q < lengthStart; ++q)
                AppendChar(safe, sizeof(safe), n, *q);
            if (conversion != 'c')
                AppendChar(safe, sizeof(safe), n, 'l');
            AppendChar(safe, sizeof(safe), n, conversion);
            used = true;
            isChar = conversion == 'c';
            ++p;
            continue;
        }
        const char* stop = conversion ? p + 1 : p;
        if (conversion == '%' && p == conv + 1)
        {
            AppendChar(safe, sizeof(safe), n, '%');
            AppendChar(safe, sizeof(safe), n, '%');
            p = stop;
            continue;
        }
        // Anything else is written out as the text it is.
        for (const char* q = conv; q < stop && n + 3 < sizeof(safe); ++q)
        {
            AppendChar(safe, sizeof(safe), n, *q);
            if (*q == '%')
                AppendChar(safe, sizeof(safe), n, '%');
        }
        p = stop;
    }
    safe[n] = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    if (!used)
        snprintf(out, size, safe, 0L);
    else if (isChar)
        snprintf(out, size, safe, static_cast<int>(value));
    else
        snprintf(out, size, safe, value);
#pragma GCC diagnostic pop
}

CxInterpolator::CxVariable* CxInterpolator::CStringConstantVariable::Clone() const
{
    return new (std::nothrow) CStringConstantVariable(m_strName.c_str(), m_strValue.c_str());
}

CxInterpolator::CxVariable* CxInterpolator::CStringVariable::Clone() const
{
    return new (std::nothrow) CStringVariable(m_strName.c_str(), m_pValue);
}

CxInterpolator::~CxInterpolator()
{
    RemoveAll();
}

bool CxInterpolator::Add(CxVariable* variable)
{
    if (!variable)
        return false;
    RemoveVariable(variable->GetName().c_str());
    if (!m_Variables.AddTail(variable))
    {
        delete variable;
        return false;
    }
    return true;
}

bool CxInterpolator::AddConstant(const char* name, const char* text)
{
    if (!name)
        return false;
    RemoveVariable(name);
    return Add(new (std::nothrow) CStringConstantVariable(name, text));
}

bool CxInterpolator::AddFormattedConstant(const char* name, long number, const char* format)
{
    char text[256];
    CxFormatLong(text, sizeof(text), format, number);
    return AddConstant(name, text);
}

bool CxInterpolator::AddStringVariable(const char* name, const CxString* text)
{
    if (!name)
        return false;
    RemoveVariable(name);
    return Add(new (std::nothrow) CStringVariable(name, text));
}

bool CxInterpolator::AddNumberVariable(const char* name, const long* number, const char* format)
{
    if (!name)
        return false;
    RemoveVariable(name);
    return Add(new (std::nothrow) CBuiltinVariable<long>(name, number, format));
}

void CxInterpolator::RemoveVariable(const char* name)
{
    if (!name)
        return;
    auto* node = m_Variables.GetHead();
    while (node)
    {
        if (node->m_Value->GetName() == name)
        {
            delete node->m_Value;
            node = m_Variables.RemoveNode(node);
        }
        else
            node = node->GetNext();
    }
}

void CxInterpolator::RemoveAll()
{
    while (!m_Variables.IsEmpty())
        delete m_Variables.RemoveHead();
}

CxInterpolator::CxVariable* CxInterpolator::FindVariable(const char* name) const
{
    if (!name)
        return nullptr;
    for (auto* node = m_Variables.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetName() == name)
            return node->m_Value;
    return nullptr;
}

CxString CxInterpolator::Expand(const char* text) const
{
    CxString out;
    if (text)
        ExpandRange(text, text + strlen(text), 0, out);
    return out;
}

void CxInterpolator::ExpandRange(const char* text, const char* end, uint32_t depth, CxString& out) const
{
    const char* p = text;
    while (p < end && out.GetLength() < CX_STRING_MAX)
    {
        const char* dollar = static_cast<const char*>(memchr(p, '$', static_cast<size_t>(end - p)));
        if (!dollar)
        {
            out.Append(p, static_cast<int32_t>(end - p > CX_STRING_MAX ? CX_STRING_MAX : end - p));
            return;
        }
        out.Append(p, static_cast<int32_t>(dollar - p > CX_STRING_MAX ? CX_STRING_MAX : dollar - p));
        p = dollar + 1;
        if (p == end)
        {
            out.Append('$');
            return;
        }
        CxString name;
        if (*p == '{')
        {
            // Find the matching brace, counting nested ones.
            const char* close = p + 1;
            uint32_t open = 1;
            for (; close < end; ++close)
            {
                if (*close == '{')
                    ++open;
                else if (*close == '}' && --open == 0)
                    break;
            }
            if (close >= end)
                return; // no matching brace: the rest is dropped
            if (depth < MAX_BRACE_DEPTH)
                ExpandRange(p + 1, close, depth + 1, name);
            else
                name.Assign(p + 1, static_cast<int32_t>(close - p - 1 > CX_STRING_MAX ? CX_STRING_MAX
                                                                                      : close - p - 1));
            p = close + 1;
        }
        else
        {
            const char* start = p;
            while (p < end && IsNameChar(*p))
                ++p;
            name.Assign(start, static_cast<int32_t>(p - start > CX_STRING_MAX ? CX_STRING_MAX : p - start));
        }
        if (const CxVariable* variable = FindVariable(name.c_str()))
            out += variable->GetValue();
        else
        {
            out.Append('$');
            out += name;
        }
    }
}
