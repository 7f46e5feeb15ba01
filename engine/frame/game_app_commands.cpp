// The "system" event creator of CxGameApp: the built-in commands of
// sequence files.
#include "engine/frame/game_app.h"

#include "engine/core/random.h"
#include "engine/core/sequence.h"
#include "engine/frame/system_events.h"
#include "engine/media/audio_subtitle.h"
#include "engine/media/movie_event.h"
#include "engine/media/sound_event.h"
#include "engine/media/wave.h"

#include <cstdlib>
#include <new>

namespace {
enum class Kind
{
    PlaySound,
    PlayThisSound,
    StartSound,
    Sleep,
    SleepRandomRange,
    Sequence,
    GotoRoom,
    PushRoom,
    PopRoom,
    Notify,
    RunScript,
    PlayMovie
};

struct Command
{
    const char* m_pszName;
    Kind m_Kind;
};

// Looked up in this order without regard to case; the first match decides.
const Command s_Commands[] = {
    {"PlaySound", Kind::PlaySound},
    {"PlayWave", Kind::PlaySound},
    {"PlayThisSound", Kind::PlayThisSound},
    {"PlayThisWave", Kind::PlayThisSound},
    {"StartSound", Kind::StartSound},
    {"StartWave", Kind::StartSound},
    {"Sleep", Kind::Sleep},
    {"SleepRandomRange", Kind::SleepRandomRange},
    {"Sequence", Kind::Sequence},
    {"GotoRoom", Kind::GotoRoom},
    {"PushRoom", Kind::PushRoom},
    {"PopRoom", Kind::PopRoom},
    {"Notify", Kind::Notify},
    {"RunScript", Kind::RunScript},
    {"PlayMovie", Kind::PlayMovie},
};

// Decimal text; a missing or malformed number reads as 0.
long Number(const CxLinkedList<CxString>& arguments, uint32_t index)
{
    const auto* node = arguments.GetAt(index);
    return node ? strtol(node->m_Value.c_str(), nullptr, 10) : 0;
}

// One argument chosen at random (the choice is made when the event is made).
const CxString& Pick(const CxLinkedList<CxString>& arguments)
{
    return arguments.GetAt(static_cast<uint32_t>(RandomChoice(arguments.GetCount())))->m_Value;
}

// The queue that "PlayThisSound" cuts into.
constexpr int32_t EXCLUSIVE_SOUND_QUEUE = 7;

// A sound event for one of the files, chosen at random. A name holding
// ".TXT" is a subtitle file: its sound shows text lines instead of playing
// audio and keeps its own queue.
CxEvent* MakeSoundEvent(const CxLinkedList<CxString>& arguments, Kind kind)
{
    const CxString& file = Pick(arguments);
    const bool subtitled = file.FindNoCase(".TXT") >= 0;
    CxSound* sound = nullptr;
    if (subtitled)
        sound = new (std::nothrow) CxAudioSubTitle;
    else
        sound = new (std::nothrow) CxWave;
    if (!sound)
        return nullptr;
    sound->Load(BuildGamePath("%s", file.c_str()).c_str());
    if (kind == Kind::PlayThisSound && !subtitled)
        sound->SetQueueIndex(EXCLUSIVE_SOUND_QUEUE);
    auto* event =
        new (std::nothrow) CSoundEvent(sound, kind == Kind::StartSound, kind == Kind::PlayThisSound);
    if (!event)
        delete sound;
    return event;
}

bool CountFits(Kind kind, uint16_t count)
{
    switch (kind)
    {
    case Kind::PlaySound:
    case Kind::PlayThisSound:
    case Kind::StartSound:
    case Kind::Sequence:
        return count >= 1;
    case Kind::GotoRoom:
    case Kind::PushRoom:
    case Kind::PopRoom:
    case Kind::Notify:
    case Kind::RunScript:
        return count == 1;
    case Kind::PlayMovie:
        return count >= 5;
    case Kind::Sleep:
    case Kind::SleepRandomRange:
        return true;
    }
    return false;
}
} // namespace

bool IsSystemCommand(const char* name, uint16_t count, bool* countFits)
{
    for (const Command& candidate : s_Commands)
        if (CxCompareNoCase(name, candidate.m_pszName) == 0)
        {
            if (countFits)
                *countFits = CountFits(candidate.m_Kind, count);
            return true;
        }
    return false;
}

CxEvent* CxGameApp::CreateEvent(const CxString& category, const CxString& command,
                                const CxLinkedList<CxString>& arguments)
{
    if (!category.EqualsNoCase("system"))
        return nullptr;
    const Command* found = nullptr;
    for (const Command& candidate : s_Commands)
        if (command.EqualsNoCase(candidate.m_pszName))
        {
            found = &candidate;
            break;
        }
    if (!found)
        return new (std::nothrow) CCommandEvent(this, command, arguments);
    // A line with the wrong number of arguments is dropped without a message.
    if (!CountFits(found->m_Kind, arguments.GetCount()))
    {
        DropEventQuietly();
        return nullptr;
    }

    switch (found->m_Kind)
    {
    case Kind::Sleep:
        return new (std::nothrow) CTimerEvent(static_cast<uint32_t>(Number(arguments, 0)));
    case Kind::SleepRandomRange: {
        const uint32_t low = static_cast<uint32_t>(Number(arguments, 0));
        const uint32_t high = static_cast<uint32_t>(Number(arguments, 1));
        const uint32_t span = high - low + 1;
        const uint32_t duration = span == 0 ? low : low + static_cast<uint32_t>(Random()) % span;
        return new (std::nothrow) CTimerEvent(duration);
    }
    case Kind::Sequence: {
        auto* sequence = new (std::nothrow) CxEventSequenceFile;
        if (sequence)
            sequence->Load(Pick(arguments).c_str(), &m_Interpolator);
        return sequence;
    }
    case Kind::GotoRoom:
        return new (std::nothrow) CRoomEvent(this, Number(arguments, 0));
    case Kind::PushRoom:
        return new (std::nothrow) CPushRoomEvent(this, Number(arguments, 0));
    case Kind::PopRoom:
        return new (std::nothrow) CPopRoomEvent(this);
    case Kind::Notify:
        return new (std::nothrow) CInfoEvent(static_cast<uint32_t>(Number(arguments, 0)));
    case Kind::RunScript:
        return new (std::nothrow) CScriptEvent(this, arguments.GetHead()->m_Value.c_str());
    case Kind::PlaySound:
    case Kind::PlayThisSound:
    case Kind::StartSound:
        return MakeSoundEvent(arguments, found->m_Kind);
    case Kind::PlayMovie:
        return CreateMovieEvent(arguments);
    }
    return nullptr;
}

void CxGameApp::HandleCommand(const CxString&, const CxLinkedList<CxString>&) {}
