// The mission framework: loading, starting, stopping, scoring and levels.
#include "game/missions/mission.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "engine/frame/game_app.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"

#include <algorithm>

namespace {
// The profile activity whose level a mission kind uses; false for kinds without one.
bool ActivityOfKind(int32_t kind, UserActivity* activity)
{
    static const UserActivity ACTIVITIES[MISSION_KIND_COUNT] = {
        USER_COLLECTION, USER_COLLECTION, USER_COLLECTION, USER_DROP,
        USER_BUMPER_CAR, USER_FIRE,       USER_FISH,       USER_RACE};
    if (kind < 0 || kind >= MISSION_KIND_COUNT)
        return false;
    *activity = ACTIVITIES[kind];
    return true;
}

void SetProfileLevel(CRumboTownApp& app, UserActivity activity, int32_t level)
{
    switch (activity)
    {
    case USER_COLLECTION:
        app.SetCollectionLevel(level);
        break;
    case USER_DROP:
        app.SetDropLevel(level);
        break;
    case USER_BUMPER_CAR:
        app.SetBumperCarLevel(level);
        break;
    case USER_FIRE:
        app.SetFireLevel(level);
        break;
    case USER_FISH:
        app.SetFishLevel(level);
        break;
    case USER_RACE:
        app.SetRaceLevel(level);
        break;
    default:
        break;
    }
}
} // namespace

// CMission ---------------------------------------------------------------

CMission::CMission() = default;

CMission::~CMission()
{
    BuryAll();
    m_Graveyard.clear();
    m_pMaster.reset();
}

void CMission::SetMaster(std::unique_ptr<CMapObject> master)
{
    if (m_pMaster)
    {
        m_pMaster->Hide();
        m_Graveyard.push_back(std::move(m_pMaster));
    }
    m_pMaster = std::move(master);
}

void CMission::Own(CMapObject* object)
{
    if (object)
        m_Owned.emplace_back(object);
}

bool CMission::Owns(const CMapObject* object) const
{
    return std::any_of(m_Owned.begin(), m_Owned.end(),
                       [&](const auto& owned) { return owned.get() == object; });
}

void CMission::Bury(CMapObject* object)
{
    if (!object)
        return;
    object->StopAnimation();
    object->Hide();
    const auto owned = std::find_if(m_Owned.begin(), m_Owned.end(),
                                    [&](const auto& entry) { return entry.get() == object; });
    if (owned == m_Owned.end())
        return;
    m_Graveyard.push_back(std::move(*owned));
    m_Owned.erase(owned);
}

void CMission::Remove(CMapObject* object)
{
    m_Objects.Remove(object);
    m_Hidden.Remove(object);
    Bury(object);
}

void CMission::BuryAll()
{
    while (!m_Objects.IsEmpty())
        Bury(m_Objects.RemoveHead());
    while (!m_Hidden.IsEmpty())
        Bury(m_Hidden.RemoveHead());
    for (auto& owned : m_Owned)
    {
        owned->Hide();
        m_Graveyard.push_back(std::move(owned));
    }
    m_Owned.clear();
    SetMaster(nullptr);
}

void CMission::Flush()
{
    // Copies share their master's states: masters are deleted last, and an
    // object still speaking waits for its voice to end.
    bool speaking = false;
    for (auto& object : m_Graveyard)
        speaking = speaking || object->IsSpeaking();
    if (!speaking)
        m_Graveyard.clear();
}

// CMissionFramework --------------------------------------------------------

CMissionFramework::CMissionFramework(CTown& town) : m_Town(town) {}

CMissionFramework::~CMissionFramework()
{
    if (CxInterpolator* interpolator = GetGameInterpolator())
    {
        const auto* bound = interpolator->FindVariable("SAMVOID");
        if (bound)
            interpolator->RemoveVariable("SAMVOID");
    }
}

void CMissionFramework::SetKind(int32_t kind, IMissionKind* handler)
{
    if (kind >= 0 && kind < MISSION_KIND_COUNT)
        m_Kinds[kind] = handler;
}

