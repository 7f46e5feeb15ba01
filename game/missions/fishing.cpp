// The fishing mission: lanes, junk, Vodu, the line, the fishing tick.
#include "game/missions/fishing.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/core/random.h"
#include "engine/core/sequence.h"
#include "engine/graphics/draw_surface.h"
#include "game/missions/sprite_touch.h"
#include "game/world/game_image.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"
#include "game/world/truck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

const CxPoint FISH_LANE_STARTS[FISH_LANES] = {CxPoint(5771, 2928), CxPoint(5867, 2990), CxPoint(6000, 3047),
                                              CxPoint(6050, 3100), CxPoint(6127, 3160)};
const CxPoint FISH_DOCK_POINT(5250, 3035);

namespace {
const char* const JUNK_FILE = "$GAMEPATH\\TARGETS\\t3_junk%d.ini";
const char* const VODU_FILE = "$GAMEPATH\\VNPC\\vodu.ini";
const char* const INTRO_FILE = "$GAMEPATH\\MISSION\\FISHING\\intro.seq";
const char* const END_FILE = "$GAMEPATH\\MISSION\\FISHING\\end.seq";
const char* const LURE_FILE = "$GAMEPATH\\MISSION\\FISHING\\lure.tga";
const CxPoint VODU_IDLE_DEFAULT(5750, 3365);
const CxPoint ROD_TIP_OFFSET(50, 100); // from the truck's bottom-right corner
constexpr uint32_t MAX_CATCH_UP = 10;  // steps run at most by one update
constexpr int32_t LINE_MARGIN = 2;
constexpr float DIAGONAL = 0.70710678f; // 1 / sqrt(2)

bool GameFileExists(const char* name)
{
    return FileExists(ExpandGamePath(name).c_str());
}

int32_t Round(float value)
{
    return static_cast<int32_t>(std::lround(value));
}

float Distance(float dx, float dy)
{
    return std::sqrt(dx * dx + dy * dy);
}
} // namespace

float FishLaneSpeed(float base)
{
    return base + 4.0f * static_cast<float>((Random() % 10000) * 0.00010001);
}

float FishSpeedOrDefault(float value, float fallback)
{
    return std::isfinite(value) && value > 0.0f ? value : fallback;
}

FishingKeys ReadFishingKeys(CxOptions& file)
{
    FishingKeys keys;
    float cast = keys.castSpeed, reel = keys.reelSpeed, plus = keys.plusSpeed, base = keys.baseSpeed;
    file.GetFloat("Mission", "CastSpeed", &cast, FISH_DEFAULT_CAST);
    file.GetFloat("Mission", "ReelSpeed", &reel, FISH_DEFAULT_REEL);
    file.GetFloat("Mission", "PlusChannelSpeed", &plus, FISH_DEFAULT_PLUS);
    file.GetFloat("Mission", "BaseChannelSpeed", &base, FISH_DEFAULT_BASE);
    file.GetNumber("Mission", "FastRecasting", &keys.fastRecasting, 0);
    file.GetPoint("Mission", "VoduIdlePos", &keys.voduIdle, VODU_IDLE_DEFAULT);
    // A line that never arrives or never comes back, or junk that never
    // leaves the river, would hang the mission; a speed-up that is not a
    // number would poison every lane.
    keys.castSpeed = FishSpeedOrDefault(cast, FISH_DEFAULT_CAST);
    keys.reelSpeed = FishSpeedOrDefault(reel, FISH_DEFAULT_REEL);
    keys.baseSpeed = FishSpeedOrDefault(base, FISH_DEFAULT_BASE);
    keys.plusSpeed = std::isfinite(plus) ? plus : FISH_DEFAULT_PLUS;
    return keys;
}

// CFloater -------------------------------------------------------------------

void CFloater::Place(const CxPoint& start, float speed)
{
    pos[0] = static_cast<float>(start.x);
    pos[1] = static_cast<float>(start.y);
    pos[2] = 0.0f;
    vel[0] = -speed * DIAGONAL;
    vel[1] = speed * DIAGONAL;
    vel[2] = 0.0f;
}

void CFloater::Drift()
{
    for (int i = 0; i < 3; ++i)
        pos[i] += vel[i];
}

CxPoint CFloater::Point() const
{
    return CxPoint(Round(pos[0]), Round(pos[1]));
}

