#include "engine/core/mutex.h"

#include "engine/base/cx_string.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// A recursive mutex that knows its owner, so that an unlock from a thread
// that does not hold it is refused (as the system's mutexes refuse it)
// instead of corrupting the lock.
struct CxMutexHandle
{
    std::mutex m_Guard;
    std::condition_variable m_Released;
    std::thread::id m_Owner;
    uint32_t m_nDepth = 0;
};

namespace {
// Names compare without regard to case, like the system's object names.
struct NoCaseLess
{
    bool operator()(const std::string& a, const std::string& b) const
    {
        return CxCompareNoCase(a.c_str(), b.c_str()) < 0;
    }
};

std::mutex& RegistryLock()
{
    static std::mutex lock;
    return lock;
}

std::map<std::string, std::weak_ptr<CxMutexHandle>, NoCaseLess>& Registry()
{
    static std::map<std::string, std::weak_ptr<CxMutexHandle>, NoCaseLess> registry;
    return registry;
}
} // namespace

CxMutex::~CxMutex()
{
    Close();
}

CxMutexHandle* CxMutex::Create(const char* name, bool initialOwner, bool* existed)
{
    Close();
    if (existed)
        *existed = false;
    if (name && *name)
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        auto& slot = Registry()[name];
        m_pHandle = slot.lock();
        if (m_pHandle)
        {
            if (existed)
                *existed = true;
        }
        else
        {
            m_pHandle = std::make_shared<CxMutexHandle>();
            slot = m_pHandle;
        }
    }
    else
        m_pHandle = std::make_shared<CxMutexHandle>();

    if (initialOwner)
        Lock(CX_INFINITE);
    return m_pHandle.get();
}

void CxMutex::Close()
{
    m_pHandle.reset();
}

bool CxMutex::Lock(uint32_t timeout)
{
    if (!m_pHandle)
        return false;
    CxMutexHandle& h = *m_pHandle;
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(h.m_Guard);
    auto free = [&] { return h.m_nDepth == 0 || h.m_Owner == self; };
    if (timeout == CX_INFINITE)
        h.m_Released.wait(guard, free);
    else if (!h.m_Released.wait_for(guard, std::chrono::milliseconds(timeout), free))
        return false;
    h.m_Owner = self;
    ++h.m_nDepth;
    return true;
}

void CxMutex::Unlock()
{
    if (!m_pHandle)
        return;
    CxMutexHandle& h = *m_pHandle;
    std::lock_guard<std::mutex> guard(h.m_Guard);
    if (h.m_nDepth == 0 || h.m_Owner != std::this_thread::get_id())
        return;
    if (--h.m_nDepth == 0)
    {
        h.m_Owner = std::thread::id();
        h.m_Released.notify_all();
    }
}
