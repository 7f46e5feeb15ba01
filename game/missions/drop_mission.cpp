// The drop mission: waves of falling objects, catching, landing, scoring.
#include "game/missions/drop_mission.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "engine/core/sequence.h"
#include "engine/frame/game_app.h"
#include "engine/media/movie.h"
#include "engine/media/wave.h"
#include "game/world/game_image.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/smooth_blit.h"
#include "game/world/town.h"
#include "game/world/truck.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {
const char* const FALL_FILE = "$GAMEPATH\\targets\\t0_fall%d.smk";
const char* const SHADOW_FILE = "$GAMEPATH\\targets\\t0_shad0.smk";
const char* const JUNK_FILE = "$GAMEPATH\\vplayer\\pv0_junk.smk";
const char* const POSITIVE_FILE = "$GAMEPATH\\mission\\drop\\positive.seq";
const char* const NEGATIVE_FILE = "$GAMEPATH\\mission\\drop\\negative.seq";
const char* const CAUGHT_FILE = "$GAMEPATH\\mission\\drop\\OnCaught.seq";
const char* const HICCUP_SOUND = "$GAMEPATH\\mission\\sfx\\sfx_ctch_hiccup.wav";
const char* const DROP_SOUND = "$GAMEPATH\\mission\\sfx\\sfx_ctch_drop0.wav";
const char* const LAND_SOUND = "$GAMEPATH\\mission\\sfx\\sfx_ctch_drop1.wav";
const char* const OUTRO_MOVIE = "$GAMEPATH\\movies\\catchoutro0.smk";
constexpr size_t KEPT_SOUNDS = 8;
constexpr int32_t DEFAULT_SPEED_MIN = 50, DEFAULT_SPEED_MAX = 90;

CDropMission::OutroPlayer s_pfnOutro = nullptr;

// Loads a sequence file when it exists (a missing one is logged).
std::unique_ptr<CxEventSequenceFile> LoadSequence(const char* name, CxEventCreator* creator)
{
    const CxString path = GameDataPath(name);
    if (!TownDataExists(path))
        return nullptr;
    auto sequence = std::unique_ptr<CxEventSequenceFile>(new (std::nothrow) CxEventSequenceFile(creator));
    if (sequence && sequence->Load(path.c_str(), GetGameInterpolator()) != CX_ERR_NONE)
        return nullptr;
    return sequence;
}

bool IsRunning(const CxEventSequenceFile* sequence)
{
    // A posted sequence waits or runs in its channel until the pump takes it out.
    return sequence && sequence->GetChannel() != 0;
}

bool Post(CxEventSequenceFile* sequence, uint32_t* channel)
{
    if (!sequence || IsRunning(sequence))
        return false;
    if (!*channel && CreateChannel(channel) != CX_ERR_NONE)
    {
        *channel = 0;
        return false;
    }
    return sequence->Post(*channel) == CX_ERR_NONE;
}

void Release(uint32_t* channel)
{
    if (*channel)
        DestroyChannel(*channel);
    *channel = 0;
}
} // namespace

int32_t DropWaveSize(int32_t min, int32_t max)
{
    const int32_t spread = max - min >= 1 ? max - min : 1;
    const int32_t n = min + Random() % spread;
    // A wave of nothing would leave the mission unwinnable.
    return n < 1 ? 1 : n;
}

int32_t DropFallSpeed(int32_t min, int32_t max)
{
    const int32_t spread = max > min ? max - min : 1;
    const int32_t speed = min + Random() % spread;
    // A speed of 0 never lands.
    return speed < 1 ? 1 : speed;
}

uint32_t DropWaveInterval(int32_t min, int32_t max)
{
    const int64_t spread = std::llabs(static_cast<int64_t>(max) - min);
    const int64_t interval = min + Random() % (spread > 0 ? spread : 1);
    // A timer of 0 runs without end: the waves would stop.
    return interval < 1 ? 1u : static_cast<uint32_t>(interval);
}

float DropShadowRate(int32_t frames, int32_t speed)
{
    return static_cast<float>(frames) * static_cast<float>(speed < 1 ? 1 : speed) /
           static_cast<float>(DROP_FALL_HEIGHT);
}

