// The race: the course, the tracking of both trucks, the finish and the
// obstacles.
#include "game/missions/race.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/options.h"
#include "engine/frame/game_app.h"
#include "game/missions/sprite_touch.h"
#include "game/world/game_image.h"
#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/smooth_blit.h"
#include "game/world/town.h"
#include "game/world/town_arguments.h"
#include "game/world/truck.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

const CxPoint RACE_TRUCK_HOME(4799, 2960);

namespace {
const char* const SMOKE_FILE = "$GAMEPATH\\VENEMY\\smoke.smk";
const char* const BALL_FILE = "$GAMEPATH\\VPLAYER\\waterball.tga";
const char* const WIN_FILE = "$GAMEPATH\\MISSION\\RACE\\win.seq";
const char* const LOSE_FILE = "$GAMEPATH\\MISSION\\RACE\\lose.seq";
const char* const NEXT_PHASE = "NextPhase";
constexpr uint32_t SMOKE_PUFF_FLAGS =
    0xA00003C0; // stop after, frames from the range's start, range, rate, time
constexpr int32_t SMOKE_PUFF_MS = 4000;
constexpr float SMOKE_FRAME_RATE = 12.0f;
constexpr int32_t SMOKE_CLEAR_MS = 100;
constexpr int32_t SMOKE_BLIT_EFFECT = 17;
constexpr size_t VALUE_TEXT = 64; // a key's value: at most 63 characters
constexpr float NO_DISTANCE = 99999.0f;

float PointDistance(const CxPoint& a, const CxPoint& b)
{
    // In 64 bits: course points may lie anywhere a file puts them.
    return static_cast<float>(std::hypot(static_cast<double>(static_cast<int64_t>(a.x) - b.x),
                                         static_cast<double>(static_cast<int64_t>(a.y) - b.y)));
}

CxPoint PointOf(const RaceWaypoint& waypoint)
{
    return CxPoint(waypoint.x, waypoint.y);
}

CxPoint CentreOf(const CxDisplayObject& object)
{
    CxPoint centre;
    object.GetAnchorPoint(centre, ANCHOR_CENTER);
    return centre;
}

const char* SkipBlanks(const char* text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}
} // namespace

// Rules ---------------------------------------------------------------------

bool ParseRaceNumbers(const char* text, int32_t* out, int32_t count)
{
    const char* at = text ? text : "";
    for (int32_t i = 0; i < count; ++i)
    {
        if (i > 0)
        {
            at = SkipBlanks(at);
            if (*at != ',')
                return false;
            ++at;
        }
        char* end = nullptr;
        errno = 0;
        const long value = strtol(at, &end, 10);
        if (end == at || errno != 0 || value < INT32_MIN || value > INT32_MAX)
            return false;
        out[i] = static_cast<int32_t>(value);
        at = end;
    }
    return true;
}

bool ParseWaypoint(const char* text, RaceWaypoint* out)
{
    char value[VALUE_TEXT] = {};
    strncpy(value, text ? text : "", sizeof(value) - 1);
    char* mark = strstr(value, NEXT_PHASE);
    if (mark)
        *mark = '\0';
    int32_t numbers[2] = {};
    if (!ParseRaceNumbers(value, numbers, 2))
        return false;
    out->x = numbers[0];
    out->y = numbers[1];
    out->distance = 0.0f;
    out->nextPhase = mark ? 1 : 0;
    return true;
}

float SegmentDistance(const CxPoint& p, const CxPoint& a, const CxPoint& b)
{
    const double abx = static_cast<double>(b.x) - a.x, aby = static_cast<double>(b.y) - a.y;
    const double apx = static_cast<double>(p.x) - a.x, apy = static_cast<double>(p.y) - a.y;
    const double squared = abx * abx + aby * aby;
    // A segment of one point: the distance to that point.
    double t = squared > 0.0 ? (apx * abx + apy * aby) / squared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return static_cast<float>(std::hypot(apx - t * abx, apy - t * aby));
}

