// The game's town room with its missions: the town of game/world plus the
// mission framework, the mission panel and the kinds built so far (hand
// trucks, the drop), made with the room and gone with it.
#pragma once

#include "game/missions/drop_mission.h"
#include "game/missions/hud.h"
#include "game/missions/mission.h"
#include "game/missions/moving_mission.h"
#include "game/missions/race.h"
#include "game/world/town.h"

// Kind 2: the hand trucks of the chosen paths.
class CMovingKind : public IMissionKind
{
public:
    void Start(CMissionFramework& framework) override;
    void Stop(CMissionFramework&) override { m_Moving.Stop(); }
    void Update(CMissionFramework&) override { m_Moving.Update(); }
    CMovingMission& Moving() { return m_Moving; }

private:
    CMovingMission m_Moving;
};

class CMissionTown : public CTown
{
public:
    CMissionTown();
    // Stops what runs and hands the town its stand-ins back before the
    // missions' parts go.
    ~CMissionTown() override;

    // The town's entry, then the drop mission's room-entry loading.
    void RoomEnter() override;

    CMissionFramework& Framework() { return m_Framework; }
    CHud& Hud() { return m_Hud; }
    CRaceMission& Race() { return m_Race; }

private:
    CHud m_Hud;
    CMissionFramework m_Framework;
    CMovingKind m_Moving;
    CDropMission m_Drop;
    CRaceMission m_Race;
};
