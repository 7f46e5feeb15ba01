// Data paths on a case-sensitive file system.
//
// Game data names files the Windows way: "\" separates components and letter
// case does not matter. ResolvePath turns such a name into a path that exists
// when any case variant of it exists: each component is tried exactly first,
// then matched without regard to case against a cached listing of its
// directory (the listing is read again when the directory changes). What
// cannot be matched is kept as written, so new files are created as named.
#pragma once

#include "engine/base/cx_string.h"

#include <cstdint>

CxString ResolvePath(const char* path);

bool PathExists(const char* path);
bool PathIsDirectory(const char* path);
bool PathIsWritable(const char* path);
// The absolute form of path ("\" already turned into "/"); path itself when it cannot be formed.
CxString AbsolutePath(const char* path);
CxString CurrentDirectory();
// The user's directory for state files of an application: $XDG_STATE_HOME/application,
// else ~/.local/state/application; empty when neither variable gives an absolute path.
CxString UserStateDirectory(const char* application);
// Creates the directory and any missing parents (mode 0700); true when it exists afterwards.
bool MakeDirectories(const char* path);
// Forgets every cached directory listing.
void FlushPathCache();

// One entry of a directory listing, as the file system reports it.
struct CxDirectoryEntry
{
    CxString m_strName;
    bool m_bDirectory = false; // a directory, or a link to one
    bool m_bSymbolicLink = false;
    bool m_bReadOnly = false; // this process may not write it, or it has no write permission at all
    uint64_t m_nSize = 0;
    int64_t m_nAccessTime = 0; // seconds since 1970
    int64_t m_nWriteTime = 0;
    int64_t m_nChangeTime = 0;
    uint64_t m_nDevice = 0; // with the inode: the identity of what the entry names
    uint64_t m_nInode = 0;
};

// Called once per entry; returning false ends the listing.
typedef bool (*CxDirectoryCallback)(const CxDirectoryEntry& entry, void* context);

// Lists the directory named by path (resolved like every data path; "" is
// the working directory), skipping "." and "..". False when the directory
// cannot be read.
bool ListDirectory(const char* path, CxDirectoryCallback callback, void* context);
// The device and inode of what path names; false when it does not exist.
bool GetPathIdentity(const char* path, uint64_t* device, uint64_t* inode);