// CJunk ----------------------------------------------------------------------

bool CJunk::IsPullFinished() const
{
    const CSuperState* state = GetStateObject(JUNK_PULLED);
    return !state || !state->GetImage() || GetState() != JUNK_PULLED || IsAnimationFinished();
}

// CVodu ----------------------------------------------------------------------

CVodu::~CVodu()
{
    // The channel goes first: nothing may run a sequence that is deleted.
    DeleteSequences();
    delete m_pOnHit;
    delete m_pOnClick;
}

uint32_t CVodu::LoadSpriteKeys(CxOptions& file, const char* section)
{
    const uint32_t result = CCharacter::LoadSpriteKeys(file, section);
    char text[SUPER_SPRITE_TEXT_SIZE];
    file.GetString(section, "OnHit", text, "", sizeof(text));
    if (text[0] && LoadOwnSequence(&m_pOnHit, m_strOnHit, text) != CX_ERR_NONE)
    {
        delete m_pOnHit;
        m_pOnHit = nullptr;
    }
    file.GetString(section, "OnClick", text, "", sizeof(text));
    if (text[0] && LoadOwnSequence(&m_pOnClick, m_strOnClick, text) != CX_ERR_NONE)
    {
        delete m_pOnClick;
        m_pOnClick = nullptr;
    }
    return result;
}

bool CVodu::IsBusy() const
{
    return IsSequenceRunning(m_pOnHit) || IsSequenceRunning(m_pOnClick);
}

// CFishingLine ---------------------------------------------------------------

CFishingLine::CFishingLine()
{
    SetFlags(DO_SHOWN, false);
}

CFishingLine::~CFishingLine()
{
    TakeOffMap();
}

void CFishingLine::Attach(CxDisplayObject* map, const char* lureFile)
{
    TakeOffMap();
    if (!map)
        return;
    if (lureFile && GameFileExists(lureFile) && !m_LureSprite.GetImage())
        LoadGameSpriteImage(&m_LureSprite, lureFile, 1);
    m_LureSprite.SetFlags(DO_SHOWN, false);
    AttachTo(map);
    m_LureSprite.AttachTo(map);
}

void CFishingLine::TakeOffMap()
{
    SetIdle();
    if (m_LureSprite.GetParent())
        m_LureSprite.Detach();
    if (GetParent())
        Detach();
}

void CFishingLine::SetSpeeds(float cast, float reel)
{
    m_fCastSpeed = FishSpeedOrDefault(cast, FISH_DEFAULT_CAST);
    m_fReelSpeed = FishSpeedOrDefault(reel, FISH_DEFAULT_REEL);
}

bool CFishingLine::Cast(const CxPoint& origin, const CxPoint& target, int32_t depth)
{
    const float dx = static_cast<float>(target.x - origin.x), dy = static_cast<float>(target.y - origin.y);
    const float length = Distance(dx, dy);
    if (!(length > FISH_MIN_CAST))
        return false;
    m_ptOrigin = origin;
    m_ptTarget = target;
    m_Lure[0] = static_cast<float>(origin.x);
    m_Lure[1] = static_cast<float>(origin.y);
    m_Step[0] = dx / length * m_fCastSpeed;
    m_Step[1] = dy / length * m_fCastSpeed;
    m_nState = LINE_CASTING;
    SetDepth(depth);
    m_LureSprite.SetDepth(depth);
    Refresh();
    m_Timer.Start(0);
    m_nSteps = 0;
    return true;
}

void CFishingLine::Step()
{
    if (m_nState == LINE_CASTING)
    {
        const float left = Distance(static_cast<float>(m_ptTarget.x) - m_Lure[0],
                                    static_cast<float>(m_ptTarget.y) - m_Lure[1]);
        if (left < m_fCastSpeed + 2.0f)
            m_nState = LINE_REELING;
        else
        {
            m_Lure[0] += m_Step[0];
            m_Lure[1] += m_Step[1];
        }
    }
    else if (m_nState == LINE_REELING || m_nState == LINE_IN_WATER)
    {
        const float ox = static_cast<float>(m_ptOrigin.x), oy = static_cast<float>(m_ptOrigin.y);
        const float away = Distance(m_Lure[0] - ox, m_Lure[1] - oy) - m_fReelSpeed;
        const float step = Distance(m_Step[0], m_Step[1]);
        m_nState = LINE_REELING;
        m_Lure[0] = ox + m_Step[0] / step * away;
        m_Lure[1] = oy + m_Step[1] / step * away;
        if (away <= FISH_REELED_IN)
        {
            m_nState = LINE_REELED_IN;
            m_Timer.Reset();
        }
    }
    else
        return;
    Refresh();
}

