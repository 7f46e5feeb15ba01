#include "engine/media/movie_event.h"

#include "engine/core/game_path.h"
#include "engine/media/movie.h"

#include <cstdlib>
#include <new>

CMovieEvent::CMovieEvent(CxMovie* movie, bool blocking, bool ownsMovie)
    : m_pMovie(movie), m_bOwnsMovie(ownsMovie), m_bBlocking(blocking)
{
}

CMovieEvent::~CMovieEvent()
{
    if (m_bOwnsMovie)
        delete m_pMovie;
}

void CMovieEvent::Start()
{
    // Marked first: a blocking play runs the event pump, which must see this
    // event as started while it waits.
    m_bStarted = true;
    if (m_pMovie)
        m_pMovie->Play(false, m_bBlocking);
}

void CMovieEvent::Stop()
{
    if (m_pMovie)
        m_pMovie->Stop();
}

bool CMovieEvent::IsFinished()
{
    if (!m_bStarted)
        return false;
    if (m_pMovie && m_pMovie->IsPlaying())
        return false;
    if (m_pMovie)
        m_pMovie->Hide();
    return true;
}

void CMovieEvent::Pause()
{
    if (m_pMovie)
        m_pMovie->Pause();
}

void CMovieEvent::Resume()
{
    if (m_pMovie)
        m_pMovie->Resume();
}

bool CMovieEvent::IsBlocked()
{
    return m_pMovie && m_pMovie->IsPaused();
}

namespace {
long Number(const CxLinkedList<CxString>& arguments, uint32_t index)
{
    const auto* node = arguments.GetAt(index);
    return node ? strtol(node->m_Value.c_str(), nullptr, 10) : 0;
}
} // namespace

CxEvent* CreateMovieEvent(const CxLinkedList<CxString>& arguments)
{
    if (arguments.GetCount() < 5)
        return nullptr;
    CxMovie* movie = new (std::nothrow) CxMovie;
    if (!movie)
        return nullptr;
    const long x = Number(arguments, 1);
    const long y = Number(arguments, 2);
    const bool blocking = (Number(arguments, 3) & 1) != 0;
    const long extra = Number(arguments, 4);
    CMovieEvent* event = new (std::nothrow) CMovieEvent(movie, blocking);
    if (!event)
    {
        delete movie;
        return nullptr;
    }
    if (extra != 0)
        movie->SetDecodeFirstFrame(true);
    movie->SetLoop(false);
    // A file that cannot be opened leaves the movie in error: it will not
    // play, and the event finishes at its first test.
    if (movie->Open(BuildGamePath("%s", arguments.GetHead()->m_Value.c_str()).c_str()) == CX_ERR_NONE)
    {
        movie->SetDepth(CX_MOVIE_TOP_LAYER);
        movie->Create(0, 0, movie->GetWidth(), movie->GetHeight(), nullptr);
        if (x != -1 && y != -1)
            movie->SetPosition(static_cast<int32_t>(x), static_cast<int32_t>(y));
        else
            movie->CenterInParent();
    }
    return event;
}
