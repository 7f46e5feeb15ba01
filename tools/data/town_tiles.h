// The town's tiles, drawn with cairo, and the map file that lays them out.
//
// The tile list is fixed, so that tile indexes mean the same in every map:
// plain grounds, 47 road pieces and 47 water pieces (one per arrangement of
// the eight neighbours that matters: an edge where a side neighbour differs,
// an inner corner where both sides match and the corner does not), four
// zebra crossings, four diagonal river banks and dock planks. The town puts
// tread marks on tile indexes 46 (dirt), 114 (mud) and 116 (sand), so those
// three sit exactly there.
#pragma once

#include "tools/map/map_writer.h"

#include <cstdint>
#include <string>
#include <vector>

class CTownLayout;

constexpr uint32_t TOWN_TILE_DIRT = 46;
constexpr uint32_t TOWN_TILE_MUD = 114;
constexpr uint32_t TOWN_TILE_SAND = 116;

// The tile images' names (under TILES/), index = tile index.
std::vector<std::string> TownTileNames();
// The tile index for a cell of the layout.
uint32_t TownTileAt(const CTownLayout& layout, int32_t column, int32_t row);
// The map: every tile listed, every cell chosen from the layout.
ST_MAP_DESCRIPTION TownMap(const CTownLayout& layout);
// Draws every tile image into directory (TILES/ of the output); false with
// a message on stderr.
bool DrawTownTiles(const std::string& directory);
