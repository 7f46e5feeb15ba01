// CSuperTruck: a collision sprite seen from up to 16 directions.
//
// Every direction has its own list of states (the truck's modes) and its
// own collision rectangle. A state is a movie opened through a movie driver
// on its file and decoded frame by frame into the state's surface, which
// carries the game's colour key; the current direction and state select
// the surface the sprite shows.
//
// Truck file, first part:
//   [QexSprite]     NumDirections (at least 1, at most 16), OnBumped, OnCollide
//   [Direction%03d] NumStates, State%03d (movie file, interpolated),
//                   CollisionRect "l, t, r, b" (kept inside the frame)
// Subclasses read their keys from the same file in LoadTruckKeys.
#pragma once

#include "engine/base/array.h"
#include "engine/base/cx_string.h"
#include "engine/graphics/draw_surface.h"
#include "engine/media/movie_driver.h"
#include "game/world/collision_sprite.h"
#include "game/world/direction_table.h"

#include <cstdint>

class CxOptions;

// More states than this in one direction are taken for damage.
constexpr long TRUCK_MAX_STATES = 256;

// One animation of one direction.
struct ST_TRUCK_STATE
{
    CxString strFile; // as written in the file, interpolated
    CxMovieDriver* pDriver = nullptr;
    CxDrawSurface* pSurface = nullptr;
    int32_t nFrames = 0;
    int32_t nDecoded = -1; // the frame now in the surface
};

struct ST_TRUCK_DIRECTION
{
    CxArray<ST_TRUCK_STATE> states;
    CxRect rcCollision;
    bool bCollisionSet = false;
};

class CSuperTruck : public CCollisionSprite
{
public:
    CSuperTruck() = default;
    CSuperTruck(const CSuperTruck&) = delete;
    CSuperTruck& operator=(const CSuperTruck&) = delete;
    ~CSuperTruck() override;

    // Loads the truck file. Returns an error code: 13 without directions,
    // 1 when a state's movie cannot be opened.
    virtual uint32_t LoadFromFile(const char* fileName);
    // Closes the movies and forgets the directions and the sequences.
    virtual void UnloadTruck();

    // Shows direction (taken modulo the count), keeping state and frame.
    void SelectDirection(int64_t direction);
    // Shows the state in the current direction, keeping the frame number.
    void SelectState(int32_t state);
    // Shows frame (taken modulo the state's frame count) and decodes it.
    void ShowFrame(int32_t frame);
    void NextTruckFrame() { ShowFrame(m_nFrame + 1); }

    int32_t GetNumDirections() const { return m_nNumDirections; }
    int32_t GetDirection() const { return m_nDirection; }
    int32_t GetStateNumber() const { return m_nState; }
    int32_t GetTruckFrame() const { return m_nFrame; }
    int32_t GetStateCount(int32_t direction) const;
    // The frame count of the state shown (0 when there is none).
    int32_t GetTruckFrameCount() const;
    const ST_TRUCK_STATE* GetTruckState(int32_t direction, int32_t state) const;
    CxRect GetDirectionCollisionRect(int32_t direction) const;
    const CxString& GetFileName() const { return m_strFileName; }
    // The truck's centre in map pixels, and placing it there.
    CxPoint GetCentre() const;
    void SetCentre(const CxPoint& centre);

protected:
    // Keys of the rest of the file; the base reads none.
    virtual uint32_t LoadTruckKeys(CxOptions& file, const char* fileName);
    uint32_t LoadDirection(CxOptions& file, int32_t direction);
    uint32_t OpenState(ST_TRUCK_STATE& state);
    static void CloseState(ST_TRUCK_STATE& state);
    // Points the sprite at the surface of the current direction and state.
    void ShowCurrent();

    CxString m_strFileName;
    ST_TRUCK_DIRECTION m_Directions[TRUCK_MAX_DIRECTIONS];
    int32_t m_nNumDirections = 0;
    int32_t m_nDirection = 0;
    int32_t m_nState = 0;
    int32_t m_nFrame = 0;
};
