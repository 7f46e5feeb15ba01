// Feeds arbitrary bytes to the town's map loader as a map file (written to a
// scratch file and read through LoadMap), then looks up, scrolls and paints
// what it built.
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/graphics/draw_surface.h"
#include "game/world/rumbo_tile_map.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    if (size > 0x100000)
        return 0;
    static const std::string path = "/tmp/tile_map_fuzz_" + std::to_string(getpid()) + ".map";
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    // The loader reads the file into a buffer of exactly its length, so any
    // read past the end is caught.
    CRumboTileMap map;
    map.LoadMap(path.c_str());
    for (const CxPoint& point : {CxPoint(0, 0), CxPoint(-1, 5), CxPoint(130, 70), CxPoint(0x7FFFFFFF, 3)})
        map.GetTileAt(point);
    map.ScrollTo(10, 10);
    CxDrawSurface screen(64, 48, 16);
    map.SetShowGrid(size & 1);
    map.Paint(&screen, CxRect(0, 0, 63, 47));
    return 0;
}
