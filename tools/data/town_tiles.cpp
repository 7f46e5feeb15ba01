#include "tools/data/town_tiles.h"

#include "tools/data/cairo_art.h"
#include "tools/data/town_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// Neighbour bits of the 8-neighbour pieces.
constexpr uint32_t N = 1, E = 2, S = 4, W = 8, NE = 16, SE = 32, SW = 64, NW = 128;
constexpr int32_t T = TOWN_TILE;

enum class TileKind
{
    Plain,
    Road,
    Crossing,
    Water,
    Bank,
    Planks
};

struct TileDef
{
    std::string name;
    TileKind kind;
    uint32_t value; // the plain ground's character, the piece's bits or the bank's corner
};

// A diagonal bit counts only when both of its sides are set.
uint32_t Reduce(uint32_t bits)
{
    const uint32_t pairs[4][3] = {{NE, N, E}, {SE, S, E}, {SW, S, W}, {NW, N, W}};
    for (const auto& p : pairs)
        if ((bits & p[1]) == 0 || (bits & p[2]) == 0)
            bits &= ~p[0];
    return bits;
}

std::vector<uint32_t> PieceMasks()
{
    std::vector<uint32_t> masks;
    for (uint32_t bits = 0; bits < 256; ++bits)
        if (Reduce(bits) == bits)
            masks.push_back(bits);
    return masks; // 47 in ascending order
}

const char PLAIN[] = {'.', '1', '2', '3', '4', '*', ':', '+', '"', 'T', 'R'};
const char* PLAIN_NAMES[] = {"grass0",   "grass1", "grass2", "grass3", "grass4", "flowers",
                             "pavement", "plaza",  "field",  "bushes", "rocks"};

std::vector<TileDef> Definitions()
{
    std::vector<TileDef> list;
    for (size_t i = 0; i < sizeof(PLAIN); ++i)
        list.push_back(
            {std::string(PLAIN_NAMES[i]) + ".tga", TileKind::Plain, static_cast<uint32_t>(PLAIN[i])});
    list.push_back({"planks.tga", TileKind::Planks, 0});
    char name[32];
    const std::vector<uint32_t> masks = PieceMasks();
    for (size_t i = 0; i < masks.size(); ++i)
    {
        snprintf(name, sizeof(name), "road%02zu.tga", i);
        list.push_back({name, TileKind::Road, masks[i]});
    }
    for (uint32_t side : {N, E, S, W})
    {
        snprintf(name, sizeof(name), "zebra%u.tga", side);
        list.push_back({name, TileKind::Crossing, side});
    }
    for (size_t i = 0; i < masks.size(); ++i)
    {
        snprintf(name, sizeof(name), "water%02zu.tga", i);
        list.push_back({name, TileKind::Water, masks[i]});
    }
    for (uint32_t corner : {NW, NE, SE, SW})
    {
        snprintf(name, sizeof(name), "bank%u.tga", corner);
        list.push_back({name, TileKind::Bank, corner});
    }
    // The three tread-mark grounds at their fixed places.
    std::vector<TileDef> placed;
    size_t next = 0;
    while (next < list.size() || placed.size() <= TOWN_TILE_SAND)
    {
        const size_t at = placed.size();
        if (at == TOWN_TILE_DIRT)
            placed.push_back({"dirt.tga", TileKind::Plain, '%'});
        else if (at == TOWN_TILE_MUD)
            placed.push_back({"mud.tga", TileKind::Plain, '&'});
        else if (at == TOWN_TILE_SAND)
            placed.push_back({"sand.tga", TileKind::Plain, 's'});
        else if (next < list.size())
            placed.push_back(list[next++]);
        else
            placed.push_back({"grass" + std::to_string(at) + ".tga", TileKind::Plain, '.'});
    }
    return placed;
}

const std::vector<TileDef>& Tiles()
{
    static const std::vector<TileDef> tiles = Definitions();
    return tiles;
}

uint32_t Find(TileKind kind, uint32_t value)
{
    const auto& tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i)
        if (tiles[i].kind == kind && tiles[i].value == value)
            return static_cast<uint32_t>(i);
    return 0;
}