// CDropObject ---------------------------------------------------------------

CDropObject::CDropObject(int32_t tag) : m_Shadow(this), m_nTag(tag) {}

CDropObject::~CDropObject()
{
    ForgetTown();
    m_Fall.Stop();
    m_ShadowMotion.Stop();
    Release(&m_nRunner);
}

void CDropObject::ForgetTown()
{
    if (m_pTown)
    {
        m_pTown->SetMotionEvent(&m_Fall, -1);
        m_pTown->SetMotionEvent(&m_ShadowMotion, -1);
    }
    m_pTown = nullptr;
}

void CDropObject::SetMotions(CTown& town, const CxPoint& start, const CxPoint& end, int32_t speed)
{
    m_pTown = &town;
    if (speed < 1)
        speed = 1;
    ST_ANIM_ACTION fall;
    fall.nFlags = ANIM_POSITION | ANIM_MOVE | ANIM_SPEED | ANIM_FRAME_RATE | ANIM_STOP_AFTER;
    fall.nX = start.x;
    fall.nY = start.y;
    fall.nTargetX = end.x;
    fall.nTargetY = end.y;
    fall.fSpeed = static_cast<float>(speed);
    fall.fFrameRate = DROP_SPIN_RATE;
    m_Fall.RemoveAllActions();
    m_Fall.AddActions(&fall, 1);
    m_Fall.SetDisplayObject(this);
    const int32_t frames = m_Shadow.GetFrameCount() > 0 ? m_Shadow.GetFrameCount() : 1;
    ST_ANIM_ACTION grow;
    grow.nFlags = ANIM_FRAME_RATE | ANIM_FIRST_FRAME | ANIM_LAST_FRAME | ANIM_DURATION | ANIM_STOP_AFTER;
    grow.fFrameRate = DropShadowRate(frames, speed);
    grow.nFirstFrame = 0;
    grow.nLastFrame = frames - 1;
    grow.nDuration = DROP_FALL_HEIGHT * 1000 / speed;
    m_ShadowMotion.RemoveAllActions();
    m_ShadowMotion.AddActions(&grow, 1);
    m_ShadowMotion.SetDisplayObject(&m_Shadow);
    town.SetMotionEvent(&m_Fall, DROP_LANDED_EVENT);
    town.SetMotionEvent(&m_ShadowMotion, DROP_SHADOW_EVENT);
}

void CDropObject::StartMotions()
{
    m_Fall.Start();
    m_ShadowMotion.Start();
}

uint32_t CDropObject::LoadCaughtSequence(const char* fileName)
{
    m_pCaught = LoadSequence(fileName, this);
    return m_pCaught ? CX_ERR_NONE : CX_ERR_FILE_OPEN;
}

void CDropObject::StopFalling()
{
    m_Fall.Stop();
    Hide();
    m_bStopped = true;
}

void CDropObject::Caught()
{
    StopFalling();
    if (!IsCaughtSequenceRunning())
        Post(m_pCaught.get(), &m_nRunner);
}

bool CDropObject::IsCaughtSequenceRunning() const
{
    return IsRunning(m_pCaught.get());
}

// CDropMission --------------------------------------------------------------

CDropMission::CDropMission(CTown& town) : m_Town(town)
{
    m_Town.SetMotionHandler(DROP_LANDED_EVENT, [this](CxAnimation* fall, int32_t) { Landed(fall); });
    m_Town.SetMotionHandler(DROP_SHADOW_EVENT, [](CxAnimation*, int32_t) {});
}

CDropMission::~CDropMission()
{
    m_Town.SetMotionHandler(DROP_LANDED_EVENT, nullptr);
    m_Town.SetMotionHandler(DROP_SHADOW_EVENT, nullptr);
    ReleaseRunner();
    BuryObjects();
    FlushGraveyard(true);
    ClearGroundJunk();
    m_JunkSprite.Hide();
    m_JunkSprite.Detach();
    if (CxInterpolator* interpolator = GetGameInterpolator())
        for (const char* name : {"INTROID", "ENDVOID", "SEQNUMBER"})
            if (interpolator->FindVariable(name))
                interpolator->RemoveVariable(name);
}

