#include "tools/map/map_writer.h"

#include "engine/core/error.h"
#include "engine/core/file.h"
#include "game/world/map_file.h"

#include <cstring>

namespace {
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace

std::vector<uint8_t> BuildMapFile(const ST_MAP_DESCRIPTION& map, std::string* why)
{
    std::string reason;
    if (map.tileWidth <= 0 || map.tileHeight <= 0 || map.columns <= 0 || map.rows <= 0)
        reason = "tile size, columns and rows must be positive";
    else if (map.cells.size() != static_cast<size_t>(map.columns) * static_cast<size_t>(map.rows))
        reason = "the cell list must hold columns x rows indices";
    else if (map.tiles.size() > MAP_FILE_MAX_TILES)
        reason = "too many tiles";
    for (const auto& tile : map.tiles)
        if (reason.empty() && tile.name.size() >= MAP_FILE_NAME_SIZE)
            reason = "tile name longer than 255 characters: " + tile.name;
    if (!reason.empty())
    {
        if (why)
            *why = reason;
        return {};
    }
    const size_t grid = MAP_FILE_HEADER_SIZE + MAP_FILE_ENTRY_SIZE * map.tiles.size();
    std::vector<uint8_t> out(grid + 4 * map.cells.size(), 0);
    // The first 12 bytes are not read by the game: a tag for people who look.
    memcpy(out.data(), "RUMBOMAP", 8);
    Put32(out, 8, 1);
    Put32(out, 12, static_cast<uint32_t>(map.tileWidth));
    Put32(out, 16, static_cast<uint32_t>(map.tileHeight));
    Put32(out, 20, static_cast<uint32_t>(map.columns));
    Put32(out, 24, static_cast<uint32_t>(map.rows));
    Put32(out, 28, static_cast<uint32_t>(map.tiles.size()));
    for (size_t i = 0; i < map.tiles.size(); ++i)
    {
        const size_t entry = MAP_FILE_HEADER_SIZE + MAP_FILE_ENTRY_SIZE * i;
        memcpy(out.data() + entry, map.tiles[i].name.data(), map.tiles[i].name.size());
        Put32(out, entry + MAP_FILE_ATTRIBUTE_OFFSET, map.tiles[i].attribute);
    }
    for (size_t i = 0; i < map.cells.size(); ++i)
        Put32(out, grid + 4 * i, map.cells[i]);
    return out;
}

uint32_t WriteMapFile(const char* path, const ST_MAP_DESCRIPTION& map, std::string* why)
{
    const std::vector<uint8_t> bytes = BuildMapFile(map, why);
    if (bytes.empty())
        return CX_ERR_INVALID_ARGUMENT;
    if (bytes.size() > 0x7FFFFFFF)
    {
        if (why)
            *why = "the map file would be too large";
        return CX_ERR_INVALID_ARGUMENT;
    }
    CxError reporter;
    return SaveFileAtomic(path, bytes.data(), static_cast<uint32_t>(bytes.size()), &reporter);
}
