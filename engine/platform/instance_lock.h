// The single-instance lock: an advisory lock on "<name>.lock" in
// $XDG_RUNTIME_DIR (else, or when the file cannot be made there, /tmp), held
// for as long as the object lives. The system drops it when the process
// ends, however it ends.
#pragma once

#include "engine/base/cx_string.h"

class CxInstanceLock
{
public:
    CxInstanceLock() = default;
    CxInstanceLock(const CxInstanceLock&) = delete;
    CxInstanceLock& operator=(const CxInstanceLock&) = delete;
    ~CxInstanceLock();

    // True when this process now holds the lock of that name; false when
    // another holder has it or no lock file can be opened at all.
    bool Acquire(const char* name);
    void Release();
    bool IsHeld() const { return m_nFile >= 0; }
    const CxString& GetPath() const { return m_strPath; }

    // The lock file of a name ("/" and control characters become "_").
    static CxString PathOf(const char* name);

private:
    int m_nFile = -1;
    CxString m_strPath;
};