// Which of the eight neighbours satisfy same (edges of the map repeat the cell).
template <typename Same>
uint32_t Neighbours(int32_t column, int32_t row, Same same)
{
    const int32_t step[8][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    uint32_t bits = 0;
    for (int32_t i = 0; i < 8; ++i)
    {
        int32_t c = column + step[i][0], r = row + step[i][1];
        if (c < 0 || c >= TOWN_COLUMNS)
            c = column;
        if (r < 0 || r >= TOWN_ROWS)
            r = row;
        if (same(c, r))
            bits |= 1u << i;
    }
    return Reduce(bits);
}

// A small deterministic random sequence for speckles.
struct Speckle
{
    uint32_t state;
    int32_t Next(int32_t range)
    {
        state = state * 1103515245u + 12345u;
        return static_cast<int32_t>((state >> 16) % static_cast<uint32_t>(range));
    }
};

void Rect(CCairoCanvas& canvas, double x, double y, double w, double h, int r, int g, int b)
{
    cairo_rectangle(canvas.Get(), x, y, w, h);
    canvas.Fill(r, g, b);
}

void Ground(CCairoCanvas& canvas, const int rgb[3], uint32_t seed, int spots, int spread)
{
    Rect(canvas, 0, 0, T, T, rgb[0], rgb[1], rgb[2]);
    Speckle random{seed};
    for (int i = 0; i < spots; ++i)
    {
        const int shade = random.Next(2 * spread + 1) - spread;
        const int x = random.Next(T - 2), y = random.Next(T - 2);
        Rect(canvas, x, y, 2, 2, std::clamp(rgb[0] + shade, 0, 255), std::clamp(rgb[1] + shade, 0, 255),
             std::clamp(rgb[2] + shade, 0, 255));
    }
}

void DrawPlain(CCairoCanvas& canvas, char ground, uint32_t seed)
{
    cairo_t* cr = canvas.Get();
    static const int grass[3] = {98, 168, 74}, dirt[3] = {150, 112, 70}, mud[3] = {96, 72, 48},
                     sand[3] = {226, 204, 142}, pave[3] = {196, 192, 184}, plaza[3] = {214, 190, 160},
                     field[3] = {176, 160, 70};
    switch (ground)
    {
    case '%':
        Ground(canvas, dirt, seed, 90, 25);
        break;
    case '&':
        Ground(canvas, mud, seed, 70, 18);
        for (int i = 0; i < 3; ++i)
        {
            cairo_arc(cr, 14 + 18 * i, 20 + 12 * (i % 2) + 8, 6, 0, 2 * M_PI);
            canvas.Fill(70, 52, 34);
        }
        break;
    case 's':
        Ground(canvas, sand, seed, 80, 16);
        break;
    case ':':
        Rect(canvas, 0, 0, T, T, pave[0], pave[1], pave[2]);
        for (int i = 0; i <= T; i += 32)
        {
            Rect(canvas, i == T ? T - 1 : i, 0, 1, T, 160, 158, 150);
            Rect(canvas, 0, i == T ? T - 1 : i, T, 1, 160, 158, 150);
        }
        break;
    case '+':
        Rect(canvas, 0, 0, T, T, plaza[0], plaza[1], plaza[2]);
        for (int y = 0; y < T; y += 16)
            for (int x = (y / 16) % 2 * 8; x < T; x += 16)
                Rect(canvas, x, y, 15, 15, 200, 170, 140);
        break;
    case '"':
        Rect(canvas, 0, 0, T, T, field[0], field[1], field[2]);
        for (int x = 4; x < T; x += 12)
            Rect(canvas, x, 0, 4, T, 120, 140, 50);
        break;
    default:
        Ground(canvas, grass, seed, 110, 22);
        if (ground == '*' || ground == 'T' || ground == 'R')
        {
            Speckle random{seed * 7};
            for (int i = 0; i < 5; ++i)
            {
                const double x = 8 + random.Next(48), y = 8 + random.Next(48);
                cairo_arc(cr, x, y, ground == '*' ? 4 : 10, 0, 2 * M_PI);
                if (ground == '*')
                    canvas.Fill(i % 2 ? 240 : 250, i % 2 ? 90 : 220, i % 2 ? 120 : 60);
                else if (ground == 'T')
                    canvas.Fill(40, 110 + 10 * i, 40);
                else
                    canvas.Fill(130 + 8 * i, 130 + 8 * i, 125 + 8 * i);
            }
        }
    }
}

// An edge strip along each side without a neighbour, and a corner square
// at each inner corner.
void Edges(CCairoCanvas& canvas, uint32_t bits, int width, const int rgb[3])
{
    if (!(bits & N))
        Rect(canvas, 0, 0, T, width, rgb[0], rgb[1], rgb[2]);
    if (!(bits & S))
        Rect(canvas, 0, T - width, T, width, rgb[0], rgb[1], rgb[2]);
    if (!(bits & W))
        Rect(canvas, 0, 0, width, T, rgb[0], rgb[1], rgb[2]);
    if (!(bits & E))
        Rect(canvas, T - width, 0, width, T, rgb[0], rgb[1], rgb[2]);
    const struct
    {
        uint32_t corner, a, b;
        int x, y;
    } corners[] = {{NE, N, E, T - width, 0},
                   {SE, S, E, T - width, T - width},
                   {SW, S, W, 0, T - width},
                   {NW, N, W, 0, 0}};
    for (const auto& c : corners)
        if ((bits & c.a) && (bits & c.b) && !(bits & c.corner))
            Rect(canvas, c.x, c.y, width, width, rgb[0], rgb[1], rgb[2]);
}

void DrawRoad(CCairoCanvas& canvas, uint32_t bits, uint32_t crossing, uint32_t seed)
{
    static const int asphalt[3] = {78, 78, 86}, kerb[3] = {200, 198, 190};
    Ground(canvas, asphalt, seed, 60, 10);
    Edges(canvas, bits, 6, kerb);
    const uint32_t sides = bits & (N | E | S | W);
    if (crossing)
    {
        // Zebra stripes across the lane, at right angles to the road.
        const bool across = crossing == N || crossing == S;
        for (int i = 10; i < T - 6; i += 14)
            Rect(canvas, across ? i : 8, across ? 8 : i, across ? 7 : T - 16, across ? T - 16 : 7, 245, 245,
                 240);
        return;
    }
    // One lane of a two-lane road: the centre line along the far side.
    const int dash = 24, from = 20;
    if (sides == (E | S | W))
        Rect(canvas, from, T - 2, dash, 2, 240, 214, 80);
    else if (sides == (N | E | W))
        Rect(canvas, from, 0, dash, 2, 240, 214, 80);
    else if (sides == (N | E | S))
        Rect(canvas, T - 2, from, 2, dash, 240, 214, 80);
    else if (sides == (N | S | W))
        Rect(canvas, 0, from, 2, dash, 240, 214, 80);
}

void Waves(CCairoCanvas& canvas, uint32_t seed)
{
    static const int water[3] = {58, 128, 204};
    Ground(canvas, water, seed, 40, 12);
    Speckle random{seed};
    for (int i = 0; i < 4; ++i)
    {
        const double x = 6 + random.Next(44), y = 8 + random.Next(48);
        cairo_move_to(canvas.Get(), x, y);
        cairo_curve_to(canvas.Get(), x + 4, y - 3, x + 8, y - 3, x + 12, y);
        canvas.Stroke(150, 200, 240, 1.5);
    }
}

void DrawBank(CCairoCanvas& canvas, uint32_t corner, uint32_t seed)
{
    static const int sand[3] = {226, 204, 142};
    Waves(canvas, seed);
    // The land triangle on the corner's side of the diagonal, and a wet rim
    // along the diagonal.
    const bool falling = corner == NE || corner == SW; // the diagonal runs from top-left to bottom-right
    const double corners[4][2] = {{0, 0}, {T, 0}, {T, T}, {0, T}};
    const int i = corner == NW ? 0 : corner == NE ? 1 : corner == SE ? 2 : 3;
    const double from[2] = {falling ? 0.0 : T, 0}, to[2] = {falling ? T : 0.0, T};
    cairo_t* cr = canvas.Get();
    cairo_move_to(cr, from[0], from[1]);
    cairo_line_to(cr, corners[i][0], corners[i][1]);
    cairo_line_to(cr, to[0], to[1]);
    cairo_close_path(cr);
    canvas.Fill(sand[0], sand[1], sand[2]);
    cairo_move_to(cr, from[0], from[1]);
    cairo_line_to(cr, to[0], to[1]);
    canvas.Stroke(150, 128, 90, 6);
}

bool DrawTile(const TileDef& tile, uint32_t index, const std::string& path)
{
    CCairoCanvas canvas(T, T);
    static const int bank[3] = {226, 204, 142};
    switch (tile.kind)
    {
    case TileKind::Plain:
        DrawPlain(canvas, static_cast<char>(tile.value), index * 2654435761u + 1);
        break;
    case TileKind::Road:
        DrawRoad(canvas, tile.value, 0, index + 77);
        break;
    case TileKind::Crossing:
        DrawRoad(canvas, (N | E | S | W | NE | SE | SW | NW) & ~tile.value, tile.value, index + 77);
        break;
    case TileKind::Water:
        Waves(canvas, index + 5);
        Edges(canvas, tile.value, 10, bank);
        break;
    case TileKind::Bank:
        DrawBank(canvas, tile.value, index + 5);
        break;
    case TileKind::Planks:
        Waves(canvas, index + 5);
        for (int y = 2; y < T; y += 12)
            Rect(canvas, 0, y, T, 10, 150, 105, 60);
        break;
    }
    return canvas.SaveTga(path);
}
// The land corner of a water cell with land on exactly two touching sides
// (a diagonal bank piece), or 0.
uint32_t BankCorner(const CTownLayout& layout, int32_t column, int32_t row)
{
    if (layout.GroundAt(column, row) != '~')
        return 0;
    const uint32_t sides =
        Neighbours(column, row,
                   [&](int32_t c, int32_t r) { return CTownLayout::IsWater(layout.GroundAt(c, r)); }) &
        (N | E | S | W);
    const struct
    {
        uint32_t water, corner;
    } diagonals[] = {{E | S, NW}, {S | W, NE}, {N | W, SE}, {N | E, SW}};
    for (const auto& d : diagonals)
        if (sides == d.water)
            return d.corner;
    return 0;
}
} // namespace

