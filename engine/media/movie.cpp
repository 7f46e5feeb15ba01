#include "engine/media/movie.h"

#include "engine/base/array.h"
#include "engine/core/app.h"
#include "engine/core/main_loop.h"
#include "engine/core/window_app.h"
#include "engine/media/movie_driver.h"

#include <new>

namespace {
CxLinkedList<CxMovie*>& Movies()
{
    static CxLinkedList<CxMovie*> movies;
    return movies;
}

bool IsLiveMovie(const CxMovie* movie)
{
    return Movies().Find(const_cast<CxMovie*>(movie)) != nullptr;
}
} // namespace

const CxLinkedList<CxMovie*>& CxMovie::GetMovies()
{
    return Movies();
}

void MovieServiceFunction()
{
    // A copy: an end listener may delete movies or make new ones.
    CxArray<CxMovie*> pass;
    for (auto* node = Movies().GetHead(); node; node = node->GetNext())
        pass.Add(node->m_Value);
    for (uint32_t i = 0; i < pass.GetCount(); ++i)
    {
        CxMovie* movie = pass[i];
        if (IsLiveMovie(movie) && movie->IsPlaying() && !movie->IsPaused())
            movie->Update();
    }
}

CxMovie::CxMovie()
{
    CxWindowApp* app = dynamic_cast<CxWindowApp*>(GetApp());
    if (app && app->GetBitsPerPixel() == 16)
        m_nMovieFlags |= CX_MOVIE_16BIT;
    Movies().AddTail(this);
    if (Movies().GetCount() == 1)
        AddMainLoopFunction(MovieServiceFunction);
}

CxMovie::~CxMovie()
{
    CxMovie::Close();
    Movies().Remove(this);
    if (Movies().IsEmpty())
        RemoveMainLoopFunction(MovieServiceFunction);
}

void CxMovie::SetMovieFlags(uint32_t bits, bool on)
{
    m_nMovieFlags = on ? (m_nMovieFlags | bits) : (m_nMovieFlags & ~bits);
}

uint32_t CxMovie::Open(const char* fileName, CxDrawSurface* surface)
{
    Close();
    ClearError();
    m_bFailed = false;
    if (!fileName || !fileName[0])
    {
        delete surface;
        SetError(CX_ERR_INVALID_ARGUMENT, "FileName is empty");
        return GetError();
    }
    uint32_t driverFlags = 0;
    if (m_nMovieFlags & CX_MOVIE_IN_TIME)
        driverFlags |= CX_MOVIE_DRIVER_SOUND;
    if (m_nMovieFlags & CX_MOVIE_DRIVER_01)
        driverFlags |= CX_MOVIE_DRIVER_FLAG_01;
    m_pDriver.reset(CreateMovieDriver(fileName, driverFlags));
    if (!m_pDriver)
    {
        delete surface;
        // The registry or the driver has reported the reason already.
        SetErrorCode(CX_ERR_UNKNOWN);
        return GetError();
    }
    m_strFileName = fileName;
    if (!surface)
    {
        surface = new (std::nothrow) CxDrawSurface;
        if (!surface)
        {
            Close();
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not create the surface of the movie %s", fileName);
            return GetError();
        }
    }
    if (!surface->IsCreated())
    {
        const int32_t depth = (m_nMovieFlags & CX_MOVIE_16BIT) ? 16 : m_pDriver->GetBitDepth();
        if (m_pDriver->AllocateSurface(surface, depth) != CX_ERR_NONE)
        {
            delete surface;
            Close();
            SetError(CX_ERR_UNKNOWN, "No compatible movie driver found");
            return GetError();
        }
        if (depth == 16)
            surface->SetPixelFormat(CX_PF_DEFAULT);
    }
    SetImage(surface, 1);
    m_nCurrentFrame = 0;
    if (m_nMovieFlags & CX_MOVIE_FIRST_FRAME)
    {
        ST_MOVIE_FRAME record;
        record.pSurface = surface;
        record.nFrame = 0;
        m_pDriver->DoFrame(&record);
        m_pDriver->Goto(0);
    }
    SetSize(surface->GetWidth(), surface->GetHeight());
    return GetError();
}