CDropMission::OutroPlayer CDropMission::SetOutroPlayer(OutroPlayer player)
{
    const OutroPlayer previous = s_pfnOutro;
    s_pfnOutro = player;
    return previous;
}

void InstallDropMission(CMissionFramework& framework, CDropMission& drop)
{
    framework.SetKind(MISSION_KIND_DROP, &drop);
}

void CDropMission::BindVariables()
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator)
        return;
    interpolator->AddNumberVariable("INTROID", &m_nIntroId);
    interpolator->AddNumberVariable("ENDVOID", &m_nEndVoId);
    interpolator->AddNumberVariable("SEQNUMBER", &m_nSeqNumber);
}

CCharacter* CDropMission::Dropper() const
{
    const auto& buildings = m_Town.GetBuildings();
    return buildings.size() > DROP_DROPPER_INDEX ? buildings[DROP_DROPPER_INDEX].get() : nullptr;
}

void CDropMission::Load(bool roomEntry)
{
    if (CCharacter* dropper = Dropper())
        dropper->m_nMissionValue = 1;
    CRumboTownApp* app = GetTownApp();
    if (roomEntry || (app && (app->GetPlayedFlag() & 4)))
    {
        m_nIntroId = 1 + Random() % 2;
        if (app)
            app->SetPlayedFlag(4);
    }
    else
        m_nIntroId = 1 + Random() % 3;
    m_nEndVoId = 1 + Random() % 3;
    m_nSeqNumber = DROP_SEQ_CATCHING;
    BindVariables();
}

void CDropMission::RoomEntered(CMissionFramework& framework)
{
    Load(true);
    Prepare(framework);
}

void CDropMission::Prepare(CMissionFramework& framework)
{
    // A second preparing (room entry, then "StartMission") starts afresh
    // instead of adding a second set of masters; the file's fall speeds stay.
    MissionRecord& record = framework.Record();
    const int32_t speedMin = record.dropSpeedMin, speedMax = record.dropSpeedMax;
    StopDropping(framework);
    record.dropSpeedMin = speedMin;
    record.dropSpeedMax = speedMax;
    record.state = MISSION_STATE_RUNNING;
    m_nIntervalMin = record.dropTimerMin;
    m_nIntervalMax = record.dropTimerMax;
    m_nItemMin = record.dropItemMin;
    m_nItemMax = record.dropItemMax;
    for (int32_t i = 0; i < DROP_MASTER_COUNT; ++i)
    {
        CxString name;
        name.Format(FALL_FILE, i);
        const CxString path = GameDataPath(name.c_str());
        auto sprite = std::unique_ptr<CxSprite>(new (std::nothrow) CxSprite);
        if (!sprite || !FileExists(path.c_str()) || LoadGameSprite(*sprite, path.c_str()) != CX_ERR_NONE)
        {
            ReportError(CX_ERR_UNKNOWN, "Could not create new master drop object %d", i);
            continue;
        }
        m_Masters.push_back(Master{std::move(sprite), i, path});
    }
    m_strShadowPath = GameDataPath(SHADOW_FILE);
    m_pMasterShadow.reset(new (std::nothrow) CxSprite);
    if (!m_pMasterShadow || !FileExists(m_strShadowPath.c_str()) ||
        LoadGameSprite(*m_pMasterShadow, m_strShadowPath.c_str()) != CX_ERR_NONE)
    {
        ReportError(CX_ERR_UNKNOWN, "Could not create master shadow.");
        m_pMasterShadow.reset();
    }
    else
        EnableSmoothEdges(m_pMasterShadow.get());
    m_pPositive = LoadSequence(POSITIVE_FILE, this);
    m_pNegative = LoadSequence(NEGATIVE_FILE, this);
}

