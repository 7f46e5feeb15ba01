// The town's map file: a header, the tile list and the grid of tile indices.
//
// Little-endian 32-bit words:
//   @12 tile width, @16 tile height, @20 columns, @24 rows, @28 tile count N
//   @40 + 272 * i: tile entry i, a NUL-terminated image name in 256 bytes and
//                  the tile attribute at +256 (the other 12 bytes are unused)
//   @40 + 272 * N: columns * rows tile indices, row 0 first, each row from
//                  column 0; an index >= N is an empty cell.
// The reader checks every size against the length of the file before
// anything is read, so a damaged or hostile file can never be read past its
// end.
#pragma once

#include <cstdint>

constexpr uint32_t MAP_FILE_HEADER_SIZE = 40;
constexpr uint32_t MAP_FILE_ENTRY_SIZE = 272;
constexpr uint32_t MAP_FILE_NAME_SIZE = 256;
constexpr uint32_t MAP_FILE_ATTRIBUTE_OFFSET = 256;
// The tile list counts its entries in 16 bits.
constexpr uint32_t MAP_FILE_MAX_TILES = 0xFFFF;

struct ST_MAP_FILE
{
    int32_t nTileWidth = 0;
    int32_t nTileHeight = 0;
    int32_t nColumns = 0;
    int32_t nRows = 0;
    uint32_t nTiles = 0;
    const uint8_t* pEntries = nullptr; // nTiles entries of MAP_FILE_ENTRY_SIZE bytes
    const uint8_t* pGrid = nullptr;    // nColumns * nRows indices
};

// Checks the header against the file length: positive sizes, a map whose
// pixel size and cell count the tile map can hold, at most
// MAP_FILE_MAX_TILES tiles, and a file long enough for the entries and the
// grid. False (with a reason in why, when given) for anything else.
bool ParseMapFile(const uint8_t* data, uint32_t size, ST_MAP_FILE* map, const char** why = nullptr);
// Tile i's image name, copied with a bound: at most 255 characters even
// when the field holds no NUL. out holds MAP_FILE_NAME_SIZE bytes.
void GetMapTileName(const ST_MAP_FILE& map, uint32_t index, char* out);
uint32_t GetMapTileAttribute(const ST_MAP_FILE& map, uint32_t index);
// The raw index stored for a cell.
uint32_t GetMapCellIndex(const ST_MAP_FILE& map, int32_t column, int32_t row);
