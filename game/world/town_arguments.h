// The arguments of a town line, read by the rules of the sequence files.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/log.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

// A command's arguments, read by the rules of the sequence files: a number
// is the whole word (trailing blanks allowed); a word is trimmed. A bad or
// missing number makes the command do nothing, with a log entry.
class CTownArguments
{
public:
    CTownArguments(const CxString& command, const CxLinkedList<CxString>& arguments)
        : m_Command(command), m_Arguments(arguments)
    {
    }
    uint32_t Count() const { return m_Arguments.GetCount(); }
    CxString Word(uint32_t index) const
    {
        CxString word = index < Count() ? m_Arguments.GetAt(index)->m_Value : CxString();
        word.TrimLeft(" \t");
        word.TrimRight(" \t");
        return word;
    }
    bool Int(uint32_t index, int32_t* value) const
    {
        const char* text = index < Count() ? m_Arguments.GetAt(index)->m_Value.c_str() : "";
        char* end = nullptr;
        errno = 0;
        const long read = strtol(text, &end, 10);
        if (end == text || !RestIsBlank(end) || errno != 0 || read < INT32_MIN || read > INT32_MAX)
            return Fail("is not a whole number");
        *value = static_cast<int32_t>(read);
        return true;
    }
    bool Float(uint32_t index, float* value) const
    {
        const char* text = index < Count() ? m_Arguments.GetAt(index)->m_Value.c_str() : "";
        char* end = nullptr;
        const double read = strtod(text, &end);
        if (end == text || !RestIsBlank(end) || !std::isfinite(read) || std::fabs(read) > 1e9)
            return Fail("is not a number");
        *value = static_cast<float>(read);
        return true;
    }
    // A point from arguments index and index + 1.
    bool Point(uint32_t index, CxPoint* point) const
    {
        return Int(index, &point->x) && Int(index + 1, &point->y);
    }
    // The line as the log shows it: "Town.Command(a, b)".
    CxString Line() const
    {
        CxString line = "Town.";
        line += m_Command;
        line += "(";
        for (auto* node = m_Arguments.GetHead(); node; node = node->GetNext())
        {
            line += node->m_Value;
            if (node->GetNext())
                line += ", ";
        }
        line += ")";
        return line;
    }
    bool Fail(const char* why) const
    {
        LogEntry(CX_LOG_WARNING, "%s: an argument %s; ignored", Line().c_str(), why);
        return false;
    }
    const CxLinkedList<CxString>& GetList() const { return m_Arguments; }

private:
    static bool RestIsBlank(const char* text)
    {
        while (*text == ' ' || *text == '\t')
            ++text;
        return *text == '\0';
    }
    CxString m_Command; // a copy: callers may pass a temporary name
    const CxLinkedList<CxString>& m_Arguments;
};
