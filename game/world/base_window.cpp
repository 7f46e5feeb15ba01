#include "game/world/base_window.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/core/game_path.h"
#include "engine/core/sequence.h"
#include "engine/frame/game_app.h"
#include "engine/media/movie.h"

#include <new>

const char* const BASE_WINDOW_FADE_IN = "$GAMEPATH\\COMMON\\FADE0.SMK";
const char* const BASE_WINDOW_FADE_OUT = "$GAMEPATH\\COMMON\\FADE1.SMK";

namespace {
// The program starts with it set: the first room entered gets no fade in.
bool s_bSkipFade = true;
PFN_PLAY_FADE s_pfnPlayFade = nullptr;

// A fade covers the whole display from its top-left corner and always plays
// to its end: no key or button skips it.
uint32_t PlayFadeMovie(const char* fileName)
{
    constexpr uint32_t setFlags = 0;
    constexpr uint32_t clearFlags = CX_MOVIE_SKIPPABLE;
    return PlayMovie(fileName, 0, 0, setFlags, clearFlags);
}
} // namespace

int32_t CBaseWindowListener::OnEvent(uint32_t channel, CxEvent* event)
{
    m_pRoom->HearEvent(channel, event);
    return 0;
}

CBaseWindow::CBaseWindow() : m_Listener(this) {}

CBaseWindow::~CBaseWindow()
{
    ForgetSequences();
    if (m_nChannel != 0)
    {
        m_Listener.StopListening(m_nChannel);
        DestroyChannel(m_nChannel);
    }
}

void CBaseWindow::SetSkipFade(bool skip)
{
    s_bSkipFade = skip;
}

bool CBaseWindow::GetSkipFade()
{
    return s_bSkipFade;
}

PFN_PLAY_FADE CBaseWindow::SetFadePlayer(PFN_PLAY_FADE player)
{
    PFN_PLAY_FADE previous = s_pfnPlayFade;
    s_pfnPlayFade = player;
    return previous;
}

void CBaseWindow::OnIdlePrompt(int32_t) {}

void CBaseWindow::OnRoomEvent(uint32_t, CxEvent*) {}

void CBaseWindow::HearEvent(uint32_t channel, CxEvent* event)
{
    // The finished event is still alive here: the pump deletes it after the listeners.
    for (auto it = m_Sequences.begin(); it != m_Sequences.end(); ++it)
        if (it->first == event)
        {
            m_Listener.StopListening(it->second);
            m_Sequences.erase(it);
            break;
        }
    OnRoomEvent(channel, event);
}

void CBaseWindow::ForgetSequences()
{
    // A private channel ID may be given to another channel once its sequence is gone.
    for (const auto& entry : m_Sequences)
        m_Listener.StopListening(entry.second);
    m_Sequences.clear();
}

// ---------------------------------------------------------------------------
// The room switch

void CBaseWindow::RoomEnter()
{
    ClearPauses();
    uint32_t id = 0;
    if (CreateChannel(&id) == CX_ERR_NONE)
    {
        m_nChannel = id;
        if (!m_Listener.IsListening(id))
            m_Listener.Listen(id);
    }
}

void CBaseWindow::RoomEnterDone()
{
    if (!s_bSkipFade)
        Fade(BASE_WINDOW_FADE_IN);
    s_bSkipFade = false;
}

void CBaseWindow::RoomLeaveBegin()
{
    CxApp* app = GetApp();
    if (!app || !app->IsQuitting())
        Fade(BASE_WINDOW_FADE_OUT);
}

void CBaseWindow::EndRoomChannel()
{
    if (m_nChannel != 0)
    {
        m_Listener.StopListening(m_nChannel);
        DestroyChannel(m_nChannel);
        m_nChannel = 0;
    }
}

void CBaseWindow::RoomLeave()
{
    EndRoomChannel();
    ForgetSequences();
    StopRoomTimers();
    EmptyCleaner();
}

void CBaseWindow::RoomUpdate()
{
    // The idle check: the countdown has run out while the room is not paused.
    if (m_IdleTimer.HasEnd() && !m_IdleTimer.IsPaused() && m_IdleTimer.GetRemaining() < 1 &&
        m_nIdleLevel < BASE_WINDOW_MAX_IDLE_LEVEL)
    {
        ++m_nIdleLevel;
        OnIdlePrompt(m_nIdleLevel);
        RestartIdleTimer();
    }
    EmptyCleaner();
}

void CBaseWindow::Fade(const char* movie)
{
    AddPause();
    const CxString name = ExpandGamePath(movie);
    // A movie that cannot be opened is skipped: the room goes on without it.
    (s_pfnPlayFade ? s_pfnPlayFade : PlayFadeMovie)(name.c_str());
    RemovePause();
}

