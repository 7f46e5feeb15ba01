#include "engine/graphics/tile_map.h"

#include <cstdint>

CxTileMap::~CxTileMap()
{
    ClearMap();
}

uint32_t CxTileMap::SetMapSize(int32_t columns, int32_t rows, int32_t tileWidth, int32_t tileHeight)
{
    ClearMap();
    const int64_t cells = static_cast<int64_t>(columns) * rows;
    const int64_t width = static_cast<int64_t>(columns) * tileWidth;
    const int64_t height = static_cast<int64_t>(rows) * tileHeight;
    if (columns <= 0 || rows <= 0 || tileWidth <= 0 || tileHeight <= 0 || cells > CX_TILE_MAP_MAX_CELLS ||
        width > INT32_MAX || height > INT32_MAX)
    {
        {
            SetError(CX_ERR_INVALID_ARGUMENT, "Invalid tile map size %d x %d of %d x %d pixels", columns,
                     rows, tileWidth, tileHeight);
            return CX_ERR_INVALID_ARGUMENT;
        }
    }
    m_nColumns = columns;
    m_nRows = rows;
    m_nTileWidth = tileWidth;
    m_nTileHeight = tileHeight;
    // The parent stays: without one Create would hang the map on the root,
    // so a reload must not lose the room the map lives in.
    Create(0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height), GetParent(), 0);
    if (!m_Grid.SetCount(static_cast<uint32_t>(cells)))
    {
        m_Grid.RemoveAll();
        {
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the tile map grid");
            return CX_ERR_OUT_OF_MEMORY;
        }
    }
    return CX_ERR_NONE;
}

void CxTileMap::ClearMap()
{
    m_Grid.RemoveAll();
    m_nColumns = 0;
    m_nRows = 0;
    m_nTileWidth = 0;
    m_nTileHeight = 0;
}

bool CxTileMap::CellFromPoint(const CxPoint& point, int32_t* column, int32_t* row) const
{
    if (m_nTileWidth <= 0 || m_nTileHeight <= 0)
        return false;
    const int32_t c = point.x / m_nTileWidth;
    const int32_t r = point.y / m_nTileHeight;
    if (column)
        *column = c;
    if (row)
        *row = r;
    // Division truncates toward 0, so small negative points would land in
    // the first cell: they lie outside.
    return point.x >= 0 && point.y >= 0 && c < m_nColumns && r < m_nRows;
}

CxDrawSurface* CxTileMap::GetTileAt(const CxPoint& point) const
{
    int32_t column = 0;
    int32_t row = 0;
    if (!CellFromPoint(point, &column, &row))
        return nullptr;
    return GetCell(column, row);
}

CxDrawSurface* CxTileMap::GetCell(int32_t column, int32_t row) const
{
    if (column < 0 || row < 0 || column >= m_nColumns || row >= m_nRows)
        return nullptr;
    const uint32_t index = static_cast<uint32_t>(row) * static_cast<uint32_t>(m_nColumns) + column;
    return index < m_Grid.GetCount() ? m_Grid[index] : nullptr;
}

void CxTileMap::SetCell(int32_t column, int32_t row, CxDrawSurface* tile)
{
    if (column < 0 || row < 0 || column >= m_nColumns || row >= m_nRows)
        return;
    const uint32_t index = static_cast<uint32_t>(row) * static_cast<uint32_t>(m_nColumns) + column;
    if (index < m_Grid.GetCount())
        m_Grid[index] = tile;
}

namespace {
// Keeps a scroll coordinate inside the map: the largest offset is one less
// than (map size - view size), so with a 640-pixel view of a 2560-pixel map
// 1920 stays and 1921 becomes 1919. A map smaller than its view stays at 0.
int32_t ClampScroll(int32_t value, int32_t mapSize, int32_t viewSize)
{
    if (value > mapSize - viewSize)
        value = mapSize - viewSize - 1;
    return value < 0 ? 0 : value;
}
} // namespace

void CxTileMap::ScrollTo(int32_t x, int32_t y)
{
    const CxDisplayObject* parent = GetParent();
    const int32_t viewWidth = parent ? parent->GetDisplayWidth() : 0;
    const int32_t viewHeight = parent ? parent->GetDisplayHeight() : 0;
    x = ClampScroll(x, GetWidth(), viewWidth);
    y = ClampScroll(y, GetHeight(), viewHeight);
    if (GetPosition() == CxPoint(-x, -y))
        return;
    SetPosition(-x, -y, ANCHOR_TOP_LEFT);
    if (IsShown())
        Redraw();
}

void CxTileMap::Paint(CxDrawSurface* surface, const CxRect& rect)
{
    CxRect area;
    if (surface && m_nTileWidth > 0 && m_nTileHeight > 0 && !m_Grid.IsEmpty() &&
        area.Intersect(rect, CxRect(0, 0, GetWidth() - 1, GetHeight() - 1)))
    {
        const CxPoint origin = LocalToScreen(CxPoint(0, 0));
        const int32_t firstColumn = area.left / m_nTileWidth;
        const int32_t lastColumn = area.right / m_nTileWidth;
        const int32_t firstRow = area.top / m_nTileHeight;
        const int32_t lastRow = area.bottom / m_nTileHeight;
        for (int32_t row = firstRow; row <= lastRow && row < m_nRows; ++row)
        {
            const int32_t top = row * m_nTileHeight;
            for (int32_t column = firstColumn; column <= lastColumn && column < m_nColumns; ++column)
            {
                CxDrawSurface* tile = GetCell(column, row);
                if (!tile)
                    continue;
                const int32_t left = column * m_nTileWidth;
                CxRect part;
                if (!part.Intersect(area,
                                    CxRect(left, top, left + m_nTileWidth - 1, top + m_nTileHeight - 1)))
                    continue;
                CxRect source = part;
                source.Offset(-left, -top);
                // A tile image smaller than the cell leaves the rest of it alone.
                if (!source.Intersect(source, tile->GetRect()))
                    continue;
                tile->DrawAt(surface, origin.x + left + source.left, origin.y + top + source.top, &source,
                             CX_COLOR_NONE, nullptr);
            }
        }
        if (m_bShowGrid)
            PaintGridLines(surface, area, origin);
    }
    CxSprite::Paint(surface, rect);
}

void CxTileMap::PaintGridLines(CxDrawSurface* surface, const CxRect& area, const CxPoint& origin)
{
    const uint32_t white = surface->MakeColor(255, 255, 255);
    // Each tile boundary is the first column (row) of a cell.
    int32_t x = (area.left + m_nTileWidth - 1) / m_nTileWidth * m_nTileWidth;
    for (; x <= area.right; x += m_nTileWidth)
        surface->DrawLine(origin.x + x, origin.y + area.top, origin.x + x, origin.y + area.bottom, white);
    int32_t y = (area.top + m_nTileHeight - 1) / m_nTileHeight * m_nTileHeight;
    for (; y <= area.bottom; y += m_nTileHeight)
        surface->DrawLine(origin.x + area.left, origin.y + y, origin.x + area.right, origin.y + y, white);
}
