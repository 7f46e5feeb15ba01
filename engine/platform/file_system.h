// Data paths on a case-sensitive file system.
//
// Game data names files the Windows way: "\" separates components and letter
// case does not matter. ResolvePath turns such a name into a path that exists
// when any case variant of it exists: each component is tried exactly first,
// then matched without regard to case against a cached listing of its
// directory (the listing is read again when the directory changes). What
// cannot be matched is kept as written, so new files are created as named.
#pragma once

#include "engine/core/cx_string.h"

#include <cstdint>

CxString ResolvePath(const char* path);

bool PathExists(const char* path);
bool PathIsDirectory(const char* path);
bool PathIsWritable(const char* path);
// The absolute form of path ("\" already turned into "/"); path itself when it cannot be formed.
CxString AbsolutePath(const char* path);
CxString CurrentDirectory();
// Forgets every cached directory listing.
void FlushPathCache();
