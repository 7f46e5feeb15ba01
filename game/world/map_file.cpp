#include "game/world/map_file.h"

#include "engine/graphics/tile_map.h"

#include <cstring>

namespace {
uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
} // namespace

bool ParseMapFile(const uint8_t* data, uint32_t size, ST_MAP_FILE* map, const char** why)
{
    const char* reason = nullptr;
    *map = ST_MAP_FILE();
    if (!data || size < MAP_FILE_HEADER_SIZE)
        reason = "shorter than the header";
    else
    {
        const uint32_t tileWidth = ReadLE32(data + 12);
        const uint32_t tileHeight = ReadLE32(data + 16);
        const uint32_t columns = ReadLE32(data + 20);
        const uint32_t rows = ReadLE32(data + 24);
        const uint32_t tiles = ReadLE32(data + 28);
        const uint64_t cells = static_cast<uint64_t>(columns) * rows;
        if (tileWidth == 0 || tileHeight == 0 || columns == 0 || rows == 0 || tileWidth > INT32_MAX ||
            tileHeight > INT32_MAX || columns > INT32_MAX || rows > INT32_MAX)
            reason = "tile size, columns and rows must be positive";
        else if (cells > static_cast<uint64_t>(CX_TILE_MAP_MAX_CELLS) ||
                 static_cast<uint64_t>(columns) * tileWidth > INT32_MAX ||
                 static_cast<uint64_t>(rows) * tileHeight > INT32_MAX)
            reason = "the map is too large";
        else if (tiles > MAP_FILE_MAX_TILES)
            reason = "too many tiles";
        else if (MAP_FILE_HEADER_SIZE + static_cast<uint64_t>(MAP_FILE_ENTRY_SIZE) * tiles + 4 * cells > size)
            reason = "the file is shorter than its tile list and grid";
        else
        {
            map->nTileWidth = static_cast<int32_t>(tileWidth);
            map->nTileHeight = static_cast<int32_t>(tileHeight);
            map->nColumns = static_cast<int32_t>(columns);
            map->nRows = static_cast<int32_t>(rows);
            map->nTiles = tiles;
            map->pEntries = data + MAP_FILE_HEADER_SIZE;
            map->pGrid = map->pEntries + static_cast<size_t>(MAP_FILE_ENTRY_SIZE) * tiles;
        }
    }
    if (why)
        *why = reason;
    return reason == nullptr;
}

void GetMapTileName(const ST_MAP_FILE& map, uint32_t index, char* out)
{
    out[0] = '\0';
    if (index >= map.nTiles)
        return;
    const char* name =
        reinterpret_cast<const char*>(map.pEntries + static_cast<size_t>(MAP_FILE_ENTRY_SIZE) * index);
    const size_t length = strnlen(name, MAP_FILE_NAME_SIZE - 1);
    memcpy(out, name, length);
    out[length] = '\0';
}

uint32_t GetMapTileAttribute(const ST_MAP_FILE& map, uint32_t index)
{
    if (index >= map.nTiles)
        return 0;
    return ReadLE32(map.pEntries + static_cast<size_t>(MAP_FILE_ENTRY_SIZE) * index +
                    MAP_FILE_ATTRIBUTE_OFFSET);
}

uint32_t GetMapCellIndex(const ST_MAP_FILE& map, int32_t column, int32_t row)
{
    if (column < 0 || row < 0 || column >= map.nColumns || row >= map.nRows)
        return UINT32_MAX;
    const size_t cell =
        static_cast<size_t>(row) * static_cast<size_t>(map.nColumns) + static_cast<size_t>(column);
    return ReadLE32(map.pGrid + 4 * cell);
}
