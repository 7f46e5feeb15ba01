#include "engine/core/find_file.h"

#include "engine/platform/file_system.h"

#include <cstring>

namespace {
// Deep enough for any data tree, shallow enough for the stack.
constexpr uint32_t MAX_SEARCH_DEPTH = 32;

// Glob match of name[0, nameLength) against mask[0, maskLength), without
// regard to case; iterative with one back-tracking point per "*".
bool MatchOne(const char* name, uint32_t nameLength, const char* mask, uint32_t maskLength)
{
    uint32_t n = 0;
    uint32_t m = 0;
    uint32_t starMask = UINT32_MAX;
    uint32_t starName = 0;
    while (n < nameLength)
    {
        if (m < maskLength && (mask[m] == '?' || CxToUpper(mask[m]) == CxToUpper(name[n])))
        {
            ++n;
            ++m;
        }
        else if (m < maskLength && mask[m] == '*')
        {
            starMask = m++;
            starName = n;
        }
        else if (starMask != UINT32_MAX)
        {
            m = starMask + 1;
            n = ++starName;
        }
        else
            return false;
    }
    while (m < maskLength && mask[m] == '*')
        ++m;
    return m == maskLength;
}

bool MatchMask(const char* name, const char* mask, uint32_t maskLength)
{
    if (maskLength == 3 && strncmp(mask, "*.*", 3) == 0)
        return true;
    const uint32_t nameLength = static_cast<uint32_t>(strlen(name));
    if (MatchOne(name, nameLength, mask, maskLength))
        return true;
    // "NAME." stands for NAME without an extension.
    return maskLength > 0 && mask[maskLength - 1] == '.' && !strchr(name, '.') &&
           MatchOne(name, nameLength, mask, maskLength - 1);
}

struct SearchContext
{
    CxFindFile* m_pSearch;
    const CxString* m_pDirectory;
    const CxString* m_pMask;
    uint32_t m_nAttributeMask;
    bool m_bUpperCase;
    bool m_bRecursive;
    CxBinaryTree<CxFindFileKey, CxFileEntry>* m_pResults;
    CxArray<CxString>* m_pSubdirectories;
};

uint32_t AttributesOf(const CxDirectoryEntry& entry)
{
    uint32_t flags = 0;
    if (entry.m_bDirectory)
        flags |= CX_FILE_ATTRIBUTE_DIRECTORY;
    if (entry.m_bReadOnly)
        flags |= CX_FILE_ATTRIBUTE_READONLY;
    if (entry.m_strName[0] == '.')
        flags |= CX_FILE_ATTRIBUTE_HIDDEN;
    return flags;
}

bool CollectEntry(const CxDirectoryEntry& entry, void* data)
{
    SearchContext& context = *static_cast<SearchContext*>(data);
    const uint32_t flags = AttributesOf(entry);
    if (entry.m_bDirectory && context.m_bRecursive)
        context.m_pSubdirectories->Add(entry.m_strName);
    if (!CxMatchWildcard(entry.m_strName.c_str(), context.m_pMask->c_str()))
        return true;
    const uint32_t wanted = context.m_nAttributeMask & CX_FILE_ATTRIBUTE_MASK;
    if (wanted != 0 && (flags & ~wanted & CX_FILE_ATTRIBUTE_MASK) != 0)
        return true;
    CxFileEntry result;
    result.m_nCreationTime = entry.m_nChangeTime;
    result.m_nLastAccessTime = entry.m_nAccessTime;
    result.m_nLastWriteTime = entry.m_nWriteTime;
    result.m_nFileSizeHigh = static_cast<uint32_t>(entry.m_nSize >> 32);
    result.m_nFileSizeLow = static_cast<uint32_t>(entry.m_nSize);
    result.m_strPath = *context.m_pDirectory;
    result.m_strName = entry.m_strName;
    if (context.m_bUpperCase)
        result.m_strName.MakeUpper();
    result.m_nAttributes = flags;
    if (!context.m_pResults->Insert(CxFindFileKey{result.m_strName, result.m_strPath}, result))
    {
        context.m_pSearch->SetError(CX_ERR_OUT_OF_MEMORY, "Out of memory listing %s",
                                    context.m_pDirectory->c_str());
        return false;
    }
    return true;
}
} // namespace