void CFishingLine::Poll()
{
    if (!m_Timer.IsRunning())
        return;
    const uint32_t due = m_Timer.GetElapsed() / FISH_LINE_TICK;
    // A long stall (a paused game, a slow frame) runs a few steps, not hundreds.
    if (due > m_nSteps + MAX_CATCH_UP)
        m_nSteps = due - MAX_CATCH_UP;
    while (m_nSteps < due && m_Timer.IsRunning())
    {
        ++m_nSteps;
        Step();
    }
}

void CFishingLine::SetIdle()
{
    m_nState = LINE_IDLE;
    m_Timer.Reset();
    m_nSteps = 0;
    Hide();
    m_LureSprite.Hide();
}

CxPoint CFishingLine::GetLurePoint() const
{
    return CxPoint(Round(m_Lure[0]), Round(m_Lure[1]));
}

void CFishingLine::Refresh()
{
    // The object covers the line's box; the lure is centred on its point.
    const CxPoint lure = GetLurePoint();
    const int32_t left = std::min(lure.x, m_ptOrigin.x) - LINE_MARGIN;
    const int32_t top = std::min(lure.y, m_ptOrigin.y) - LINE_MARGIN;
    const int32_t right = std::max(lure.x, m_ptOrigin.x) + LINE_MARGIN;
    const int32_t bottom = std::max(lure.y, m_ptOrigin.y) + LINE_MARGIN;
    Hide();
    SetSize(right - left + 1, bottom - top + 1);
    if (GetParent())
        MoveTo(left, top);
    else
        SetPosition(left, top);
    if (m_LureSprite.GetImage() && m_LureSprite.GetParent())
        m_LureSprite.MoveTo(lure, ANCHOR_CENTER);
}

void CFishingLine::Paint(CxDrawSurface* surface, const CxRect& rect)
{
    if (!surface || rect.IsEmpty() || m_nState == LINE_IDLE)
        return;
    const uint32_t color = surface->MakeColor(0x40, 0x40, 0x40);
    // Bresenham in the object's own pixels, 2 px wide, clipped to rect.
    const CxPoint from = m_ptOrigin - m_ptPosition, to = GetLurePoint() - m_ptPosition;
    const CxPoint screen = LocalToScreen(CxPoint(0, 0));
    const int32_t dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
    const int32_t sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    const CxPoint thick = dx >= -dy ? CxPoint(0, 1) : CxPoint(1, 0);
    int32_t err = dx + dy, x = from.x, y = from.y;
    for (;;)
    {
        for (const CxPoint& p : {CxPoint(x, y), CxPoint(x + thick.x, y + thick.y)})
            if (p.x >= rect.left && p.x <= rect.right && p.y >= rect.top && p.y <= rect.bottom)
                surface->SetPixel(screen.x + p.x, screen.y + p.y, color);
        if (x == to.x && y == to.y)
            break;
        const int32_t e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y += sy;
        }
    }
}

// CFishingMission --------------------------------------------------------------

CFishingMission::CFishingMission(CTown& town) : m_Town(town) {}

CFishingMission::~CFishingMission()
{
    DestroyAll();
    m_Line.TakeOffMap();
}

size_t CFishingMission::GetMasterCount() const
{
    return static_cast<size_t>(std::count_if(m_Masters.begin(), m_Masters.end(),
                                             [](const auto& master) { return master != nullptr; }));
}

void CFishingMission::ReadKeys(CMissionFramework& framework)
{
    CMission& mission = framework.Mission();
    FishingKeys keys;
    if (mission.m_bFileOpen)
        keys = ReadFishingKeys(mission.m_File);
    m_Line.SetSpeeds(keys.castSpeed, keys.reelSpeed);
    m_fPlusSpeed = keys.plusSpeed;
    m_fBaseSpeed = keys.baseSpeed;
    m_nFastRecasting = keys.fastRecasting;
    m_ptVoduIdle = keys.voduIdle;
}

