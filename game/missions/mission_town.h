// The game's town room with its missions: the town of game/world plus the
// mission framework, the mission panel and every mission kind (the hand
// trucks, the drop, the bumper cars, fishing, fire and the race), made
// with the room and gone with it.
#pragma once

#include "game/missions/bumper_cars.h"
#include "game/missions/drop_mission.h"
#include "game/missions/fire_mission.h"
#include "game/missions/fishing.h"
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
    void SetPaused(bool paused) { m_Moving.SetPaused(paused); }

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
    // The hand trucks wait with the town.
    void Pause() override;
    void Resume() override;

    CHud& Hud() { return m_Hud; }
    CFireMission& Fire() { return m_Fire; }
    CRaceMission& Race() { return m_Race; }

private:
    CHud m_Hud;
    CMissionFramework m_Framework;
    CMovingKind m_Moving;
    CDropMission m_Drop;
    CBumperCars m_BumperCars;
    CFishingMission m_Fishing;
    CFireMission m_Fire;
    CRaceMission m_Race;
};
