#include "engine/core/options.h"

#include "engine/core/file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
CxOptions* s_pMainOptions = nullptr;

// Typed reads fetch at most this many characters before converting.
constexpr uint32_t NUMBER_TEXT = 20;
constexpr uint32_t POINT_TEXT = 32;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// "Engine" is looked up as "[Engine]"; "[Engine]" is taken as it stands.
CxString Bracketed(const char* section)
{
    CxString name;
    if (section && section[0] == '[')
        name = section;
    else
        name.Format("[%s]", section ? section : "");
    return name;
}
} // namespace

void SetMainOptions(CxOptions* options)
{
    s_pMainOptions = options;
}

CxOptions* GetMainOptions()
{
    return s_pMainOptions;
}

// ---- sections ----

CxOptionSection::~CxOptionSection()
{
    for (auto* node = m_Variables.GetHead(); node; node = node->GetNext())
        delete node->m_Value;
}

CxOptionVariable* CxOptionSection::FirstVariable()
{
    m_pCursor = m_Variables.GetHead();
    return m_pCursor ? m_pCursor->m_Value : nullptr;
}

CxOptionVariable* CxOptionSection::NextVariable()
{
    if (m_pCursor)
        m_pCursor = m_pCursor->GetNext();
    return m_pCursor ? m_pCursor->m_Value : nullptr;
}

CxOptionVariable* CxOptionSection::FindVariable(const char* name) const
{
    if (!name || !*name)
        return nullptr;
    for (auto* node = m_Variables.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetName().EqualsNoCase(name))
            return node->m_Value;
    return nullptr;
}

CxOptionVariable* CxOptionSection::AddVariable(const char* name, const char* value)
{
    auto* variable = new CxOptionVariable(name, value);
    if (!m_Variables.AddTail(variable))
    {
        delete variable;
        return nullptr;
    }
    return variable;
}

void CxOptionSection::RemoveVariable(const char* name)
{
    CxOptionVariable* variable = FindVariable(name);
    if (!variable)
        return;
    auto* node = m_Variables.Find(variable);
    if (m_pCursor == node)
        m_pCursor = nullptr;
    m_Variables.RemoveNode(node);
    delete variable;
}

// ---- options ----

CxOptions::CxOptions(const char* fileName)
{
    Open(fileName);
}

CxOptions::~CxOptions()
{
    Flush();
    if (s_pMainOptions == this)
        s_pMainOptions = nullptr;
}

void CxOptions::DeleteSections()
{
    for (auto* node = m_Sections.GetHead(); node; node = node->GetNext())
        delete node->m_Value;
    m_Sections.RemoveAll();
    m_pCurrentSection = nullptr;
}

CxOptionSection* CxOptions::FindSection(const char* name) const
{
    const CxString wanted = Bracketed(name);
    for (auto* node = m_Sections.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetName().EqualsNoCase(wanted.c_str()))
            return node->m_Value;
    return nullptr;
}

CxOptionVariable* CxOptions::FindVariable(const char* section, const char* name) const
{
    CxOptionSection* found = FindSection(section);
    return found ? found->FindVariable(name) : nullptr;
}

CxOptionSection* CxOptions::AddSection(const char* name)
{
    auto* section = new CxOptionSection(name);
    if (!m_Sections.AddTail(section))
    {
        delete section;
        return nullptr;
    }
    m_pCurrentSection = section;
    return section;
}

CxOptionSection* CxOptions::FindOrAddSection(const char* section)
{
    CxOptionSection* found = FindSection(section);
    if (found)
        return found;
    CxOptionSection* previous = m_pCurrentSection;
    found = AddSection(Bracketed(section).c_str());
    m_pCurrentSection = previous;
    return found;
}

uint32_t CxOptions::SetNumber(const char* section, const char* name, long value)
{
    char text[NUMBER_TEXT + 8];
    snprintf(text, sizeof(text), "%ld", value);
    return SetString(section, name, text);
}