void CFishingMission::LoadMasters()
{
    for (int32_t i = 0; i < FISH_MASTERS; ++i)
    {
        char name[64];
        snprintf(name, sizeof(name), JUNK_FILE, i);
        auto master = std::unique_ptr<CJunk>(new (std::nothrow) CJunk);
        if (!master || !GameFileExists(name) || master->LoadFromFile(name) != CX_ERR_NONE)
        {
            ReportError(CX_ERR_UNKNOWN, "Could not load junk master %d", i);
            continue;
        }
        master->m_bMaster = true;
        master->SetFlags(DO_SHOWN, false);
        m_Masters[static_cast<size_t>(i)] = std::move(master);
    }
}

void CFishingMission::CreateVodu(CMissionFramework& framework)
{
    auto vodu = std::unique_ptr<CVodu>(new (std::nothrow) CVodu);
    if (!vodu || !GameFileExists(VODU_FILE) || vodu->LoadFromFile(VODU_FILE) != CX_ERR_NONE)
    {
        ReportError(CX_ERR_UNKNOWN, "Could not load Vodu");
        return;
    }
    m_bVoduDrifts = framework.GetLevel() > 0;
    if (m_bVoduDrifts)
    {
        const int32_t lane = NextLane();
        vodu->Place(FISH_LANE_STARTS[lane], m_LaneSpeeds[static_cast<size_t>(lane)]);
    }
    else
        vodu->Place(m_ptVoduIdle, 0.0f);
    vodu->AttachTo(&m_Town.GetMap());
    vodu->MoveTo(vodu->Point());
    vodu->UpdateDepth();
    vodu->PlayForever(0);
    m_pVodu = std::move(vodu);
}

void CFishingMission::Start(CMissionFramework& framework)
{
    DestroyAll();
    framework.Record().state = MISSION_STATE_RUNNING;
    m_nPhase = FISH_PHASE_WAITING;
    m_bSpawning = true;
    m_nLaneCounter = Random() % FISH_LANES;
    m_Line.SetIdle();
    ReadKeys(framework);
    for (float& speed : m_LaneSpeeds)
        speed = FishLaneSpeed(m_fBaseSpeed);
    LoadMasters();
    m_Line.Attach(&m_Town.GetMap(), LURE_FILE);
    for (int32_t i = 0; i < FISH_START_PIECES; ++i)
        Spawn();
    CreateVodu(framework);
    m_bStarted = true;
    m_TickTimer.Start(0);
    m_nTicks = 0;
}

int32_t CFishingMission::NextLane()
{
    m_nLaneCounter = (m_nLaneCounter + 1) % FISH_LANES;
    return m_nLaneCounter;
}

CJunk* CFishingMission::Spawn()
{
    std::vector<CJunk*> loaded;
    for (auto& master : m_Masters)
        if (master)
            loaded.push_back(master.get());
    if (loaded.empty())
        return nullptr;
    const int32_t lane = NextLane();
    CJunk* master = loaded[static_cast<size_t>(Random()) % loaded.size()];
    auto junk = std::unique_ptr<CJunk>(new (std::nothrow) CJunk);
    if (!junk)
        return nullptr;
    junk->ShareStatesOf(master);
    junk->m_nLane = lane;
    junk->Place(FISH_LANE_STARTS[lane], m_LaneSpeeds[static_cast<size_t>(lane)]);
    junk->AttachTo(&m_Town.GetMap());
    junk->MoveTo(junk->Point());
    junk->UpdateDepth();
    junk->PlayForever(JUNK_FLOATING);
    m_Floating.push_back(std::move(junk));
    return m_Floating.back().get();
}

void CFishingMission::StartFishing(CMissionFramework& framework)
{
    if (!m_bStarted)
        return;
    m_nPhase = FISH_PHASE_FISHING;
    m_TickTimer.Start(0);
    m_nTicks = 0;
    // The drive to the river does not count.
    framework.Data().m_Stopwatch.Start(0);
    Output("fishing: started\n");
}

void CFishingMission::PlayScene(const char* name)
{
    const CxString path = TownDataPath(InterpolateGameText(name).c_str());
    if (TownDataExists(path))
        m_Town.PlaySequence(path.c_str());
}

