#include "tools/bot/bot_driver.h"

#include "engine/core/log.h"
#include "engine/frame/replay_run.h"
#include "engine/platform/clock.h"
#include "game/missions/mission.h"
#include "game/screens/certificate.h"
#include "game/screens/login.h"
#include "game/screens/map_dialog.h"
#include "game/world/driving_node.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <cstdio>
#include <limits>
#include <string>

namespace {
// The first object of type T among the screen's top objects (the modal
// dialogs: the map, a certificate), or null.
template <class T>
T* FindOnScreen()
{
    CxDisplayObject* root = CxDisplayObject::GetRoot();
    for (CxDisplayObject* child = root ? root->GetFirstChild() : nullptr; child;
         child = child->GetNextSibling())
        if (T* found = dynamic_cast<T*>(child); found && found->IsShown())
            return found;
    return nullptr;
}

const char* PhaseName(BotPhase phase)
{
    static const char* const names[] = {"title",  "to the giver", "playing", "returning",
                                        "ending", "done",         "failed"};
    return names[static_cast<int>(phase)];
}

// A node well beyond the distance at which the giver's zone comes back
// (the zone of the building last left stays off until the truck is that
// far away), the nearest to the truck of those.
CxPoint AwayFrom(CTown& town, const CBuilding& giver)
{
    const int64_t far = static_cast<int64_t>(town.m_nZoneSafeRadius) + 200;
    const CxPoint truck = town.GetTruck()->GetCentre();
    CxPoint best = truck;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < town.GetNodes().GetCount(); ++i)
    {
        const CxPoint point = town.GetNodes().GetNode(i)->GetPoint();
        const int64_t distance = BotDistance2(point, truck);
        if (BotDistance2(point, giver.GetCenter()) > far * far && distance < bestDistance)
            best = point, bestDistance = distance;
    }
    return best;
}
} // namespace

CBotDriver::CBotDriver(int32_t kind, CxPassDriver* inner, uint32_t budget)
    : m_nKind(kind), m_pInner(inner), m_nBudget(budget), m_pStrategy(MakeBotStrategy(kind))
{
}

CBotDriver::~CBotDriver() = default;

void CBotDriver::SetPhase(BotPhase phase, uint32_t now)
{
    m_ePhase = phase;
    Output("bot: %s at %u ms\n", PhaseName(phase), now);
}

CBotAim CBotDriver::Idle() const
{
    CBotAim aim = m_Aim;
    aim.click = false;
    return aim;
}

void CBotDriver::BeginPass()
{
    if (m_pInner)
        m_pInner->BeginPass();
    const uint32_t now = GetTickCount();
    m_Aim = Decide(now);
    if (const std::optional<CxReplayEvent> event = m_Pointer.Next(now, m_Aim))
        InjectReplayEvent(*event, event->x, event->y);
}

void CBotDriver::EndPass()
{
    if (m_pInner)
        m_pInner->EndPass();
    CRumboTownApp* app = GetTownApp();
    if (m_bQuitAsked || !app || (m_ePhase != BotPhase::Done && m_ePhase != BotPhase::Failed))
        return;
    // As --exit-after does: a replay of the recording given this time ends
    // on the same pass.
    m_nEndTime = GetTickCount();
    m_bQuitAsked = true;
    app->Quit();
}

CBotAim CBotDriver::Decide(uint32_t now)
{
    CRumboTownApp* app = GetTownApp();
    if (!app || m_ePhase == BotPhase::Done || m_ePhase == BotPhase::Failed)
        return Idle();
    CTown* town = dynamic_cast<CTown*>(app->GetCurRoom());
    if (now >= m_nBudget)
    {
        Output("bot: kind %d not won in %u minutes: %s\n", m_nKind, m_nBudget / 60000,
               !town         ? "not in the town"
               : m_pStrategy ? m_pStrategy->Describe(*town).c_str()
                             : PhaseName(m_ePhase));
        SetPhase(BotPhase::Failed, now);
        return Idle();
    }
    if (!m_pStrategy)
    {
        Output("bot: kind %d has no strategy\n", m_nKind);
        SetPhase(BotPhase::Failed, now);
        return Idle();
    }
    // A certificate waits for its back button.
    if (CCertificate* certificate = FindOnScreen<CCertificate>())
        return BotClick(certificate->GetBackButton(), Idle());
    if (CLogin* login = dynamic_cast<CLogin*>(app->GetCurRoom()))
        return login->GetPlayButton() ? BotClick(*login->GetPlayButton(), Idle()) : Idle();
    if (!town || !town->IsStarted() || !town->GetTruck())
        return Idle();
    return InTown(*town, now);
}