void CxMovie::Close()
{
    Hide();
    Stop();
    m_pDriver.reset();
    Unload();
    m_Dirty.RemoveAll();
}

uint32_t CxMovie::Play(bool clearSurface, bool blocking)
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    if (!m_pDriver || !GetImage())
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Play: no movie is open");
        return GetError();
    }
    m_nMovieFlags &= ~CX_MOVIE_END;
    m_bFailed = false;
    m_bSkipped = false;
    const int32_t count = m_pDriver->GetFrameCount();
    int32_t first = 0;
    if (m_nMovieFlags & CX_MOVIE_BACKWARDS)
        first = m_nCurrentFrame > 0 ? m_nCurrentFrame - 1 : count - 1;
    Goto(first);
    if (clearSurface)
        GetImage()->FillRect(nullptr, 0);
    Redraw();
    m_pDriver->Command("Play", 0);
    m_nPauseCount = 0;
    m_nMovieFlags |= CX_MOVIE_PLAYING;
    if (!blocking)
    {
        Update();
        return GetError();
    }
    m_nMovieFlags |= CX_MOVIE_BLOCKING;
    const uint32_t result = DoModal();
    m_nMovieFlags &= ~CX_MOVIE_BLOCKING;
    Hide();
    Stop();
    return result;
}

void CxMovie::Stop()
{
    if ((m_nMovieFlags & CX_MOVIE_PLAYING) && m_pDriver)
        m_pDriver->Command("Stop", 0);
    m_nMovieFlags &= ~(CX_MOVIE_PLAYING | CX_MOVIE_END);
    // A blocking play would otherwise wait for an end that no longer comes.
    if (m_nMovieFlags & CX_MOVIE_BLOCKING)
        EndDialog();
}

void CxMovie::OnEnd()
{
    if (m_nMovieFlags & CX_MOVIE_BLOCKING)
        EndDialog();
}

void CxMovie::Update()
{
    if (!m_pDriver || !GetImage() || m_bUpdating)
        return;
    if ((m_nMovieFlags & CX_MOVIE_END) && (!(m_nMovieFlags & CX_MOVIE_LOOP) || m_bFailed))
    {
        Stop();
        OnEnd();
        // The listener may delete the movie: nothing of it is touched afterwards.
        if (m_pListener)
            m_pListener->OnMovieEnd(this);
        else if (m_pfnEndCallback)
            m_pfnEndCallback(this, 0);
        return;
    }
    m_bUpdating = true;
    const bool inTime = (m_nMovieFlags & CX_MOVIE_IN_TIME) != 0;
    const bool backwards = (m_nMovieFlags & CX_MOVIE_BACKWARDS) != 0;
    const int32_t count = m_pDriver->GetFrameCount();
    const int32_t shown = inTime ? m_pDriver->GetCurrentFrame() : m_nCurrentFrame;
    ST_MOVIE_FRAME record;
    record.nFlags = CX_MOVIE_FRAME_DEFAULT | (inTime ? CX_MOVIE_FRAME_IN_TIME : 0);
    record.pSurface = GetImage();
    record.nFrame = m_nCurrentFrame;
    record.pDirty = &m_Dirty;
    // A driver that cannot draw at all (no frame, no wait) ends the movie
    // rather than failing again on every pass.
    if (m_pDriver->DoFrame(&record) != CX_ERR_NONE &&
        !(record.nFlags & (CX_MOVIE_FRAME_WAIT | CX_MOVIE_FRAME_DONE | CX_MOVIE_FRAME_FAILED)))
        record.nFlags |= CX_MOVIE_FRAME_FAILED;
    if (record.nFlags & CX_MOVIE_FRAME_WAIT)
    {
        m_bUpdating = false;
        return;
    }
    if (record.nFlags & CX_MOVIE_FRAME_FAILED)
    {
        // A frame that does not decode ends the movie, looping or not.
        m_bFailed = true;
        m_nMovieFlags |= CX_MOVIE_END;
    }
    else if (record.nFlags & CX_MOVIE_FRAME_DONE)
    {
        // A looping movie goes past its end: the flag holds for its last frame only.
        const bool last = backwards ? shown <= 0 : shown >= count - 1;
        SetMovieFlags(CX_MOVIE_END, last);
    }
    m_nCurrentFrame = m_pDriver->GetCurrentFrame();
    if (record.nFlags & CX_MOVIE_FRAME_DONE)
        RedrawFrame();
    if (backwards && !m_bFailed)
        Goto(shown > 0 ? shown - 1 : count - 1);
    m_bUpdating = false;
}