IMissionKind* CMissionFramework::Kind() const
{
    const int32_t kind = m_Record.type;
    return kind >= MISSION_KIND_MOVING && kind < MISSION_KIND_COUNT ? m_Kinds[kind] : nullptr;
}

bool CMissionFramework::IsRunningKind(int32_t first, int32_t last) const
{
    return m_Record.state == MISSION_STATE_RUNNING && m_Record.type >= first && m_Record.type <= last;
}

int32_t CMissionFramework::GetLevel()
{
    if (m_Data.m_nLevel != -1)
        return m_Data.m_nLevel;
    UserActivity activity = USER_COLLECTION;
    CRumboTownApp* app = GetTownApp();
    m_Data.m_nLevel = app && ActivityOfKind(m_Record.type, &activity) ? app->GetLevel(activity) : 0;
    return m_Data.m_nLevel;
}

void CMissionFramework::SetLevel(int32_t level)
{
    m_Data.m_nLevel = level;
    UserActivity activity = USER_COLLECTION;
    if (CRumboTownApp* app = GetTownApp(); app && ActivityOfKind(m_Record.type, &activity))
        SetProfileLevel(*app, activity, level);
}

uint32_t CMissionFramework::LoadFile(const char* fileName)
{
    // What the previous file's phases added goes; the next step is Phase0.
    m_Phase.Reset();
    IMissionKind* previous = Kind();
    const int32_t previousType = m_Record.type;
    const auto unloadPrevious = [&] {
        if (previous && m_Record.type != previousType)
            previous->Unloaded(*this);
    };
    m_Data.m_nLevel = -1;
    m_Record.Reset();
    m_Data.m_nTimerIntervalMin = MISSION_DEFAULT_TIMER_MIN;
    m_Town.m_ChosenPaths.RemoveAll();
    m_nGiverResult = -1;
    CxInterpolator* interpolator = GetGameInterpolator();
    const char* name = fileName ? fileName : "";
    const CxString expanded = interpolator ? interpolator->Expand(name) : CxString(name);
    const CxString path = BuildGamePath("%s", expanded.c_str());
    m_Mission.m_File.Discard();
    m_Mission.m_bFileOpen = false;
    if (expanded.IsEmpty() || !FileExists(path.c_str()) || m_Mission.m_File.Open(path.c_str()) != CX_ERR_NONE)
    {
        m_Town.GetHud().SetMissionSets(m_Record.hudSets, m_Record.type);
        ReportError(CX_ERR_UNKNOWN, "Could not open mission file.");
        unloadPrevious();
        return CX_ERR_UNKNOWN;
    }
    m_Mission.m_bFileOpen = true;
    std::vector<int32_t> paths;
    ReadMissionFile(
        m_Mission.m_File, m_Record, m_Data, [this](int32_t) { return GetLevel(); }, paths);
    for (int32_t path : paths)
        m_Town.m_ChosenPaths.AddTail(path);
    m_Town.GetHud().SetMissionSets(m_Record.hudSets, m_Record.type);
    unloadPrevious();
    return CX_ERR_NONE;
}

void CMissionFramework::LoadMission(const CxLinkedList<CxString>& files)
{
    // Without a file there is nothing to choose from.
    if (files.IsEmpty())
        return;
    CBuilding* giver = m_Town.GetCurrentBuilding();
    SetGiverStage(false);
    m_Mission.m_pGiver = giver;
    const auto& buildings = m_Town.GetBuildings();
    int32_t index = -1;
    for (size_t i = 0; i < buildings.size(); ++i)
        if (buildings[i].get() == giver)
            index = static_cast<int32_t>(i);
    // The givers of the drop, fire and bumper-car missions prepare them.
    static const int32_t GIVER_KINDS[] = {MISSION_KIND_DROP, MISSION_KIND_FIRE, MISSION_KIND_BUMPER};
    if (giver && index >= 0 && index < 3 && m_Kinds[GIVER_KINDS[index]])
        m_Kinds[GIVER_KINDS[index]]->PrepareGiver(*this);
    const uint32_t pick = static_cast<uint32_t>(Random()) % files.GetCount();
    LoadFile(files.GetAt(pick)->m_Value.c_str());
}

