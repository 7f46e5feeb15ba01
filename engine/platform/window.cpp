#include "engine/platform/window.h"

#include "engine/platform/presenter.h"
#include "engine/platform/window_internal.h"

#include <SDL.h>

#include <cstring>
#include <deque>

using window_detail::ModifiersOf;
using window_detail::TapInput;
using window_detail::VirtualKeyOf;
using window_detail::WindowId;

namespace {
int s_nVideoStarts = 0;
SDL_Window* s_pWindow = nullptr;
uint32_t s_nStyle = 0;

std::deque<ST_WINDOW_MESSAGE> s_Pending;
// Modifiers as of the last event translated, and as of the last message taken.
uint32_t s_nEventModifiers = 0;
uint32_t s_nModifiers = 0;
uint32_t s_nButtons = 0;
int32_t s_nMouseX = 0;
int32_t s_nMouseY = 0;
bool s_bActive = false;
bool s_bMinimized = false;
bool s_Keys[256] = {};
int32_t s_nLogicalWidth = 0;
int32_t s_nLogicalHeight = 0;

void Queue(uint32_t message, uint64_t wParam, int64_t lParam)
{
    s_Pending.push_back(ST_WINDOW_MESSAGE{message, wParam, lParam, s_nEventModifiers});
}

uint64_t MouseKeys()
{
    uint64_t keys = s_nButtons;
    if (s_nEventModifiers & CX_MOD_SHIFT)
        keys |= CX_MK_SHIFT;
    if (s_nEventModifiers & CX_MOD_CONTROL)
        keys |= CX_MK_CONTROL;
    return keys;
}

void QueueActivation(bool active)
{
    if (active == s_bActive)
        return;
    s_bActive = active;
    Queue(CX_WM_ACTIVATE, (active ? CX_WA_ACTIVE : CX_WA_INACTIVE) | (s_bMinimized ? 0x10000u : 0u), 0);
    Queue(CX_WM_ACTIVATEAPP, active ? 1 : 0, 0);
}

void TranslateKey(const SDL_KeyboardEvent& event)
{
    s_nEventModifiers = ModifiersOf(event.keysym.mod);
    const uint32_t vk = VirtualKeyOf(event.keysym);
    if (vk == 0)
        return;
    const bool down = event.state == SDL_PRESSED;
    TapInput({down ? CxInputKind::Key : CxInputKind::KeyUp, 0, 0, 0, vk, s_nEventModifiers});
    s_Keys[vk & 0xFF] = down;
    if (vk == CX_VK_CONTROL)
        s_nEventModifiers =
            down ? (s_nEventModifiers | CX_MOD_CONTROL) : (s_nEventModifiers & ~CX_MOD_CONTROL);
    if (vk == CX_VK_MENU)
        s_nEventModifiers = down ? (s_nEventModifiers | CX_MOD_ALT) : (s_nEventModifiers & ~CX_MOD_ALT);
    if (vk == CX_VK_SHIFT)
        s_nEventModifiers = down ? (s_nEventModifiers | CX_MOD_SHIFT) : (s_nEventModifiers & ~CX_MOD_SHIFT);

    const bool alt = (s_nEventModifiers & CX_MOD_ALT) != 0;
    const bool control = (s_nEventModifiers & CX_MOD_CONTROL) != 0;
    const int64_t flags = 1 | (alt ? CX_KF_ALTDOWN : 0);
    if (!down)
    {
        Queue(alt ? CX_WM_SYSKEYUP : CX_WM_KEYUP, vk, flags);
        return;
    }
    Queue(alt ? CX_WM_SYSKEYDOWN : CX_WM_KEYDOWN, vk, flags);

    // SDL types no text while Control or Alt is held and never for the
    // editing keys; the character messages of those keys are made here.
    const bool letter = vk >= 'A' && vk <= 'Z';
    const bool digit = vk >= '0' && vk <= '9';
    if (alt && !control && (letter || digit || vk == CX_VK_SPACE))
    {
        const bool upper = (s_nEventModifiers & CX_MOD_SHIFT) != 0;
        Queue(CX_WM_SYSCHAR, letter && !upper ? vk + ('a' - 'A') : vk, flags);
    }
    else if (control && !alt && (letter || vk == CX_VK_SPACE))
        Queue(CX_WM_CHAR, letter ? vk - 'A' + 1 : vk, flags);
    else if (!control && !alt &&
             (vk == CX_VK_ESCAPE || vk == CX_VK_RETURN || vk == CX_VK_BACK || vk == CX_VK_TAB))
        Queue(CX_WM_CHAR, vk, flags);
}

void TranslateText(const SDL_TextInputEvent& event)
{
    // Characters typed with Control or Alt alone came from the key already.
    const uint32_t held = s_nEventModifiers & (CX_MOD_CONTROL | CX_MOD_ALT);
    if (held == CX_MOD_CONTROL || held == CX_MOD_ALT)
        return;
    TapInput({CxInputKind::Text, 0, 0, 0, 0, 0, event.text});
    // The engine's characters are single bytes: UTF-8 sequences below 256 are
    // decoded, everything else is dropped.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(event.text);
    const unsigned char* end = p + strnlen(event.text, sizeof(event.text));
    while (p < end)
    {
        if (*p < 0x80)
        {
            Queue(CX_WM_CHAR, *p++, 1);
            continue;
        }
        if ((*p & 0xE0) == 0xC0 && p + 1 < end && (*p & 0x1F) <= 0x03)
        {
            Queue(CX_WM_CHAR, static_cast<uint32_t>(((*p & 0x1F) << 6) | (p[1] & 0x3F)), 1);
            p += 2;
            continue;
        }
        ++p;
        while (p < end && (*p & 0xC0) == 0x80)
            ++p;
    }
}

uint32_t ButtonBit(uint8_t button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT:
        return CX_MK_LBUTTON;
    case SDL_BUTTON_RIGHT:
        return CX_MK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
        return CX_MK_MBUTTON;
    default:
        return 0;
    }
}