CBotAim CBotDriver::InTown(CTown& town, uint32_t now)
{
    CRumboTownApp& app = *GetTownApp();
    if (m_ePhase == BotPhase::Title)
    {
        CBuilding* giver = BotFindGiver(town, m_nKind);
        if (!giver)
        {
            Output("bot: no building gives kind %d\n", m_nKind);
            SetPhase(BotPhase::Failed, now);
            return Idle();
        }
        m_nGiver = giver->GetId();
        m_nCompletedAtStart = app.GetCompletedFlag();
        Output("bot: kind %d is given by building %d (%s)\n", m_nKind, m_nGiver,
               giver->GetInterpTag().c_str());
        SetPhase(BotPhase::ToGiver, now);
    }
    CBuilding* giver = town.FindBuilding(m_nGiver);
    CMissionFramework* framework = BotFramework(town);
    if (!giver || !framework)
        return Idle();
    const bool control = town.m_bUserControl && !FindOnScreen<CMapDialog>();
    switch (m_ePhase)
    {
    case BotPhase::ToGiver:
        // The giver's own: the town loads and prepares the drop at its
        // entry, so that a drop "runs" before the bakery gives it.
        if (framework->IsRunningKind(m_nKind, m_nKind) && framework->Mission().m_pGiver == giver)
        {
            m_nMissionStart = now;
            SetPhase(BotPhase::Playing, now);
            return Idle();
        }
        if (!town.m_bUserControl)
            return Idle();
        // After a lost go the giver's zone comes back once the truck is far
        // enough away; then the way there is as the first time.
        m_bAgain &= !giver->IsZoneActive();
        return m_bAgain ? BotDriveTo(town, AwayFrom(town, *giver)) : Travel(town, *giver);
    case BotPhase::Playing:
        if (app.GetCompletedFlag() != m_nCompletedAtStart)
        {
            m_nWinTime = now;
            Output("bot: kind %d won in %u ms of game time\n", m_nKind, now - m_nMissionStart);
            SetPhase(BotPhase::Returning, now);
            return Idle();
        }
        if (CMapDialog* map = FindOnScreen<CMapDialog>())
            return m_pStrategy->AimOnMap(town, *map);
        if (control && !framework->IsRunningKind(m_nKind, m_nKind))
        {
            // The mission ended without the win (a race lost): the giver
            // offers it again, so back there for another go.
            Output("bot: kind %d ended unwon after %u ms of game time\n", m_nKind, now - m_nMissionStart);
            m_bAgain = true;
            SetPhase(BotPhase::ToGiver, now);
            return Idle();
        }
        if (!framework->IsRunningKind(m_nKind, m_nKind))
            return Idle();
        return control || m_pStrategy->PlaysWithoutControl(town) ? m_pStrategy->Aim(town, now) : Idle();
    case BotPhase::Returning:
        if (m_bZoneSeenActive && !giver->IsZoneActive())
        {
            SetPhase(BotPhase::Ending, now);
            return Idle();
        }
        m_bZoneSeenActive |= giver->IsZoneActive();
        if (!town.m_bUserControl)
            return Idle();
        // The giver's zone comes back once the truck is far enough away.
        return giver->IsZoneActive() ? Travel(town, *giver) : BotDriveTo(town, AwayFrom(town, *giver));
    case BotPhase::Ending:
        m_bControlLost |= !town.m_bUserControl;
        if (m_bControlLost && control)
            SetPhase(BotPhase::Done, now);
        return Idle();
    default:
        return Idle();
    }
}

CBotAim CBotDriver::Travel(CTown& town, CBuilding& giver)
{
    // At the zone: the town pulls the truck in at its next update.
    const int64_t pull = static_cast<int64_t>(town.m_nZonePullRadius) + 20;
    if (BotDistance2(town.GetTruck()->GetCentre(), giver.GetCenter()) <= pull * pull)
        return Idle();
    if (giver.GetId() < 0 || giver.GetId() >= MAP_BUILDING_COUNT || !town.GetMapButton())
        return BotDriveTo(town, giver.GetCenter());
    if (CMapDialog* map = FindOnScreen<CMapDialog>())
        return map->GetChosen() == giver.GetId() ? BotClick(map->GetGoButton(), Idle())
                                                 : BotClick(map->GetBuildingButton(giver.GetId()), Idle());
    return BotClick(*town.GetMapButton(), Idle());
}