void CxMovie::RedrawFrame()
{
    if (!IsShown())
        return;
    const bool scaled =
        (m_nFlags & DO_STRETCHED) && (GetWidth() != m_nFrameWidth || GetHeight() != m_nFrameHeight);
    if ((m_nMovieFlags & CX_MOVIE_REDRAW_ALL) || scaled)
    {
        Redraw();
        return;
    }
    CxRect visible;
    for (auto* node = m_Dirty.GetHead(); node; node = node->GetNext())
        if (visible.Intersect(node->m_Value, CxRect(0, 0, GetWidth() - 1, GetHeight() - 1)))
            AddDirtyRect(RectToScreen(visible));
}

uint32_t CxMovie::Goto(int32_t frame)
{
    m_nCurrentFrame = frame;
    return m_pDriver ? m_pDriver->Goto(frame) : CX_ERR_INVALID_ARGUMENT;
}

int32_t CxMovie::GetFrameCount() const
{
    return m_pDriver ? m_pDriver->GetFrameCount() : 0;
}

uint32_t CxMovie::SetVolume(int32_t volume, int32_t track)
{
    return m_pDriver ? m_pDriver->SetVolume(volume, track) : CX_ERR_INVALID_ARGUMENT;
}

void CxMovie::Pause()
{
    // The sound stops with the pictures; Resume starts both again where they stood.
    if (m_nPauseCount++ == 0 && (m_nMovieFlags & CX_MOVIE_PLAYING) && m_pDriver)
        m_pDriver->Command("Stop", 0);
}

void CxMovie::Resume()
{
    if (m_nPauseCount == 0)
        return;
    if (--m_nPauseCount == 0 && (m_nMovieFlags & CX_MOVIE_PLAYING) && m_pDriver)
        m_pDriver->Command("Play", 0);
}

bool CxMovie::Skip()
{
    if ((m_nMovieFlags & (CX_MOVIE_BLOCKING | CX_MOVIE_SKIPPABLE)) !=
        (CX_MOVIE_BLOCKING | CX_MOVIE_SKIPPABLE))
        return false;
    m_bSkipped = true;
    EndDialog();
    return true;
}

void CxMovie::OnKeyDown(uint32_t key, uint32_t flags)
{
    if (!Skip())
        CxDialogBox::OnKeyDown(key, flags);
}

void CxMovie::OnLButtonDown(uint32_t buttons, const CxPoint& point)
{
    if (!Skip())
        CxDialogBox::OnLButtonDown(buttons, point);
}

void CxMovie::OnMButtonDown(uint32_t buttons, const CxPoint& point)
{
    if (!Skip())
        CxDialogBox::OnMButtonDown(buttons, point);
}

void CxMovie::OnRButtonDown(uint32_t buttons, const CxPoint& point)
{
    if (!Skip())
        CxDialogBox::OnRButtonDown(buttons, point);
}

uint32_t PlayMovie(const char* fileName, int32_t x, int32_t y, uint32_t setFlags, uint32_t clearFlags)
{
    CxMovie* movie = new (std::nothrow) CxMovie;
    if (!movie)
    {
        ReportError(CX_ERR_OUT_OF_MEMORY, "Could not create a movie for %s", fileName ? fileName : "");
        return CX_ERR_OUT_OF_MEMORY;
    }
    // A full-screen movie that never ended would hold the program for ever.
    movie->SetMovieFlags(setFlags & ~CX_MOVIE_LOOP, true);
    movie->SetMovieFlags(clearFlags, false);
    uint32_t error = movie->Open(fileName);
    if (error == CX_ERR_NONE)
    {
        movie->SetDepth(CX_MOVIE_TOP_LAYER);
        movie->Create(0, 0, movie->GetWidth(), movie->GetHeight(), nullptr);
        if (x == -1 && y == -1)
            movie->CenterInParent();
        else
            movie->SetPosition(x, y);
        error = movie->Play(false, true);
    }
    movie->Close();
    delete movie;
    return error;
}