void CMissionFramework::PublishMissionName()
{
    m_Record.state = MISSION_STATE_RUNNING;
    if (CxInterpolator* interpolator = GetGameInterpolator())
        interpolator->AddConstant("MISSIONNAME", MissionNameOfSubId(m_Record.subId));
}

void CMissionFramework::SetGiverStage(bool running)
{
    CBuilding* giver = m_Mission.m_pGiver;
    if (!giver || running == m_bGiverStageSet)
        return;
    // The giver plays its mission scene while the mission runs, and the
    // scenes it played before once it stops.
    if (running)
    {
        m_nSavedEnterStage = giver->m_nEnterStage;
        m_nSavedCharacterValue = giver->m_nCharacterValue;
    }
    giver->m_nEnterStage = running ? 1 : m_nSavedEnterStage;
    giver->m_nCharacterValue = running ? 1 : m_nSavedCharacterValue;
    m_bGiverStageSet = running;
}

void CMissionFramework::Start()
{
    m_Town.GetHud().SetMissionSets(m_Record.hudSets, m_Record.type);
    m_Town.GetHud().Load();
    m_Mission.m_nRemaining = m_Record.numReq;
    if (CxInterpolator* interpolator = GetGameInterpolator())
        interpolator->AddNumberVariable("SAMVOID", &m_Mission.m_nRemaining);
    const int32_t kind = m_Record.type;
    if (kind < 0 || kind >= MISSION_KIND_COUNT)
        return;
    PublishMissionName();
    // The givers of the collections, deliveries, hand trucks and the drop
    // play their mission scene while it runs (a reminder, or the thanks
    // once won), never their offer again.
    if (kind <= MISSION_KIND_DROP)
        SetGiverStage(true);
    if (kind == MISSION_KIND_COLLECTION)
        StartCollection();
    else if (kind == MISSION_KIND_DELIVERY)
        StartDelivery();
    else if (IMissionKind* handler = Kind())
        handler->Start(*this);
    m_Data.m_Stopwatch.Start(0);
}

void CMissionFramework::Stop()
{
    const int32_t kind = m_Record.type;
    if (kind == MISSION_KIND_COLLECTION || kind == MISSION_KIND_DELIVERY)
        CollectionStop();
    else if (IMissionKind* handler = Kind())
        handler->Stop(*this);
    else
        for (auto* node = m_Mission.m_Objects.GetHead(); node; node = node->GetNext())
            TakeOffDisplay(node->m_Value);
    m_Phase.RemoveAll();
    m_Data.m_Stopwatch.Reset();
    ProcessPendingRemovals();
    m_Town.m_strMissionText = "";
    m_Mission.m_File.Discard();
    m_Mission.m_bFileOpen = false;
    m_Mission.m_nCollected = 0;
    SetGiverStage(false);
    m_bGiverStageSet = false;
    m_Mission.m_pGiver = nullptr;
    for (auto* node = m_Mission.m_Objects.GetHead(); node; node = node->GetNext())
        TakeOffDisplay(node->m_Value);
    m_Mission.BuryAll();
    m_Record.state = MISSION_STATE_STOPPED;
    m_Town.GetHud().Close();
}

void CMissionFramework::Update()
{
    ProcessPendingRemovals();
    UpdateBumpSequences();
    // Hidden objects shown by "PlayHiddenObjAnim" go again once played.
    for (auto* node = m_Mission.m_Hidden.GetHead(); node; node = node->GetNext())
        if (node->m_Value->IsShown() && node->m_Value->IsAnimationFinished())
            node->m_Value->Hide();
    m_Mission.Flush();
    if (IMissionKind* handler = Kind(); handler && m_Record.state == MISSION_STATE_RUNNING)
        handler->Update(*this);
}