void CFishingMission::Update(CMissionFramework& framework)
{
    if (!m_bStarted)
        return;
    if (m_nPhase == FISH_PHASE_WAITING)
    {
        CTruck* truck = m_Town.GetTruck();
        if (truck)
        {
            const CxPoint centre = truck->GetCentre();
            const float away = Distance(static_cast<float>(centre.x - FISH_DOCK_POINT.x),
                                        static_cast<float>(centre.y - FISH_DOCK_POINT.y));
            if (away <= FISH_INTRO_RADIUS)
            {
                m_nPhase = FISH_PHASE_INTRO;
                PlayScene(INTRO_FILE);
            }
        }
    }
    m_Line.Poll();
    if (m_nPhase != FISH_PHASE_FISHING || !m_TickTimer.IsRunning())
        return;
    const uint32_t due = m_TickTimer.GetElapsed() / FISH_TICK;
    if (due > m_nTicks + MAX_CATCH_UP)
        m_nTicks = due - MAX_CATCH_UP;
    while (m_nTicks < due && m_nPhase == FISH_PHASE_FISHING && m_bStarted)
    {
        ++m_nTicks;
        Tick(framework);
    }
}

void CFishingMission::MapClicked(CMissionFramework&, const CxPoint& mapPoint)
{
    if (!m_bStarted || m_nPhase != FISH_PHASE_FISHING || m_pSnagged)
        return;
    const int32_t state = m_Line.GetLineState();
    if (!(state == LINE_IDLE || (m_nFastRecasting != 0 && state == LINE_REELING)))
        return;
    CTruck* truck = m_Town.GetTruck();
    if (!truck)
        return;
    CxPoint corner;
    truck->GetAnchorPoint(corner, ANCHOR_BOTTOM_RIGHT);
    // Just behind the truck: the line passes under it, over the water.
    const int32_t depth = truck->GetDepth();
    const CxPoint tip = corner - ROD_TIP_OFFSET;
    if (m_Line.Cast(tip, mapPoint, depth < DO_DEPTH_DEFAULT ? depth + 1 : depth))
        Output("fishing: cast from %d,%d to %d,%d\n", tip.x, tip.y, mapPoint.x, mapPoint.y);
}

void CFishingMission::Snag()
{
    const CxSprite& lure = m_Line.Lure();
    for (auto it = m_Floating.begin(); it != m_Floating.end(); ++it)
        if (SpritesTouch(lure, **it))
        {
            m_pSnagged = std::move(*it);
            m_Floating.erase(it);
            return;
        }
    if (m_pVodu && !m_pVodu->IsBusy() && SpritesTouch(lure, *m_pVodu))
        m_pVodu->PlayOnClick();
}

void CFishingMission::ReeledIn(CMissionFramework& framework)
{
    if (!m_pSnagged)
    {
        m_Line.SetIdle();
        return;
    }
    if (m_pSnagged->GetState() != JUNK_PULLED)
    {
        m_pSnagged->m_Timer.Reset();
        m_pSnagged->PlayOnce(JUNK_PULLED);
        if (m_pSnagged->GetState() != JUNK_PULLED)
        {
            // A piece without a pull-out state is out at once.
            Catch(framework);
            return;
        }
    }
    if (m_pSnagged->IsPullFinished())
        Catch(framework);
}

void CFishingMission::Catch(CMissionFramework& framework)
{
    m_Line.SetIdle();
    m_pSnagged.reset();
    CMission& mission = framework.Mission();
    const int32_t required = framework.Record().numReq;
    // Only the fishing of a running fishing mission counts, and never past the HUD.
    if (m_nPhase != FISH_PHASE_FISHING ||
        !framework.IsRunningKind(MISSION_KIND_FISHING, MISSION_KIND_FISHING) ||
        mission.m_nCollected >= required)
        return;
    m_Town.GetHud().LightIcon(mission.m_nCollected, 1);
    ++mission.m_nCollected;
    --mission.m_nRemaining;
    Output("fishing: caught %d of %d\n", mission.m_nCollected, required);
    // A slowing file never stops the river: junk must still leave it.
    for (float& speed : m_LaneSpeeds)
        speed = std::max(speed + m_fPlusSpeed, FISH_MIN_LANE_SPEED);
    if (mission.m_nCollected == required)
        Win(framework);
    else if (m_bSpawning && static_cast<int32_t>(m_Floating.size()) < required - mission.m_nCollected)
        Spawn();
}

