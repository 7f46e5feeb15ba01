// The town's layout: a text grid of one character per 64 x 64 tile (the
// legend is at the top of data/town/layout.txt), and what the demo data
// derives from it: the road blocks, the driving nodes with their links, the
// building lots and the zone centres.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t TOWN_COLUMNS = 100;
constexpr int32_t TOWN_ROWS = 60;
constexpr int32_t TOWN_TILE = 64;
constexpr int32_t TOWN_BUILDINGS = 16;
// Straights longer than this many road blocks get nodes between their ends.
constexpr int32_t TOWN_MAX_RUN = 5;

struct TownPoint
{
    int32_t x = 0, y = 0;
};

struct TownRect
{
    int32_t left = 0, top = 0, right = 0, bottom = 0; // pixels, right and bottom exclusive
};

struct TownNode
{
    TownPoint position;
    std::vector<int32_t> links; // higher-numbered nodes only; links are both ways
};

class CTownLayout
{
public:
    // Reads the grid: lines starting with ";" are comments; exactly
    // TOWN_ROWS lines of TOWN_COLUMNS known characters must remain. Every
    // road cell must lie in a 2 x 2 block (even row and column) of road
    // cells. False with the reason in why.
    bool Read(const std::string& text, std::string* why);

    char At(int32_t column, int32_t row) const;
    static bool IsRoad(char c);
    static bool IsWater(char c);
    // The cell's character with the zone and lot letters folded to road and
    // pavement, clamped at the map's edges.
    char GroundAt(int32_t column, int32_t row) const;
    // Whether the map pixel lies on a road cell.
    bool IsRoadAt(const TownPoint& point) const;

    // The lot of building index (0-15) in pixels; false without one.
    bool LotOf(int32_t index, TownRect* lot) const;
    // The middle of the cells marked as the building's zone.
    bool ZoneCentreOf(int32_t index, TownPoint* centre) const;
    // A road point two blocks from the zone along a straight road, where a
    // truck coming in passes before it reaches the zone.
    bool DriveThruOf(int32_t index, TownPoint* point) const;

    // The driving nodes: block centres at junctions, bends, dead ends and
    // zones, and along straights so that no run exceeds TOWN_MAX_RUN blocks;
    // numbered row by row.
    std::vector<TownNode> Nodes() const;

private:
    bool IsRoadBlock(int32_t bx, int32_t by) const;
    bool IsNodeBlock(int32_t bx, int32_t by) const;

    std::vector<std::string> m_Rows;
};
