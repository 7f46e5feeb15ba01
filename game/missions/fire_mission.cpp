// The fire mission: houses, the engine and hose, water, fires, scoring.
#include "game/missions/fire_mission.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/game_path.h"
#include "engine/core/random.h"
#include "engine/core/sequence.h"
#include "engine/frame/game_app.h"
#include "game/missions/sprite_touch.h"
#include "game/world/game_image.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"
#include "game/world/truck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

namespace {
const char* const TRUCK_FILE = "$GAMEPATH\\vplayer\\pv1_fire.smk";
const char* const HOSE_FILE = "$GAMEPATH\\mission\\fire\\hose.ini";
const char* const BALL_FILE = "$GAMEPATH\\mission\\fire\\waterball.tga";
const char* const SPLASH_FIRE_FILE = "$GAMEPATH\\MISSION\\fire\\SplashFire.seq";
const char* const SPLASH_FILE = "$GAMEPATH\\MISSION\\fire\\Splash.seq";
const char* const VARIABLES[] = {"BUILDINGID0", "BUILDINGID1",   "BUILDINGID2",     "LEVELID",
                                 "BUILDINGID",  "OLDBUILDINGID", "OLDBUILDINGNAME", "INTROID",
                                 "SEQNUMBER",   "SPLASH_X",      "SPLASH_Y"};
const CxPoint NOZZLES[FIRE_HOSE_STATES] = {{8, 74},   {14, 55},  {22, 45},  {33, 33},  {48, 25},  {64, 18},
                                           {84, 12},  {107, 6},  {131, 6},  {152, 6},  {173, 11}, {194, 17},
                                           {214, 26}, {228, 39}, {241, 50}, {248, 60}, {252, 74}};

} // namespace

CxPoint FireNozzleOffset(int32_t state)
{
    return NOZZLES[std::clamp(state, 0, FIRE_HOSE_STATES - 1)];
}

int32_t FireAimState(const CxPoint& pivot, const CxPoint& pointer)
{
    const double dx = pointer.x - pivot.x;
    const double dy = pivot.y - pointer.y;
    if (dy < 0) // below the pivot: the nearer end
        return dx < 0 ? 0 : FIRE_HOSE_STATES - 1;
    const double degrees = std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    const long state = std::lround((180.0 - degrees) * (FIRE_HOSE_STATES - 1) / 180.0);
    return static_cast<int32_t>(std::clamp(state, 0L, static_cast<long>(FIRE_HOSE_STATES - 1)));
}

uint32_t FireGrowthInterval(int32_t min, int32_t max)
{
    const int64_t spread = std::llabs(static_cast<int64_t>(max) - min);
    const int64_t interval = min + Random() % (spread > 0 ? spread : 1);
    // A timer of 0 runs without end: the fire would never grow.
    return interval < 1 ? 1u : static_cast<uint32_t>(std::min<int64_t>(interval, INT32_MAX));
}

// CFireHose -----------------------------------------------------------------

CFireHose::~CFireHose()
{
    // The channel goes before the sequence it may still hold.
    DeleteSequences();
    delete m_pShoot;
}

uint32_t CFireHose::LoadSpriteKeys(CxOptions& file, const char* section)
{
    char text[SUPER_SPRITE_TEXT_SIZE] = "";
    file.GetString(section, "OnShoot", text, "", sizeof(text));
    if (!*text)
        return CX_ERR_NONE;
    const CxString name = InterpolateGameText(text);
    return LoadOwnSequence(&m_pShoot, m_strShoot, name.c_str());
}

bool CFireHose::Shoot()
{
    return StartOwnSequence(m_pShoot);
}

CxPoint CFireHose::GetNozzle() const
{
    return GetPosition() + FireNozzleOffset(GetState());
}

CxPoint CFireHose::GetPivot() const
{
    CxPoint pivot;
    GetAnchorPoint(pivot, ANCHOR_CENTER);
    return pivot;
}

