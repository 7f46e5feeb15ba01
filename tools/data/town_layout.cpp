#include "tools/data/town_layout.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>

namespace {
constexpr int32_t BLOCK_COLUMNS = TOWN_COLUMNS / 2;
constexpr int32_t BLOCK_ROWS = TOWN_ROWS / 2;
constexpr const char* KNOWN = "#z.*:+\"TR~w%&s";
const int32_t STEP[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};

bool IsZone(char c)
{
    return c >= 'a' && c < 'a' + TOWN_BUILDINGS;
}

bool IsLot(char c)
{
    return c >= 'A' && c < 'A' + TOWN_BUILDINGS;
}

TownPoint BlockCentre(int32_t bx, int32_t by)
{
    return {bx * 2 * TOWN_TILE + TOWN_TILE, by * 2 * TOWN_TILE + TOWN_TILE};
}
} // namespace

bool CTownLayout::IsRoad(char c)
{
    return c == '#' || c == 'z' || IsZone(c);
}

bool CTownLayout::IsWater(char c)
{
    return c == '~' || c == 'w';
}

bool CTownLayout::Read(const std::string& text, std::string* why)
{
    m_Rows.clear();
    std::istringstream in(text);
    std::string line;
    auto fail = [&](const std::string& reason) {
        if (why)
            *why = reason;
        m_Rows.clear();
        return false;
    };
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == ';')
            continue;
        if (line.empty() && m_Rows.size() == TOWN_ROWS)
            continue;
        const std::string where = "row " + std::to_string(m_Rows.size());
        if (line.size() != TOWN_COLUMNS)
            return fail(where + " has " + std::to_string(line.size()) + " characters, not 100");
        for (char c : line)
            if (!strchr(KNOWN, c) && !IsZone(c) && !IsLot(c))
                return fail(where + ": unknown character '" + std::string(1, c) + "'");
        m_Rows.push_back(line);
    }
    if (m_Rows.size() != TOWN_ROWS)
        return fail("the layout has " + std::to_string(m_Rows.size()) + " rows, not 60");
    for (int32_t row = 0; row < TOWN_ROWS; ++row)
        for (int32_t column = 0; column < TOWN_COLUMNS; ++column)
            if (IsRoad(At(column, row)) && !IsRoadBlock(column / 2, row / 2))
                return fail("road cell " + std::to_string(column) + "," + std::to_string(row) +
                            " is not part of a whole 2 x 2 road block");
    return true;
}

