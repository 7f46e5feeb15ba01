#include "engine/core/game_path.h"

#include "engine/core/find_file.h"
#include "engine/core/options.h"
#include "engine/platform/file_system.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
CxGamePath* s_pGamePath = nullptr;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

CxString WithSeparator(const char* path)
{
    CxString root = path ? path : "";
    if (root.IsEmpty() || !IsSeparator(root[root.GetLength() - 1]))
        root.Append('\\');
    return root;
}

// Every occurrence of name (exact case) replaced by value, left to right;
// replaced text is never searched again.
CxString ReplaceAll(const CxString& text, const char* name, const CxString& value)
{
    const int32_t length = static_cast<int32_t>(strlen(name));
    CxString out;
    int32_t start = 0;
    for (;;)
    {
        const int32_t at = text.Find(name, start);
        if (at < 0)
            break;
        out.Append(text.c_str() + start, at - start);
        out += value;
        start = at + length;
    }
    out.Append(text.c_str() + start, text.GetLength() - start);
    return out;
}

// "\\" becomes "\" from the second character on (a leading pair is kept).
void CollapseBackslashes(CxString& text)
{
    CxString out;
    for (int32_t i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        if (c == '\\' && i >= 1 && out.GetLength() >= 2 && out[out.GetLength() - 1] == '\\')
            continue;
        out.Append(c);
    }
    text = out;
}

void Limit(CxString& text)
{
    if (text.GetLength() > CX_GAME_PATH_MAX)
        text.Truncate(CX_GAME_PATH_MAX);
}
} // namespace

CxGamePath::~CxGamePath()
{
    if (s_pGamePath == this)
        s_pGamePath = nullptr;
}

void CxGamePath::SetInstallPath(const char* path)
{
    m_strInstallPath = WithSeparator(path);
}

void CxGamePath::SetCDPath(const char* path)
{
    m_strCDPath = WithSeparator(path);
}

uint32_t CxGamePath::Configure(CxOptions& options, const char* startupDirectory)
{
    char text[1024];
    options.GetString("Startup", "InstallPath", text, startupDirectory ? startupDirectory : "", sizeof(text));
    CxString install = WithSeparator(text);
    install.MakeUpper();
    options.GetString("Startup", "CDPath", text, install.c_str(), sizeof(text));
    CxString cd = WithSeparator(text);
    cd.MakeUpper();
    m_strInstallPath = install;
    m_strCDPath = cd;
    return BuildInstalledFileTable();
}

CxString CxGamePath::TableKey(const char* path)
{
    CxString key;
    for (const char* p = path ? path : ""; *p; ++p)
    {
        const char c = IsSeparator(*p) ? '\\' : CxToUpper(*p);
        if (c == '\\' && key.GetLength() > 0 && key[key.GetLength() - 1] == '\\')
            continue;
        key.Append(c);
    }
    return key;
}

uint32_t CxGamePath::BuildInstalledFileTable()
{
    DeleteInstalledFileTable();
    ClearError();
    if (m_strInstallPath == m_strCDPath)
        return CX_ERR_NONE;
    m_pInstalledFiles.reset(new (std::nothrow) CxInstalledFileTable);
    if (!m_pInstalledFiles)
        return SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a CxHashTable for the Installed File List"),
               m_nError;
    CxFindFile find;
    CxString pattern = m_strInstallPath;
    pattern += "*.*";
    find.Find(pattern.c_str(), 0, true);
    for (const CxFileEntry* entry = find.GetFirst(); entry; entry = find.GetNext())
        if (!entry->IsDirectory() && !m_pInstalledFiles->Add(TableKey(entry->GetFullPath().c_str())))
            return SetError(CX_ERR_OUT_OF_MEMORY, "Out of memory building the Installed File List"), m_nError;
    return CX_ERR_NONE;
}

void CxGamePath::DeleteInstalledFileTable()
{
    m_pInstalledFiles.reset();
}

bool CxGamePath::IsInstalledFile(const char* path) const
{
    return m_pInstalledFiles && path && m_pInstalledFiles->Contains(TableKey(path));
}

CxString CxGamePath::Substitute(const char* text) const
{
    CxString path = text ? text : "";
    Limit(path);
    if (path.FindNoCase("$GAMEPATH") < 0)
    {
        path = ReplaceAll(path, "$CDPATH", m_strCDPath);
        path = ReplaceAll(path, "$INSTALLPATH", m_strInstallPath);
        CollapseBackslashes(path);
        Limit(path);
        return path;
    }
    CxString installed = ReplaceAll(path, "$GAMEPATH", m_strInstallPath);
    CollapseBackslashes(installed);
    Limit(installed);
    if (IsInstalledFile(installed.c_str()))
        return installed;
    CxString cd = ReplaceAll(path, "$GAMEPATH", m_strCDPath);
    CollapseBackslashes(cd);
    Limit(cd);
    return cd;
}

CxString CxGamePath::Build(const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    CxString path = BuildV(format, args);
    va_end(args);
    return path;
}

CxString CxGamePath::BuildV(const char* format, va_list args) const
{
    if (!format)
        return CxString();
    char buffer[CX_GAME_PATH_MAX + 1];
    vsnprintf(buffer, sizeof(buffer), format, args);
    return Substitute(buffer);
}

void SetGamePath(CxGamePath* paths)
{
    s_pGamePath = paths;
}

CxGamePath& GetGamePath()
{
    // Until the application installs its roots both are the working
    // directory, as they are by default at start-up.
    static CxGamePath* fallback = [] {
        auto* paths = new CxGamePath;
        const CxString cwd = CurrentDirectory();
        paths->SetInstallPath(cwd.c_str());
        paths->SetCDPath(cwd.c_str());
        return paths;
    }();
    return s_pGamePath ? *s_pGamePath : *fallback;
}

CxString BuildGamePath(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CxString path = GetGamePath().BuildV(format, args);
    va_end(args);
    return path;
}

CxString ExpandGamePath(const char* text)
{
    return GetGamePath().Substitute(text);
}

bool IsInstalledFile(const char* path)
{
    return GetGamePath().IsInstalledFile(path);
}