// CFireMission --------------------------------------------------------------

CFireMission::CFireMission(CTown& town) : m_Town(town) {}

CFireMission::~CFireMission()
{
    Reset();
    m_Water.DestroyMaster();
    if (CxInterpolator* interpolator = GetGameInterpolator())
        for (const char* name : VARIABLES)
            if (interpolator->FindVariable(name))
                interpolator->RemoveVariable(name);
}

void CFireMission::Reset()
{
    m_FireTimers.clear();
    m_nTimersMade = 0;
    DestroyEngine();
    m_strText = "";
    m_nMode = 2;
    m_bPlayFire = false;
    m_nBuildingIndex = -1;
    m_nVerdict = 0;
}

void CFireMission::DestroyEngine()
{
    m_pHose.reset();
    m_pStaticTruck.reset();
}

void CFireMission::BindVariables()
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator)
        return;
    for (int32_t i = 0; i < FIRE_HOUSES; ++i)
        interpolator->AddNumberVariable(VARIABLES[i], &m_nBuildings[i]);
    interpolator->AddNumberVariable("LEVELID", &m_nLevelId);
    interpolator->AddNumberVariable("BUILDINGID", &m_nBuildingId);
    interpolator->AddNumberVariable("OLDBUILDINGID", &m_nOldBuildingId);
    interpolator->AddStringVariable("OLDBUILDINGNAME", &m_strOldBuildingName);
    interpolator->AddStringVariable("INTROID", &m_strIntroId);
    interpolator->AddNumberVariable("SEQNUMBER", &m_nSeqNumber);
    interpolator->AddNumberVariable("SPLASH_X", &m_nSplashX);
    interpolator->AddNumberVariable("SPLASH_Y", &m_nSplashY);
}

int32_t CFireMission::GetBuilding(int32_t index) const
{
    return index >= 0 && index < FIRE_HOUSES ? static_cast<int32_t>(m_nBuildings[index]) : -1;
}

