// CxTileMap: a grid of tile surfaces shown as one large sprite.
//
// The map is a sprite as large as the whole grid (columns x tile width by
// rows x tile height), placed inside its parent at the negative scroll
// offset. Painting draws only the cells under the dirty rectangle, each
// clipped to it, then the map's children: objects hung on the map scroll
// with it. Cells are row-major (cell (c, r) at r * columns + c) and point at
// tile surfaces the map does not own; a null cell is empty and draws nothing.
#pragma once

#include "engine/base/array.h"
#include "engine/graphics/sprite.h"

#include <cstdint>

// Largest grid the map allocates (cells); larger requests leave it empty.
constexpr int64_t CX_TILE_MAP_MAX_CELLS = 1 << 24;

class CxTileMap : public CxSprite
{
public:
    CxTileMap() = default;
    ~CxTileMap() override;

    // Clears the grid, stores the sizes, sizes the sprite to the whole map
    // (keeping its parent) and allocates an empty grid. Sizes that are not
    // positive, or a map whose pixel size or cell count does not fit, leave
    // the map empty with error 16; a grid that cannot be allocated leaves
    // the grid empty (count 0) with error 1.
    virtual uint32_t SetMapSize(int32_t columns, int32_t rows, int32_t tileWidth, int32_t tileHeight);
    // Frees the grid and sets the four sizes to 0.
    virtual void ClearMap();
    // The cell under a point in map coordinates (either output may be null).
    // False when the tile size is 0 or the point lies outside the map.
    virtual bool CellFromPoint(const CxPoint& point, int32_t* column, int32_t* row) const;
    // The tile under a point in map coordinates; null outside the map.
    virtual CxDrawSurface* GetTileAt(const CxPoint& point) const;
    // Shows the map point (x, y) at the parent's top-left corner (see tile_map.cpp).
    virtual void ScrollTo(int32_t x, int32_t y);
    void Paint(CxDrawSurface* surface, const CxRect& rect) override;

    // Cell access; out-of-range cells read as empty and ignore writes.
    CxDrawSurface* GetCell(int32_t column, int32_t row) const;
    void SetCell(int32_t column, int32_t row, CxDrawSurface* tile);

    void SetShowGrid(bool on) { m_bShowGrid = on; }
    bool GetShowGrid() const { return m_bShowGrid; }
    int32_t GetColumns() const { return m_nColumns; }
    int32_t GetRows() const { return m_nRows; }
    int32_t GetTileWidth() const { return m_nTileWidth; }
    int32_t GetTileHeight() const { return m_nTileHeight; }
    uint32_t GetCellCount() const { return m_Grid.GetCount(); }

protected:
    void PaintGridLines(CxDrawSurface* surface, const CxRect& area, const CxPoint& origin);

    CxArray<CxDrawSurface*> m_Grid;
    int32_t m_nColumns = 0;
    int32_t m_nRows = 0;
    int32_t m_nTileWidth = 0;
    int32_t m_nTileHeight = 0;
    bool m_bShowGrid = false;
};