void CFishingMission::Win(CMissionFramework& framework)
{
    CRumboTownApp* app = GetTownApp();
    if (app && !(app->GetCompletedFlag() & FISH_COMPLETED_BIT))
        app->SetCompletedFlag(FISH_COMPLETED_BIT);
    m_Town.GetHud().NextSet();
    const CMissionData& data = framework.Data();
    const int32_t level = framework.GetLevel();
    const int32_t adjusted =
        AdjustLevel(level, data.m_Stopwatch.GetElapsed(), data.m_nTimerIntervalMin, data.m_nTimerIntervalMax);
    if (adjusted != level)
        framework.SetLevel(adjusted);
    m_bSpawning = false;
    m_nPhase = FISH_PHASE_DONE;
    PlayScene(END_FILE);
}

void CFishingMission::DragSnagged()
{
    const CxPoint lure = m_Line.GetLurePoint();
    m_pSnagged->MoveTo(lure, ANCHOR_CENTER);
    m_pSnagged->UpdateDepth();
    for (auto& junk : m_Floating)
        if (junk->GetState() != JUNK_KNOCKED && SpritesTouch(*m_pSnagged, *junk))
        {
            junk->PlayForever(JUNK_KNOCKED);
            junk->m_Timer.Start(FISH_KNOCK_TIME);
        }
    if (m_pVodu && !m_pVodu->IsBusy() && SpritesTouch(*m_pSnagged, *m_pVodu))
        m_pVodu->PlayOnHit();
}

void CFishingMission::Recover()
{
    for (auto& junk : m_Floating)
        if (junk->GetState() == JUNK_KNOCKED && junk->m_Timer.HasExpired())
        {
            junk->m_Timer.Reset();
            junk->PlayForever(JUNK_FLOATING);
        }
}

void CFishingMission::Drift()
{
    int32_t gone = 0;
    for (auto it = m_Floating.begin(); it != m_Floating.end();)
    {
        CJunk& junk = **it;
        junk.Drift();
        if (junk.IsOut())
        {
            junk.Hide();
            it = m_Floating.erase(it);
            ++gone;
            continue;
        }
        junk.MoveTo(junk.Point());
        junk.UpdateDepth();
        ++it;
    }
    for (; gone > 0 && m_bSpawning; --gone)
        Spawn();
    if (!m_pVodu || !m_bVoduDrifts)
        return;
    m_pVodu->Drift();
    if (m_pVodu->IsOut())
    {
        const int32_t lane = NextLane();
        m_pVodu->Place(FISH_LANE_STARTS[lane], m_LaneSpeeds[static_cast<size_t>(lane)]);
        m_pVodu->PlayForever(0);
    }
    m_pVodu->MoveTo(m_pVodu->Point());
    m_pVodu->UpdateDepth();
}

void CFishingMission::Tick(CMissionFramework& framework)
{
    if (!m_bStarted || m_nPhase != FISH_PHASE_FISHING)
        return;
    if (!m_pSnagged && m_Line.IsInWater())
        Snag();
    if (m_Line.GetLineState() == LINE_REELED_IN)
        ReeledIn(framework);
    else if (m_pSnagged)
        DragSnagged();
    Recover();
    Drift();
}

void CFishingMission::DestroyAll()
{
    m_TickTimer.Reset();
    m_nTicks = 0;
    m_Line.SetIdle();
    m_pVodu.reset();
    // Copies share their master's states: they go first.
    m_pSnagged.reset();
    m_Floating.clear();
    for (auto& master : m_Masters)
        master.reset();
    m_bStarted = false;
    m_bSpawning = false;
}

void CFishingMission::Stop(CMissionFramework&)
{
    DestroyAll();
    m_nPhase = FISH_PHASE_DONE;
    m_Line.TakeOffMap();
}

bool CFishingMission::Command(CMissionFramework& framework, const CxString& command,
                              const CxLinkedList<CxString>&)
{
    if (!command.EqualsNoCase("StartFishing"))
        return false;
    StartFishing(framework);
    return true;
}
