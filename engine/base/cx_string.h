// CxString: heap text of single-byte characters.
//
// Length and capacity are 16-bit; bit 15 of the capacity marks a buffer the
// string does not own (a borrowed buffer is never freed or grown in place:
// the first change that needs more room copies the text into owned memory).
// The longest text is therefore CX_STRING_MAX characters; longer input is cut.
#pragma once

#include "engine/base/error_codes.h"

#include <cstdarg>
#include <cstdint>

constexpr uint16_t CX_STRING_BORROWED = 0x8000;
constexpr uint16_t CX_STRING_MAX = 0x7FFE; // capacity holds the terminating zero

class CxString
{
public:
    CxString() = default;
    CxString(const char* text);
    CxString(const char* text, int32_t length);
    CxString(const CxString& other);
    CxString(CxString&& other) noexcept;
    ~CxString();

    // Wraps a caller's buffer of the given capacity (terminating zero included)
    // without taking ownership; the buffer must hold a terminated text.
    static CxString Borrow(char* buffer, uint16_t capacity);

    CxString& operator=(const CxString& other);
    CxString& operator=(CxString&& other) noexcept;
    CxString& operator=(const char* text);

    void Assign(const char* text, int32_t length = -1);
    void Append(const char* text, int32_t length = -1);
    void Append(char c);
    CxString& operator+=(const char* text)
    {
        Append(text);
        return *this;
    }
    CxString& operator+=(const CxString& other)
    {
        Append(other.c_str(), other.GetLength());
        return *this;
    }
    CxString& operator+=(char c)
    {
        Append(c);
        return *this;
    }

    int32_t Format(const char* format, ...) CX_PRINTF(2, 3);
    int32_t FormatV(const char* format, va_list args);

    const char* c_str() const { return m_pText ? m_pText : ""; }
    operator const char*() const { return c_str(); }
    uint16_t GetLength() const { return m_nLength; }
    uint16_t GetCapacity() const { return static_cast<uint16_t>(m_nCapacity & ~CX_STRING_BORROWED); }
    bool IsBorrowed() const { return (m_nCapacity & CX_STRING_BORROWED) != 0; }
    bool IsEmpty() const { return m_nLength == 0; }
    char operator[](int32_t index) const;

    void Empty();
    // The first count characters, or characters [start, start + count) (count -1: to the end).
    CxString Left(int32_t count) const;
    CxString Mid(int32_t start, int32_t count = -1) const;
    CxString Right(int32_t count) const;
    void Truncate(int32_t length);

    // Position of the first occurrence at or after start, or -1.
    int32_t Find(const char* text, int32_t start = 0) const;
    int32_t Find(char c, int32_t start = 0) const;
    int32_t ReverseFind(char c) const;
    int32_t FindNoCase(const char* text, int32_t start = 0) const;

    int32_t Compare(const char* text) const;
    int32_t CompareNoCase(const char* text) const;
    bool EqualsNoCase(const char* text) const { return CompareNoCase(text) == 0; }
    bool operator==(const char* text) const { return Compare(text) == 0; }
    bool operator==(const CxString& other) const { return Compare(other.c_str()) == 0; }

    // Removes every occurrence of c; returns how many were removed.
    int32_t Remove(char c);
    void Replace(char from, char to);
    void MakeUpper();
    void MakeLower();
    void TrimLeft(const char* chars = " \t");
    void TrimRight(const char* chars = " \t");

    // The sum, in unsigned 32-bit arithmetic, of the characters upper-cased
    // (a-z only) and taken as signed bytes.
    uint32_t Hash() const;
    static uint32_t Hash(const char* text);

private:
    bool Reserve(uint32_t length);
    void Release();

    char* m_pText = nullptr;
    uint16_t m_nLength = 0;
    uint16_t m_nCapacity = 0;
};

// ASCII-only case-insensitive comparison, as every name lookup of the engine uses.
int32_t CxCompareNoCase(const char* a, const char* b);
int32_t CxCompareNoCaseN(const char* a, const char* b, uint32_t count);
char CxToUpper(char c);
char CxToLower(char c);
// Copies at most size - 1 characters and always terminates (size 0 writes nothing).
void CxCopyText(char* out, const char* text, uint32_t size);
