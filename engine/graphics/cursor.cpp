#include "engine/graphics/cursor.h"

#include "engine/base/linked_list.h"
#include "engine/core/error.h"
#include "engine/core/mutex.h"
#include "engine/graphics/draw_surface.h"
#include "engine/platform/clock.h"
#include "engine/platform/presenter.h"

#include <atomic>
#include <new>

namespace {
struct CursorState
{
    bool bCustom = false;
    CxLinkedList<CxCursorImage*> images;
    CxCursorImage* pCurrent = nullptr;
    int32_t nShape = -1;
    int32_t nHideCount = 0;
    // Written by the main loop, read by the cursor thread.
    std::atomic<uint64_t> nMouse{0};
    CxPoint ptLastDrawn{-100000, -100000};
    bool bDrawnOnce = false;
    CxDrawSurface* pSaveUnder = nullptr;
    CxRect rcSaved;
    bool bSaved = false;
    CxRect rcShown;
    int32_t nDepth = 16;
    uint8_t nFormat = CX_PF_DEFAULT;
    void (*pfnRedraw)() = nullptr;
};

CursorState& State()
{
    static CursorState state;
    return state;
}

// Holds the named cursor mutex for a scope.
class CCursorLock
{
public:
    CCursorLock()
    {
        m_Mutex.Create("Qex_DDCursor", false);
        m_bLocked = m_Mutex.Lock(CX_INFINITE);
    }
    ~CCursorLock()
    {
        if (m_bLocked)
            m_Mutex.Unlock();
    }

private:
    CxMutex m_Mutex;
    bool m_bLocked = false;
};

CxSize FrameSize(const CxCursorImage& image)
{
    if (!image.m_pImage || image.m_nFrames < 1)
        return CxSize();
    return CxSize(image.m_pImage->GetWidth() / image.m_nFrames, image.m_pImage->GetHeight());
}

int32_t CurrentFrame(const CxCursorImage& image)
{
    if (image.m_fInterval <= 0.0f || image.m_nFrames <= 1)
        return 0;
    return static_cast<int32_t>(GetTickCount() /
                                static_cast<uint32_t>(image.m_fInterval < 1 ? 1 : image.m_fInterval)) %
           image.m_nFrames;
}
} // namespace

CxCursorImage::CxCursorImage(CxDrawSurface* image, int32_t frames, const CxPoint& hotSpot, int32_t type,
                             float interval)
    : m_pImage(image), m_nFrames(frames < 1 ? 1 : frames), m_ptHotSpot(hotSpot), m_nType(type),
      m_fInterval(interval)
{
}

CxCursorImage::~CxCursorImage()
{
    delete m_pImage;
}

void SetCustomCursor(bool on)
{
    // The system pointer stays until there is an image to draw instead.
    State().bCustom = on;
    ShowSystemPointer(!(on && State().pCurrent));
}

bool IsCustomCursorOn()
{
    return State().bCustom;
}

uint32_t RegisterCursorImage(CxCursorImage* image)
{
    if (!image)
    {
        ReportError(CX_ERR_INVALID_ARGUMENT, "RegisterCursorImage: no cursor image");
        return CX_ERR_INVALID_ARGUMENT;
    }
    CursorState& s = State();
    s.images.AddTail(image);
    const CxSize frame = FrameSize(*image);
    CCursorLock lock;
    const bool small =
        !s.pSaveUnder || s.pSaveUnder->GetWidth() < frame.cx || s.pSaveUnder->GetHeight() < frame.cy;
    if (small && frame.cx > 0 && frame.cy > 0)
    {
        const int32_t w =
            s.pSaveUnder && s.pSaveUnder->GetWidth() > frame.cx ? s.pSaveUnder->GetWidth() : frame.cx;
        const int32_t h =
            s.pSaveUnder && s.pSaveUnder->GetHeight() > frame.cy ? s.pSaveUnder->GetHeight() : frame.cy;
        CxDrawSurface* larger = new (std::nothrow) CxDrawSurface(w, h, s.nDepth, nullptr, s.nFormat);
        if (!larger)
            return CX_ERR_OUT_OF_MEMORY;
        delete s.pSaveUnder;
        s.pSaveUnder = larger;
        s.bSaved = false;
    }
    return CX_ERR_NONE;
}

int32_t CountCursorImages()
{
    return State().images.GetCount();
}

void SetCursorShape(int32_t type)
{
    CursorState& s = State();
    if (!s.bCustom)
    {
        if (type != s.nShape)
            SetSystemPointerShape(type);
        s.nShape = type;
        return;
    }
    {
        CCursorLock lock;
        s.nShape = type;
        s.pCurrent = nullptr;
        for (auto* n = s.images.GetHead(); n; n = n->GetNext())
            if (n->m_Value->m_nType == type)
            {
                s.pCurrent = n->m_Value;
                break;
            }
        s.bDrawnOnce = false;
    }
    ShowSystemPointer(!s.pCurrent);
    if (s.pfnRedraw)
        s.pfnRedraw();
}