uint32_t CxOptions::SetString(const char* section, const char* name, const char* text)
{
    m_bDirty = true;
    if (CxOptionVariable* variable = FindVariable(section, name))
    {
        variable->SetValue(text);
        return 0;
    }
    if (CxOptionSection* found = FindOrAddSection(section))
        found->AddVariable(name, text);
    return 0;
}

uint32_t CxOptions::GetString(const char* section, const char* name, char* out, const char* defaultText,
                              uint32_t size)
{
    const char* value = defaultText ? defaultText : "";
    if (CxOptionVariable* variable = FindVariable(section, name))
        value = variable->GetValue().c_str();
    else if (m_bExportDefaults && name && *name)
        SetString(section, name, value);
    CxCopyText(out, value, size);
    return 0;
}

uint32_t CxOptions::GetNumber(const char* section, const char* name, long* out, long defaultValue)
{
    char defaultText[NUMBER_TEXT + 8];
    snprintf(defaultText, sizeof(defaultText), "%ld", defaultValue);
    char text[NUMBER_TEXT];
    GetString(section, name, text, defaultText, sizeof(text));
    if (out)
        *out = strtol(text, nullptr, 10);
    return 0;
}

uint32_t CxOptions::GetFloat(const char* section, const char* name, float* out, float defaultValue)
{
    char defaultText[64];
    snprintf(defaultText, sizeof(defaultText), "%f", static_cast<double>(defaultValue));
    char text[NUMBER_TEXT];
    GetString(section, name, text, defaultText, sizeof(text));
    if (out)
        *out = static_cast<float>(strtod(text, nullptr));
    return 0;
}

uint32_t CxOptions::GetPoint(const char* section, const char* name, CxPoint* out, const CxPoint& defaultPoint)
{
    char defaultText[POINT_TEXT];
    snprintf(defaultText, sizeof(defaultText), "%d,%d", defaultPoint.x, defaultPoint.y);
    char text[POINT_TEXT];
    GetString(section, name, text, defaultText, sizeof(text));
    if (!out)
        return 0;
    out->x = static_cast<int32_t>(strtol(text, nullptr, 10));
    // A value without a comma keeps the default's y.
    const char* comma = strchr(text, ',');
    out->y = comma ? static_cast<int32_t>(strtol(comma + 1, nullptr, 10)) : defaultPoint.y;
    return 0;
}

uint32_t CxOptions::AddVariable(const char* section, const char* name, const char* value)
{
    m_bDirty = true;
    if (CxOptionSection* found = FindOrAddSection(section))
        found->AddVariable(name, value);
    return 0;
}

uint32_t CxOptions::RemoveVariable(const char* section, const char* name)
{
    if (CxOptionSection* found = FindSection(section))
        found->RemoveVariable(name);
    m_pCurrentSection = nullptr;
    m_bDirty = true;
    return m_nError;
}

uint32_t CxOptions::RemoveSection(const char* section)
{
    if (CxOptionSection* found = FindSection(section))
    {
        m_Sections.Remove(found);
        delete found;
    }
    m_pCurrentSection = nullptr;
    m_bDirty = true;
    return m_nError;
}

void CxOptions::Parse(const char* text, uint32_t size)
{
    uint32_t pos = 0;
    while (pos < size)
    {
        uint32_t end = pos;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            ++end;
        const char* line = text + pos;
        uint32_t length = end - pos;
        pos = end + 1;

        for (uint32_t i = 0; i < length; ++i)
            if (line[i] == ';')
            {
                length = i;
                break;
            }
        if (length == 0)
            continue;
        if (line[0] == '[')
        {
            AddSection(CxString(line, static_cast<int32_t>(length)).c_str());
            continue;
        }
        const char* equals = static_cast<const char*>(memchr(line, '=', length));
        if (!equals || equals == line || !m_pCurrentSection)
            continue;
        uint32_t nameEnd = static_cast<uint32_t>(equals - line);
        while (nameEnd > 0 && IsBlank(line[nameEnd - 1]))
            --nameEnd;
        uint32_t valueStart = static_cast<uint32_t>(equals - line) + 1;
        uint32_t valueEnd = length;
        while (valueStart < valueEnd && IsBlank(line[valueStart]))
            ++valueStart;
        while (valueEnd > valueStart && IsBlank(line[valueEnd - 1]))
            --valueEnd;
        m_pCurrentSection->AddVariable(
            CxString(line, static_cast<int32_t>(nameEnd)).c_str(),
            CxString(line + valueStart, static_cast<int32_t>(valueEnd - valueStart)).c_str());
    }
}

