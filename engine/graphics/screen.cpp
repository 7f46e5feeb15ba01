#include "engine/graphics/screen.h"

#include "engine/core/options.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/palette.h"
#include "engine/graphics/sprite.h"
#include "engine/platform/presenter.h"
#include "engine/platform/window.h"

#include <chrono>
#include <cstring>
#include <new>

void CxScreenSurface::SetScreenPalette(CxOSPalette* palette)
{
    m_pPalette = palette;
}

CxOSPalette* CxScreenSurface::GetScreenPalette()
{
    return m_pPalette;
}

void CxScreenSurface::SetWindow(void* window)
{
    m_hWindow = window;
}

void* CxScreenSurface::GetWindow()
{
    return m_hWindow;
}

uint32_t CxScreenSurface::PresentRects(const CxRect* rects, int32_t count)
{
    uint32_t error = CX_ERR_NONE;
    for (int32_t i = 0; i < count; ++i)
        error = Present(&rects[i]);
    return error;
}

void CxScreenSurface::UpdateCursor()
{
    if (!CursorNeedsDrawing() && GetShownCursorRect().IsEmpty())
        return;
    const CxRect none;
    Present(&none);
}

CxDibScreen::CxDibScreen()
{
    m_FrameMutex.Create(nullptr, false);
}

CxDibScreen::~CxDibScreen()
{
    StopCursorThread();
    DestroySurface();
}

uint32_t CxDibScreen::Open(const ST_SCREEN_PARAMS& params)
{
    SetWindow(params.hWindow);
    if (!HasPlatformWindow())
    {
        SetError(CX_ERR_UNKNOWN, " ::GetDC() failed");
        return GetError();
    }
    if (params.nBitsPerPixel == 16)
        CxDrawSurface::SetDefaultFormat16(ScreenFormat16());
    return GetError();
}

void CxDibScreen::Close()
{
    ClosePresenter();
}

void CxDibScreen::SetScreenPalette(CxOSPalette* palette)
{
    CxScreenSurface::SetScreenPalette(palette);
    if (!m_bPaletteSet)
    {
        m_bPaletteSet = true;
        return;
    }
    if (!palette)
        return;
    uint8_t rgb[768];
    palette->GetEntries(rgb);
    CxDrawSurface::SetPalette(rgb);
    if (m_nDepth <= 8 && IsCreated())
        Present(nullptr);
}

uint32_t CxDibScreen::CreateSurface(int32_t width, int32_t height, int32_t depth, int32_t pitch)
{
    if (pitch == -1)
        pitch = ((width * depth / 8 + 3) / 4) * 4;
    if (CxDrawSurface::CreateSurface(width, height, depth, pitch) != CX_ERR_NONE)
        return GetError();
    // The screen is painted every frame: it never goes to the swap file.
    SetResident(true);
    SetUserFlags(2);
    if (depth == 16)
        SetPixelFormat(ScreenFormat16());
    if (m_bPaletteSet && m_pPalette)
    {
        uint8_t rgb[768];
        m_pPalette->GetEntries(rgb);
        CxDrawSurface::SetPalette(rgb);
    }
    uint32_t layout = CX_PRESENT_XRGB8888;
    if (depth == 16)
        layout = GetPixelFormat() == CX_PF_565 ? CX_PRESENT_RGB565 : CX_PRESENT_RGB555;
    if (depth != 16 && depth != 32)
    {
        m_pConverted.reset(new (std::nothrow)
                               uint32_t[static_cast<size_t>(width) * static_cast<size_t>(height)]);
    }
    if (!OpenPresenter(width, height, layout) || (depth != 16 && depth != 32 && !m_pConverted))
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "CreateDIBSection failed");
        return GetError();
    }
    SetCursorScreenDepth(depth, GetPixelFormat());
    CxSprite::SetMovieDepth(depth);
    StartCursorThread();
    return GetError();
}

uint32_t CxDibScreen::DestroySurface()
{
    StopCursorThread();
    ClosePresenter();
    return CxDrawSurface::DestroySurface();
}

void CxDibScreen::Upload(const CxRect& rect)
{
    CxRect r;
    if (!r.Intersect(rect, GetRect()))
        return;
    if (m_nDepth == 16 || m_nDepth == 32)
    {
        UploadToPresenter(m_pBits, m_nPitch, r);
        return;
    }
    if (!m_pConverted)
        return;
    // Palettised and 24-bit screens are shown through 32-bit pixels.
    for (int32_t y = r.top; y <= r.bottom; ++y)
    {
        uint32_t* row = m_pConverted.get() + static_cast<size_t>(y) * static_cast<size_t>(m_nWidth);
        for (int32_t x = r.left; x <= r.right; ++x)
        {
            uint8_t rgba[4];
            DecodeColor(ReadPixel(x, y), rgba);
            row[x] = (static_cast<uint32_t>(rgba[0]) << 16) | (static_cast<uint32_t>(rgba[1]) << 8) | rgba[2];
        }
    }
    UploadToPresenter(reinterpret_cast<const uint8_t*>(m_pConverted.get()), m_nWidth * 4, r);
}

uint32_t CxDibScreen::Present(const CxRect* rect)
{
    const CxRect whole = GetRect();
    return PresentRects(rect ? rect : &whole, 1);
}

