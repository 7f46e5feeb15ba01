// The bumper-car mission: the arenas' order, the enemy's placing and
// roaming, the bumps and the win.
#include "game/missions/bumper_cars.h"

#include "engine/core/app.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "engine/frame/game_app.h"
#include "game/world/driving_node.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {
const char* const ENEMY_NAMES[BUMPER_ENEMY_COUNT] = {"klank", "razz", "smudge", "grubb"};
const CxPoint START_POINTS[BUMPER_ARENA_COUNT] = {{2675, 2235}, {4725, 1855}, {1035, 3012}};
const char* const SHARED_NAMES[2] = {"INTROID", "SEQNUMBER"};
const char* const OWN_NAMES[] = {"ENEMYX", "ENEMYY", "ENEMYHITNUMBER", "ENEMYNAME"};

void PublishNumber(const char* name, long value)
{
    if (CxInterpolator* interpolator = GetGameInterpolator())
        interpolator->AddFormattedConstant(name, value);
}

void PublishText(const char* name, const char* text)
{
    if (CxInterpolator* interpolator = GetGameInterpolator())
        interpolator->AddConstant(name, text);
}

double Distance(const CxPoint& a, const CxPoint& b)
{
    return std::hypot(static_cast<double>(static_cast<int64_t>(a.x) - b.x),
                      static_cast<double>(static_cast<int64_t>(a.y) - b.y));
}

int32_t IndexOf(const CxLinkedList<int32_t>& list, int32_t at, bool* found)
{
    int32_t i = 0;
    for (auto* node = list.GetHead(); node; node = node->GetNext(), ++i)
        if (i == at)
        {
            *found = true;
            return node->m_Value;
        }
    *found = false;
    return -1;
}
} // namespace

const char* BumperEnemyName(int32_t id)
{
    return id >= 0 && id < BUMPER_ENEMY_COUNT ? ENEMY_NAMES[id] : nullptr;
}

bool BumperStartPoint(int32_t building, CxPoint* point)
{
    const int32_t i = building - BUMPER_FIRST_ARENA;
    if (i < 0 || i >= BUMPER_ARENA_COUNT)
        return false;
    *point = START_POINTS[i];
    return true;
}

uint32_t BumperArenaBit(int32_t building)
{
    const int32_t i = building - BUMPER_FIRST_ARENA;
    return i >= 0 && i < BUMPER_ARENA_COUNT ? 1u << i : 0u;
}

CBumperCars::CBumperCars(CTown& town) : m_Town(town)
{
    // The enemies' bump sequences read ENEMYHITNUMBER whenever an enemy is
    // bumped, in this mission or not: it always exists.
    if (CxInterpolator* interpolator = GetGameInterpolator())
    {
        interpolator->AddNumberVariable("ENEMYX", &m_nEnemyX);
        interpolator->AddNumberVariable("ENEMYY", &m_nEnemyY);
        interpolator->AddNumberVariable("ENEMYHITNUMBER", &m_nHitNumber);
        interpolator->AddStringVariable("ENEMYNAME", &m_strEnemyName);
    }
}

CBumperCars::~CBumperCars()
{
    RestoreArenas();
    RestoreSharedVariables();
    if (CxInterpolator* interpolator = GetGameInterpolator())
        for (const char* name : OWN_NAMES)
            if (interpolator->FindVariable(name))
                interpolator->RemoveVariable(name);
}

void CBumperCars::BindVariables()
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator)
        return;
    SaveSharedVariables();
    interpolator->AddNumberVariable("ENEMYX", &m_nEnemyX);
    interpolator->AddNumberVariable("ENEMYY", &m_nEnemyY);
    interpolator->AddNumberVariable("ENEMYHITNUMBER", &m_nHitNumber);
    interpolator->AddNumberVariable("SEQNUMBER", &m_nSeqNumber);
    interpolator->AddStringVariable("INTROID", &m_strIntroId);
    interpolator->AddStringVariable("ENEMYNAME", &m_strEnemyName);
}

void CBumperCars::Reset()
{
    m_nEnemyX = m_nEnemyY = 0;
    m_nHitNumber = 0;
    m_nSeqNumber = BUMPER_SEQ_BUMPING;
    m_nVerdict = BUMPER_VERDICT_NONE;
    m_nArenaCounter = 0;
    m_nHudCounter = 0;
    m_strEnemyName = "";
    m_strIntroId = "";
    m_Arenas.RemoveAll();
    m_Enemies.RemoveAll();
    m_Spare.RemoveAll();
    m_bRoaming = false;
    m_bStartPending = false;
    m_nCurrentNode = m_nPreviousNode = -1;
    RestoreArenas();
}

