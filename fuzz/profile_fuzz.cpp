// Feeds arbitrary bytes to the game as its profile file (rumbo.pxu): they are
// loaded as the game loads them and, when the file may be written, saved and
// loaded again, which must give back the same records.
#include "engine/core/error.h"
#include "game/world/user_profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
const std::string& Directory()
{
    static std::string dir = [] {
        // A memory file system where there is one: every save syncs.
        char shm[] = "/dev/shm/rumbo-profile-fuzz-XXXXXX";
        char tmp[] = "/tmp/rumbo-profile-fuzz-XXXXXX";
        const char* made = mkdtemp(shm);
        if (!made)
            made = mkdtemp(tmp);
        if (!made)
            abort();
        return std::string(made);
    }();
    return dir;
}

// What a save does to a name: control characters become "_".
void SanitizeNames(UserProfile (&profiles)[USER_PROFILE_COUNT])
{
    for (UserProfile& p : profiles)
        for (char& c : p.name)
            if (c && static_cast<unsigned char>(c) < 0x20)
                c = '_';
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    const std::string path = Directory() + "/rumbo.pxu";
    for (const char* suffix : {"", ".bak", ".bad", ".new", ".bak.new"})
        unlink((path + suffix).c_str());
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0 && fwrite(data, 1, size, file) != size)
    {
        fclose(file);
        return 0;
    }
    fclose(file);

    CxError reporter;
    CUserProfileFile profiles(path.c_str());
    UserProfile loaded[USER_PROFILE_COUNT] = {};
    profiles.Load(loaded, &reporter);
    if (profiles.IsWriteBlocked())
        return 0;
    if (profiles.Save(loaded, &reporter) != CX_ERR_NONE)
        return 0;
    UserProfile again[USER_PROFILE_COUNT] = {};
    CUserProfileFile reread(path.c_str());
    if (reread.Load(again, &reporter) != CX_ERR_NONE)
        __builtin_trap();
    SanitizeNames(loaded);
    if (memcmp(loaded, again, sizeof(loaded)) != 0)
        __builtin_trap();
    return 0;
}
