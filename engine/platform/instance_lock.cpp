#include "engine/platform/instance_lock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CxInstanceLock::~CxInstanceLock()
{
    Release();
}

namespace {
CxString LockPath(const char* dir, const char* name)
{
    CxString path(dir);
    if (path.IsEmpty() || path[path.GetLength() - 1] != '/')
        path += "/";
    CxString file(name && *name ? name : "app");
    for (int32_t i = 0; i < file.GetLength(); ++i)
    {
        const char c = file[i];
        path += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    }
    path += ".lock";
    return path;
}
} // namespace

CxString CxInstanceLock::PathOf(const char* name)
{
    const char* dir = getenv("XDG_RUNTIME_DIR");
    return LockPath(dir && *dir ? dir : "/tmp", name);
}

bool CxInstanceLock::Acquire(const char* name)
{
    Release();
    m_strPath = PathOf(name);
    int fd = open(m_strPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        // A runtime directory that cannot hold the file must not keep the
        // program from starting: every copy then meets in /tmp instead.
        m_strPath = LockPath("/tmp", name);
        fd = open(m_strPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    if (fd < 0)
        return false;
    int result;
    do
        result = flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0)
    {
        close(fd);
        return false;
    }
    m_nFile = fd;
    return true;
}

void CxInstanceLock::Release()
{
    if (m_nFile < 0)
        return;
    // The file stays: removing it would let a third copy lock a new file
    // while a second still waits on the old one.
    flock(m_nFile, LOCK_UN);
    close(m_nFile);
    m_nFile = -1;
}
