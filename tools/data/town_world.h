// The town's tables: its buildings and map objects, and the option files
// made from them and from the layout (world.ini, nodes.ini, the building
// and object files).
#pragma once

#include "tools/data/town_art.h"
#include "tools/data/town_layout.h"

#include <cstdint>
#include <string>
#include <vector>

struct TownBuilding
{
    const char* stem;    // BUILDINGS/<stem>1.ini, <stem>_idle.tga ...
    const char* name;    // "Name", said on the map screen
    const char* type;    // "EventTypeName" and "InterpTag"
    const char* speaker; // VOICES/<speaker>/hello.wav
    BuildingLook look;
};

// The small buildings after the sixteen: mail boxes, parking meters and
// invisible rails (one state, no zone).
struct TownSmallBuilding
{
    const char* file; // BUILDINGS/<file>.ini
    const char* name;
    ObjectShape shape;
    int32_t w, h;
    int32_t column, row; // the tile it stands on
};

struct TownObject
{
    const char* stem; // OBJECTS/<stem>.ini and .tga (one per state: <stem>_<state>.tga)
    ObjectShape shape;
    int32_t variant;
    int32_t w, h;
    int32_t states, frames;
    bool solid;
    const char* onBumped = nullptr;  // a sequence under OBJECTS/, run when a truck bumps it
    const char* onCollide = nullptr; // a sequence under OBJECTS/, run when the player's truck drives onto it
};

const std::vector<TownBuilding>& TownBuildings();
const std::vector<TownSmallBuilding>& TownSmallBuildings();
// The master objects, Object000 upwards.
const std::vector<TownObject>& TownObjects();
// The underlay and overlay masters (one state, one frame).
const std::vector<TownObject>& TownUnderlays();
const std::vector<TownObject>& TownOverlays();

constexpr int32_t TOWN_DROPPER = 4; // the building whose state 2 is its hiccup
constexpr int32_t TOWN_PRINT_SHOP = 9;
// The houses the fire mission sets burning; each has the smoke of
// mission/fire/smoke.ini as its extra sprite, over its roof.
constexpr int32_t TOWN_FIRST_FIRE_HOUSE = 5, TOWN_FIRE_HOUSES = 3;
constexpr int32_t TOWN_SMOKE_X = 150, TOWN_SMOKE_Y = -70;

struct TownPlacement
{
    int32_t master;
    TownPoint at;
};

// Where copies of the masters go, from the layout.
std::vector<TownPlacement> PlaceTownObjects(const CTownLayout& layout);
std::vector<TownPlacement> PlaceTownUnderlays(const CTownLayout& layout);
std::vector<TownPlacement> PlaceTownOverlays(const CTownLayout& layout);

// The option files' texts (CR LF lines).
std::string TownWorldIni(const CTownLayout& layout);
std::string TownNodesIni(const CTownLayout& layout);
std::string TownBuildingIni(const CTownLayout& layout, int32_t index);
std::string TownSmallBuildingIni(const TownSmallBuilding& building);
std::string TownObjectIni(const TownObject& object, const char* folder);
// The state names of building index: idle, talk, happy (+ hiccup).
std::vector<std::string> TownBuildingStates(int32_t index);
