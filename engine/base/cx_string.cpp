#include "engine/base/cx_string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

char CxToUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char CxToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int32_t CxCompareNoCaseN(const char* a, const char* b, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const unsigned char ca = static_cast<unsigned char>(CxToUpper(a[i]));
        const unsigned char cb = static_cast<unsigned char>(CxToUpper(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
    return 0;
}

int32_t CxCompareNoCase(const char* a, const char* b)
{
    return CxCompareNoCaseN(a ? a : "", b ? b : "", UINT32_MAX);
}

void CxCopyText(char* out, const char* text, uint32_t size)
{
    if (!out || size == 0)
        return;
    uint32_t n = 0;
    if (text)
        while (n + 1 < size && text[n])
        {
            out[n] = text[n];
            ++n;
        }
    out[n] = 0;
}

static uint32_t ClampLength(const char* text, int32_t length)
{
    if (!text)
        return 0;
    size_t n = length < 0 ? strnlen(text, CX_STRING_MAX + 1) : static_cast<size_t>(length);
    return n > CX_STRING_MAX ? CX_STRING_MAX : static_cast<uint32_t>(n);
}

CxString::CxString(const char* text)
{
    Assign(text);
}
CxString::CxString(const char* text, int32_t length)
{
    Assign(text, length);
}
CxString::CxString(const CxString& other)
{
    Assign(other.c_str(), other.m_nLength);
}

CxString::CxString(CxString&& other) noexcept
{
    if (other.IsBorrowed())
    {
        Assign(other.c_str(), other.m_nLength);
        return;
    }
    m_pText = std::exchange(other.m_pText, nullptr);
    m_nLength = std::exchange(other.m_nLength, 0);
    m_nCapacity = std::exchange(other.m_nCapacity, 0);
}

CxString::~CxString()
{
    Release();
}

CxString CxString::Borrow(char* buffer, uint16_t capacity)
{
    CxString s;
    if (!buffer || capacity == 0)
        return s;
    capacity &= ~CX_STRING_BORROWED;
    s.m_pText = buffer;
    s.m_nCapacity = static_cast<uint16_t>(capacity | CX_STRING_BORROWED);
    s.m_nLength = static_cast<uint16_t>(strnlen(buffer, capacity - 1u));
    buffer[s.m_nLength] = 0;
    return s;
}

CxString& CxString::operator=(const CxString& other)
{
    if (this != &other)
        Assign(other.c_str(), other.m_nLength);
    return *this;
}

CxString& CxString::operator=(CxString&& other) noexcept
{
    if (this == &other)
        return *this;
    if (other.IsBorrowed() || IsBorrowed())
    {
        Assign(other.c_str(), other.m_nLength);
        return *this;
    }
    Release();
    m_pText = std::exchange(other.m_pText, nullptr);
    m_nLength = std::exchange(other.m_nLength, 0);
    m_nCapacity = std::exchange(other.m_nCapacity, 0);
    return *this;
}

CxString& CxString::operator=(const char* text)
{
    Assign(text);
    return *this;
}

void CxString::Release()
{
    if (!IsBorrowed())
        free(m_pText);
    m_pText = nullptr;
    m_nLength = 0;
    m_nCapacity = 0;
}

// Makes room for length characters plus the terminator in owned memory or the
// borrowed buffer; keeps the current text.
bool CxString::Reserve(uint32_t length)
{
    if (length > CX_STRING_MAX)
        length = CX_STRING_MAX;
    if (m_pText && length + 1 <= GetCapacity())
        return true;
    uint32_t capacity = length + 1 < 16 ? 16 : length + 1;
    if (capacity < GetCapacity() * 2u)
        capacity = GetCapacity() * 2u;
    if (capacity > CX_STRING_MAX + 1u)
        capacity = CX_STRING_MAX + 1u;
    char* text = static_cast<char*>(malloc(capacity));
    if (!text)
        return false;
    memcpy(text, c_str(), m_nLength + 1u);
    const uint16_t keep = m_nLength;
    Release();
    m_pText = text;
    m_nLength = keep;
    m_nCapacity = static_cast<uint16_t>(capacity);
    return true;
}

void CxString::Assign(const char* text, int32_t length)
{
    const uint32_t n = ClampLength(text, length);
    // The text may live inside this string's own buffer (s = s.c_str() + 1).
    if (m_pText && text >= m_pText && text <= m_pText + GetCapacity())
    {
        memmove(m_pText, text, n);
        m_pText[n] = 0;
        m_nLength = static_cast<uint16_t>(n);
        return;
    }
    m_nLength = 0;
    if (m_pText)
        m_pText[0] = 0;
    if (n == 0)
        return;
    if (!Reserve(n))
        return;
    memcpy(m_pText, text, n);
    m_pText[n] = 0;
    m_nLength = static_cast<uint16_t>(n);
}

void CxString::Append(const char* text, int32_t length)
{
    uint32_t n = ClampLength(text, length);
    if (n == 0)
        return;
    if (m_nLength + n > CX_STRING_MAX)
        n = CX_STRING_MAX - m_nLength;
    if (n == 0)
        return;
    // Appending a piece of ourselves: copy it out first, Reserve may move the buffer.
    if (m_pText && text >= m_pText && text <= m_pText + GetCapacity())
    {
        CxString copy(text, static_cast<int32_t>(n));
        Append(copy.c_str(), copy.m_nLength);
        return;
    }
    if (!Reserve(m_nLength + n))
        return;
    memcpy(m_pText + m_nLength, text, n);
    m_nLength = static_cast<uint16_t>(m_nLength + n);
    m_pText[m_nLength] = 0;
}

void CxString::Append(char c)
{
    Append(&c, 1);
}

int32_t CxString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int32_t n = FormatV(format, args);
    va_end(args);
    return n;
}

int32_t CxString::FormatV(const char* format, va_list args)
{
    if (!format)
    {
        Empty();
        return 0;
    }
    va_list copy;
    va_copy(copy, args);
    const int needed = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0)
    {
        Empty();
        return 0;
    }
    const uint32_t n = static_cast<uint32_t>(needed) > CX_STRING_MAX ? CX_STRING_MAX : needed;
    m_nLength = 0;
    if (!Reserve(n))
        return 0;
    vsnprintf(m_pText, n + 1u, format, args);
    m_nLength = static_cast<uint16_t>(n);
    return static_cast<int32_t>(n);
}

