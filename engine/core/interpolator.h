// CxInterpolator: named text variables expanded into text.
//
// "$NAME" (letters, digits and "_") or "${NAME}" in a text is replaced by the
// variable's current value; the braced form may build its name from other
// variables ("${MISSION_${LEVEL}}"). Unknown names stay in the text as "$"
// followed by the name. Names compare case-sensitively. Values are inserted
// as they are and never expanded again, so a variable that names itself
// cannot make the expansion loop.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/base/object.h"

#include <cstdint>

// Formats value with a caller's printf-style format that is meant for one
// integer ("%d", "%03ld", "x=%x"). The format is checked first: the first
// integer conversion is given the long value, and anything else that would
// make printf read an argument that is not there ("%s", a second "%d") is
// written out literally. At most size - 1 characters are written.
void CxFormatLong(char* out, uint32_t size, const char* format, long value);

class CxInterpolator : public CxObject
{
public:
    class CxVariable
    {
    public:
        explicit CxVariable(const char* name) : m_strName(name) {}
        virtual ~CxVariable() = default;
        virtual const CxString& GetName() const { return m_strName; }
        virtual CxString GetValue() const = 0;
        virtual CxVariable* Clone() const = 0;

    protected:
        CxString m_strName;
    };

    // A copied text, fixed when the variable is added.
    class CStringConstantVariable : public CxVariable
    {
    public:
        CStringConstantVariable(const char* name, const char* text) : CxVariable(name), m_strValue(text) {}
        CxString GetValue() const override { return m_strValue; }
        CxVariable* Clone() const override;

    private:
        CxString m_strValue;
    };

    // The caller's string as it reads at the moment of expansion.
    class CStringVariable : public CxVariable
    {
    public:
        CStringVariable(const char* name, const CxString* text) : CxVariable(name), m_pValue(text) {}
        CxString GetValue() const override { return m_pValue ? *m_pValue : CxString(); }
        CxVariable* Clone() const override;

    private:
        const CxString* m_pValue;
    };

    // The caller's number, formatted at the moment of expansion.
    template <class T>
    class CBuiltinVariable : public CxVariable
    {
    public:
        CBuiltinVariable(const char* name, const T* value, const char* format = "%d")
            : CxVariable(name), m_pValue(value), m_strFormat(format ? format : "%d")
        {
        }
        CxString GetValue() const override
        {
            CxFormatLong(m_szBuffer, sizeof(m_szBuffer), m_strFormat.c_str(),
                         m_pValue ? static_cast<long>(*m_pValue) : 0);
            return CxString(m_szBuffer);
        }
        CxVariable* Clone() const override
        {
            return new (std::nothrow) CBuiltinVariable(m_strName.c_str(), m_pValue, m_strFormat.c_str());
        }

    private:
        const T* m_pValue;
        CxString m_strFormat;
        mutable char m_szBuffer[256] = {};
    };

    CxInterpolator() = default;
    CxInterpolator(const CxInterpolator&) = delete;
    CxInterpolator& operator=(const CxInterpolator&) = delete;
    ~CxInterpolator() override;

    // Each add replaces a variable of the same name. They return false when
    // memory ran out (the old variable is gone then too).
    bool AddConstant(const char* name, const char* text);
    bool AddFormattedConstant(const char* name, long number, const char* format = "%d");
    bool AddStringVariable(const char* name, const CxString* text);
    bool AddNumberVariable(const char* name, const long* number, const char* format = "%d");
    void RemoveVariable(const char* name);
    void RemoveAll();

    CxVariable* FindVariable(const char* name) const;
    const CxLinkedList<CxVariable*>& GetVariables() const { return m_Variables; }

    // The text with every variable replaced; never longer than CX_STRING_MAX.
    CxString Expand(const char* text) const;

private:
    bool Add(CxVariable* variable);
    void ExpandRange(const char* text, const char* end, uint32_t depth, CxString& out) const;

    CxLinkedList<CxVariable*> m_Variables;
};