int32_t GetCursorShape()
{
    return State().nShape;
}

CxCursorImage* GetCurrentCursorImage()
{
    return State().pCurrent;
}

void HideCustomCursor()
{
    ++State().nHideCount;
}

void ShowCustomCursor()
{
    --State().nHideCount;
}

int32_t GetCursorHideCount()
{
    return State().nHideCount;
}

void SetCursorScreenDepth(int32_t depth, uint8_t pixelFormat)
{
    CursorState& s = State();
    CCursorLock lock;
    if (s.nDepth == depth && s.nFormat == pixelFormat)
        return;
    s.nDepth = depth;
    s.nFormat = pixelFormat;
    if (s.pSaveUnder)
    {
        const int32_t w = s.pSaveUnder->GetWidth();
        const int32_t h = s.pSaveUnder->GetHeight();
        delete s.pSaveUnder;
        s.pSaveUnder = new (std::nothrow) CxDrawSurface(w, h, depth, nullptr, pixelFormat);
        s.bSaved = false;
    }
}

void SetCursorPosition(const CxPoint& point)
{
    State().nMouse =
        (static_cast<uint64_t>(static_cast<uint32_t>(point.x)) << 32) | static_cast<uint32_t>(point.y);
}

CxPoint GetCursorPosition()
{
    const uint64_t packed = State().nMouse;
    return CxPoint(static_cast<int32_t>(static_cast<uint32_t>(packed >> 32)),
                   static_cast<int32_t>(static_cast<uint32_t>(packed)));
}

bool CursorNeedsDrawing()
{
    const CursorState& s = State();
    CCursorLock lock;
    if (!s.bCustom || !s.pCurrent || s.nHideCount >= 1)
        return false;
    if (s.pCurrent->m_fInterval > 0.0f || !s.bDrawnOnce)
        return true;
    return !(GetCursorPosition() - s.pCurrent->m_ptHotSpot == s.ptLastDrawn);
}

bool DrawCursor(CxDrawSurface* screen, CxRect* drawn)
{
    CursorState& s = State();
    CCursorLock lock;
    if (!screen || !s.bCustom || !s.pCurrent || s.nHideCount >= 1 || !s.pCurrent->m_pImage)
        return false;
    const CxCursorImage& image = *s.pCurrent;
    const CxSize frame = FrameSize(image);
    const CxPoint topLeft = GetCursorPosition() - image.m_ptHotSpot;
    s.ptLastDrawn = topLeft;
    s.bDrawnOnce = true;
    const CxRect area(topLeft, frame);
    CxRect onScreen;
    if (!onScreen.Intersect(area, screen->GetRect()))
        return false;
    if (s.pSaveUnder)
    {
        const CxRect dest(0, 0, onScreen.Width() - 1, onScreen.Height() - 1);
        screen->Draw(s.pSaveUnder, &dest, &onScreen, CX_COLOR_NONE - 1);
        s.rcSaved = onScreen;
        s.bSaved = true;
    }
    const int32_t f = CurrentFrame(image);
    const CxRect source(f * frame.cx, 0, f * frame.cx + frame.cx - 1, frame.cy - 1);
    image.m_pImage->DrawAt(screen, topLeft.x, topLeft.y, &source);
    if (drawn)
        *drawn = onScreen;
    return true;
}

void RestoreUnderCursor(CxDrawSurface* screen)
{
    CursorState& s = State();
    CCursorLock lock;
    if (!screen || !s.bSaved || !s.pSaveUnder)
        return;
    const CxRect source(0, 0, s.rcSaved.Width() - 1, s.rcSaved.Height() - 1);
    s.pSaveUnder->DrawAt(screen, s.rcSaved.left, s.rcSaved.top, &source, CX_COLOR_NONE - 1);
    s.bSaved = false;
}

CxRect GetShownCursorRect()
{
    return State().rcShown;
}

void SetShownCursorRect(const CxRect& rect)
{
    State().rcShown = rect;
}

void ShutdownCursor()
{
    CursorState& s = State();
    CCursorLock lock;
    while (!s.images.IsEmpty())
        delete s.images.RemoveHead();
    s.pCurrent = nullptr;
    s.nShape = -1;
    delete s.pSaveUnder;
    s.pSaveUnder = nullptr;
    s.bSaved = false;
    s.rcShown = CxRect();
    s.bDrawnOnce = false;
    if (s.bCustom)
        SetCustomCursor(false);
}

void SetCursorRedrawHook(void (*hook)())
{
    State().pfnRedraw = hook;
}
