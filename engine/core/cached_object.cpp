#include "engine/core/cached_object.h"

#include "engine/core/file.h"
#include "engine/core/memory.h"
#include "engine/core/options.h"
#include "engine/platform/clock.h"

namespace {
CxCachedObject* s_pFirst = nullptr;
CxCachedObject* s_pLast = nullptr;
uint32_t s_nCount = 0;

uint32_t s_nThreshold = 0xFFFFFFFFu;
bool s_bPurging = false;
} // namespace

uint32_t CxCachedObject::s_nUseCounter = 0xFFFFFFFFu;

// The global list is intrusive (the links live in the objects), so
// registering an object can never fail for lack of memory.
CxCachedObject::CxCachedObject()
{
    m_pPrevCached = s_pLast;
    if (s_pLast)
        s_pLast->m_pNextCached = this;
    else
        s_pFirst = this;
    s_pLast = this;
    ++s_nCount;
    m_nCacheFlags = CX_CACHE_REGISTERED;
    m_nUseStamp = --s_nUseCounter;
}

CxCachedObject::~CxCachedObject()
{
    (m_pPrevCached ? m_pPrevCached->m_pNextCached : s_pFirst) = m_pNextCached;
    (m_pNextCached ? m_pNextCached->m_pPrevCached : s_pLast) = m_pPrevCached;
    --s_nCount;
    if (HasCacheFile())
        DeleteFile(m_strCacheFile.c_str());
    m_nCacheFlags &= ~CX_CACHE_REGISTERED;
}

uint32_t CxCachedObject::GetObjectCount()
{
    return s_nCount;
}

int32_t CxCachedObject::GetLockCount() const
{
    return LockCount();
}

void CxCachedObject::SetResident(bool resident)
{
    if (resident)
        m_nCacheFlags |= CX_CACHE_RESIDENT;
    else
        m_nCacheFlags &= ~CX_CACHE_RESIDENT;
}

void CxCachedObject::BringBack()
{
    SetResident(true);
    SetResident(Reacquire());
    RestoreFromCache();
}

bool CxCachedObject::HasData() const
{
    return m_ppData && m_pnSize && *m_ppData && *m_pnSize;
}

uint32_t CxCachedObject::SaveToCache()
{
    if (!HasData())
        return CX_ERR_NONE;
    char dirText[CX_MAX_PATH] = "";
    if (CxOptions* options = GetMainOptions())
        options->GetString("Engine", "CacheDir", dirText, "", sizeof(dirText));
    CxString dir(dirText);
    if (dir.IsEmpty())
        GetTempDirectory(&dir);
    const int32_t last = dir.GetLength() - 1;
    if (last >= 0 && (dir[last] == '\\' || dir[last] == '/'))
        dir.Truncate(last);

    m_strCacheFile.Format("%s%c%08lx_%08lx.tmp", dir.c_str(), '/', static_cast<unsigned long>(GetTickCount()),
                          static_cast<unsigned long>(reinterpret_cast<uintptr_t>(*m_ppData)));
    CxFile file;
    file.Open(m_strCacheFile.c_str(), CX_FILE_CREATE | CX_FILE_READ);
    file.Write(*m_ppData, *m_pnSize);
    file.Close();
    if (file.GetError() != CX_ERR_NONE)
    {
        // A partial swap file is worthless: remove it and keep the memory.
        DeleteFile(m_strCacheFile.c_str());
        m_strCacheFile.Empty();
    }
    return file.GetError();
}

uint32_t CxCachedObject::RestoreFromCache()
{
    if (!HasCacheFile())
        return CX_ERR_NONE;
    uint32_t code = CX_ERR_NONE;
    if (!FileExists(m_strCacheFile.c_str()))
        code = CX_ERR_FILE_NOT_FOUND;
    else
    {
        if (HasData())
        {
            CxFile file;
            file.Open(m_strCacheFile.c_str(), CX_FILE_DEFAULT);
            file.Read(*m_ppData, *m_pnSize);
            file.Close();
            code = file.GetError();
        }
        DeleteFile(m_strCacheFile.c_str());
    }
    m_strCacheFile.Empty();
    return code;
}

bool CxCachedObject::Purge(bool save)
{
    if (!IsResident())
        return true;
    if (save && SaveToCache() != CX_ERR_NONE)
        return false;
    Release();
    SetResident(false);
    ClearLocks();
    return true;
}

bool CxCachedObject::PurgeCache(uint64_t bytesNeeded)
{
    if (s_bPurging)
        return true;
    s_bPurging = true;
    bool success = false;
    for (;;)
    {
        s_nThreshold = s_nUseCounter + (s_nThreshold - s_nUseCounter) / 2;
        uint32_t candidates = 0;
        uint32_t purged = 0;
        for (CxCachedObject* object = s_pFirst; object;)
        {
            // Release() may destroy nothing, but read the link first all the same.
            CxCachedObject* next = object->m_pNextCached;
            if (object->IsResident() && object->GetLockCount() <= 0)
            {
                ++candidates;
                if (object->m_nUseStamp >= s_nThreshold && object->Purge(true))
                    ++purged;
            }
            object = next;
        }
        if (candidates == 0)
            break;
        if (void* probe = AllocateRaw(bytesNeeded, false))
        {
            Free(probe, __FILE__, __LINE__);
            success = true;
            break;
        }
        // Every candidate is inside the window yet none could be purged (their
        // swap files cannot be written): another round would change nothing.
        if (purged == 0 && s_nThreshold == s_nUseCounter)
            break;
    }
    s_bPurging = false;
    return success;
}
