// Path roots and the installed-file table.
//
// Data paths begin with "$GAMEPATH", "$INSTALLPATH" or "$CDPATH". The
// install path is the writable per-user copy, the CD path the read-only data
// directory; "$GAMEPATH" means the install copy when that file was under the
// install directory at start-up, and the CD copy otherwise. The roots end in
// "\"; file names are written with a "\" after the variable, and the doubled
// backslash that results is collapsed.
//
// The application owns one CxGamePath and installs it with SetGamePath;
// BuildGamePath and IsInstalledFile use the installed one (until then both
// roots are the working directory).
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/hash_table.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdarg>
#include <cstdint>
#include <memory>

class CxOptions;

constexpr uint32_t CX_GAME_PATH_MAX = 255; // longest result of BuildGamePath
constexpr int CX_INSTALLED_FILE_BUCKETS = 131;

using CxInstalledFileTable = CxHashTable<CxString, CX_INSTALLED_FILE_BUCKETS>;

class CxGamePath : public CxObject, public CxError
{
public:
    CxGamePath() = default;
    CxGamePath(const CxGamePath&) = delete;
    CxGamePath& operator=(const CxGamePath&) = delete;
    ~CxGamePath() override;

    // Store the root, with "\" appended when it ends in no separator.
    void SetInstallPath(const char* path);
    void SetCDPath(const char* path);
    const CxString& GetInstallPath() const { return m_strInstallPath; }
    const CxString& GetCDPath() const { return m_strCDPath; }

    // What start-up does: "Startup"/"InstallPath" (default: startupDirectory)
    // and "Startup"/"CDPath" (default: the install path), each upper-cased
    // with "\" appended, then the installed-file table. Returns an error code.
    uint32_t Configure(CxOptions& options, const char* startupDirectory);

    // Lists every file under the install path into the table; no table when
    // the two roots are equal. Returns an error code (1 when out of memory).
    uint32_t BuildInstalledFileTable();
    void DeleteInstalledFileTable();
    const CxInstalledFileTable* GetInstalledFiles() const { return m_pInstalledFiles.get(); }
    // True when the table exists and holds path (letter case and the kind
    // of separator do not matter).
    bool IsInstalledFile(const char* path) const;

    // The root substitution on text taken literally (no formatting).
    CxString Substitute(const char* text) const;
    // printf-style formatting, then the root substitution.
    CxString Build(const char* format, ...) const CX_PRINTF(2, 3);
    CxString BuildV(const char* format, va_list args) const;

    // The form a path is stored and looked up in the table: upper case,
    // "\" separators, no doubled separators.
    static CxString TableKey(const char* path);

private:
    CxString m_strInstallPath;
    CxString m_strCDPath;
    std::unique_ptr<CxInstalledFileTable> m_pInstalledFiles;
};

// Installs the application's roots (not owned); null goes back to the default.
void SetGamePath(CxGamePath* paths);
CxGamePath& GetGamePath();

// Formats into at most 255 characters and resolves the roots.
CxString BuildGamePath(const char* format, ...) CX_PRINTF(1, 2);
// The root substitution on text as it is (a "%" stays a "%").
CxString ExpandGamePath(const char* text);
bool IsInstalledFile(const char* path);