int32_t RaceProgressPosition(float progress, float length)
{
    if (!(length > 0.0f) || !(progress > 0.0f))
        return 0;
    const double percent = std::trunc(static_cast<double>(progress) * 100.0 / length);
    const double tens = std::trunc(percent / 10.0);
    return tens >= RACE_PROGRESS_ICONS - 1 ? RACE_PROGRESS_ICONS - 1 : static_cast<int32_t>(tens);
}

float RaceEnemyMaxSpeed(float lead, float truckMax, float current)
{
    if (lead > RACE_LEAD_FAR)
        return truckMax + 1.0f;
    if (lead < RACE_LEAD_NEAR)
        // A slow player's truck must not bring the enemy to a halt.
        return std::max(truckMax - 3.0f, RACE_ENEMY_MIN_SPEED);
    return current;
}

uint32_t RaceVehicleBit(int32_t vehicle)
{
    return vehicle >= 0 && vehicle <= 3 ? 0x20u << vehicle : 0u;
}

// CRaceCourse ---------------------------------------------------------------

void CRaceCourse::Clear()
{
    m_Points.clear();
    m_Points.shrink_to_fit();
    m_fLength = 0.0f;
}

void CRaceCourse::Add(int32_t x, int32_t y, bool nextPhase)
{
    if (!m_Points.empty())
        m_fLength += PointDistance(PointOf(m_Points.back()), CxPoint(x, y));
    m_Points.push_back(RaceWaypoint{x, y, m_fLength, nextPhase ? 1 : 0});
}

void CRaceCourse::Read(CxOptions& file)
{
    Clear();
    long count = 0;
    file.GetNumber("Waypoints", "Count", &count, 0);
    count = std::clamp(count, 0L, static_cast<long>(RACE_MAX_WAYPOINTS));
    try
    {
        m_Points.reserve(static_cast<size_t>(count));
    }
    catch (const std::bad_alloc&)
    {
        return;
    }
    for (long i = 0; i < count; ++i)
    {
        char name[32];
        snprintf(name, sizeof(name), "Waypoint%ld", i);
        char text[VALUE_TEXT] = {};
        file.GetString("Waypoints", name, text, "", sizeof(text));
        RaceWaypoint waypoint;
        if (!ParseWaypoint(text, &waypoint))
        {
            ReportError(CX_ERR_UNKNOWN, "Bad waypoint %ld", i);
            return;
        }
        Add(waypoint.x, waypoint.y, waypoint.nextPhase != 0);
    }
}

int32_t CRaceCourse::Nearest(const CxPoint& p, int32_t from, float* distance) const
{
    const int32_t n = Count();
    // An index from an earlier course is brought onto this one.
    from = std::clamp(from, 0, std::max(n - 1, 0));
    int32_t r = from;
    float best = NO_DISTANCE;
    for (int32_t i = std::max(from - 1, 0); i <= std::min(from + 1, n - 1); ++i)
    {
        const float d = PointDistance(p, PointOf(At(i)));
        if (d < best)
        {
            best = d;
            r = i;
        }
    }
    if (r > 0 && r < n - 1)
    {
        const float before = SegmentDistance(p, PointOf(At(r - 1)), PointOf(At(r)));
        const float after = SegmentDistance(p, PointOf(At(r)), PointOf(At(r + 1)));
        if (before <= after)
            r = r - 1;
    }
    if (distance)
        *distance = r >= 0 && r < n ? PointDistance(p, PointOf(At(r))) : 0.0f;
    return r;
}

std::vector<CxPoint> CRaceCourse::Points() const
{
    std::vector<CxPoint> points;
    points.reserve(m_Points.size());
    for (const RaceWaypoint& waypoint : m_Points)
        points.push_back(PointOf(waypoint));
    return points;
}

// CSmoke --------------------------------------------------------------------

CSmoke::CSmoke()
{
    m_Animation.SetDisplayObject(this);
    m_Animation.SetListener(this);
}

CSmoke::~CSmoke()
{
    m_Animation.SetListener(nullptr);
    m_Animation.Stop();
    Hide();
    Detach();
}