bool CxMatchWildcard(const char* name, const char* patterns)
{
    if (!name || !patterns)
        return false;
    const char* p = patterns;
    for (;;)
    {
        const char* end = strchr(p, ';');
        const uint32_t length = static_cast<uint32_t>(end ? end - p : strlen(p));
        // Blanks around the masks of a list are not part of them.
        const char* mask = p;
        uint32_t maskLength = length;
        while (maskLength > 0 && (*mask == ' ' || *mask == '\t'))
            ++mask, --maskLength;
        while (maskLength > 0 && (mask[maskLength - 1] == ' ' || mask[maskLength - 1] == '\t'))
            --maskLength;
        if (maskLength > 0 && MatchMask(name, mask, maskLength))
            return true;
        if (!end)
            return false;
        p = end + 1;
    }
}

CxString CxFileEntry::GetFullPath() const
{
    CxString full = m_strPath;
    full += m_strName;
    return full;
}

bool CxFindFileKey::operator<(const CxFindFileKey& other) const
{
    int32_t order = m_strName.CompareNoCase(other.m_strName.c_str());
    if (order == 0)
        order = m_strName.Compare(other.m_strName.c_str());
    if (order == 0)
        order = m_strPath.Compare(other.m_strPath.c_str());
    return order < 0;
}

void CxFindFile::Find(const char* pattern, uint32_t attributeMask, bool recursive)
{
    m_strPattern = pattern ? pattern : "";
    m_nAttributeMask = attributeMask;
    m_bRecursive = recursive;
}

const CxFileEntry* CxFindFile::GetFirst()
{
    m_Results.RemoveAll();
    m_pCursor = nullptr;
    m_Visited.RemoveAll();
    ClearError();

    // Split at the last separator: directory (kept as written) and mask.
    int32_t split = -1;
    for (int32_t i = 0; i < m_strPattern.GetLength(); ++i)
        if (m_strPattern[i] == '\\' || m_strPattern[i] == '/')
            split = i;
    const CxString directory = m_strPattern.Left(split + 1);
    CxString mask = m_strPattern.Mid(split + 1);
    if (mask.IsEmpty())
        mask = "*.*";
    // A mask without "." gets one, as the system search has always done it.
    CxString masks;
    for (int32_t start = 0; start <= mask.GetLength();)
    {
        int32_t end = mask.Find(';', start);
        if (end < 0)
            end = mask.GetLength();
        CxString one = mask.Mid(start, end - start);
        if (one.Find('.') < 0)
            one.Append('.');
        if (!masks.IsEmpty())
            masks.Append(';');
        masks += one;
        start = end + 1;
    }
    Search(directory, masks, 0);
    m_Visited.RemoveAll();
    m_pCursor = m_Results.First();
    return m_pCursor ? &m_pCursor->m_Value : nullptr;
}

const CxFileEntry* CxFindFile::GetNext()
{
    if (m_pCursor)
        m_pCursor = m_Results.Next(m_pCursor);
    return m_pCursor ? &m_pCursor->m_Value : nullptr;
}

bool CxFindFile::Enter(const CxString& directory)
{
    Visited here;
    if (!GetPathIdentity(directory.c_str(), &here.m_nDevice, &here.m_nInode))
        return false;
    for (uint32_t i = 0; i < m_Visited.GetCount(); ++i)
        if (m_Visited[i].m_nDevice == here.m_nDevice && m_Visited[i].m_nInode == here.m_nInode)
            return false;
    return m_Visited.Add(here);
}

void CxFindFile::Search(const CxString& directory, const CxString& mask, uint32_t depth)
{
    if (depth > MAX_SEARCH_DEPTH || (m_bRecursive && !Enter(directory)))
        return;
    CxArray<CxString> subdirectories;
    SearchContext context{this,         &directory,   &mask,      m_nAttributeMask,
                          m_bUpperCase, m_bRecursive, &m_Results, &subdirectories};
    ListDirectory(directory.c_str(), CollectEntry, &context);
    for (uint32_t i = 0; i < subdirectories.GetCount() && GetError() == CX_ERR_NONE; ++i)
    {
        CxString sub = directory;
        sub += subdirectories[i];
        sub.Append('\\');
        Search(sub, mask, depth + 1);
    }
}
