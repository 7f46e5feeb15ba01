#include "game/missions/mission_town.h"

void CMovingKind::Start(CMissionFramework& framework)
{
    const MissionRecord& record = framework.Record();
    m_Moving.Start(framework.Town(), record.itemName.c_str(), record.numReq, framework.Town().m_ChosenPaths);
}

CMissionTown::CMissionTown()
    : m_Hud(this), m_Framework(*this), m_Drop(*this), m_BumperCars(*this), m_Fishing(*this), m_Fire(*this),
      m_Race(*this)
{
    m_Framework.SetKind(MISSION_KIND_MOVING, &m_Moving);
    InstallDropMission(m_Framework, m_Drop);
    m_Framework.SetKind(MISSION_KIND_BUMPER, &m_BumperCars);
    m_Framework.SetKind(MISSION_KIND_FISHING, &m_Fishing);
    InstallFireMission(m_Framework, m_Fire);
    m_Framework.SetKind(MISSION_KIND_RACE, &m_Race);
    SetMission(&m_Framework);
    SetHud(&m_Hud);
}

CMissionTown::~CMissionTown()
{
    m_Framework.Stop();
    m_Framework.SetKind(MISSION_KIND_MOVING, nullptr);
    m_Framework.SetKind(MISSION_KIND_DROP, nullptr);
    m_Framework.SetKind(MISSION_KIND_BUMPER, nullptr);
    m_Framework.SetKind(MISSION_KIND_FISHING, nullptr);
    m_Framework.SetKind(MISSION_KIND_FIRE, nullptr);
    m_Framework.SetKind(MISSION_KIND_RACE, nullptr);
    SetMission(nullptr);
    SetHud(nullptr);
}

void CMissionTown::RoomEnter()
{
    CTown::RoomEnter();
    if (IsStarted())
        m_Drop.RoomEntered(m_Framework);
}

void CMissionTown::Pause()
{
    CTown::Pause();
    m_Moving.SetPaused(true);
}

void CMissionTown::Resume()
{
    m_Moving.SetPaused(false);
    CTown::Resume();
}
