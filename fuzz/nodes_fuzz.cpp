// Feeds arbitrary bytes to the town's driving-node loader as nodes.ini (the
// option-file parser, then the node sections and their "LinkTo" entries),
// then asks the path search for ways between points picked from the input.
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/options.h"
#include "game/world/driving_node.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    if (size > 0x40000)
        return 0;
    CxOptions options;
    options.Parse(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size));
    CDrivingGraph graph;
    graph.Load(options);
    int32_t coordinates[4] = {0, 0, 5000, 3000};
    memcpy(coordinates, data, size < sizeof(coordinates) ? size : sizeof(coordinates));
    bool viaNodes = false;
    graph.FindPath(CxPoint(coordinates[0], coordinates[1]), CxPoint(coordinates[2], coordinates[3]),
                   &viaNodes);
    graph.FindPath(CxPoint(coordinates[2], coordinates[3]), CxPoint(coordinates[0], coordinates[1]), nullptr);
    return 0;
}