void CFireMission::PrepareGiver(CMissionFramework& framework)
{
    m_pFramework = &framework;
    Reset();
    // The three houses in random order, each drawn from those left.
    std::vector<long> left;
    for (int32_t i = 0; i < FIRE_HOUSES; ++i)
        left.push_back(FIRE_FIRST_HOUSE + i);
    for (int32_t i = 0; i < FIRE_HOUSES; ++i)
    {
        const size_t pick = static_cast<size_t>(Random()) % left.size();
        m_nBuildings[i] = left[pick];
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    SaveHouseStages();
    CRumboTownApp* app = GetTownApp();
    m_nLevelId = app ? app->GetLevel(USER_FIRE) : 0;
    if (app)
        app->SetPlayedFlag(4);
    BindVariables();
    NextBuilding(framework);
}

void CFireMission::NextBuilding(CMissionFramework& framework)
{
    m_pFramework = &framework;
    // Three houses: a call after the last changes nothing.
    if (m_nBuildingIndex + 1 >= FIRE_HOUSES)
        return;
    ++m_nBuildingIndex;
    const int32_t id = static_cast<int32_t>(m_nBuildings[m_nBuildingIndex]);
    const int32_t old = static_cast<int32_t>(m_nBuildings[m_nBuildingIndex > 0 ? m_nBuildingIndex - 1 : 0]);
    m_nBuildingId = id;
    m_nOldBuildingId = old;
    RestoreHouseStages();
    m_Town.m_nHelpTarget = id;
    CBuilding* oldBuilding = m_Town.FindBuilding(old);
    m_strOldBuildingName = oldBuilding ? oldBuilding->GetName() : CxString("");
    if (CBuilding* building = m_Town.FindBuilding(id))
        building->m_nCharacterValue = building->m_nEnterStage = FIRE_HOUSE_STAGE;
    const int32_t bit = 1 << (id - FIRE_FIRST_HOUSE);
    CRumboTownApp* app = GetTownApp();
    if (app && (app->GetProfile().fireBldgDone & bit))
        m_strIntroId = "b";
    else
    {
        m_strIntroId = "a";
        if (app)
            app->GetProfile().fireBldgDone |= bit;
    }
    m_nSeqNumber = FIRE_SEQ_PUTTING_OUT;
    BindVariables();
    framework.Mission().m_nCollected = 0;
    // Each house is timed on its own.
    framework.Data().m_Stopwatch.Start(0);
}

void CFireMission::Start(CMissionFramework& framework)
{
    m_pFramework = &framework;
    framework.Record().state = MISSION_STATE_RUNNING;
    m_bShooting = false;
    m_bPlayFire = false;
    m_nUpdateMin = framework.Record().fireUpdateMin;
    m_nUpdateMax = framework.Record().fireUpdateMax;
    m_Town.m_nPacing = FIRE_PACING;
    ShowHouseSmoke(true);
    if (m_Water.CreateMaster(GameDataPath(BALL_FILE).c_str(), FIRE_BALL_FRAMES, 0) != CX_ERR_NONE)
        ReportError(CX_ERR_UNKNOWN, "Could not create master water ball.");
}

void CFireMission::Stop(CMissionFramework& framework)
{
    Unloaded(framework);
    // The other buildings' greetings pick their variant by a number in INTROID:
    // the town's values come back in place of the visit text.
    if (CxInterpolator* interpolator = GetGameInterpolator())
    {
        interpolator->AddFormattedConstant("INTROID", (Random() & 1) + 1);
        interpolator->AddFormattedConstant("SEQNUMBER", FIRE_SEQ_PUTTING_OUT);
    }
}

void CFireMission::BuildingEntered(CMissionFramework&, CCharacter* building)
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator || m_nBuildingIndex < 0)
        return;
    if (building && building == m_Town.FindBuilding(static_cast<int32_t>(m_nBuildingId)))
        interpolator->AddStringVariable("INTROID", &m_strIntroId);
    else
        interpolator->AddFormattedConstant("INTROID", (Random() & 1) + 1);
}

void CFireMission::Unloaded(CMissionFramework& framework)
{
    m_pFramework = &framework;
    m_Town.m_nPacing = FIRE_PACING_OFF;
    if (CTruck* truck = m_Town.GetTruck())
        truck->Redraw();
    m_Town.RefreshTown();
    m_Water.Clear();
    m_bShooting = false;
    RestoreHouseStages();
    m_bStagesSaved = false;
    ShowHouseSmoke(false);
    if (m_nBuildingIndex >= 0 && m_Town.m_nHelpTarget == m_nBuildingId)
        m_Town.m_nHelpTarget = -1;
    // The fires go with their timers; what the phases added goes after this stop.
    Reset();
    m_bPlayFire = false;
    m_Water.DestroyMaster();
}

bool CFireMission::Command(CMissionFramework& framework, const CxString& command,
                           const CxLinkedList<CxString>& arguments)
{
    m_pFramework = &framework;
    // Lines left over from a stopped mission may give the truck back, nothing more.
    const bool running = framework.IsRunningKind(MISSION_KIND_FIRE, MISSION_KIND_FIRE);
    if (command.EqualsNoCase("SetPlayFireState"))
    {
        const int32_t on = atoi(arguments.IsEmpty() ? "0" : arguments.GetHead()->m_Value.c_str());
        if (running || !on)
            SetPlayFire(on);
    }
    else if (command.EqualsNoCase("ShootHoseWater"))
    {
        if (running)
            ShootWater();
    }
    else if (command.EqualsNoCase("IncrementFireScore"))
        IncrementScore(framework);
    else if (command.EqualsNoCase("NextBuilding"))
    {
        if (running)
            NextBuilding(framework);
    }
    else
        return false;
    return true;
}

