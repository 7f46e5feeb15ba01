// The map screen's picture of the town: the layout drawn from above, one
// small square a tile, with every building's lot in its own colours, on a
// paper sheet the size of the screen.
#include "tools/data/town_art.h"
#include "tools/data/town_layout.h"
#include "tools/data/town_world.h"

namespace {
constexpr double kScale = 6.4; // screen pixels a tile: 100 tiles across 640
constexpr double kTop = 48;    // the map sits in the middle of the 480 rows

ArtRgb GroundColour(char c)
{
    if (CTownLayout::IsRoad(c))
        return {90, 90, 100};
    if (CTownLayout::IsWater(c))
        return {70, 140, 220};
    switch (c)
    {
    case ':':
        return {205, 205, 200};
    case '+':
        return {225, 205, 170};
    case '"':
        return {215, 200, 110};
    case 'T':
        return {50, 120, 50};
    case 'R':
        return {150, 145, 140};
    case 'w':
        return {160, 115, 70};
    case '%':
        return {160, 120, 80};
    case '&':
        return {120, 90, 60};
    case 's':
        return {235, 215, 150};
    case '*':
        return {140, 200, 100};
    default:
        return {120, 190, 90};
    }
}

void Rect(cairo_t* cr, double x, double y, double w, double h, const ArtRgb& colour)
{
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source_rgb(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0);
    cairo_fill(cr);
}

void DrawGround(cairo_t* cr, const CTownLayout& layout)
{
    for (int32_t row = 0; row < TOWN_ROWS; ++row)
        for (int32_t column = 0; column < TOWN_COLUMNS; ++column)
            Rect(cr, column * kScale, kTop + row * kScale, kScale + 0.5, kScale + 0.5,
                 GroundColour(layout.GroundAt(column, row)));
}

// Each lot: a wall of the building's colour under a roof band, outlined, with
// a door, so that a child finds the building it saw in the town.
void DrawLots(cairo_t* cr, const CTownLayout& layout)
{
    const std::vector<TownBuilding>& buildings = TownBuildings();
    for (int32_t i = 0; i < static_cast<int32_t>(buildings.size()); ++i)
    {
        TownRect lot;
        if (!layout.LotOf(i, &lot))
            continue;
        const BuildingLook& look = buildings[static_cast<size_t>(i)].look;
        const double x = lot.left * kScale / TOWN_TILE, y = kTop + lot.top * kScale / TOWN_TILE;
        const double w = (lot.right - lot.left) * kScale / TOWN_TILE,
                     h = (lot.bottom - lot.top) * kScale / TOWN_TILE;
        Rect(cr, x, y, w, h, look.wall);
        Rect(cr, x, y, w, h * 0.35, look.roof);
        Rect(cr, x + w / 2 - 3, y + h - 9, 6, 9, look.trim);
        cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
        cairo_set_source_rgb(cr, 0.2, 0.15, 0.1);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}
} // namespace

bool SaveTownMapPicture(const std::string& path, const CTownLayout& layout)
{
    return SaveStrip(path, 640, 480, 1, [&](cairo_t* cr, int32_t) {
        Rect(cr, 0, 0, 640, 480, {245, 232, 200}); // the paper
        DrawGround(cr, layout);
        DrawLots(cr, layout);
        cairo_rectangle(cr, 1.5, kTop - 1.5, 637, TOWN_ROWS * kScale + 3);
        cairo_set_source_rgb(cr, 0.45, 0.3, 0.15);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    });
}
