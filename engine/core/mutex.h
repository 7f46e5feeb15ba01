// CxMutex: a named, recursive mutex. Mutexes of the same name share one lock
// for the whole process (a process-wide registry stands in for the system's
// named objects). Recursive, so the thread that holds it may take it again,
// as the allocator does when a purge itself allocates.
#pragma once

#include "engine/base/object.h"

#include <cstdint>
#include <memory>

constexpr uint32_t CX_INFINITE = 0xFFFFFFFF;

struct CxMutexHandle;

class CxMutex : public CxObject
{
public:
    CxMutex() = default;
    ~CxMutex() override;

    // Closes any handle held, then opens the mutex of that name (created when
    // it is the first). Returns the handle, or null on failure.
    // existed tells whether another holder already had it open.
    virtual CxMutexHandle* Create(const char* name, bool initialOwner, bool* existed = nullptr);
    virtual void Close();
    // True only when the mutex was obtained within timeout milliseconds
    // (CX_INFINITE waits for ever); false when there is no handle.
    virtual bool Lock(uint32_t timeout);
    virtual void Unlock();

    CxMutexHandle* GetHandle() const { return m_pHandle.get(); }

private:
    std::shared_ptr<CxMutexHandle> m_pHandle;
};
