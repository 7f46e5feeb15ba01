// CxFindFile: a directory search with wildcard masks, optionally recursive,
// whose results come back sorted by name. CxFileEntry is one result.
//
// Patterns name files the data way ("$..." already expanded): "\" or "/"
// separate components and letter case does not matter, so "DIR\*.TGA" lists
// dir/ whatever the case of its name on disk.
#pragma once

#include "engine/base/array.h"
#include "engine/base/binary_tree.h"
#include "engine/base/cx_string.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>

constexpr uint32_t CX_FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t CX_FILE_ATTRIBUTE_DIRECTORY = 0x02;
constexpr uint32_t CX_FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr uint32_t CX_FILE_ATTRIBUTE_HIDDEN = 0x08;
constexpr uint32_t CX_FILE_ATTRIBUTE_ARCHIVE = 0x10;
constexpr uint32_t CX_FILE_ATTRIBUTE_COMPRESSED = 0x20;
constexpr uint32_t CX_FILE_ATTRIBUTE_MASK = 0x3F;

// Whether name matches one of the masks in patterns, a list separated by
// ";" ("*.tga;*.bmp"). "*" matches any run of characters, "?" any one;
// letter case is ignored; "*.*" matches every name; a mask ending in "."
// also matches a name without any "." ("*." lists names without extension).
bool CxMatchWildcard(const char* name, const char* patterns);

class CxFileEntry : public CxObject
{
public:
    // Full path: the directory as searched (ending in a separator) and the name.
    CxString GetFullPath() const;
    bool IsDirectory() const { return (m_nAttributes & CX_FILE_ATTRIBUTE_DIRECTORY) != 0; }

    int64_t m_nCreationTime = 0; // seconds since 1970 (the status-change time on this system)
    int64_t m_nLastAccessTime = 0;
    int64_t m_nLastWriteTime = 0;
    uint32_t m_nFileSizeHigh = 0;
    uint32_t m_nFileSizeLow = 0;
    CxString m_strPath;
    CxString m_strName;
    uint32_t m_nAttributes = 0;
};

// Sort key of the results: the name without regard to case, then with it,
// then the directory (a recursive search may find one name in several places).
struct CxFindFileKey
{
    CxString m_strName;
    CxString m_strPath;
    bool operator<(const CxFindFileKey& other) const;
};

class CxFindFile : public CxObject, public CxError
{
public:
    CxFindFile() = default;
    CxFindFile(const CxFindFile&) = delete;
    CxFindFile& operator=(const CxFindFile&) = delete;

    // Stores the request. attributeMask 0 keeps everything; otherwise an
    // entry is kept when all its attribute flags are among the mask's bits.
    void Find(const char* pattern, uint32_t attributeMask = 0, bool recursive = false);
    // Names of later searches are stored in upper case.
    void SetUpperCase(bool upper) { m_bUpperCase = upper; }

    // Runs the search; the first entry in name order, or null.
    const CxFileEntry* GetFirst();
    // The entry after the last one returned, or null.
    const CxFileEntry* GetNext();
    uint32_t GetCount() const { return m_Results.GetCount(); }

private:
    struct Visited
    {
        uint64_t m_nDevice = 0;
        uint64_t m_nInode = 0;
    };

    void Search(const CxString& directory, const CxString& mask, uint32_t depth);
    bool Enter(const CxString& directory);

    CxString m_strPattern;
    uint32_t m_nAttributeMask = 0;
    bool m_bRecursive = false;
    bool m_bUpperCase = false;
    CxBinaryTree<CxFindFileKey, CxFileEntry> m_Results;
    CxTreeNode<CxFindFileKey, CxFileEntry>* m_pCursor = nullptr;
    // Directories entered by the running search, so links that point back
    // up cannot make it go round for ever.
    CxArray<Visited> m_Visited;
};