uint32_t CSmoke::LoadSmoke(const char* fileName)
{
    const uint32_t result = LoadGameSprite(*this, fileName);
    if (result != CX_ERR_NONE)
        return result;
    m_Animation.RemoveAllActions();
    ST_ANIM_ACTION actions[2];
    actions[0].nFlags = SMOKE_PUFF_FLAGS;
    actions[0].nDuration = SMOKE_PUFF_MS;
    actions[0].fFrameRate = SMOKE_FRAME_RATE;
    actions[0].nFirstFrame = 0;
    actions[0].nLastFrame = std::max(GetFrameCount() - 1, 0);
    actions[1].nFlags = ANIM_DURATION;
    actions[1].nDuration = SMOKE_CLEAR_MS;
    m_Animation.AddActions(actions, 2);
    SetDepth(0);
    EnableSmoothEdges(this);
    Hide();
    return CX_ERR_NONE;
}

void CSmoke::Puff(CxDisplayObject* map, const CxPoint& centre)
{
    AttachTo(map);
    MoveTo(centre, ANCHOR_CENTER);
    m_Animation.Start(0);
}

void CSmoke::MaybeClear(const CxSprite& truck)
{
    if (IsClearing())
        return;
    if (SpritesTouch(truck, *this))
        m_Animation.Start(1);
}

void CSmoke::OnAnimationActionDone(CxAnimation* animation)
{
    if (animation != &m_Animation || m_Animation.GetCurAction() != 1)
        return;
    m_Animation.Stop();
    Hide();
    Detach();
}

// CRaceMission --------------------------------------------------------------

CRaceMission::CRaceMission(CTown& town) : m_Town(town) {}

CRaceMission::~CRaceMission()
{
    m_pSmoke.reset();
    m_Balls.DestroyMaster();
}

bool CRaceMission::HasEnemy() const
{
    const CEnemy* enemy = m_Town.GetEnemy();
    return enemy && enemy->GetNumDirections() > 0;
}

void CRaceMission::Start(CMissionFramework& framework)
{
    framework.Record().state = MISSION_STATE_RUNNING;
    // A second start of one loaded file starts the phases afresh instead of
    // adding the objects of its first phase twice.
    framework.Phase().Reset();
    m_bRunning = false;
    m_nTruckIndex = m_nEnemyIndex = m_nPassedIndex = 0;
    m_nProgress = 0;
    CMission& mission = framework.Mission();
    if (mission.m_bFileOpen)
    {
        ReadStartKeys(mission.m_File);
        ReadFinishLine(mission.m_File);
        m_Course.Read(mission.m_File);
    }
    else
        m_Course.Clear();
    framework.Phase().Step();
    if (CEnemy* enemy = m_Town.GetEnemy())
    {
        CxLinkedList<CxString> interval;
        interval.AddTail(CxString("10000"));
        enemy->HandleCommand("ResetShootTimer", interval);
    }
    MakeSprites();
    m_Town.m_nPacing = RACE_PACING;
}

void CRaceMission::ReadStartKeys(CInterpOption& file)
{
    CxInterpolator* interpolator = GetGameInterpolator();
    static const struct
    {
        const char* position;
        const char* direction;
        const char* x;
        const char* y;
        const char* dir;
    } TRUCKS[] = {{"TruckPos", "TruckDirection", "TRUCKSTARTX", "TRUCKSTARTY", "TRUCKDIR"},
                  {"EnemyPos", "EnemyDirection", "ENEMYSTARTX", "ENEMYSTARTY", "ENEMYDIR"}};
    for (const auto& truck : TRUCKS)
    {
        CxPoint position(0, 0);
        long direction = 10;
        file.GetPoint("Mission", truck.position, &position, CxPoint(0, 0));
        file.GetNumber("Mission", truck.direction, &direction, 10);
        if (!interpolator)
            continue;
        interpolator->AddFormattedConstant(truck.x, position.x);
        interpolator->AddFormattedConstant(truck.y, position.y);
        interpolator->AddFormattedConstant(truck.dir, direction);
    }
}