std::vector<std::string> TownTileNames()
{
    std::vector<std::string> names;
    for (const TileDef& tile : Tiles())
        names.push_back(tile.name);
    return names;
}

uint32_t TownTileAt(const CTownLayout& layout, int32_t column, int32_t row)
{
    const char ground = layout.GroundAt(column, row);
    if (CTownLayout::IsRoad(ground))
    {
        const uint32_t bits = Neighbours(
            column, row, [&](int32_t c, int32_t r) { return CTownLayout::IsRoad(layout.GroundAt(c, r)); });
        if (ground == 'z')
            for (uint32_t side : {N, E, S, W})
                if ((bits & (N | E | S | W)) == ((N | E | S | W) & ~side))
                    return Find(TileKind::Crossing, side);
        return Find(TileKind::Road, bits);
    }
    if (ground == 'w')
        return Find(TileKind::Planks, 0);
    if (ground == '~')
    {
        const uint32_t corner = BankCorner(layout, column, row);
        if (corner)
            return Find(TileKind::Bank, corner);
        uint32_t bits = Neighbours(
            column, row, [&](int32_t c, int32_t r) { return CTownLayout::IsWater(layout.GroundAt(c, r)); });
        // Between two diagonal banks the land corner is the banks' meeting
        // point, not a bay: no inner corner there.
        const struct
        {
            uint32_t corner, a, b;
            int32_t ax, ay, bx, by;
        } pairs[] = {{NE, N, E, 0, -1, 1, 0},
                     {SE, S, E, 0, 1, 1, 0},
                     {SW, S, W, 0, 1, -1, 0},
                     {NW, N, W, 0, -1, -1, 0}};
        for (const auto& p : pairs)
            if ((bits & p.a) && (bits & p.b) && !(bits & p.corner) &&
                BankCorner(layout, column + p.ax, row + p.ay) &&
                BankCorner(layout, column + p.bx, row + p.by))
                bits |= p.corner;
        return Find(TileKind::Water, bits);
    }
    if (ground == '.')
    {
        // Grass in five looks, mixed by place.
        const uint32_t look = static_cast<uint32_t>(column * 7 + row * 3 + (column * row) % 5) % 5;
        return Find(TileKind::Plain, look == 0 ? '.' : static_cast<uint32_t>('0' + look));
    }
    return Find(TileKind::Plain, static_cast<uint32_t>(ground));
}

ST_MAP_DESCRIPTION TownMap(const CTownLayout& layout)
{
    ST_MAP_DESCRIPTION map;
    map.tileWidth = map.tileHeight = TOWN_TILE;
    map.columns = TOWN_COLUMNS;
    map.rows = TOWN_ROWS;
    for (const std::string& name : TownTileNames())
        map.tiles.push_back({name, 0});
    for (int32_t row = 0; row < TOWN_ROWS; ++row)
        for (int32_t column = 0; column < TOWN_COLUMNS; ++column)
            map.cells.push_back(TownTileAt(layout, column, row));
    return map;
}

bool DrawTownTiles(const std::string& directory)
{
    const auto& tiles = Tiles();
    for (size_t i = 0; i < tiles.size(); ++i)
        if (!DrawTile(tiles[i], static_cast<uint32_t>(i), directory + "/" + tiles[i].name))
            return false;
    return true;
}
