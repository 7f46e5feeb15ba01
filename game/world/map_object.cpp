#include "game/world/map_object.h"

#include "engine/core/app.h"
#include "engine/core/event_creator.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "engine/frame/game_app.h"
#include "engine/media/wave.h"
#include "game/world/sound_distance.h"
#include "game/world/town.h"

#include <new>

CMapObject* CMapObject::CopyOf(CMapObject& master, CxDisplayObject* parent, const CxPoint& position)
{
    auto* copy = new CMapObject(master.m_nId);
    copy->m_bInvisible = master.m_bInvisible;
    copy->m_nTag = master.m_nTag;
    copy->ShareStatesOf(&master);
    if (!master.GetBumpedSequenceName().IsEmpty())
        copy->SetBumpedSequence(master.GetBumpedSequenceName().c_str());
    if (!master.GetCollideSequenceName().IsEmpty())
        copy->SetCollideSequence(master.GetCollideSequenceName().c_str());
    copy->AttachTo(parent);
    copy->SetHomePosition(position);
    copy->SetPosition(position);
    if (!copy->m_bInvisible)
        copy->Redraw();
    return copy;
}

namespace {
CTown* CurrentTown()
{
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    return app ? dynamic_cast<CTown*>(app->GetCurRoom()) : nullptr;
}
} // namespace

CxEvent* CMapObject::CreateEvent(const CxString& category, const CxString& command,
                                 const CxLinkedList<CxString>& arguments)
{
    const bool voice =
        command.EqualsNoCase("Talk") || command.EqualsNoCase("PlayWave") || command.EqualsNoCase("PlaySound");
    if (!voice || !IsOwnCategory(category))
        return CSuperSprite::CreateEvent(category, command, arguments);
    if (arguments.IsEmpty())
    {
        DropEventQuietly();
        return nullptr;
    }
    const uint32_t pick = static_cast<uint32_t>(Random()) % arguments.GetCount();
    const CxString file = InterpolateGameText(arguments.GetAt(pick)->m_Value.c_str());
    auto wave = std::unique_ptr<CxWave>(new (std::nothrow) CxWave);
    if (!wave || wave->Load(BuildGamePath("%s", file.c_str()).c_str()) != CX_ERR_NONE)
    {
        LogEntry(CX_LOG_WARNING, "%s: no sound %s", m_strName.c_str(), file.c_str());
        DropEventQuietly();
        return nullptr;
    }
    return new (std::nothrow) CObjectTalkEvent(this, std::move(wave));
}

void CMapObject::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (!command.EqualsNoCase("SelfDestruct"))
    {
        CSuperSprite::HandleCommand(command, arguments);
        return;
    }
    // Deleting the object here would pull the sequence running this line
    // from under it: the town removes it after its update.
    CTown* town = CurrentTown();
    if (town && !town->m_PendingRemovals.Find(this))
        town->m_PendingRemovals.AddTail(this);
}

CObjectTalkEvent::CObjectTalkEvent(CMapObject* object, std::unique_ptr<CxWave> wave)
    : m_pObject(object), m_pWave(std::move(wave))
{
}

CObjectTalkEvent::~CObjectTalkEvent()
{
    if (m_pObject && m_pObject->m_pVoice == m_pWave.get())
        m_pObject->m_pVoice = nullptr;
}

bool CMapObject::IsSpeaking() const
{
    return m_pVoice && m_pVoice->IsPlaying();
}

void CObjectTalkEvent::Start()
{
    m_bStarted = true;
    if (!m_pWave)
        return;
    CTown* town = CurrentTown();
    if (m_pObject && town)
        m_nVolume = VolumeByDistance(m_pObject->GetPosition(), town->GetViewOrigin());
    m_pWave->SetVolume(m_nVolume);
    m_pWave->Play();
    if (m_pObject)
        m_pObject->m_pVoice = m_pWave.get();
}

void CObjectTalkEvent::Stop()
{
    if (m_pWave)
        m_pWave->Stop();
}