void CFireMission::SetPlayFire(int32_t on)
{
    CTruck* truck = m_Town.GetTruck();
    if (!on)
    {
        // Driving on: the parked engine and its hose go, the truck comes back.
        m_bPlayFire = false;
        if (m_pStaticTruck)
            m_pStaticTruck->Hide();
        if (m_pHose)
            m_pHose->Hide();
        if (truck)
            truck->Redraw();
        return;
    }
    m_bPlayFire = true;
    // At the house: the arrow has done its work.
    if (m_nBuildingIndex >= 0 && m_Town.m_nHelpTarget == m_nBuildingId)
        m_Town.m_nHelpTarget = -1;
    m_Town.HideArrow();
    PlaceEngine();
    if (truck)
        truck->Hide();
}

void CFireMission::PlaceEngine()
{
    CTruck* truck = m_Town.GetTruck();
    CxPoint centre;
    if (truck)
        truck->GetAnchorPoint(centre, ANCHOR_CENTER);
    if (!m_pStaticTruck)
    {
        m_pStaticTruck.reset(new (std::nothrow) CxSprite);
        if (!m_pStaticTruck)
            ReportError(CX_ERR_UNKNOWN, "Could not create static truck.");
        else
        {
            LoadGameSprite(*m_pStaticTruck, GameDataPath(TRUCK_FILE).c_str());
            m_pStaticTruck->AttachTo(&m_Town.GetMap());
            m_pStaticTruck->SetDepth(FIRE_TRUCK_LAYER);
        }
    }
    if (m_pStaticTruck)
    {
        m_pStaticTruck->MoveTo(centre, ANCHOR_CENTER);
        m_pStaticTruck->Redraw();
    }
    if (!m_pHose)
    {
        m_pHose.reset(new (std::nothrow) CFireHose);
        if (!m_pHose)
            ReportError(CX_ERR_UNKNOWN, "Could not create fire truck hose.");
        else
        {
            m_pHose->LoadFromFile(GameDataPath(HOSE_FILE).c_str());
            m_pHose->AttachTo(&m_Town.GetMap());
            m_pHose->SetDepth(FIRE_HOSE_LAYER);
        }
    }
    if (m_pHose)
    {
        const int32_t width = m_pStaticTruck ? m_pStaticTruck->GetWidth() : 0;
        const int32_t height = m_pStaticTruck ? m_pStaticTruck->GetHeight() : 0;
        m_pHose->MoveTo(CxPoint(centre.x - FIRE_HOSE_LEFT_SHIFT - width / 2, centre.y - height / 2));
        m_pHose->Redraw();
    }
}

void CFireMission::Aim()
{
    if (!m_bPlayFire || !m_pHose)
        return;
    const CxPoint pointer = m_Town.GetStoredPoint() + m_Town.GetViewOrigin();
    const int32_t state = FireAimState(m_pHose->GetPivot(), pointer);
    if (state != m_pHose->GetState() && m_pHose->IsValidState(state))
        m_pHose->SetState(state);
}

void CFireMission::MapClicked(CMissionFramework& framework, const CxPoint&)
{
    m_pFramework = &framework;
    if (!m_bPlayFire || !m_pHose)
        return;
    // The shoot sequence brings the squirt and the shot; a hose without one shoots at once.
    if (!m_pHose->HasShootSequence())
        ShootWater();
    else if (!m_pHose->IsShootRunning())
        m_pHose->Shoot();
}

void CFireMission::ShootWater()
{
    if (!m_pHose || !m_Water.GetMaster())
        return;
    m_bShooting = true;
    const CWaterBall& master = *m_Water.GetMaster();
    const CxPoint half(master.GetWidth() / 2, master.GetHeight() / 2);
    const CxPoint start = m_pHose->GetNozzle() - half;
    const CxPoint end = m_Town.GetStoredPoint() + m_Town.GetViewOrigin() - half;
    m_Water.Launch(&m_Town.GetMap(), WaterBallPath(start, end));
    m_bShooting = m_Water.IsFlying();
}