char CTownLayout::At(int32_t column, int32_t row) const
{
    column = std::clamp(column, 0, TOWN_COLUMNS - 1);
    row = std::clamp(row, 0, TOWN_ROWS - 1);
    return m_Rows.empty() ? '.' : m_Rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

char CTownLayout::GroundAt(int32_t column, int32_t row) const
{
    const char c = At(column, row);
    if (IsZone(c))
        return '#';
    return IsLot(c) ? ':' : c;
}

bool CTownLayout::IsRoadAt(const TownPoint& point) const
{
    if (point.x < 0 || point.y < 0 || point.x >= TOWN_COLUMNS * TOWN_TILE || point.y >= TOWN_ROWS * TOWN_TILE)
        return false;
    return IsRoad(At(point.x / TOWN_TILE, point.y / TOWN_TILE));
}

bool CTownLayout::IsRoadBlock(int32_t bx, int32_t by) const
{
    if (bx < 0 || by < 0 || bx >= BLOCK_COLUMNS || by >= BLOCK_ROWS)
        return false;
    for (int32_t i = 0; i < 4; ++i)
        if (!IsRoad(At(bx * 2 + i % 2, by * 2 + i / 2)))
            return false;
    return true;
}

bool CTownLayout::IsNodeBlock(int32_t bx, int32_t by) const
{
    if (!IsRoadBlock(bx, by))
        return false;
    bool way[4];
    int32_t count = 0;
    for (int32_t d = 0; d < 4; ++d)
        count += (way[d] = IsRoadBlock(bx + STEP[d][0], by + STEP[d][1])) ? 1 : 0;
    const bool straight = (way[0] && way[2]) || (way[1] && way[3]);
    bool zone = false;
    for (int32_t i = 0; i < 4; ++i)
        zone = zone || IsZone(At(bx * 2 + i % 2, by * 2 + i / 2));
    return count != 2 || !straight || zone;
}

bool CTownLayout::LotOf(int32_t index, TownRect* lot) const
{
    TownRect found{TOWN_COLUMNS, TOWN_ROWS, -1, -1};
    for (int32_t row = 0; row < TOWN_ROWS; ++row)
        for (int32_t column = 0; column < TOWN_COLUMNS; ++column)
            if (At(column, row) == 'A' + index)
            {
                found.left = std::min(found.left, column);
                found.top = std::min(found.top, row);
                found.right = std::max(found.right, column + 1);
                found.bottom = std::max(found.bottom, row + 1);
            }
    if (found.right < 0)
        return false;
    *lot = {found.left * TOWN_TILE, found.top * TOWN_TILE, found.right * TOWN_TILE, found.bottom * TOWN_TILE};
    return true;
}

bool CTownLayout::ZoneCentreOf(int32_t index, TownPoint* centre) const
{
    int64_t sumX = 0, sumY = 0, count = 0;
    for (int32_t row = 0; row < TOWN_ROWS; ++row)
        for (int32_t column = 0; column < TOWN_COLUMNS; ++column)
            if (At(column, row) == 'a' + index)
            {
                sumX += column * TOWN_TILE + TOWN_TILE / 2;
                sumY += row * TOWN_TILE + TOWN_TILE / 2;
                ++count;
            }
    if (count == 0)
        return false;
    *centre = {static_cast<int32_t>(sumX / count), static_cast<int32_t>(sumY / count)};
    return true;
}

bool CTownLayout::DriveThruOf(int32_t index, TownPoint* point) const
{
    TownPoint centre;
    if (!ZoneCentreOf(index, &centre))
        return false;
    const int32_t bx = centre.x / (2 * TOWN_TILE), by = centre.y / (2 * TOWN_TILE);
    // Along the road: east, west, south, north, the first way that is road
    // for two blocks.
    for (int32_t d : {1, 3, 2, 0})
        if (IsRoadBlock(bx + STEP[d][0], by + STEP[d][1]) &&
            IsRoadBlock(bx + 2 * STEP[d][0], by + 2 * STEP[d][1]))
        {
            *point = BlockCentre(bx + 2 * STEP[d][0], by + 2 * STEP[d][1]);
            return true;
        }
    return false;
}

std::vector<TownNode> CTownLayout::Nodes() const
{
    std::set<std::pair<int32_t, int32_t>> nodes; // (by, bx): row by row
    for (int32_t by = 0; by < BLOCK_ROWS; ++by)
        for (int32_t bx = 0; bx < BLOCK_COLUMNS; ++bx)
            if (IsNodeBlock(bx, by))
                nodes.insert({by, bx});
    // Walks from each node in each direction to the next node; a run that
    // is too long gets a node in its middle, until none is.
    struct Run
    {
        std::pair<int32_t, int32_t> from, to;
        std::vector<std::pair<int32_t, int32_t>> between;
    };
    auto runs = [&]() {
        std::vector<Run> found;
        for (const auto& node : nodes)
            for (const auto& step : STEP)
            {
                Run run{node, node, {}};
                int32_t bx = node.second + step[0], by = node.first + step[1];
                while (IsRoadBlock(bx, by) && !nodes.count({by, bx}))
                {
                    run.between.push_back({by, bx});
                    bx += step[0];
                    by += step[1];
                }
                run.to = {by, bx};
                if (IsRoadBlock(bx, by) && node < run.to)
                    found.push_back(run);
            }
        return found;
    };
    for (bool split = true; split;)
    {
        split = false;
        for (const Run& run : runs())
            if (static_cast<int32_t>(run.between.size()) + 1 > TOWN_MAX_RUN)
            {
                nodes.insert(run.between[run.between.size() / 2]);
                split = true;
            }
    }
    std::vector<TownNode> out;
    std::vector<std::pair<int32_t, int32_t>> order(nodes.begin(), nodes.end());
    for (const auto& node : order)
        out.push_back({BlockCentre(node.second, node.first), {}});
    auto number = [&](const std::pair<int32_t, int32_t>& node) {
        return static_cast<int32_t>(std::lower_bound(order.begin(), order.end(), node) - order.begin());
    };
    for (const Run& run : runs())
        out[static_cast<size_t>(number(run.from))].links.push_back(number(run.to));
    return out;
}