void CRaceMission::ReadFinishLine(CInterpOption& file)
{
    char text[VALUE_TEXT] = {};
    file.GetString("Mission", "FinishLine", text, "", sizeof(text));
    int32_t values[3] = {};
    const auto& objects = m_Town.GetPlacedObjects();
    // A missing or unreadable key, or a town without objects, keeps the
    // finish line where it was.
    if (text[0] == '\0' || !ParseRaceNumbers(text, values, 3) || objects.empty())
        return;
    if (values[0] < 1 || static_cast<size_t>(values[0]) >= objects.size())
    {
        m_nFinishIndex = 0;
        return;
    }
    m_nFinishIndex = values[0];
    objects[static_cast<size_t>(values[0])]->MoveTo(CxPoint(values[1], values[2]), ANCHOR_TOP_LEFT);
}

void CRaceMission::MakeSprites()
{
    m_pSmoke.reset();
    auto smoke = std::unique_ptr<CSmoke>(new (std::nothrow) CSmoke);
    const CxString smokePath = GameDataPath(SMOKE_FILE);
    if (smoke && TownDataExists(smokePath) && smoke->LoadSmoke(smokePath.c_str()) == CX_ERR_NONE)
        m_pSmoke = std::move(smoke);
    m_Balls.DestroyMaster();
    const CxString ballPath = GameDataPath(BALL_FILE);
    if (TownDataExists(ballPath))
        m_Balls.CreateMaster(ballPath.c_str(), 1, 0);
}

void CRaceMission::AimArrow()
{
    const int32_t next = m_nTruckIndex + 1;
    if (m_nTruckIndex >= 0 && next < m_Course.Count())
        m_Town.PointArrowAt(PointOf(m_Course.At(next)));
    else
        m_Town.HideArrow();
}

void CRaceMission::Update(CMissionFramework& framework)
{
    AimArrow();
    // Without a course to measure on there is nothing to track.
    if (!m_bRunning || !m_Course.IsUsable() || !m_Town.GetTruck())
        return;
    Track(framework);
}

void CRaceMission::Track(CMissionFramework& framework)
{
    CTruck& truck = *m_Town.GetTruck();
    float truckDistance = 0.0f;
    m_nTruckIndex = m_Course.Nearest(CentreOf(truck), m_nTruckIndex, &truckDistance);
    const float truckProgress = truckDistance + m_Course.At(m_nTruckIndex).distance;
    m_nProgress = RaceProgressPosition(truckProgress, m_Course.Length());
    m_Town.GetHud().LightIcon(m_nProgress, 1);
    CEnemy* enemy = HasEnemy() ? m_Town.GetEnemy() : nullptr;
    if (enemy)
    {
        float enemyDistance = 0.0f;
        m_nEnemyIndex = m_Course.Nearest(CentreOf(*enemy), m_nEnemyIndex, &enemyDistance);
        const float enemyProgress = enemyDistance + m_Course.At(m_nEnemyIndex).distance;
        enemy->SetMaxSpeed(
            RaceEnemyMaxSpeed(truckProgress - enemyProgress, truck.GetMaxSpeed(), enemy->GetMaxSpeed()));
    }
    PassWaypoints(framework);
    CMapObject* finish = FinishObject();
    const int32_t last = m_Course.Count() - 1;
    if (!finish)
        return;
    if (m_nTruckIndex == last && truck.CollidesWith(*finish))
    {
        Won(framework);
        return;
    }
    if (enemy && m_nEnemyIndex == last && enemy->CollidesWith(*finish))
        Lost();
}

void CRaceMission::PassWaypoints(CMissionFramework& framework)
{
    // Without an enemy only the player's truck holds the phases back.
    const int32_t enemyIndex = HasEnemy() ? m_nEnemyIndex : m_nTruckIndex;
    if (m_nTruckIndex <= m_nPassedIndex || enemyIndex <= m_nPassedIndex)
        return;
    m_nPassedIndex = std::min(m_nTruckIndex, enemyIndex);
    if (m_Course.At(m_nPassedIndex).nextPhase)
        framework.Phase().Step();
}

CMapObject* CRaceMission::FinishObject() const
{
    const auto& objects = m_Town.GetPlacedObjects();
    if (objects.empty())
        return nullptr;
    const size_t index = std::min(static_cast<size_t>(std::max(m_nFinishIndex, 0)), objects.size() - 1);
    return objects[index].get();
}

