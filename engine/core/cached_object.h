// CxCachedObject: the base of objects whose memory may be released under
// memory pressure and brought back, byte for byte, on the next Lock.
//
// All live cached objects sit in one global list. Lock() stamps an object
// with a global use counter that counts down, so a smaller stamp is more
// recent. PurgeCache() evicts unlocked resident objects oldest first, by
// halving the age window each round, writing each one to a swap file before
// its memory is released.
#pragma once

#include "engine/base/cx_string.h"

#include <cstdint>

constexpr uint32_t CX_CACHE_REGISTERED = 0x80000000u;
constexpr uint32_t CX_CACHE_RESIDENT = 0x40000000u;
constexpr uint32_t CX_CACHE_LOCK_MASK = 0x3FFFFFFFu;

class CxCachedObject
{
public:
    CxCachedObject();
    CxCachedObject(const CxCachedObject&) = delete;
    CxCachedObject& operator=(const CxCachedObject&) = delete;
    virtual ~CxCachedObject();

    // Adds a lock and touches the object, bringing its memory back if it was purged.
    virtual void Lock() { AddLock(); }
    virtual void Unlock() { RemoveLock(); }
    virtual bool IsLocked() const { return GetLockCount() > 0; }
    virtual int32_t GetLockCount() const;
    // All bits set when resident, 0 otherwise.
    virtual uint32_t IsResident() const { return (m_nCacheFlags & CX_CACHE_RESIDENT) ? 0xFFFFFFFFu : 0; }
    virtual bool HasCacheFile() const { return !m_strCacheFile.IsEmpty(); }
    virtual void ClearLocks() { m_nCacheFlags &= ~CX_CACHE_LOCK_MASK; }
    virtual uint32_t RestoreFromCache();
    virtual uint32_t SaveToCache();
    // The derived class allocates its memory again; true on success.
    virtual bool Reacquire() = 0;
    // The derived class frees its memory.
    virtual void Release() = 0;

    uint32_t GetUseStamp() const { return m_nUseStamp; }
    const CxString& GetCacheFileName() const { return m_strCacheFile; }
    // Marks the memory present (derived classes call this after allocating it).
    void SetResident(bool resident);

    // Evicts least recently used objects until bytesNeeded can be allocated.
    // True when room was made (or a purge is already running).
    static bool PurgeCache(uint64_t bytesNeeded);
    static uint32_t GetObjectCount();

protected:
    // Points the cache at the derived class's data pointer and size.
    template <class T>
    void SetCacheData(T** ppData, uint32_t* pnSize)
    {
        m_ppData = reinterpret_cast<void**>(ppData);
        m_pnSize = pnSize;
    }

    // Lock and Unlock without the virtual call, for derived classes whose
    // own operations lock on every copy of every sprite.
    void AddLock()
    {
        const uint32_t count = static_cast<uint32_t>(LockCount() + 1) & CX_CACHE_LOCK_MASK;
        m_nCacheFlags = (m_nCacheFlags & ~CX_CACHE_LOCK_MASK) | count;
        // The newest use stamp: the cache purges the oldest first.
        m_nUseStamp = --s_nUseCounter;
        if (!(m_nCacheFlags & CX_CACHE_RESIDENT))
            BringBack();
    }
    void RemoveLock()
    {
        const uint32_t count = static_cast<uint32_t>(LockCount() - 1) & CX_CACHE_LOCK_MASK;
        m_nCacheFlags = (m_nCacheFlags & ~CX_CACHE_LOCK_MASK) | count;
    }
    bool IsResidentNow() const { return (m_nCacheFlags & CX_CACHE_RESIDENT) != 0; }

    // The lock count: a signed 30-bit number in the low bits of the flags.
    int32_t LockCount() const
    {
        const uint32_t raw = m_nCacheFlags & CX_CACHE_LOCK_MASK;
        return (raw & 0x20000000u) ? static_cast<int32_t>(raw | 0xC0000000u) : static_cast<int32_t>(raw);
    }

private:
    // Brings the memory of a purged object back.
    void BringBack();

    // Counts down, so that a smaller stamp is a later use.
    static uint32_t s_nUseCounter;
    bool HasData() const;
    // Saves (when asked) and releases one object; false when the save failed
    // and the object was kept, since releasing it would lose its contents.
    bool Purge(bool save);

    CxString m_strCacheFile;
    void** m_ppData = nullptr;
    uint32_t* m_pnSize = nullptr;
    uint32_t m_nUseStamp = 0;
    uint32_t m_nCacheFlags = 0;
    CxCachedObject* m_pPrevCached = nullptr;
    CxCachedObject* m_pNextCached = nullptr;
};

// Free-function spelling used by the allocator.
inline bool PurgeCache(uint64_t bytesNeeded)
{
    return CxCachedObject::PurgeCache(bytesNeeded);
}
