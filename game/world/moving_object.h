// Trucks driven by sequences instead of the mouse: the moving objects of
// the missions and the enemy truck. The owner hands them the channel of the
// sequence that drives them; "StopDriving" empties that channel, and a
// truck forgets the channel once its sequence has finished.
#pragma once

#include "engine/core/event.h"
#include "game/world/truck.h"

#include <cstdint>

class CMovingObject : public CTruck, public CxEventListener
{
public:
    CMovingObject() = default;
    ~CMovingObject() override;

    // Posts sequence to channel (0: one of the truck's own, made now) and
    // drives with it. Returns an error code.
    uint32_t DriveWith(CxEvent* sequence, uint32_t channel = 0);
    void StopDriving() override;
    int32_t OnEvent(uint32_t channel, CxEvent* event) override;

private:
    uint32_t m_nOwnChannel = 0;
};

// The enemy: addressed by the town as "Enemy".
class CEnemy : public CMovingObject
{
};