void CMissionFramework::MapClicked(const CxPoint& mapPoint)
{
    if (IMissionKind* handler = Kind(); handler && m_Record.state == MISSION_STATE_RUNNING)
        handler->MapClicked(*this, mapPoint);
}

void CMissionFramework::BuildingEntered(CCharacter* building)
{
    if (IMissionKind* handler = Kind())
        handler->BuildingEntered(*this, building);
}

std::vector<CxPoint> CMissionFramework::GetEnemyWayPoints() const
{
    const IMissionKind* handler = Kind();
    return handler ? handler->EnemyWayPoints() : std::vector<CxPoint>();
}

void CMissionFramework::AddObject(CMapObject* object)
{
    if (object && !m_Mission.m_Objects.Find(object))
        m_Mission.m_Objects.AddTail(object);
}

bool CMissionFramework::Command(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (command.EqualsNoCase("LoadMission"))
        LoadMission(arguments);
    else if (command.EqualsNoCase("StartMission"))
        Start();
    else if (command.EqualsNoCase("StopMission"))
        Stop();
    else if (command.EqualsNoCase("IncrementCollectionScore"))
        IncrementCollectionScore();
    else if (command.EqualsNoCase("PlayHiddenObjAnim"))
        PlayHiddenObject();
    else if (command.EqualsNoCase("NextPhase"))
        m_Phase.Step();
    else if (command.EqualsNoCase("UpdateSequenceFile") || command.EqualsNoCase("DoEndSequence"))
        return true;
    else
    {
        // A score line counts only for its own running kind: one left over
        // from a stopped mission, or meant for another kind, changes nothing.
        static const struct
        {
            const char* name;
            int32_t kind;
        } SCORES[] = {{"IncrementDropScore", MISSION_KIND_DROP},
                      {"IncrementBumperCarScore", MISSION_KIND_BUMPER},
                      {"IncrementFireScore", MISSION_KIND_FIRE}};
        for (const auto& score : SCORES)
            if (command.EqualsNoCase(score.name) && !IsRunningKind(score.kind, score.kind))
                return true;
        IMissionKind* handler = Kind();
        return handler && handler->Command(*this, command, arguments);
    }
    return true;
}

void CMissionFramework::IncrementCollectionScore()
{
    if (!IsRunningKind(MISSION_KIND_COLLECTION, MISSION_KIND_MOVING))
        return;
    if (m_Mission.m_nCollected >= m_Record.numReq)
        return;
    m_Town.GetHud().LightIcon(m_Mission.m_nCollected, 1);
    ++m_Mission.m_nCollected;
    --m_Mission.m_nRemaining;
    if (m_Mission.m_nCollected == m_Record.numReq)
        Win();
}

void CMissionFramework::Win()
{
    CRumboTownApp* app = GetTownApp();
    if (app)
        app->SetCompletedFlag(1);
    const int32_t level = app ? app->GetLevel(USER_COLLECTION) : GetLevel();
    const int32_t adjusted = AdjustLevel(level, m_Data.m_Stopwatch.GetElapsed(), m_Data.m_nTimerIntervalMin,
                                         m_Data.m_nTimerIntervalMax);
    if (adjusted != level)
    {
        m_Data.m_nLevel = adjusted;
        if (app)
            app->SetCollectionLevel(adjusted);
    }
    CollectionStop();
    if (app)
        app->SetItemCompletedFlag(MissionItemBit(m_Record.subId));
    m_Town.GetHud().NextSet();
    if (m_Record.finishSequence.empty())
        return;
    CxInterpolator* interpolator = GetGameInterpolator();
    const CxString finish = interpolator ? interpolator->Expand(m_Record.finishSequence.c_str())
                                         : CxString(m_Record.finishSequence.c_str());
    const CxString path = TownDataPath(finish.c_str());
    if (TownDataExists(path))
        m_Town.PlaySequence(path.c_str());
}