void TranslateButton(const SDL_MouseButtonEvent& event)
{
    const uint32_t bit = ButtonBit(event.button);
    if (bit == 0)
        return;
    const CxPoint p = MapWindowToLogical(event.x, event.y);
    s_nMouseX = p.x;
    s_nMouseY = p.y;
    const bool down = event.state == SDL_PRESSED;
    TapInput({down ? CxInputKind::Down : CxInputKind::Up, p.x, p.y, event.button});
    s_nButtons = down ? (s_nButtons | bit) : (s_nButtons & ~bit);
    const uint32_t base = bit == CX_MK_LBUTTON   ? CX_WM_LBUTTONDOWN
                          : bit == CX_MK_RBUTTON ? CX_WM_RBUTTONDOWN
                                                 : CX_WM_MBUTTONDOWN;
    uint32_t message = down ? base : base + 1;
    if (down && event.clicks >= 2 && (event.clicks % 2) == 0 && (s_nStyle & CX_WINDOW_DOUBLE_CLICKS))
        message = base + 2;
    Queue(message, MouseKeys(), CxMakePointParam(p.x, p.y));
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event)
    {
    case SDL_WINDOWEVENT_SHOWN:
        // A freshly shown window of a single-window program is the active
        // application, even where no window manager hands out the focus.
        QueueActivation(true);
        break;
    case SDL_WINDOWEVENT_MOVED:
        Queue(CX_WM_MOVE, 0, CxMakePointParam(event.data1, event.data2));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (!s_bMinimized)
            Queue(CX_WM_SIZE, CX_SIZE_RESTORED, CxMakePointParam(event.data1, event.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        s_bMinimized = true;
        Queue(CX_WM_SIZE, CX_SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        // Leaving the minimised state is the user's restore command.
        if (s_bMinimized && event.event == SDL_WINDOWEVENT_RESTORED)
            Queue(CX_WM_SYSCOMMAND, CX_SC_RESTORE, 0);
        s_bMinimized = false;
        int w = 0;
        int h = 0;
        if (s_pWindow)
            SDL_GetWindowSize(s_pWindow, &w, &h);
        Queue(CX_WM_SIZE, event.event == SDL_WINDOWEVENT_MAXIMIZED ? CX_SIZE_MAXIMIZED : CX_SIZE_RESTORED,
              CxMakePointParam(w, h));
        break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        Queue(CX_WM_PAINT, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        QueueActivation(true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        QueueActivation(false);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        Queue(CX_WM_NCMOUSEMOVE, 0, CxMakePointParam(s_nMouseX, s_nMouseY));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        Queue(CX_WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void Translate(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_QUIT:
        Queue(CX_WM_QUIT, 0, 0);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text);
        break;
    case SDL_MOUSEMOTION: {
        const CxPoint p = MapWindowToLogical(event.motion.x, event.motion.y);
        s_nMouseX = p.x;
        s_nMouseY = p.y;
        TapInput({CxInputKind::Move, p.x, p.y});
        Queue(CX_WM_MOUSEMOVE, MouseKeys(), CxMakePointParam(p.x, p.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button);
        break;
    case SDL_MOUSEWHEEL: {
        int32_t notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches == 0)
            break;
        TapInput({CxInputKind::Wheel, s_nMouseX, s_nMouseY, 0, 0, 0, nullptr, notches});
        const uint64_t delta = static_cast<uint16_t>(static_cast<int16_t>(notches * CX_WHEEL_DELTA));
        Queue(CX_WM_MOUSEWHEEL, (delta << 16) | MouseKeys(), CxMakePointParam(s_nMouseX, s_nMouseY));
        break;
    }
    default:
        break;
    }
}

void (*s_pfnEventLock)(void*) = nullptr;
void (*s_pfnEventUnlock)(void*) = nullptr;
void* s_pEventLockContext = nullptr;

// Holds the event lock for a scope.
class CEventLock
{
public:
    CEventLock()
    {
        if (s_pfnEventLock)
            s_pfnEventLock(s_pEventLockContext);
    }
    ~CEventLock()
    {
        if (s_pfnEventUnlock)
            s_pfnEventUnlock(s_pEventLockContext);
    }
    CEventLock(const CEventLock&) = delete;
    CEventLock& operator=(const CEventLock&) = delete;
};

// Translates SDL events until at least one message is pending or SDL has none.
// Not through SDL_PollEvent: that ends each of its polling rounds with a
// mark in SDL's queue, and a round left early (one event was enough here)
// leaves the mark in front of the events pushed after it, so that the next
// look finds nothing and an injected event came a pass late or not,
// depending on the rounds before. A replay must see its event in the pass
// it was injected.
void Fill()
{
    if (!s_nVideoStarts)
        return;
    CEventLock lock;
    SDL_PumpEvents();
    SDL_Event event;
    while (s_Pending.empty() && SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1)
        Translate(event);
}

void DropRecreationEvents()
{
    SDL_PumpEvents();
    SDL_Event events[64];
    const int count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    const Uint32 id = WindowId();
    for (int i = 0; i < count; ++i)
    {
        const Uint8 kind = events[i].window.event;
        if (events[i].window.windowID == id &&
            (kind == SDL_WINDOWEVENT_SHOWN || kind == SDL_WINDOWEVENT_HIDDEN))
            continue;
        SDL_PushEvent(&events[i]);
    }
}

} // namespace

namespace window_detail {
uint32_t WindowId()
{
    return s_pWindow ? SDL_GetWindowID(s_pWindow) : 0;
}

} // namespace window_detail

bool StartPlatformVideo()
{
    // Closing the window is a request the program may turn down (its close
    // operation can call the quit off); SDL would otherwise follow the close
    // of the last window with a quit of its own, which ends the program
    // whatever the answer.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (s_nVideoStarts == 0)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return false;
        window_detail::InstallInputFilter();
    }
    ++s_nVideoStarts;
    return true;
}

void StopPlatformVideo()
{
    if (s_nVideoStarts == 0)
        return;
    if (--s_nVideoStarts == 0)
    {
        DestroyPlatformWindow();
        FlushPlatformMessages();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

bool IsPlatformVideoStarted()
{
    return s_nVideoStarts > 0;
}

bool GetDesktopMetrics(int32_t* width, int32_t* height, int32_t* bitsPerPixel)
{
    SDL_DisplayMode mode;
    if (!s_nVideoStarts || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    *width = mode.w;
    *height = mode.h;
    *bitsPerPixel = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
    if (*bitsPerPixel == 24 && SDL_BYTESPERPIXEL(mode.format) == 4)
        *bitsPerPixel = 32;
    return true;
}

bool GetDesktopWorkArea(CxRect* area)
{
    SDL_Rect r;
    if (!s_nVideoStarts || SDL_GetDisplayUsableBounds(0, &r) != 0)
        return false;
    *area = CxRect(r.x, r.y, r.x + r.w - 1, r.y + r.h - 1);
    return true;
}

bool IsFullScreenDriverAvailable()
{
    const char* driver = s_nVideoStarts ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!driver)
        return false;
    static const char* const capable[] = {"x11", "wayland", "kmsdrm", "windows", "cocoa"};
    for (const char* name : capable)
        if (strcmp(driver, name) == 0)
            return true;
    return false;
}

bool CreatePlatformWindow(const char* title, const CxRect& client, uint32_t style, int32_t scale)
{
    DestroyPlatformWindow();
    if (!s_nVideoStarts)
        return false;
    if (scale < 1)
        scale = 1;
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!(style & CX_WINDOW_FRAMED) || (style & CX_WINDOW_FULL_SCREEN))
        flags |= SDL_WINDOW_BORDERLESS;
    if ((style & CX_WINDOW_RESIZABLE) && (style & CX_WINDOW_FRAMED))
        flags |= SDL_WINDOW_RESIZABLE;
    s_pWindow = SDL_CreateWindow(title ? title : "", client.left, client.top, client.Width() * scale,
                                 client.Height() * scale, flags);
    if (!s_pWindow)
        return false;
    // The renderer is made with the window: making it may re-create the
    // window (for a graphics context), which must happen before anyone sees
    // the window's id, and the hiding and showing that come with it say
    // nothing about the user.
    // The picture is a small software-drawn surface: the software renderer
    // scales it well enough and keeps the graphics drivers out of the process
    // (the window's framebuffer is the system's own, not an emulation on a
    // graphics context).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!SDL_CreateRenderer(s_pWindow, -1, SDL_RENDERER_SOFTWARE))
        SDL_CreateRenderer(s_pWindow, -1, 0);
    DropRecreationEvents();
    s_nLogicalWidth = client.Width();
    s_nLogicalHeight = client.Height();
    ClearPlatformMouseMapping();
    if (scale > 1)
    {
        // Until the presenter shows the picture it fills the window exactly.
        SetPlatformMouseMapping(CxRect(0, 0, client.Width() * scale - 1, client.Height() * scale - 1),
                                client.Width(), client.Height());
    }
    s_nStyle = style;
    s_bActive = false;
    s_bMinimized = false;
    return true;
}

void DestroyPlatformWindow()
{
    if (!s_pWindow)
        return;
    // The presenter's texture goes with the renderer.
    ClosePresenter();
    if (SDL_Renderer* renderer = SDL_GetRenderer(s_pWindow))
        SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(s_pWindow);
    s_pWindow = nullptr;
    s_nLogicalWidth = 0;
    s_nLogicalHeight = 0;
    ClearPlatformMouseMapping();
    s_bActive = false;
    s_bMinimized = false;
    s_nButtons = 0;
}

bool SetPlatformVSync(bool on)
{
    SDL_Renderer* renderer = s_pWindow ? SDL_GetRenderer(s_pWindow) : nullptr;
    if (!renderer)
        return false;
    SDL_RenderSetVSync(renderer, on ? 1 : 0);
    return IsPlatformVSyncOn();
}

bool IsPlatformVSyncOn()
{
    SDL_Renderer* renderer = s_pWindow ? SDL_GetRenderer(s_pWindow) : nullptr;
    SDL_RendererInfo info;
    return renderer && SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
}

bool HasPlatformWindow()
{
    return s_pWindow != nullptr;
}

void ShowPlatformWindow()
{
    if (s_pWindow)
    {
        if (SDL_GetWindowFlags(s_pWindow) & SDL_WINDOW_MINIMIZED)
            SDL_RestoreWindow(s_pWindow);
        SDL_ShowWindow(s_pWindow);
    }
}

void HidePlatformWindow()
{
    if (s_pWindow)
        SDL_HideWindow(s_pWindow);
}

void MinimizePlatformWindow()
{
    if (s_pWindow)
        SDL_MinimizeWindow(s_pWindow);
}

void MaximizePlatformWindow()
{
    if (s_pWindow)
        SDL_MaximizeWindow(s_pWindow);
}

void MovePlatformWindow(int32_t x, int32_t y)
{
    if (s_pWindow)
        SDL_SetWindowPosition(s_pWindow, x, y);
}

void SetPlatformWindowRect(const CxRect& client)
{
    if (!s_pWindow)
        return;
    // A new client rectangle is a new drawing area, shown unscaled.
    SDL_SetWindowPosition(s_pWindow, client.left, client.top);
    SDL_SetWindowSize(s_pWindow, client.Width(), client.Height());
    s_nLogicalWidth = client.Width();
    s_nLogicalHeight = client.Height();
    ClearPlatformMouseMapping();
}

void RaisePlatformWindow()
{
    if (s_pWindow)
        SDL_RaiseWindow(s_pWindow);
}

bool GetPlatformClientRect(CxRect* client)
{
    if (!s_pWindow)
        return false;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    SDL_GetWindowPosition(s_pWindow, &x, &y);
    SDL_GetWindowSize(s_pWindow, &w, &h);
    *client = CxRect(x, y, x + w - 1, y + h - 1);
    return true;
}

bool GetPlatformWindowRect(CxRect* window)
{
    if (!GetPlatformClientRect(window))
        return false;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    if (SDL_GetWindowBordersSize(s_pWindow, &top, &left, &bottom, &right) == 0)
    {
        window->left -= left;
        window->top -= top;
        window->right += right;
        window->bottom += bottom;
    }
    return true;
}

bool IsPlatformWindowShown()
{
    return s_pWindow && (SDL_GetWindowFlags(s_pWindow) & SDL_WINDOW_SHOWN) != 0;
}

const char* GetPlatformWindowTitle()
{
    return s_pWindow ? SDL_GetWindowTitle(s_pWindow) : "";
}

void SetPlatformEventLock(void (*lock)(void* context), void (*unlock)(void* context), void* context)
{
    s_pfnEventLock = lock;
    s_pfnEventUnlock = unlock;
    s_pEventLockContext = context;
}

bool GetPlatformLogicalSize(int32_t* width, int32_t* height)
{
    if (!s_pWindow)
        return false;
    *width = s_nLogicalWidth;
    *height = s_nLogicalHeight;
    return true;
}

CxPoint GetPlatformMousePosition()
{
    return CxPoint(s_nMouseX, s_nMouseY);
}

void WarpPlatformMouse(const CxPoint& point)
{
    s_nMouseX = point.x;
    s_nMouseY = point.y;
    if (!s_pWindow)
        return;
    const CxPoint inWindow = MapLogicalToWindow(point.x, point.y);
    SDL_WarpMouseInWindow(s_pWindow, inWindow.x, inWindow.y);
}

SDL_Window* GetPlatformSdlWindow()
{
    return s_pWindow;
}

bool PeekPlatformMessage(ST_WINDOW_MESSAGE* message)
{
    Fill();
    if (s_Pending.empty())
        return false;
    *message = s_Pending.front();
    s_Pending.pop_front();
    s_nModifiers = message->m_nModifiers;
    return true;
}

bool WaitPlatformMessage(uint32_t timeoutMs)
{
    if (!s_Pending.empty())
        return true;
    if (!s_nVideoStarts)
        return false;
    CEventLock lock;
    return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs > 0x7FFFFFFF ? 0x7FFFFFFF : timeoutMs)) ==
           1;
}

void PostPlatformMessage(uint32_t message, uint64_t wParam, int64_t lParam)
{
    s_Pending.push_back(ST_WINDOW_MESSAGE{message, wParam, lParam, s_nEventModifiers});
}

uint32_t RemovePlatformMessages(uint32_t message)
{
    if (s_nVideoStarts)
    {
        CEventLock lock;
        SDL_Event event;
        // Bounded: a source that keeps producing events cannot hold the caller here.
        SDL_PumpEvents();
        for (int i = 0;
             i < 4096 && SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1; ++i)
            Translate(event);
    }
    const size_t before = s_Pending.size();
    std::erase_if(s_Pending, [message](const ST_WINDOW_MESSAGE& m) { return m.m_nMessage == message; });
    return static_cast<uint32_t>(before - s_Pending.size());
}

void FlushPlatformMessages()
{
    s_Pending.clear();
    if (s_nVideoStarts)
    {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    s_nEventModifiers = 0;
    s_nModifiers = 0;
    s_nButtons = 0;
    memset(s_Keys, 0, sizeof(s_Keys));
}

uint32_t GetPlatformModifiers()
{
    return s_nModifiers;
}

uint32_t GetPlatformMouseButtons()
{
    return s_nButtons;
}

bool IsPlatformKeyDown(uint32_t virtualKey)
{
    switch (virtualKey)
    {
    case CX_VK_CONTROL:
        return (s_nModifiers & CX_MOD_CONTROL) != 0;
    case CX_VK_MENU:
        return (s_nModifiers & CX_MOD_ALT) != 0;
    case CX_VK_SHIFT:
        return (s_nModifiers & CX_MOD_SHIFT) != 0;
    default:
        return virtualKey < 256 && s_Keys[virtualKey];
    }
}

void ResetPlatformKeyState(uint32_t virtualKey)
{
    if (virtualKey < 256)
        s_Keys[virtualKey] = false;
}

void PollPlatformInput()
{
    if (!s_nVideoStarts)
        return;
    // Keyboard events are read into the key state; everything else stays
    // queued for the main loop.
    CEventLock lock;
    SDL_PumpEvents();
    SDL_Event events[64];
    const int count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYUP);
    for (int i = 0; i < count; ++i)
        TranslateKey(events[i].key);
}

void SetScreenSaverEnabled(bool enabled)
{
    if (!s_nVideoStarts)
        return;
    if (enabled)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}

bool IsScreenSaverEnabled()
{
    return s_nVideoStarts && SDL_IsScreenSaverEnabled() == SDL_TRUE;
}