void CRaceMission::Won(CMissionFramework& framework)
{
    m_nProgress = RACE_PROGRESS_ICONS;
    m_Town.GetHud().LightIcon(RACE_PROGRESS_ICONS - 1, 1);
    m_bRunning = false;
    if (m_Town.GetChannel())
        FlushChannel(m_Town.GetChannel());
    if (CRumboTownApp* app = GetTownApp())
    {
        const uint32_t bit = RaceVehicleBit(app->GetVehicle());
        if (bit && !(app->GetCompletedFlag() & bit))
            app->SetCompletedFlag(bit);
    }
    const CMissionData& data = framework.Data();
    const int32_t level = framework.GetLevel();
    const int32_t adjusted =
        AdjustLevel(level, data.m_Stopwatch.GetElapsed(), data.m_nTimerIntervalMin, data.m_nTimerIntervalMax);
    if (adjusted != level)
        framework.SetLevel(adjusted);
    const CxString path = GameDataPath(WIN_FILE);
    if (TownDataExists(path))
        m_Town.PlaySequence(path.c_str());
}

void CRaceMission::Lost()
{
    m_bRunning = false;
    if (m_Town.GetChannel())
        FlushChannel(m_Town.GetChannel());
    const CxString path = GameDataPath(LOSE_FILE);
    if (TownDataExists(path))
        m_Town.PlaySequence(path.c_str());
}

void CRaceMission::Stop(CMissionFramework&)
{
    // The oil the phases added goes with the framework's phase objects.
    m_Balls.DestroyMaster();
    m_pSmoke.reset();
    m_bRunning = false;
    m_Course.Clear();
    m_nTruckIndex = m_nEnemyIndex = m_nPassedIndex = 0;
    m_Town.HandleCommand("UnLoadEnemy", CxLinkedList<CxString>());
    ResetTruck();
    // The arrow pointed along the course, which is gone.
    m_Town.HideArrow();
}

void CRaceMission::ResetTruck()
{
    CTruck* truck = m_Town.GetTruck();
    if (!truck)
        return;
    truck->SetMaxSpeed(truck->Settings().fMaxDrivingSpeed);
    truck->Settings().nDefaultLoseControlTime = TRUCK_DEFAULT_LOSE_CONTROL_MS;
    truck->PlaceAt(RACE_TRUCK_HOME);
    truck->Redraw();
}

void CRaceMission::CreateSmoke(const CxPoint& centre)
{
    if (m_pSmoke)
        m_pSmoke->Puff(&m_Town.GetMap(), centre);
}

void CRaceMission::MaybeClearSmoke()
{
    if (m_pSmoke && m_Town.GetTruck())
        m_pSmoke->MaybeClear(*m_Town.GetTruck());
}

void CRaceMission::MaybeClearOil(CMissionFramework& framework, const CxPoint& centre)
{
    if (framework.Record().type != MISSION_KIND_RACE)
        return;
    for (CMapObject* object : framework.Phase().GetObjects())
        if (object && object->GetId() == RACE_OIL_TYPE &&
            PointDistance(CentreOf(*object), centre) <= RACE_OIL_RADIUS)
            object->Hide();
}

bool CRaceMission::Command(CMissionFramework& framework, const CxString& command,
                           const CxLinkedList<CxString>& arguments)
{
    const CTownArguments args(command, arguments);
    CxPoint point;
    if (command.EqualsNoCase("RaceStarted"))
    {
        m_bRunning = true;
        framework.Data().m_Stopwatch.Start(0);
    }
    else if (command.EqualsNoCase("CreateSmoke"))
    {
        if (args.Point(0, &point))
            CreateSmoke(point);
    }
    else if (command.EqualsNoCase("MaybeClearSmoke"))
        MaybeClearSmoke();
    else if (command.EqualsNoCase("MaybeClearOil"))
    {
        if (args.Point(0, &point))
            MaybeClearOil(framework, point);
    }
    else
        return command.EqualsNoCase("EndRace") || command.EqualsNoCase("SetTruckProgress") ||
               command.EqualsNoCase("SetEnemyProgress");
    return true;
}