CMapObject* CFireMission::FindHitFire(const CxSprite& ball) const
{
    for (const auto& object : m_Town.GetPlacedObjects())
        if (object->IsShown() && IsFireType(object->GetId()) && SpritesTouch(ball, *object))
            return object.get();
    return nullptr;
}

void CFireMission::Splash(const CxPoint& point, const char* sequence)
{
    m_nSplashX = point.x;
    m_nSplashY = point.y;
    const CxString path = GameDataPath(sequence);
    if (TownDataExists(path))
        m_Town.PlaySequence(path.c_str());
}

void CFireMission::HitFire(CMissionFramework& framework, CMapObject* fire)
{
    const int32_t state = fire->GetState();
    if (state >= 1)
    {
        fire->PlayForever(state - 1);
        if (CxTimerCallBack* timer = FindFireTimer(fire))
        {
            timer->SetInterval(NextGrowth());
            timer->Start(0);
        }
        return;
    }
    CxPoint foot;
    fire->GetAnchorPoint(foot, ANCHOR_BOTTOM_MIDDLE);
    Splash(CxPoint(foot.x, foot.y + FIRE_SPLASH_DROP), SPLASH_FIRE_FILE);
    // Its timer goes with it (ObjectRemoving).
    framework.Phase().Destroy(fire);
}

bool CFireMission::MoveWater(CMissionFramework& framework)
{
    const bool flying = m_Water.Advance(
        [&](CWaterBall& ball) {
            CMapObject* fire = FindHitFire(ball);
            if (fire)
                HitFire(framework, fire);
            return fire != nullptr;
        },
        [&](CWaterBall& ball) {
            // The truck has no splash offsets by direction: the splash shows where the ball ends.
            CxPoint foot;
            ball.GetAnchorPoint(foot, ANCHOR_BOTTOM_MIDDLE);
            Splash(foot, SPLASH_FILE);
        });
    if (!flying)
        m_bShooting = false;
    return flying;
}

void CFireMission::Update(CMissionFramework& framework)
{
    m_pFramework = &framework;
    Aim();
    if (m_bShooting)
        MoveWater(framework);
}

void CFireMission::IncrementScore(CMissionFramework& framework)
{
    CMission& mission = framework.Mission();
    const int32_t required = framework.Record().numReq;
    if (mission.m_nCollected >= required)
        return;
    ITownHud& hud = m_Town.GetHud();
    hud.LightIcon(mission.m_nCollected, 1);
    ++mission.m_nCollected;
    if (mission.m_nCollected != required)
        return;
    hud.NextSet();
    const int64_t elapsed = framework.Data().m_Stopwatch.GetElapsed();
    const int32_t level = framework.GetLevel();
    if (elapsed > framework.Data().m_nTimerIntervalMax && level > 0)
        m_nVerdict = 2;
    else if (elapsed < framework.Data().m_nTimerIntervalMin && level < FIRE_MAX_LEVEL && m_nVerdict == 0)
        m_nVerdict = 1;
    // The house's scene plays again for what follows.
    CBuilding* house =
        m_nBuildingIndex >= 0 ? m_Town.FindBuilding(static_cast<int32_t>(m_nBuildingId)) : nullptr;
    if (!hud.IsLastHudSet())
    {
        m_nSeqNumber = FIRE_SEQ_NEXT_HOUSE;
        m_Town.EnterBuilding(house);
        return;
    }
    if (CRumboTownApp* app = GetTownApp(); app && !(app->GetCompletedFlag() & FIRE_COMPLETED_BIT))
        app->SetCompletedFlag(FIRE_COMPLETED_BIT);
    if (m_nVerdict == 2 && level > 0)
        framework.SetLevel(level - 1);
    else if (m_nVerdict == 1 && level < FIRE_MAX_LEVEL)
        framework.SetLevel(level + 1);
    m_nSeqNumber = FIRE_SEQ_WON;
    m_Town.EnterBuilding(house);
}