// ---------------------------------------------------------------------------
// Pausing

void CBaseWindow::Pause()
{
    CxGameWindow::Pause();
    m_IdleTimer.AddPause();
    for (auto* node = GetRoomTimers().GetTimers().GetHead(); node; node = node->GetNext())
        node->m_Value->AddPause();
    if (m_nChannel != 0)
        PauseChannel(m_nChannel);
}

void CBaseWindow::Resume()
{
    if (m_nChannel != 0)
        ResumeChannel(m_nChannel);
    for (auto* node = GetRoomTimers().GetTimers().GetHead(); node; node = node->GetNext())
        node->m_Value->RemovePause();
    m_IdleTimer.RemovePause();
    CxGameWindow::Resume();
}

void CBaseWindow::ClearPauses()
{
    while (IsPaused())
        RemovePause();
}

// ---------------------------------------------------------------------------
// Sequences, idle prompts and questions

uint32_t CBaseWindow::PlaySequence(const char* fileName, uint32_t channel)
{
    CxEventSequenceFile* sequence = new (std::nothrow) CxEventSequenceFile();
    if (!sequence)
    {
        ReportError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a CxEventSequenceFile for '%s'",
                    fileName ? fileName : "");
        return CX_ERR_OUT_OF_MEMORY;
    }
    sequence->SetFlags(EVENT_AUTO_DELETE);
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    sequence->Load(fileName, app ? &app->GetInterpolator() : nullptr);
    const uint32_t error = sequence->Post(channel != 0 ? channel : m_nChannel);
    // A sequence that could not be posted belongs to nobody.
    if (error != CX_ERR_NONE)
    {
        delete sequence;
        return error;
    }
    const uint32_t inner = sequence->GetPrivateChannel();
    if (inner != 0 && !m_Listener.IsListening(inner))
    {
        m_Listener.Listen(inner);
        m_Sequences.emplace_back(sequence, inner);
    }
    return error;
}

void CBaseWindow::StartIdlePrompts()
{
    m_IdleTimer.Reset();
    m_nIdleLevel = 0;
    m_IdleTimer.Start(m_nIdleInterval);
}

void CBaseWindow::RestartIdleTimer()
{
    if (m_IdleTimer.IsRunning() && !m_IdleTimer.IsPaused())
        m_IdleTimer.Start(m_nIdleInterval);
}

int32_t CBaseWindow::AskYesNo(int32_t type, bool* shown)
{
    AddPause();
    const int32_t answer = m_YesNoHook.Ask(type, shown);
    RemovePause();
    return answer;
}

// ---------------------------------------------------------------------------
// Input

void CBaseWindow::OnKeyDown(uint32_t key, uint32_t flags)
{
    RestartIdleTimer();
    CxGameWindow::OnKeyDown(key, flags);
}

void CBaseWindow::OnKeyUp(uint32_t key, uint32_t flags)
{
    RestartIdleTimer();
    CxGameWindow::OnKeyUp(key, flags);
}

void CBaseWindow::OnMouseMove(uint32_t buttons, const CxPoint& point)
{
    RestartIdleTimer();
    CxGameWindow::OnMouseMove(buttons, point);
}

void CBaseWindow::OnLButtonDown(uint32_t buttons, const CxPoint& point)
{
    RestartIdleTimer();
    CxGameWindow::OnLButtonDown(buttons, point);
}

void CBaseWindow::OnLButtonUp(uint32_t buttons, const CxPoint& point)
{
    RestartIdleTimer();
    CxGameWindow::OnLButtonUp(buttons, point);
}

void CBaseWindow::OnLButtonDblClk(uint32_t buttons, const CxPoint& point)
{
    RestartIdleTimer();
    CxGameWindow::OnLButtonDblClk(buttons, point);
}

void CBaseWindow::OnRButtonDown(uint32_t buttons, const CxPoint& point)
{
    RestartIdleTimer();
    CxGameWindow::OnRButtonDown(buttons, point);
}

void CBaseWindow::OnRButtonUp(uint32_t buttons, const CxPoint& point)
{
    RestartIdleTimer();
    CxGameWindow::OnRButtonUp(buttons, point);
}

void CBaseWindow::OnMouseWheel(uint32_t buttons, const CxPoint& point, int32_t extra)
{
    RestartIdleTimer();
    CxGameWindow::OnMouseWheel(buttons, point, extra);
}

void CBaseWindow::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    RestartIdleTimer();
    CxGameWindow::NotifyParent(a, b, c, d);
}