void CDropMission::StartDropping(CMissionFramework& framework)
{
    const CxString junk = GameDataPath(JUNK_FILE);
    m_JunkSprite.Hide();
    if (TownDataExists(junk) && LoadGameSprite(m_JunkSprite, junk.c_str()) == CX_ERR_NONE)
    {
        m_JunkSprite.AttachTo(&m_Town.GetMap());
        m_JunkSprite.SetDepth(0);
        m_JunkSprite.SetPosition(CxPoint(0, 0));
        m_JunkSprite.Hide();
    }
    StartWave(framework);
    ScheduleNextWave();
    m_bDropping = true;
    framework.Data().m_Stopwatch.Start(0);
}

void CDropMission::ScheduleNextWave()
{
    m_nInterval = DropWaveInterval(m_nIntervalMin, m_nIntervalMax);
    m_WaveTimer.Start(m_nInterval);
}

void CDropMission::StartWave(CMissionFramework& framework)
{
    if (m_Masters.empty())
        return;
    const int32_t count = DropWaveSize(m_nItemMin, m_nItemMax);
    for (int32_t i = 0; i < count; ++i)
    {
        const Master& master = m_Masters[static_cast<size_t>(Random()) % m_Masters.size()];
        if (CDropObject* object = MakeObject(framework, master))
            object->StartMotions();
    }
}

CDropObject* CDropMission::MakeObject(CMissionFramework& framework, const Master& master)
{
    const CxPoint origin = m_Town.GetViewOrigin();
    const int32_t x = origin.x + 100 + Random() % 440;
    const int32_t y = origin.y - Random() % 200;
    auto object = std::unique_ptr<CDropObject>(new (std::nothrow) CDropObject(master.tag));
    if (!object || LoadGameSprite(*object, master.path.c_str()) != CX_ERR_NONE)
        return nullptr;
    COwnedSprite& shadow = object->Shadow();
    if (!m_pMasterShadow || LoadGameSprite(shadow, m_strShadowPath.c_str()) != CX_ERR_NONE)
        ReportError(CX_ERR_UNKNOWN, "Could not create m_pShadow");
    else
    {
        EnableSmoothEdges(&shadow);
        shadow.AttachTo(&m_Town.GetMap());
        shadow.SetDepth(-1);
        const CxPoint centre(x + object->GetWidth() / 2, y + DROP_FALL_HEIGHT + object->GetHeight() / 2);
        shadow.MoveTo(centre, ANCHOR_CENTER);
    }
    const int32_t speed = DropFallSpeed(framework.Record().dropSpeedMin, framework.Record().dropSpeedMax);
    object->AttachTo(&m_Town.GetMap());
    object->SetDepth(0);
    object->MoveTo(CxPoint(x, y));
    object->SetMotions(m_Town, CxPoint(x, y), CxPoint(x, y + DROP_FALL_HEIGHT), speed);
    object->LoadCaughtSequence(CAUGHT_FILE);
    m_Objects.push_back(std::move(object));
    return m_Objects.back().get();
}

bool CDropMission::Collecting(CMissionFramework& framework)
{
    return framework.Mission().m_nCollected < framework.Record().numReq;
}

bool CDropMission::IsDropperOccupied(CCharacter& dropper) const
{
    CLipSynch* lips = dropper.GetLipSprite(dropper.GetState());
    const bool talking = lips && lips->IsActive();
    return talking || (dropper.GetState() != 0 && !dropper.IsAnimationFinished());
}

void CDropMission::StepDropper(CMissionFramework& framework, bool collecting)
{
    CCharacter* dropper = Dropper();
    if (m_WaveTimer.HasEnd() && m_WaveTimer.GetRemaining() < 1)
    {
        if (!dropper)
        {
            // Without a dropper the wave falls as soon as it is due.
            if (collecting)
                StartWave(framework);
        }
        else if (!m_bDropperBusy && !IsDropperOccupied(*dropper) && collecting)
        {
            m_bDropperBusy = true;
            dropper->PlayOnce(2);
            m_Town.NotifyFirstCharacter(1);
            PlaySound(HICCUP_SOUND);
        }
        ScheduleNextWave();
    }
    if (m_bDropperBusy && dropper && dropper->IsAnimationFinished() && collecting)
    {
        m_bDropperBusy = false;
        dropper->PlayForever(0);
        const auto& placed = m_Town.GetPlacedObjects();
        if (!placed.empty() && placed.front())
            placed.front()->PlayOnce(-1);
        PlaySound(DROP_SOUND);
        StartWave(framework);
    }
}