void CFireMission::SaveHouseStages()
{
    if (m_bStagesSaved)
        return;
    for (int32_t i = 0; i < FIRE_HOUSES; ++i)
        if (const CBuilding* house = m_Town.FindBuilding(FIRE_FIRST_HOUSE + i))
            m_nSavedStages[i] = house->m_nEnterStage;
    m_bStagesSaved = true;
}

void CFireMission::RestoreHouseStages()
{
    if (!m_bStagesSaved)
        return;
    for (int32_t i = 0; i < FIRE_HOUSES; ++i)
        if (CBuilding* house = m_Town.FindBuilding(FIRE_FIRST_HOUSE + i))
            house->m_nEnterStage = m_nSavedStages[i];
}

void CFireMission::ShowHouseSmoke(bool show)
{
    for (int32_t i = 0; i < FIRE_HOUSES; ++i)
        if (CBuilding* house = m_Town.FindBuilding(FIRE_FIRST_HOUSE + i))
        {
            if (show)
                house->ShowExtraSprite();
            else
                house->HideExtraSprite();
        }
}

uint32_t CFireMission::NextGrowth() const
{
    return FireGrowthInterval(m_nUpdateMin, m_nUpdateMax);
}

CxTimerCallBack* CFireMission::AddFireTimer(CMapObject* fire)
{
    const long id = FIRE_TIMER_ID_BASE + m_nTimersMade++;
    auto timer =
        std::unique_ptr<CxTimerCallBack>(new (std::nothrow) CxTimerCallBack(this, NextGrowth(), 0, id));
    if (!timer)
    {
        ReportError(CX_ERR_UNKNOWN, "Could not create fire update timer callback.");
        return nullptr;
    }
    timer->Start(0);
    m_FireTimers.push_back(FireTimer{std::move(timer), fire});
    return m_FireTimers.back().timer.get();
}

void CFireMission::RemoveFireTimer(const CMapObject* fire)
{
    std::erase_if(m_FireTimers, [fire](const FireTimer& entry) { return entry.fire == fire; });
}

CxTimerCallBack* CFireMission::FindFireTimer(const CMapObject* fire) const
{
    for (const FireTimer& entry : m_FireTimers)
        if (entry.fire == fire)
            return entry.timer.get();
    return nullptr;
}

void CFireMission::ObjectAdded(CMissionFramework& framework, CMapObject* object)
{
    m_pFramework = &framework;
    if (!object || !IsFireType(object->GetId()))
        return;
    // Fires flicker out of step: each starts on a frame of its own.
    if (const int32_t frames = object->GetFrameCount(); frames > 1)
        object->SetFrame(Random() % frames);
    AddFireTimer(object);
}

void CFireMission::ObjectRemoving(CMissionFramework&, CMapObject* object)
{
    RemoveFireTimer(object);
}

void CFireMission::OnTimer(CxTimer* timer)
{
    auto entry = std::find_if(m_FireTimers.begin(), m_FireTimers.end(),
                              [timer](const FireTimer& fire) { return fire.timer.get() == timer; });
    if (entry == m_FireTimers.end() || !m_pFramework ||
        !m_pFramework->IsRunningKind(MISSION_KIND_FIRE, MISSION_KIND_FIRE))
        return;
    // The fire is looked up in the town, never trusted through the pointer alone.
    CMapObject* fire = entry->fire;
    if (!m_Town.HoldsTownObject(fire))
        return;
    entry->timer->SetInterval(NextGrowth());
    entry->timer->Start(0);
    if (fire->GetState() < fire->GetNumStates() - 1)
        fire->PlayForever(fire->GetState() + 1);
}

void InstallFireMission(CMissionFramework& framework, CFireMission& fire)
{
    framework.SetKind(MISSION_KIND_FIRE, &fire);
}
