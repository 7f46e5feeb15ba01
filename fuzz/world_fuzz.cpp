// Feeds arbitrary bytes to the town's world load as world.ini (numbered
// series, placements, settings), with the same bytes also standing as b.ini
// and nodes.ini, so that a world naming "b.ini" as a building, object or
// layer loads the input again through those loaders. Then one town update
// and the unload.
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/graphics/display_object.h"
#include "game/world/town.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    fwrite(data, 1, size, file);
    fclose(file);
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    if (size > 0x10000)
        return 0;
    static const std::string folder = "/tmp/world_fuzz_" + std::to_string(getpid());
    static CxGamePath paths;
    static bool ready = false;
    if (!ready)
    {
        mkdir(folder.c_str(), 0700);
        paths.SetInstallPath((folder + "/").c_str());
        paths.SetCDPath((folder + "/").c_str());
        CxDisplayObject::SetRootSize(640, 480);
        ready = true;
    }
    SetGamePath(&paths);
    for (const char* name : {"/world.ini", "/b.ini", "/nodes.ini"})
        if (!WriteFile(folder + name, data, size))
            return 0;
    {
        CTown town;
        town.SetSize(640, 480);
        town.LoadWorld();
        town.UpdateTown();
        town.UnloadWorld();
    }
    SetGamePath(nullptr);
    return 0;
}
