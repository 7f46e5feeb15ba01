// The race (mission kind 7): the player's truck races the enemy truck along
// a course of waypoints to a finish-line object.
//
// The course comes from the mission file's [Waypoints] section: Count and
// "Waypoint%d" = "x, y", optionally followed by the word NextPhase. While the
// race runs (from "RaceStarted") every town update finds the waypoint each
// truck is at, lights the player's progress on the HUD's ten right icons,
// ties the enemy's top speed to the player's so that it stays close behind,
// runs the mission file's next phase once both trucks have passed a marked
// waypoint, and ends the race when a truck on the last stretch touches the
// finish-line object: the player's win is recorded in the profile and runs
// win.seq, the enemy's runs lose.seq. Neither stops the mission;
// "StopMission" does.
//
// Obstacles: "CreateSmoke" x y shows a smoke cloud that "MaybeClearSmoke"
// blows away when the player's truck is in it; "MaybeClearOil" x y hides
// the oil slicks (objects of type 19 that phases added) near a point.
// Phases are the framework's phase step: one at the set-up, one each time
// both trucks have passed a marked waypoint, and "NextPhase".
//
// A course needs two waypoints at different places: with fewer, or with
// all of them at one place, the update only steers the help arrow.
#pragma once

#include "engine/graphics/animation.h"
#include "engine/graphics/sprite.h"
#include "game/missions/mission.h"
#include "game/missions/water_ball.h"

#include <cstdint>
#include <memory>
#include <vector>

class CMapObject;
class CxOptions;

constexpr int32_t RACE_MAX_WAYPOINTS = 1000;
constexpr int32_t RACE_OIL_TYPE = 19;
constexpr float RACE_OIL_RADIUS = 100.0f;
constexpr int32_t RACE_PACING = 3000;
constexpr uint32_t RACE_FIRST_SHOT_MS = 10000;
constexpr int32_t RACE_PROGRESS_ICONS = 10;
constexpr float RACE_LEAD_FAR = 240.0f; // above: the enemy may go faster than the player
constexpr float RACE_LEAD_NEAR = 50.0f; // below: the enemy slows down
constexpr float RACE_ENEMY_MIN_SPEED = 1.0f;
extern const CxPoint RACE_TRUCK_HOME; // where the player's truck goes at the stop

struct RaceWaypoint
{
    int32_t x = 0, y = 0;
    float distance = 0.0f; // course length from waypoint 0 up to this one
    int32_t nextPhase = 0; // 1: passing it runs the next phase
};

// Reads up to count whole numbers written "a, b, c" (blanks allowed around
// the commas); false when fewer than count numbers are there or one does
// not fit in 32 bits. Text after the last number is ignored.
bool ParseRaceNumbers(const char* text, int32_t* out, int32_t count);
// A waypoint value "x, y" with an optional "NextPhase" after it; false
// without two numbers. The distance is left at 0.
bool ParseWaypoint(const char* text, RaceWaypoint* out);
// The distance from p to the segment a-b (to a when a and b are one point).
float SegmentDistance(const CxPoint& p, const CxPoint& a, const CxPoint& b);
// Progress 0..9 for the HUD: the whole percentage of the course, in tens.
int32_t RaceProgressPosition(float progress, float length);
// The enemy's max speed for a lead of the player (positive: the player is
// ahead): the player's + 1 when far ahead, the player's - 3 (at least 1)
// when near or behind, else the current one.
float RaceEnemyMaxSpeed(float lead, float truckMax, float current);
// The race-won bit of the profile's completed flag for a vehicle (0 for none).
uint32_t RaceVehicleBit(int32_t vehicle);

// The waypoints of a course and its length.
class CRaceCourse
{
public:
    // Reads [Waypoints]; Count is kept within 0..RACE_MAX_WAYPOINTS and a
    // waypoint without two numbers ends the table (error 13), the earlier
    // ones kept.
    void Read(CxOptions& file);
    void Clear();
    // Appends a waypoint; its distance is the course length so far.
    void Add(int32_t x, int32_t y, bool nextPhase);