void CBumperCars::Draw(CxLinkedList<int32_t>& list, int32_t first, int32_t count, const char* name)
{
    std::vector<int32_t> left;
    for (int32_t i = 0; i < count; ++i)
        left.push_back(first + i);
    for (int32_t i = 0; !left.empty(); ++i)
    {
        const size_t pick = static_cast<size_t>(Random()) % left.size();
        list.AddTail(left[pick]);
        char key[32];
        snprintf(key, sizeof(key), "%s%d", name, i);
        PublishNumber(key, left[pick]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(pick));
    }
}

void CBumperCars::SaveSharedVariables()
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator || m_bShared)
        return;
    // INTROID and SEQNUMBER are the town's too (its buildings' greetings
    // read INTROID): their values come back when the mission stops.
    for (size_t i = 0; i < 2; ++i)
    {
        const CxInterpolator::CxVariable* variable = interpolator->FindVariable(SHARED_NAMES[i]);
        m_SharedValues[i] = variable ? variable->GetValue() : CxString();
        m_bSharedExisted[i] = variable != nullptr;
    }
    m_bShared = true;
}

void CBumperCars::RestoreSharedVariables()
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator || !m_bShared)
        return;
    for (size_t i = 0; i < 2; ++i)
        if (m_bSharedExisted[i])
            interpolator->AddConstant(SHARED_NAMES[i], m_SharedValues[i].c_str());
        else if (interpolator->FindVariable(SHARED_NAMES[i]))
            interpolator->RemoveVariable(SHARED_NAMES[i]);
    m_bShared = false;
}

void CBumperCars::PrepareGiver(CMissionFramework&)
{
    Reset();
    BindVariables();
    Draw(m_Arenas, BUMPER_FIRST_ARENA, BUMPER_ARENA_COUNT, "BUILDINGID");
    Draw(m_Enemies, 0, BUMPER_ENEMY_COUNT, "ENEMYID");
    NextArena();
}

void CBumperCars::MarkArena(int32_t building)
{
    // The arena plays its bumping scene while it is the current one; the
    // stop gives it back the scenes it played before.
    const auto& buildings = m_Town.GetBuildings();
    if (building < 0 || static_cast<size_t>(building) >= buildings.size())
    {
        LogEntry(CX_LOG_WARNING, "bumper cars: the town has no building %d", building);
        PublishText("BUILDINGNAME", "");
        return;
    }
    CBuilding& arena = *buildings[static_cast<size_t>(building)];
    m_SavedStages.push_back({building, arena.m_nEnterStage, arena.m_nCharacterValue});
    arena.m_nCharacterValue = BUMPER_ARENA_STAGE;
    arena.m_nEnterStage = BUMPER_ARENA_STAGE;
    PublishText("BUILDINGNAME", arena.GetName().c_str());
}

void CBumperCars::RestoreArenas()
{
    const auto& buildings = m_Town.GetBuildings();
    // Last marked first, so that an arena marked twice ends as it began.
    for (auto it = m_SavedStages.rbegin(); it != m_SavedStages.rend(); ++it)
        if (static_cast<size_t>(it->building) < buildings.size())
        {
            buildings[static_cast<size_t>(it->building)]->m_nEnterStage = it->enterStage;
            buildings[static_cast<size_t>(it->building)]->m_nCharacterValue = it->characterValue;
        }
    m_SavedStages.clear();
}

bool CBumperCars::NextArena()
{
    bool hasArena = false, hasEnemy = false;
    const int32_t arena = IndexOf(m_Arenas, m_nArenaCounter, &hasArena);
    const int32_t enemy = IndexOf(m_Enemies, m_nArenaCounter, &hasEnemy);
    if (!hasArena || !hasEnemy)
    {
        LogEntry(CX_LOG_WARNING, "bumper cars: no arena left after %d", m_nArenaCounter);
        return false;
    }
    BindVariables();
    PublishNumber("BUILDINGID", arena);
    RestoreArenas(); // an arena done plays its own scenes again
    MarkArena(arena);
    PublishNumber("ENEMYID", enemy);
    m_nHitNumber = Random() % 3;
    m_strEnemyName = BumperEnemyName(enemy);
    CxPoint start;
    BumperStartPoint(arena, &start);
    m_nEnemyX = start.x;
    m_nEnemyY = start.y;
    CRumboTownApp* app = GetTownApp();
    if (app)
        app->SetPlayedFlag(BUMPER_MISSION_BIT);
    const uint32_t bit = BumperArenaBit(arena);
    int32_t* seen = app ? &app->GetProfile().bumperCarBldgDone : nullptr;
    if (seen && !(static_cast<uint32_t>(*seen) & bit))
    {
        m_strIntroId = "a";
        *seen = static_cast<int32_t>(static_cast<uint32_t>(*seen) | bit);
    }
    else
        m_strIntroId = seen ? "b" : "a";
    m_nSeqNumber = BUMPER_SEQ_BUMPING;
    ++m_nArenaCounter;
    m_nHudCounter = 0;
    return true;
}

