#include "game/missions/moving_mission.h"

#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/frame/game_app.h"
#include "game/world/town.h"

#include <algorithm>
#include <cstdlib>

namespace {
const char* const PATH_FILE = "$GAMEPATH\\mission\\MovingHandTrucks\\path%02d.seq";
} // namespace

CHandTruck::~CHandTruck()
{
    // The channel lets go of the drive sequence before the sequence goes.
    CMovingObject::StopDriving();
}

bool CHandTruck::LoadPath(const char* fileName)
{
    m_strPath = fileName ? fileName : "";
    m_pPath.reset();
    const CxString path = BuildGamePath("%s", m_strPath.c_str());
    if (m_strPath.IsEmpty() || !FileExists(path.c_str()))
        return false;
    auto sequence = std::make_unique<CxEventSequenceFile>(this);
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    if (sequence->Load(m_strPath.c_str(), app ? &app->GetInterpolator() : nullptr) != CX_ERR_NONE ||
        sequence->GetCount() == 0)
        return false;
    m_pPath = std::move(sequence);
    return true;
}

uint32_t CHandTruck::StartPath()
{
    if (!m_pPath)
        return CX_ERR_INVALID_ARGUMENT;
    const uint32_t result = DriveWith(m_pPath.get());
    // DriveWith stops what drove before: that was not an order to stop.
    m_bStopped = false;
    return result;
}

bool CHandTruck::NeedsRestart() const
{
    if (!m_pPath || m_bStopped || !IsShown())
        return false;
    const uint32_t channel = GetDrivingChannel();
    return channel == 0 || IsChannelEmpty(channel);
}

void CHandTruck::StopDriving()
{
    m_bStopped = true;
    CMovingObject::StopDriving();
}

void CHandTruck::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (command.EqualsNoCase("Erase"))
        Hide();
    else if (command.EqualsNoCase("SetBumpable") && !arguments.IsEmpty())
        SetCollisionFlag(COLLISION_BUMPABLE, atoi(arguments.GetHead()->m_Value.c_str()) != 0);
    else
        CMovingObject::HandleCommand(command, arguments);
}

CMovingMission::~CMovingMission()
{
    Stop();
}

int32_t CMovingMission::Start(CTown& town, const char* itemName, int32_t required,
                              const CxLinkedList<int32_t>& chosenPaths)
{
    // A start while trucks drive replaces them; the chosen paths stay.
    DestroyTrucks();
    m_pTown = &town;
    m_pMaster = std::make_unique<CHandTruck>();
    const CxString file = BuildGamePath("%s", itemName ? itemName : "");
    if (!itemName || !*itemName || !FileExists(file.c_str()) ||
        m_pMaster->LoadFromFile(file.c_str()) != CX_ERR_NONE)
    {
        // Nothing to copy from: no hand trucks at all.
        ReportError(CX_ERR_UNKNOWN, "Could not load master object.");
        m_pMaster.reset();
        return 0;
    }
    // One truck per chosen path, never more than asked or than there are.
    const int32_t count =
        std::min({required, static_cast<int32_t>(chosenPaths.GetCount()), MOVING_MAX_TRUCKS});
    int32_t index = 0;
    for (auto* node = chosenPaths.GetHead(); node && index < count; node = node->GetNext(), ++index)
        StartHandTruck(index, node->m_Value);
    for (const auto& truck : m_HandTrucks)
    {
        // The player's truck drives into a hand truck instead of bouncing off.
        truck->SetCollisionFlag(COLLISION_SOLID, false);
        if (truck->GetPath())
            town.GetCollisionSprites().push_back(truck.get());
    }
    return static_cast<int32_t>(m_HandTrucks.size());
}

bool CMovingMission::StartHandTruck(int32_t index, int32_t path)
{
    auto truck = std::make_unique<CHandTruck>();
    if (truck->CopyFrom(*m_pMaster) != CX_ERR_NONE)
    {
        ReportError(CX_ERR_UNKNOWN, "Could not load object %d.", index);
        return false;
    }
    truck->AttachTo(&m_pTown->GetMap());
    truck->SetView(nullptr);
    truck->PlaceAt(truck->Settings().ptStartLocation);
    truck->Redraw();
    truck->UpdateDepth();
    truck->SetTag(index);
    truck->SetMode(TRUCK_MODE_DRIVING);
    truck->StartFrameStopwatch();
    const CxString name = BuildGamePath(PATH_FILE, path);
    char shortName[64];
    snprintf(shortName, sizeof(shortName), PATH_FILE, path);
    if (!truck->LoadPath(shortName) || truck->StartPath() != CX_ERR_NONE)
    {
        // Reported once; the truck stays hidden and is never started again.
        ReportError(CX_ERR_UNKNOWN, "Could not load path %s.", name.c_str());
        truck->LoadPath(nullptr);
        truck->Hide();
    }
    if (m_bPaused)
        truck->AddPause();
    m_HandTrucks.push_back(std::move(truck));
    return true;
}

void CMovingMission::SetPaused(bool paused)
{
    if (paused == m_bPaused)
        return;
    m_bPaused = paused;
    for (const auto& truck : m_HandTrucks)
        paused ? truck->AddPause() : truck->RemovePause();
}

void CMovingMission::Update()
{
    if (m_bPaused)
        return;
    for (const auto& truck : m_HandTrucks)
    {
        if (!truck->IsShown())
            continue;
        truck->Steer();
        truck->Move();
        truck->Pace();
        truck->UpdateDepth();
        if (truck->NeedsRestart())
            truck->StartPath();
    }
}

void CMovingMission::DestroyTrucks()
{
    if (m_pTown)
    {
        auto& sprites = m_pTown->GetCollisionSprites();
        for (const auto& truck : m_HandTrucks)
        {
            std::erase(sprites, static_cast<CCollisionSprite*>(truck.get()));
            truck->Hide();
        }
    }
    m_HandTrucks.clear();
    m_pMaster.reset();
}

void CMovingMission::Stop()
{
    DestroyTrucks();
    if (m_pTown)
        m_pTown->m_ChosenPaths.RemoveAll();
    m_strText = "";
    m_nField1 = m_nField2 = 0;
    m_pTown = nullptr;
}