    int32_t Count() const { return static_cast<int32_t>(m_Points.size()); }
    const RaceWaypoint& At(int32_t index) const { return m_Points[static_cast<size_t>(index)]; }
    float Length() const { return m_fLength; }
    // Whether a truck can be tracked on it: two waypoints, a length above 0.
    bool IsUsable() const { return Count() >= 2 && m_fLength > 0.0f; }
    // The waypoint a truck at p is at, searching around index from, and the
    // distance from p to that waypoint. Between two waypoints a truck is at
    // the earlier; ties keep the lower index.
    int32_t Nearest(const CxPoint& p, int32_t from, float* distance) const;
    std::vector<CxPoint> Points() const;

private:
    std::vector<RaceWaypoint> m_Points;
    float m_fLength = 0.0f;
};

// The smoke cloud: a sprite with its own animation, which it listens to.
// Action 0 puffs the cloud up (4 s at 12 fps) and stops on its last frame;
// action 1 waits 100 ms and then takes the cloud off the map.
class CSmoke : public CxSprite, public CxAnimationListener
{
public:
    CSmoke();
    ~CSmoke() override;
    CSmoke(const CSmoke&) = delete;
    CSmoke& operator=(const CSmoke&) = delete;

    // Loads the cloud's movie and sets its two actions; the cloud stays hidden.
    uint32_t LoadSmoke(const char* fileName);
    // Attaches it to map, centred on centre, and starts action 0.
    void Puff(CxDisplayObject* map, const CxPoint& centre);
    // Starts clearing when truck touches the cloud; not while it clears.
    void MaybeClear(const CxSprite& truck);
    bool IsClearing() const { return m_Animation.IsRunning() && m_Animation.GetCurAction() == 1; }
    void OnAnimationActionDone(CxAnimation* animation) override;
    CxAnimation& Animation() { return m_Animation; }

private:
    CxAnimation m_Animation;
};

class CRaceMission : public IMissionKind
{
public:
    explicit CRaceMission(CTown& town);
    ~CRaceMission() override;
    CRaceMission(const CRaceMission&) = delete;
    CRaceMission& operator=(const CRaceMission&) = delete;

    // IMissionKind: set-up, stop, update and the race's town lines.
    void Start(CMissionFramework& framework) override;
    void Stop(CMissionFramework& framework) override;
    void Update(CMissionFramework& framework) override;
    bool Command(CMissionFramework& framework, const CxString& command,
                 const CxLinkedList<CxString>& arguments) override;
    std::vector<CxPoint> EnemyWayPoints() const override { return m_Course.Points(); }

    void CreateSmoke(const CxPoint& centre);
    void MaybeClearSmoke();
    void MaybeClearOil(CMissionFramework& framework, const CxPoint& centre);

    bool IsRunning() const { return m_bRunning; }
    const CRaceCourse& Course() const { return m_Course; }
    int32_t GetTruckIndex() const { return m_nTruckIndex; }
    int32_t GetEnemyIndex() const { return m_nEnemyIndex; }
    int32_t GetPassedIndex() const { return m_nPassedIndex; }
    int32_t GetProgress() const { return m_nProgress; }
    int32_t GetFinishIndex() const { return m_nFinishIndex; }
    CSmoke* GetSmoke() const { return m_pSmoke.get(); }
    CWaterStream& Balls() { return m_Balls; }

private:
    void ReadStartKeys(CInterpOption& file);
    void ReadFinishLine(CInterpOption& file);
    void MakeSprites();
    void AimArrow();
    // Tracks both trucks, runs the phases and the finish.
    void Track(CMissionFramework& framework);
    void PassWaypoints(CMissionFramework& framework);
    CMapObject* FinishObject() const;
    void Won(CMissionFramework& framework);
    void Lost();
    void ResetTruck();
    bool HasEnemy() const;

    CTown& m_Town;
    bool m_bRunning = false;
    CRaceCourse m_Course;
    int32_t m_nTruckIndex = 0, m_nEnemyIndex = 0, m_nPassedIndex = 0;
    int32_t m_nProgress = 0;
    int32_t m_nFinishIndex = 0;
    std::unique_ptr<CSmoke> m_pSmoke;
    CWaterStream m_Balls; // the master water ball and the balls in flight
};
