#include "engine/platform/file_system.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {
struct Listing
{
    struct timespec m_Modified;
    std::vector<std::string> m_Names;
};

std::mutex s_CacheLock;
std::map<std::string, Listing> s_Listings;

bool SameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The entry of dir whose name equals name without regard to case, or "".
std::string MatchNoCase(const std::string& dir, const std::string& name)
{
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::string();

    std::lock_guard<std::mutex> guard(s_CacheLock);
    Listing& listing = s_Listings[dir];
    if (listing.m_Names.empty() || !SameTime(listing.m_Modified, st.st_mtim))
    {
        listing.m_Names.clear();
        listing.m_Modified = st.st_mtim;
        if (DIR* d = opendir(dir.c_str()))
        {
            while (const struct dirent* entry = readdir(d))
                listing.m_Names.emplace_back(entry->d_name);
            closedir(d);
        }
    }
    for (const std::string& candidate : listing.m_Names)
        if (CxCompareNoCase(candidate.c_str(), name.c_str()) == 0)
            return candidate;
    return std::string();
}
} // namespace

CxString ResolvePath(const char* path)
{
    if (!path || !*path)
        return CxString();
    std::string text(path);
    for (char& c : text)
        if (c == '\\')
            c = '/';

    struct stat st;
    if (lstat(text.c_str(), &st) == 0)
        return CxString(text.c_str());

    const bool absolute = text[0] == '/';
    std::string result = absolute ? "/" : "";
    bool matching = true;
    size_t pos = absolute ? 1 : 0;
    while (pos <= text.size())
    {
        size_t end = text.find('/', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty())
            continue;
        if (!result.empty() && result.back() != '/')
            result += '/';
        const std::string dir = result.empty() ? "." : result;
        std::string candidate = result + part;
        if (matching && part != "." && part != ".." && lstat(candidate.c_str(), &st) != 0)
        {
            const std::string match = MatchNoCase(dir, part);
            if (match.empty())
                matching = false; // nothing below a missing component can exist
            else
                candidate = result + match;
        }
        result = candidate;
    }
    // Keep a trailing separator the caller wrote ("dir\" names a directory).
    if (text.size() > 1 && text.back() == '/' && result.back() != '/')
        result += '/';
    return CxString(result.c_str());
}

bool PathExists(const char* path)
{
    struct stat st;
    return stat(ResolvePath(path).c_str(), &st) == 0;
}

bool PathIsDirectory(const char* path)
{
    struct stat st;
    return stat(ResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathIsWritable(const char* path)
{
    return access(ResolvePath(path).c_str(), W_OK) == 0;
}

CxString AbsolutePath(const char* path)
{
    CxString resolved = ResolvePath(path);
    char buffer[PATH_MAX];
    if (realpath(resolved.c_str(), buffer))
        return CxString(buffer);
    // A file that does not exist yet: make it absolute against the working directory.
    if (resolved.GetLength() > 0 && resolved[0] != '/')
    {
        CxString full = CurrentDirectory();
        if (!full.IsEmpty())
        {
            full += "/";
            full += resolved;
            return full;
        }
    }
    return resolved;
}

CxString CurrentDirectory()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof(buffer)) ? CxString(buffer) : CxString();
}

CxString UserStateDirectory(const char* application)
{
    // The XDG base directories: a relative or empty XDG_STATE_HOME is ignored.
    CxString base;
    const char* state = getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        base = state;
    else
    {
        const char* home = getenv("HOME");
        if (!home || home[0] != '/')
            return CxString();
        base = home;
        base += "/.local/state";
    }
    if (application && *application)
    {
        base += "/";
        base += application;
    }
    return base;
}

bool MakeDirectories(const char* path)
{
    if (!path || !*path)
        return false;
    std::string partial;
    const std::string whole(path);
    for (size_t at = 0; at <= whole.size(); ++at)
    {
        if (at < whole.size() && whole[at] != '/')
            continue;
        partial.assign(whole, 0, at);
        if (partial.empty())
            continue;
        // State directories hold the user's own files: private, as XDG asks.
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

void FlushPathCache()
{
    std::lock_guard<std::mutex> guard(s_CacheLock);
    s_Listings.clear();
}

bool ListDirectory(const char* path, CxDirectoryCallback callback, void* context)
{
    if (!callback)
        return false;
    std::string dir = (path && *path) ? ResolvePath(path).c_str() : ".";
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    if (dir.back() != '/')
        dir += '/';
    bool going = true;
    while (going)
    {
        const struct dirent* entry = readdir(d);
        if (!entry)
            break;
        const char* name = entry->d_name;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
            continue;
        const std::string full = dir + name;
        struct stat link;
        if (lstat(full.c_str(), &link) != 0)
            continue;
        struct stat st = link;
        CxDirectoryEntry info;
        info.m_bSymbolicLink = S_ISLNK(link.st_mode);
        if (info.m_bSymbolicLink && stat(full.c_str(), &st) != 0)
            st = link; // a dangling link is listed as what it is
        info.m_strName = name;
        info.m_bDirectory = S_ISDIR(st.st_mode);
        const bool noWriteBits = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        info.m_bReadOnly = noWriteBits || access(full.c_str(), W_OK) != 0;
        info.m_nSize = static_cast<uint64_t>(st.st_size);
        info.m_nAccessTime = st.st_atim.tv_sec;
        info.m_nWriteTime = st.st_mtim.tv_sec;
        info.m_nChangeTime = st.st_ctim.tv_sec;
        info.m_nDevice = st.st_dev;
        info.m_nInode = st.st_ino;
        going = callback(info, context);
    }
    closedir(d);
    return true;
}

bool GetPathIdentity(const char* path, uint64_t* device, uint64_t* inode)
{
    struct stat st;
    const CxString resolved = (path && *path) ? ResolvePath(path) : CxString(".");
    if (stat(resolved.c_str(), &st) != 0)
        return false;
    if (device)
        *device = st.st_dev;
    if (inode)
        *inode = st.st_ino;
    return true;
}