uint32_t CxDibScreen::PresentRects(const CxRect* rects, int32_t count)
{
    if (GetError() != CX_ERR_NONE || !IsCreated() || !IsPresenterOpen())
        return GetError();
    bool anything = false;
    for (int32_t i = 0; i < count && !anything; ++i)
    {
        CxRect r;
        anything = r.Intersect(rects[i], GetRect());
    }
    const CxRect shown = GetShownCursorRect();
    const bool cursorOn = IsCustomCursorOn() && GetCursorHideCount() < 1 && GetCurrentCursorImage();
    const bool cursorMoves = CursorNeedsDrawing();
    // The cursor left the picture (hidden, switched off): its last area is due.
    const bool cursorGone = !shown.IsEmpty() && !cursorOn;
    if (!anything && !cursorMoves && !cursorGone)
        return GetError();
    LockFrame();
    Lock();
    if (m_pBits)
        ShowFrame(rects, count, true);
    Unlock();
    UnlockFrame();
    return GetError();
}

void CxDibScreen::ShowFrame(const CxRect* rects, int32_t count, bool refreshViewport)
{
    const CxRect shown = GetShownCursorRect();
    const bool cursorOn = IsCustomCursorOn() && GetCursorHideCount() < 1 && GetCurrentCursorImage();
    CxRect drawn;
    const bool drew = cursorOn && DrawCursor(this, &drawn);
    m_rcLastArea = CxRect();
    for (int32_t i = 0; i < count; ++i)
    {
        CxRect r;
        if (!r.Intersect(rects[i], GetRect()))
            continue;
        Upload(r);
        m_rcLastArea.Union(CxRect(m_rcLastArea), r);
    }
    if (drew)
    {
        Upload(drawn);
        m_rcLastArea.Union(CxRect(m_rcLastArea), drawn);
    }
    if (!shown.IsEmpty() && !(drew && shown == drawn))
    {
        // The old cursor area holds the picture again.
        Upload(shown);
        m_rcLastArea.Union(CxRect(m_rcLastArea), shown);
    }
    SetShownCursorRect(drew ? drawn : CxRect());
    ShowPresenter(refreshViewport);
    ++m_nPresents;
    RestoreUnderCursor(this);
}

void CxDibScreen::LockFrame()
{
    m_FrameMutex.Lock(CX_INFINITE);
}

void CxDibScreen::UnlockFrame()
{
    m_FrameMutex.Unlock();
}

void CxDibScreen::UpdateCursorFromThread()
{
    if (!m_FrameMutex.Lock(0))
        return;
    // The screen is resident: its memory stays while the surface exists, so
    // the thread needs no cache lock (which only the main thread takes).
    const bool gone = !GetShownCursorRect().IsEmpty() && (!IsCustomCursorOn() || GetCursorHideCount() >= 1);
    if (IsCreated() && m_pBits && IsPresenterOpen() && (CursorNeedsDrawing() || gone))
        ShowFrame(nullptr, 0, false);
    m_FrameMutex.Unlock();
}

void CxDibScreen::StartCursorThread()
{
    StopCursorThread();
    long use = IsCustomCursorOn() ? 1 : 0;
    long frequency = CX_DEFAULT_CURSOR_FREQUENCY;
    if (CxOptions* options = GetMainOptions())
    {
        options->GetNumber("Engine", "UseCursorThread", &use, use);
        options->GetNumber("Engine", "CursorUpdateFrequency", &frequency, CX_DEFAULT_CURSOR_FREQUENCY);
    }
    if (use == 0 || frequency <= 0)
        return;
    SetPlatformEventLock([](void* screen) { static_cast<CxDibScreen*>(screen)->LockFrame(); },
                         [](void* screen) { static_cast<CxDibScreen*>(screen)->UnlockFrame(); }, this);
    const auto interval = std::chrono::milliseconds(1000 / (frequency > 1000 ? 1000 : frequency));
    m_bCursorThreadRun = true;
    m_CursorThread = std::thread([this, interval] {
        while (m_bCursorThreadRun)
        {
            UpdateCursorFromThread();
            std::this_thread::sleep_for(interval);
        }
    });
}

void CxDibScreen::StopCursorThread()
{
    m_bCursorThreadRun = false;
    if (!m_CursorThread.joinable())
        return;
    m_CursorThread.join();
    SetPlatformEventLock(nullptr, nullptr, nullptr);
}

CxDirectDrawScreen::~CxDirectDrawScreen()
{
    Close();
}

uint32_t CxDirectDrawScreen::Open(const ST_SCREEN_PARAMS& params)
{
    SetWindow(params.hWindow);
    // Without a display that can show full screen the caller falls back to
    // the windowed screen; that is no error worth a dialog.
    if (!HasPlatformWindow() || !IsFullScreenDriverAvailable() || !SetPresenterFullScreen(true))
    {
        SetErrorCode(CX_ERR_UNKNOWN);
        return GetError();
    }
    m_bFullScreen = true;
    if (params.nBitsPerPixel == 16)
        CxDrawSurface::SetDefaultFormat16(ScreenFormat16());
    return GetError();
}

void CxDirectDrawScreen::Close()
{
    CxDibScreen::Close();
    if (m_bFullScreen)
        SetPresenterFullScreen(false);
    m_bFullScreen = false;
}