uint32_t CxOptions::Open(const char* fileName)
{
    Flush();
    m_strFileName = fileName ? fileName : "";
    return Load();
}

uint32_t CxOptions::NewFile(const char* fileName)
{
    Flush();
    if (fileName && *fileName)
        DeleteFile(fileName);
    m_strFileName = fileName ? fileName : "";
    return m_nError;
}

uint32_t CxOptions::Load()
{
    Flush();
    if (m_strFileName.IsEmpty() || !FileExists(m_strFileName.c_str()))
        return CX_ERR_FILE_NOT_FOUND;

    CxFile file;
    if (file.Open(m_strFileName.c_str(), CX_FILE_DEFAULT) != CX_ERR_NONE)
        return file.GetError();
    const long length = file.GetLength();
    if (length < 0 || static_cast<unsigned long>(length) > 0x7FFFFFF0ul)
        return CX_ERR_OUT_OF_MEMORY;
    std::string text(static_cast<size_t>(length) + 2, '\0');
    const int64_t got = file.Read(text.data(), length);
    text[static_cast<size_t>(got > 0 ? got : 0)] = '\n';
    Parse(text.data(), static_cast<uint32_t>(got > 0 ? got : 0) + 1);
    file.Close();

    long exportDefaults = 0;
    GetNumber("OptionController", "Export", &exportDefaults, 0);
    if (exportDefaults != 0)
        m_bExportDefaults = true;
    return file.GetError();
}

void CxOptions::WriteTo(void (*sink)(const char*, uint32_t, void*), void* context) const
{
    bool first = true;
    for (auto* sectionNode = m_Sections.GetHead(); sectionNode; sectionNode = sectionNode->GetNext())
    {
        const CxOptionSection* section = sectionNode->m_Value;
        if (!first)
            sink("\r\n", 2, context);
        first = false;
        sink(section->GetName().c_str(), section->GetName().GetLength(), context);
        sink("\r\n", 2, context);
        for (auto* node = section->GetVariables().GetHead(); node; node = node->GetNext())
        {
            const CxOptionVariable* variable = node->m_Value;
            sink(variable->GetName().c_str(), variable->GetName().GetLength(), context);
            sink("=", 1, context);
            sink(variable->GetValue().c_str(), variable->GetValue().GetLength(), context);
            sink("\r\n", 2, context);
        }
    }
}

uint32_t CxOptions::Save()
{
    if (!m_bDirty || m_strFileName.IsEmpty())
        return CX_ERR_NONE;
    std::string text;
    WriteTo([](const char* piece, uint32_t length,
               void* context) { static_cast<std::string*>(context)->append(piece, length); },
            &text);
    if (text.size() > CX_BUFFER_MAX_SIZE)
        return SetError(CX_ERR_OUT_OF_MEMORY, "%s is too large to save", m_strFileName.c_str()), m_nError;
    const uint32_t code =
        SaveFileAtomic(m_strFileName.c_str(), text.data(), static_cast<uint32_t>(text.size()), this,
                       m_bKeepBackup ? CX_SAVE_KEEP_BACKUP : 0);
    if (code == CX_ERR_NONE)
        m_bDirty = false;
    return code;
}

void CxOptions::Discard()
{
    DeleteSections();
    m_bDirty = false;
}

uint32_t CxOptions::Flush()
{
    const uint32_t code = Save();
    DeleteSections();
    m_bDirty = false;
    return code;
}