char CxString::operator[](int32_t index) const
{
    return (index >= 0 && index < m_nLength) ? m_pText[index] : 0;
}

void CxString::Empty()
{
    m_nLength = 0;
    if (m_pText)
        m_pText[0] = 0;
}

CxString CxString::Left(int32_t count) const
{
    if (count < 0)
        count = 0;
    return CxString(c_str(), count > m_nLength ? m_nLength : count);
}

CxString CxString::Mid(int32_t start, int32_t count) const
{
    if (start < 0)
        start = 0;
    if (start >= m_nLength)
        return CxString();
    const int32_t rest = m_nLength - start;
    if (count < 0 || count > rest)
        count = rest;
    return CxString(m_pText + start, count);
}

CxString CxString::Right(int32_t count) const
{
    if (count <= 0)
        return CxString();
    if (count > m_nLength)
        count = m_nLength;
    return CxString(c_str() + (m_nLength - count), count);
}

void CxString::Truncate(int32_t length)
{
    if (length >= 0 && length < m_nLength)
    {
        m_nLength = static_cast<uint16_t>(length);
        m_pText[length] = 0;
    }
}

int32_t CxString::Find(const char* text, int32_t start) const
{
    if (!text || start < 0 || start > m_nLength)
        return -1;
    const char* hit = strstr(c_str() + start, text);
    return hit ? static_cast<int32_t>(hit - c_str()) : -1;
}

int32_t CxString::Find(char c, int32_t start) const
{
    if (start < 0)
        return -1;
    for (int32_t i = start; i < m_nLength; ++i)
        if (m_pText[i] == c)
            return i;
    return -1;
}

int32_t CxString::ReverseFind(char c) const
{
    for (int32_t i = m_nLength - 1; i >= 0; --i)
        if (m_pText[i] == c)
            return i;
    return -1;
}

int32_t CxString::FindNoCase(const char* text, int32_t start) const
{
    if (!text || start < 0 || start > m_nLength)
        return -1;
    const uint32_t n = static_cast<uint32_t>(strlen(text));
    for (int32_t i = start; i + static_cast<int32_t>(n) <= m_nLength; ++i)
        if (CxCompareNoCaseN(m_pText + i, text, n) == 0)
            return i;
    return -1;
}

int32_t CxString::Compare(const char* text) const
{
    const int r = strcmp(c_str(), text ? text : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int32_t CxString::CompareNoCase(const char* text) const
{
    return CxCompareNoCase(c_str(), text);
}

int32_t CxString::Remove(char c)
{
    int32_t out = 0;
    for (int32_t i = 0; i < m_nLength; ++i)
        if (m_pText[i] != c)
            m_pText[out++] = m_pText[i];
    const int32_t removed = m_nLength - out;
    Truncate(out);
    return removed;
}

void CxString::Replace(char from, char to)
{
    for (int32_t i = 0; i < m_nLength; ++i)
        if (m_pText[i] == from)
            m_pText[i] = to;
}

void CxString::MakeUpper()
{
    for (int32_t i = 0; i < m_nLength; ++i)
        m_pText[i] = CxToUpper(m_pText[i]);
}

void CxString::MakeLower()
{
    for (int32_t i = 0; i < m_nLength; ++i)
        m_pText[i] = CxToLower(m_pText[i]);
}

void CxString::TrimLeft(const char* chars)
{
    int32_t i = 0;
    while (i < m_nLength && strchr(chars, m_pText[i]))
        ++i;
    if (i > 0)
        Assign(m_pText + i, m_nLength - i);
}

void CxString::TrimRight(const char* chars)
{
    int32_t n = m_nLength;
    while (n > 0 && strchr(chars, m_pText[n - 1]))
        --n;
    Truncate(n);
}

uint32_t CxString::Hash(const char* text)
{
    uint32_t sum = 0;
    if (text)
        for (; *text; ++text)
            sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(CxToUpper(*text))));
    return sum;
}

uint32_t CxString::Hash() const
{
    return Hash(c_str());
}
