// The town's tile map: CTileSurface, a tile image that knows its place in
// the tile list, and CRumboTileMap, which loads the map file and its tiles
// and scrolls smoothly toward a point on a timer.
#pragma once

#include "engine/base/linked_list.h"
#include "engine/core/timer.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/tile_map.h"

#include <cstdint>

// A tile image. Its user flags are its index in the tile list (the town's
// "tile kind"); the attribute word comes from the map file and means
// whatever the game makes of it.
class CTileSurface : public CxDrawSurface
{
public:
    uint32_t SetUserFlags(uint32_t bits) override
    {
        m_nIndex = bits;
        return CX_ERR_NONE;
    }
    uint32_t GetUserFlags() const override { return m_nIndex; }

    void SetAttribute(uint32_t attribute) { m_nAttribute = attribute; }
    uint32_t GetAttribute() const { return m_nAttribute; }

private:
    uint32_t m_nAttribute = 0;
    uint32_t m_nIndex = 0;
};

class CRumboTileMap : public CxTileMap, public CxTimerListener
{
public:
    CRumboTileMap();
    // Stops scrolling and deletes the tiles.
    ~CRumboTileMap() override;

    // Replaces the map by the file's (a name with path roots). A missing
    // file leaves the map empty without an error; a damaged one leaves it
    // empty with error 13 naming the file. Tile images are looked up as
    // "$GAMEPATH\TILES\<name>"; a tile whose image is missing or cannot be
    // loaded is still listed and draws nothing. A running scroll stops.
    virtual uint32_t LoadMap(const char* fileName);
    // The same from the bytes of a map file; name is used in messages.
    uint32_t LoadMapFromMemory(const uint8_t* data, uint32_t size, const char* name);
    // Scrolls from the current offset toward target (the map point to show
    // at the parent's top-left corner), stepPixels every intervalMs
    // milliseconds; a step below 1 counts as 1. Replaces a running scroll.
    virtual void ScrollToward(const CxPoint& target, uint32_t intervalMs, int32_t stepPixels);
    // One step of the scroll.
    void OnTimer(CxTimer* timer) override;
    bool IsScrolling() const { return m_ScrollTimer.IsRunning(); }
    // Holds and continues a running scroll (pauses nest).
    void PauseScroll() { m_ScrollTimer.AddPause(); }
    void ResumeScroll() { m_ScrollTimer.RemovePause(); }
    void StopScroll();
    void ClearMap() override;

    // The tile list (index = position); null past its end.
    CTileSurface* GetTile(uint32_t index) const;
    uint32_t GetTileCount() const { return m_Tiles.GetCount(); }
    const CxPoint& GetScrollTarget() const { return m_ptTarget; }
    int32_t GetStepsLeft() const { return m_nStepsLeft; }

private:
    void ReleaseTiles();

    CxLinkedList<CTileSurface*> m_Tiles;
    CxTimerCallBack m_ScrollTimer;
    uint32_t m_nInterval = 0;
    CxPoint m_ptTarget;
    float m_fPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_fDelta[3] = {0.0f, 0.0f, 0.0f};
    int32_t m_nStepsLeft = 0;
};