void CDropMission::Update(CMissionFramework& framework)
{
    if (m_Town.m_bEndSequence)
    {
        EndSequence(framework);
        return;
    }
    if (m_bDropping)
    {
        StepDropper(framework, Collecting(framework));
        if (Collecting(framework))
            CatchTest();
        if (m_nCaught >= DROP_CATCHES_PER_CHEER)
        {
            m_nCaught = 0;
            PlayPositive();
        }
    }
    UpdateAlways();
}

void CDropMission::UpdateAlways()
{
    CTruck* truck = m_Town.GetTruck();
    if (m_JunkSprite.IsShown() && truck)
    {
        m_JunkSprite.NextFrame();
        m_JunkSprite.MoveTo(truck->GetPosition());
    }
    for (auto it = m_Objects.begin(); it != m_Objects.end();)
    {
        CDropObject& object = **it;
        if (!object.IsStopped())
        {
            ++it;
            continue;
        }
        object.ShadowMotion().Stop();
        object.Shadow().Hide();
        // Done with: landed, or caught and its sequence has run.
        if (object.IsCaughtSequenceRunning())
            ++it;
        else
        {
            m_Graveyard.push_back(std::move(*it));
            it = m_Objects.erase(it);
        }
    }
    FlushGraveyard(false);
    for (auto it = m_GroundJunk.begin(); it != m_GroundJunk.end();)
        if ((*it)->IsAnimationFinished())
            it = m_GroundJunk.erase(it);
        else
            ++it;
}

bool CDropMission::CatchTest()
{
    CTruck* truck = m_Town.GetTruck();
    if (!truck)
        return false;
    for (auto& object : m_Objects)
    {
        if (!SpritesTouch(*truck, object->Shadow()) || !SpritesTouch(*truck, *object))
            continue;
        object->Caught();
        ++m_nCaught;
        if (!m_JunkSprite.IsShown() && m_JunkSprite.GetImage())
        {
            m_JunkSprite.MoveTo(truck->GetPosition());
            m_JunkSprite.Redraw();
        }
        return true;
    }
    return false;
}

void CDropMission::Landed(CxAnimation* fall)
{
    const auto found = std::find_if(m_Objects.begin(), m_Objects.end(),
                                    [&](const auto& object) { return &object->Fall() == fall; });
    if (found == m_Objects.end())
        return;
    CDropObject& object = **found;
    // The object stays until the next update: its fall is the caller.
    object.StopFalling();
    PlaySound(LAND_SOUND);
    const auto& masters = m_Town.GetMasterObjects();
    const size_t kind = static_cast<size_t>(DROP_JUNK_MASTER + object.GetTag());
    if (kind < masters.size() && masters[kind])
    {
        CMapObject* junk = CMapObject::CopyOf(*masters[kind], &m_Town.GetMap(), object.GetPosition());
        m_GroundJunk.emplace_back(junk);
        junk->PlayOnce(0);
    }
    if (++m_nMissed >= DROP_MISSES_PER_SIGH)
    {
        m_nMissed = 0;
        PlayNegative();
    }
}

bool CDropMission::IsCheerRunning() const
{
    return IsRunning(m_pPositive.get()) || IsRunning(m_pNegative.get());
}

void CDropMission::PlayCheer(CxEventSequenceFile* sequence)
{
    if (!IsCheerRunning())
        Post(sequence, &m_nRunner);
}

void CDropMission::PlaySound(const char* name)
{
    const CxString path = GameDataPath(name);
    if (!TownDataExists(path))
        return;
    auto wave = std::make_unique<CxWave>();
    if (wave->Load(path.c_str()) != CX_ERR_NONE)
        return;
    wave->Play();
    m_Sounds.push_back(std::move(wave));
    // Older sounds have long finished: the list stays short.
    if (m_Sounds.size() > KEPT_SOUNDS)
        m_Sounds.erase(m_Sounds.begin());
}