void CBumperCars::Start(CMissionFramework& framework)
{
    framework.Record().state = MISSION_STATE_RUNNING;
    m_Town.m_bLoadEnemy = false;
    m_bRoaming = false;
    m_nCurrentNode = m_nPreviousNode = -1;
    BindVariables();
}

void CBumperCars::Stop(CMissionFramework&)
{
    Reset();
    RestoreSharedVariables();
    m_Town.m_bLoadEnemy = false;
    // No enemy roams the town after the mission. It is put away, not
    // unloaded: the stop may come from the enemy's own bump sequence, which
    // must not be deleted while it runs. The next "LoadEnemy" loads afresh.
    CEnemy* enemy = m_Town.GetEnemy();
    if (!enemy || enemy->GetNumDirections() <= 0)
        return;
    std::erase(m_Town.GetCollisionSprites(), static_cast<CCollisionSprite*>(enemy));
    enemy->StopTalking();
    enemy->StopTruckMotion();
    enemy->Hide();
}

void CBumperCars::PlaceEnemy()
{
    // The load lists the enemy among the collisions again: once is enough.
    if (CEnemy* previous = m_Town.GetEnemy())
        std::erase(m_Town.GetCollisionSprites(), static_cast<CCollisionSprite*>(previous));
    CxLinkedList<CxString> arguments;
    arguments.AddTail(m_strEnemyName);
    m_Town.HandleCommand("LoadEnemy", arguments);
    m_nCurrentNode = m_nPreviousNode = -1;
    m_bRoaming = false;
    m_Town.m_bLoadEnemy = false;
    CEnemy* enemy = m_Town.GetEnemy();
    if (!enemy || enemy->GetNumDirections() <= 0)
        return;
    enemy->PlaceAt(CxPoint(static_cast<int32_t>(m_nEnemyX), static_cast<int32_t>(m_nEnemyY)));
    enemy->StopTalking();
    enemy->StopTruckMotion();
}

bool CBumperCars::ChooseNextNode()
{
    CDrivingGraph& graph = m_Town.GetNodes();
    CEnemy* enemy = m_Town.GetEnemy();
    CDrivingNode* current =
        m_nCurrentNode >= 0 ? graph.GetNode(static_cast<size_t>(m_nCurrentNode)) : nullptr;
    if (!current)
    {
        CDrivingNode* nearest = enemy ? graph.NearestNode(enemy->GetCentre()) : nullptr;
        m_nCurrentNode = nearest ? nearest->GetId() : -1;
        m_nPreviousNode = -1;
        return nearest != nullptr;
    }
    const auto& links = current->GetLinks();
    if (links.empty())
        return false;
    size_t i = static_cast<size_t>(Random()) % links.size();
    if (links[i]->GetId() == m_nPreviousNode)
        i = (i + 1) % links.size();
    m_nPreviousNode = m_nCurrentNode;
    m_nCurrentNode = links[i]->GetId();
    return true;
}

void CBumperCars::Roam()
{
    CEnemy* enemy = m_Town.GetEnemy();
    if (!m_bRoaming || !enemy || enemy->GetNumDirections() <= 0 || m_nCurrentNode < 0)
        return;
    CDrivingGraph& graph = m_Town.GetNodes();
    const CDrivingNode* current = graph.GetNode(static_cast<size_t>(m_nCurrentNode));
    if (!current)
        return;
    const double distance = Distance(enemy->GetCentre(), current->GetPoint());
    if (distance >= enemy->Settings().nTargetThreshold)
    {
        if (distance <= m_fBestDistance - BUMPER_NODE_PROGRESS)
        {
            m_fBestDistance = distance;
            m_Progress.Start(0);
            return;
        }
        if (m_Progress.GetElapsed() < BUMPER_NODE_PATIENCE_MS)
            return;
    }
    if (!ChooseNextNode())
        return;
    HeadingAfresh();
    enemy->SetTarget(graph.GetNode(static_cast<size_t>(m_nCurrentNode))->GetPoint());
    enemy->Steer();
}

void CBumperCars::HeadingAfresh()
{
    m_fBestDistance = std::numeric_limits<double>::infinity();
    m_Progress.Start(0);
}

