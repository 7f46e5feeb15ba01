// Writes the town's map files (the layout is described in
// game/world/map_file.h): the data tools and the tests make maps with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ST_MAP_WRITER_TILE
{
    std::string name;       // image file under the TILES folder, at most 255 characters
    uint32_t attribute = 0; // the game's per-tile word
};

struct ST_MAP_DESCRIPTION
{
    int32_t tileWidth = 0;
    int32_t tileHeight = 0;
    int32_t columns = 0;
    int32_t rows = 0;
    std::vector<ST_MAP_WRITER_TILE> tiles;
    std::vector<uint32_t> cells; // columns * rows tile indices, row 0 first
};

// The bytes of the file, or an empty vector (with the reason in why, when
// given) when the description cannot be written: sizes that are not
// positive, a cell list of the wrong length, or a name too long.
std::vector<uint8_t> BuildMapFile(const ST_MAP_DESCRIPTION& map, std::string* why = nullptr);
// Builds the file and writes it whole (a complete new copy or nothing).
// Returns an engine error code: 16 for a description that cannot be written.
uint32_t WriteMapFile(const char* path, const ST_MAP_DESCRIPTION& map, std::string* why = nullptr);
