#include "game/world/rumbo_tile_map.h"

#include "engine/core/buffer.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "game/world/map_file.h"

#include <cmath>

CRumboTileMap::CRumboTileMap() : m_ScrollTimer(this, 0) {}

CRumboTileMap::~CRumboTileMap()
{
    StopScroll();
    CxTileMap::ClearMap();
    ReleaseTiles();
}

void CRumboTileMap::ReleaseTiles()
{
    while (!m_Tiles.IsEmpty())
        delete m_Tiles.RemoveHead();
}

void CRumboTileMap::ClearMap()
{
    StopScroll();
    CxTileMap::ClearMap();
}

void CRumboTileMap::StopScroll()
{
    m_ScrollTimer.Reset();
    m_nStepsLeft = 0;
}

CTileSurface* CRumboTileMap::GetTile(uint32_t index) const
{
    auto* node = m_Tiles.GetAt(index);
    return node ? node->m_Value : nullptr;
}

uint32_t CRumboTileMap::LoadMap(const char* fileName)
{
    ClearMap();
    ReleaseTiles();
    if (!fileName)
        return CX_ERR_NONE;
    const CxString path = ExpandGamePath(fileName);
    // A town without a map file is an empty map, not a failure.
    if (!FileExists(path.c_str()))
        return CX_ERR_NONE;
    CxFileBuffer buffer;
    const uint32_t code = LoadFile(path.c_str(), buffer);
    if (code == CX_ERR_OUT_OF_MEMORY)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the Map Grid");
        return CX_ERR_OUT_OF_MEMORY;
    }
    if (code != CX_ERR_NONE)
    {
        // LoadFile has reported it already.
        SetErrorCode(code);
        return code;
    }
    return LoadMapFromMemory(buffer.GetData(), buffer.GetSize(), path.c_str());
}

uint32_t CRumboTileMap::LoadMapFromMemory(const uint8_t* data, uint32_t size, const char* name)
{
    ClearMap();
    ReleaseTiles();
    ST_MAP_FILE map;
    const char* why = nullptr;
    if (!ParseMapFile(data, size, &map, &why))
    {
        SetError(CX_ERR_UNKNOWN, "Invalid map file %s: %s", name ? name : "", why);
        return CX_ERR_UNKNOWN;
    }
    const uint32_t code = SetMapSize(map.nColumns, map.nRows, map.nTileWidth, map.nTileHeight);
    if (code != CX_ERR_NONE)
        return code;
    char tileName[MAP_FILE_NAME_SIZE];
    for (uint32_t i = 0; i < map.nTiles; ++i)
    {
        auto* tile = new (std::nothrow) CTileSurface;
        if (!tile || !m_Tiles.AddTail(tile))
        {
            delete tile;
            {
                SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the Map Grid");
                return CX_ERR_OUT_OF_MEMORY;
            }
        }
        tile->SetUserFlags(i);
        tile->SetAttribute(GetMapTileAttribute(map, i));
        GetMapTileName(map, i, tileName);
        const CxString path = BuildGamePath("$GAMEPATH\\TILES\\%s", tileName);
        // A missing image leaves a tile without pixels (its cells draw nothing).
        if (tileName[0] && FileExists(path.c_str()))
            tile->Load(path.c_str());
    }
    // The cells point at the listed tiles; walk the list once alongside.
    CxArray<CTileSurface*> byIndex;
    if (!byIndex.SetCount(m_Tiles.GetCount()))
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the Map Grid");
        return CX_ERR_OUT_OF_MEMORY;
    }
    uint32_t n = 0;
    for (auto* node = m_Tiles.GetHead(); node; node = node->GetNext())
        byIndex[n++] = node->m_Value;
    for (int32_t row = 0; row < map.nRows; ++row)
        for (int32_t column = 0; column < map.nColumns; ++column)
        {
            const uint32_t index = GetMapCellIndex(map, column, row);
            SetCell(column, row, index < byIndex.GetCount() ? byIndex[index] : nullptr);
        }
    return CX_ERR_NONE;
}

void CRumboTileMap::ScrollToward(const CxPoint& target, uint32_t intervalMs, int32_t stepPixels)
{
    if (stepPixels < 1)
        stepPixels = 1;
    const CxPoint position = GetPosition();
    m_fPosition[0] = static_cast<float>(-position.x);
    m_fPosition[1] = static_cast<float>(-position.y);
    m_fPosition[2] = 0.0f;
    const double dx = static_cast<double>(target.x) - m_fPosition[0];
    const double dy = static_cast<double>(target.y) - m_fPosition[1];
    const double length = std::sqrt(dx * dx + dy * dy);
    m_nStepsLeft = static_cast<int32_t>(length / stepPixels);
    // Already there: no movement, and the first tick lands on the target.
    m_fDelta[0] = length > 0.0 ? static_cast<float>(dx * stepPixels / length) : 0.0f;
    m_fDelta[1] = length > 0.0 ? static_cast<float>(dy * stepPixels / length) : 0.0f;
    m_fDelta[2] = 0.0f;
    m_ptTarget = target;
    m_nInterval = intervalMs;
    m_ScrollTimer.SetInterval(intervalMs);
    m_ScrollTimer.Start(0);
}

void CRumboTileMap::OnTimer(CxTimer* timer)
{
    if (timer != &m_ScrollTimer)
        return;
    for (int i = 0; i < 3; ++i)
        m_fPosition[i] += m_fDelta[i];
    if (--m_nStepsLeft < 1)
    {
        m_nStepsLeft = 0;
        m_fPosition[0] = static_cast<float>(m_ptTarget.x);
        m_fPosition[1] = static_cast<float>(m_ptTarget.y);
        m_ScrollTimer.Reset();
    }
    ScrollTo(static_cast<int32_t>(m_fPosition[0]), static_cast<int32_t>(m_fPosition[1]));
}