void CBumperCars::Update(CMissionFramework&)
{
    CEnemy* enemy = m_Town.GetEnemy();
    if (m_Town.m_bLoadEnemy)
        PlaceEnemy();
    if (m_bStartPending && !m_Town.m_bLoadEnemy)
    {
        m_bStartPending = false;
        m_Town.HandleCommand("StartEnemy", CxLinkedList<CxString>());
    }
    if (!enemy || enemy->GetNumDirections() <= 0)
        return;
    Roam();
    if (m_Town.m_nHelpTarget < 0)
        m_Town.PointArrowAt(enemy->GetCentre());
}

void CBumperCars::BuildingEntered(CMissionFramework&, CCharacter* building)
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator || !m_bShared)
        return;
    bool hasArena = false;
    const int32_t arena = IndexOf(m_Arenas, m_nArenaCounter - 1, &hasArena);
    const auto& buildings = m_Town.GetBuildings();
    if (hasArena && arena >= 0 && static_cast<size_t>(arena) < buildings.size() &&
        building == buildings[static_cast<size_t>(arena)].get())
        interpolator->AddStringVariable("INTROID", &m_strIntroId);
    else if (m_bSharedExisted[0])
        interpolator->AddConstant("INTROID", m_SharedValues[0].c_str());
}

void CBumperCars::StartEnemy(CMissionFramework& framework)
{
    // An enemy still to be placed starts once it is: a start now would
    // be undone by the placing.
    if (m_Town.m_bLoadEnemy)
    {
        m_bStartPending = true;
        return;
    }
    CEnemy* enemy = m_Town.GetEnemy();
    if (!enemy || enemy->GetNumDirections() <= 0)
        return;
    // The enemy first drives to its nearest node; from there it roams.
    if (ChooseNextNode())
        enemy->SetTarget(m_Town.GetNodes().GetNode(static_cast<size_t>(m_nCurrentNode))->GetPoint());
    HeadingAfresh();
    m_bRoaming = true;
    framework.Data().m_Stopwatch.Start(0);
}

void CBumperCars::ArenaDone(CMissionFramework& framework)
{
    m_Town.GetHud().NextSet();
    CMissionData& data = framework.Data();
    const int64_t elapsed = data.m_Stopwatch.GetElapsed();
    const int32_t level = framework.GetLevel();
    if (elapsed > data.m_nTimerIntervalMax && level > 0)
        m_nVerdict = BUMPER_VERDICT_SLOW;
    else if (elapsed < data.m_nTimerIntervalMin && level < MISSION_MAX_LEVEL &&
             m_nVerdict == BUMPER_VERDICT_NONE)
        m_nVerdict = BUMPER_VERDICT_FAST;
    m_nHitNumber = BUMPER_HIT_DONE;
    if (!m_Town.GetHud().IsLastHudSet())
    {
        m_nSeqNumber = BUMPER_SEQ_NEXT;
        return;
    }
    if (CRumboTownApp* app = GetTownApp(); app && !(app->GetCompletedFlag() & BUMPER_MISSION_BIT))
        app->SetCompletedFlag(BUMPER_MISSION_BIT);
    if (m_nVerdict == BUMPER_VERDICT_SLOW && level > 0)
        framework.SetLevel(level - 1);
    else if (m_nVerdict == BUMPER_VERDICT_FAST && level < MISSION_MAX_LEVEL)
        framework.SetLevel(level + 1);
    m_nSeqNumber = BUMPER_SEQ_WON;
}

void CBumperCars::IncrementScore(CMissionFramework& framework)
{
    // Bumps after the arena is done (its enemy still collides while the
    // scene talks) change nothing.
    const int32_t required = framework.Record().numReq;
    if (!framework.IsRunningKind(MISSION_KIND_BUMPER, MISSION_KIND_BUMPER) || m_nHudCounter >= required)
        return;
    ++m_nHudCounter;
    m_Town.GetHud().LightIcon(m_nHudCounter - 1, 1);
    if (m_nHudCounter == required)
        ArenaDone(framework);
    else
        m_nHitNumber = (m_nHitNumber + 1) % 3;
}

bool CBumperCars::Command(CMissionFramework& framework, const CxString& command,
                          const CxLinkedList<CxString>&)
{
    if (command.EqualsNoCase("NextBumperCarBuilding"))
        NextArena();
    else if (command.EqualsNoCase("IncrementBumperCarScore"))
        IncrementScore(framework);
    else if (command.EqualsNoCase("StartEnemy"))
        StartEnemy(framework);
    else
        return false;
    return true;
}