void CDropMission::IncrementScore(CMissionFramework& framework)
{
    CMission& mission = framework.Mission();
    const int32_t required = framework.Record().numReq;
    // A late catch after the win must not push the count past the HUD.
    if (mission.m_nCollected >= required)
        return;
    m_Town.GetHud().LightIcon(mission.m_nCollected, 1);
    ++mission.m_nCollected;
    --mission.m_nRemaining;
    if (mission.m_nCollected != required)
        return;
    CRumboTownApp* app = GetTownApp();
    if (app && !(app->GetCompletedFlag() & 2))
        app->SetCompletedFlag(2);
    StopAllObjects();
    const CMissionData& data = framework.Data();
    const int32_t level = framework.GetLevel();
    const int32_t adjusted =
        AdjustLevel(level, data.m_Stopwatch.GetElapsed(), data.m_nTimerIntervalMin, data.m_nTimerIntervalMax);
    if (adjusted != level)
        framework.SetLevel(adjusted);
    m_nSeqNumber = DROP_SEQ_WON;
    m_Town.GetHud().NextSet();
    m_Town.RefreshTown();
    m_Town.NotifyFirstCharacter(2);
    m_WaveTimer.Reset();
    ReleaseRunner();
    m_bDropping = false;
    m_bDropperBusy = false;
}

void CDropMission::EndSequence(CMissionFramework& framework)
{
    // Handled once: the flag would replay the outro at every update.
    m_Town.m_bEndSequence = false;
    const CxString movie = GameDataPath(OUTRO_MOVIE);
    if (TownDataExists(movie))
    {
        if (s_pfnOutro)
            s_pfnOutro(movie.c_str());
        else
            PlayMovie(movie.c_str(), -1, -1, CX_MOVIE_SKIPPABLE);
    }
    framework.Stop();
}

void CDropMission::StopAllObjects()
{
    for (auto& object : m_Objects)
        object->StopFalling();
}

void CDropMission::ReleaseRunner()
{
    Release(&m_nRunner);
}

void CDropMission::BuryObjects()
{
    for (auto& object : m_Objects)
    {
        object->StopFalling();
        object->ShadowMotion().Stop();
        object->Shadow().Hide();
        object->ForgetTown();
        m_Graveyard.push_back(std::move(object));
    }
    m_Objects.clear();
}

void CDropMission::FlushGraveyard(bool all)
{
    std::erase_if(m_Graveyard,
                  [all](const auto& object) { return all || !object->IsCaughtSequenceRunning(); });
}

void CDropMission::ClearGroundJunk()
{
    m_GroundJunk.clear();
}

void CDropMission::ReleasePrepared()
{
    m_Masters.clear();
    m_pMasterShadow.reset();
}

void CDropMission::ResetFields(CMissionFramework& framework)
{
    m_nIntervalMin = 3000;
    m_nIntervalMax = 4000;
    m_nItemMin = 1;
    m_nItemMax = 2;
    framework.Record().dropSpeedMin = DEFAULT_SPEED_MIN;
    framework.Record().dropSpeedMax = DEFAULT_SPEED_MAX;
    m_nCaught = m_nMissed = 0;
    m_nInterval = 0;
    m_bDropping = m_bDropperBusy = false;
}

void CDropMission::StopDropping(CMissionFramework& framework)
{
    m_WaveTimer.Reset();
    StopAllObjects();
    ReleaseRunner();
    m_JunkSprite.Hide();
    BuryObjects();
    FlushGraveyard(false);
    ReleasePrepared();
    ResetFields(framework);
    ClearGroundJunk();
}

void CDropMission::Stop(CMissionFramework& framework)
{
    StopDropping(framework);
    if (CCharacter* dropper = Dropper())
        dropper->m_nMissionValue = 0;
}

bool CDropMission::Command(CMissionFramework& framework, const CxString& command,
                           const CxLinkedList<CxString>&)
{
    if (command.EqualsNoCase("StartDropping"))
        StartDropping(framework);
    else if (command.EqualsNoCase("IncrementDropScore"))
        IncrementScore(framework);
    else if (command.EqualsNoCase("StopDropMission"))
        StopDropping(framework);
    else
        return false;
    return true;
}
