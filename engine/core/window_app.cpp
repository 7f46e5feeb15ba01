#include "engine/core/window_app.h"

#include "engine/core/pass_driver.h"

#include "engine/core/error.h"
#include "engine/platform/clock.h"
#include "engine/platform/window.h"

namespace {
constexpr uint32_t MAX_FRAMES_PER_SECOND = 1000;
// Without the option the loop runs at a display's usual rate, so a game
// that waits for the player leaves the processor alone; an explicit 0 runs
// passes back to back.
constexpr long DEFAULT_FRAMES_PER_SECOND = 60;

bool ReadFlag(CxOptions& options, const char* key, uint32_t style, uint32_t bit)
{
    long value = (style & bit) ? 1 : 0;
    options.GetNumber("Engine", key, &value, value);
    return value != 0;
}

uint32_t SetBit(uint32_t word, uint32_t bit, bool on)
{
    return on ? (word | bit) : (word & ~bit);
}
} // namespace

CxWindowApp::CxWindowApp(const AppDescription& description) : CxApp(description)
{
    m_rcInitial =
        CxRect(description.m_nLeft, description.m_nTop, description.m_nLeft + description.m_nWidth - 1,
               description.m_nTop + description.m_nHeight - 1);
    m_rcWindow = m_rcInitial;
    m_nBitsPerPixel = description.m_nBitsPerPixel;
    m_nStyle = description.m_nStyle;
    m_nState = STATE_MOUSE_INPUT;
}

CxWindowApp::~CxWindowApp()
{
    DestroyAppWindow();
    if (m_bVideoStarted)
        StopPlatformVideo();
}

uint32_t CxWindowApp::QueryScreenMetrics()
{
    if (!m_bVideoStarted)
        m_bVideoStarted = StartPlatformVideo();
    if (!m_bVideoStarted || !GetDesktopMetrics(&m_nScreenWidth, &m_nScreenHeight, &m_nScreenBitsPerPixel))
        SetError(CX_ERR_UNKNOWN, "Call to ::GetDC(NULL) failed");
    return GetError();
}

uint32_t CxWindowApp::Init()
{
    // Without a display there is nothing to make a window on; the error
    // code makes the run cycle skip its main loop.
    if (QueryScreenMetrics() != CX_ERR_NONE)
        return GetError();
    CxApp::Init();
    m_nStyle = SetBit(m_nStyle, APP_USE_CUSTOM_CURSOR,
                      ReadFlag(*this, "UseCustomCursor", m_nStyle, APP_USE_CUSTOM_CURSOR));
    long fps = DEFAULT_FRAMES_PER_SECOND;
    GetNumber("Engine", "MaxFramesPerSecond", &fps, DEFAULT_FRAMES_PER_SECOND);
    m_nMaxFramesPerSecond = fps < 0                                          ? 0
                            : fps > static_cast<long>(MAX_FRAMES_PER_SECOND) ? MAX_FRAMES_PER_SECOND
                                                                             : static_cast<uint32_t>(fps);
    // The first pass is due at once.
    m_nLastPass = GetSystemTicks() - 1000;
    CreateAppWindow(m_rcInitial);
    if (!(m_nStyle & APP_START_HIDDEN))
        ShowAppWindow();
    return GetError();
}

void CxWindowApp::ApplyVSyncOption()
{
    // Frames go to the display in step with its refresh when the renderer
    // can, which keeps them whole; "Engine"/"VSync"=0 turns that off.
    long vsync = 1;
    GetNumber("Engine", "VSync", &vsync, 1);
    // A run that steps its own clock goes as fast as it can: a present that
    // waited for the refresh would hold up every pass that paints.
    if (m_pPassDriver && !m_pPassDriver->PacesInRealTime())
        vsync = 0;
    if (m_bHasWindow)
        SetPlatformVSync(vsync != 0);
}

uint32_t CxWindowApp::Create()
{
    // The custom cursor (APP_USE_CUSTOM_CURSOR) is set up by the screen layer
    // together with the screen's bits per pixel and capabilities.
    return CxApp::Create();
}

void CxWindowApp::Destroy()
{
    CxApp::Destroy();
}

uint32_t CxWindowApp::ExitInstance()
{
    DestroyScreen();
    DestroyAppWindow();
    // The palette belongs to the screen layer; it is gone with the screen.
    m_pPalette = nullptr;
    if (m_bVideoStarted)
    {
        StopPlatformVideo();
        m_bVideoStarted = false;
    }
    return CxApp::ExitInstance();
}

void CxWindowApp::WaitForNextPass()
{
    if (m_nMaxFramesPerSecond == 0)
        return;
    const uint32_t interval = 1000 / m_nMaxFramesPerSecond;
    const uint32_t elapsed = GetSystemTicks() - m_nLastPass;
    if (elapsed < interval)
        WaitPlatformMessage(interval - elapsed);
}

bool CxWindowApp::PumpMessage()
{
    if (m_pPassDriver)
        m_pPassDriver->BeginPass();
    ST_WINDOW_MESSAGE message;
    bool got = PeekPlatformMessage(&message);
    const bool paced = !m_pPassDriver || m_pPassDriver->PacesInRealTime();
    if (!got && m_nMaxFramesPerSecond > 0 && paced)
    {
        // Nothing to do until the next pass is due or input arrives.
        WaitForNextPass();
        got = PeekPlatformMessage(&message);
    }
    if (got)
    {
        if (message.m_nMessage == CX_WM_QUIT)
            return true;
        WindowProc(message.m_nMessage, message.m_nWParam, message.m_nLParam);
    }
    if (!(m_nState & STATE_MINIMIZED))
    {
        m_nLastPass = GetSystemTicks();
        RunIdlePass();
    }
    if (m_pPassDriver)
        m_pPassDriver->EndPass();
    return false;
}

void CxWindowApp::ShowAppWindow()
{
    if (GetError() == CX_ERR_NONE && m_bHasWindow)
        ShowPlatformWindow();
}

void CxWindowApp::HideAppWindow()
{
    if (GetError() == CX_ERR_NONE)
        HidePlatformWindow();
}

void CxWindowApp::MinimizeAppWindow()
{
    if (GetError() == CX_ERR_NONE && m_bHasWindow)
        MinimizePlatformWindow();
}

void CxWindowApp::MaximizeAppWindow()
{
    if (GetError() == CX_ERR_NONE && m_bHasWindow)
        MaximizePlatformWindow();
}

void CxWindowApp::CenterAppWindow()
{
    MoveAppWindow((m_nScreenWidth - m_rcWindow.Width()) / 2, (m_nScreenHeight - m_rcWindow.Height()) / 2);
}

void CxWindowApp::MoveAppWindow(int32_t x, int32_t y)
{
    if (!m_bHasWindow)
        return;
    // The platform places the client area; the frame lies around it.
    CxRect client;
    CxRect window;
    int32_t dx = 0;
    int32_t dy = 0;
    if (GetPlatformClientRect(&client) && GetPlatformWindowRect(&window))
    {
        dx = client.left - window.left;
        dy = client.top - window.top;
    }
    MovePlatformWindow(x + dx, y + dy);
    ReadWindowRects();
}

void CxWindowApp::SetAppWindowRect(const CxRect& rect)
{
    if (m_bHasWindow)
        SetPlatformWindowRect(rect);
    ReadWindowRects();
    m_rcClient = CxRect(0, 0, rect.Width() - 1, rect.Height() - 1);
}

CxRect CxWindowApp::GetAppWindowRect()
{
    return m_rcWindow;
}

CxRect CxWindowApp::GetAppClientRect()
{
    return m_rcClient;
}

int32_t CxWindowApp::GetClientWidth()
{
    return m_rcClient.Width();
}

int32_t CxWindowApp::GetClientHeight()
{
    return m_rcClient.Height();
}

uint32_t CxWindowApp::GetBitsPerPixel()
{
    return m_nBitsPerPixel;
}

int32_t CxWindowApp::GetScreenWidth()
{
    return m_nScreenWidth;
}

int32_t CxWindowApp::GetScreenHeight()
{
    return m_nScreenHeight;
}

int32_t CxWindowApp::GetScreenBitsPerPixel()
{
    return m_nScreenBitsPerPixel;
}

void CxWindowApp::SetScreen(CxScreenSurface* screen)
{
    m_pScreen = screen;
}

CxScreenSurface* CxWindowApp::GetScreen()
{
    return m_pScreen;
}

void CxWindowApp::SetPalette(CxOSPalette* palette)
{
    m_pPalette = palette;
}

CxOSPalette* CxWindowApp::GetPalette()
{
    return m_pPalette;
}

void CxWindowApp::UpdateFrame() {}

void CxWindowApp::UpdateScreenCursor()
{
    // The screen layer redraws its custom cursor here unless minimised.
}

void CxWindowApp::SetMouseInput(bool on)
{
    m_nState = SetBit(m_nState, STATE_MOUSE_INPUT, on);
}

bool CxWindowApp::IsMouseInputOn()
{
    return (m_nState & STATE_MOUSE_INPUT) != 0;
}

int64_t CxWindowApp::DefaultWindowProc(uint32_t message, uint64_t wParam, int64_t lParam)
{
    (void)message;
    (void)wParam;
    (void)lParam;
    return 0;
}

void CxWindowApp::ReadWindowRects()
{
    CxRect client;
    if (!m_bHasWindow || !GetPlatformWindowRect(&m_rcWindow) || !GetPlatformClientRect(&client))
        return;
    // The drawing area keeps its size when the window is scaled or shown
    // full screen; the presenter fits the picture into the window.
    int32_t width = client.Width();
    int32_t height = client.Height();
    GetPlatformLogicalSize(&width, &height);
    m_rcClient = CxRect(0, 0, width - 1, height - 1);
}

uint32_t CxWindowApp::CreateAppWindow(const CxRect& rect)
{
    DestroyAppWindow();
    m_rcWindow = rect;
    // The palette (CxOSPalette) is made by the screen layer with the screen.

    m_nStyle =
        SetBit(m_nStyle, APP_USE_DIRECTDRAW, ReadFlag(*this, "UseDirectDraw", m_nStyle, APP_USE_DIRECTDRAW));
    m_nStyle = SetBit(m_nStyle, APP_FULL_SCREEN, ReadFlag(*this, "FullScreen", m_nStyle, APP_FULL_SCREEN));
    uint32_t style = 0;
    if (m_nStyle & APP_FULL_SCREEN)
    {
        CxRect area;
        if (GetDesktopWorkArea(&area))
            m_rcWindow = area;
        style |= CX_WINDOW_FULL_SCREEN;
    }
    else if ((m_nStyle & APP_FRAMED) && m_nScreenWidth > m_rcWindow.Width() &&
             m_nScreenHeight > m_rcWindow.Height())
    {
        style |= CX_WINDOW_FRAMED;
        if (m_nStyle & APP_RESIZABLE)
            style |= CX_WINDOW_RESIZABLE;
    }
    if (m_nStyle & APP_DOUBLE_CLICKS)
        style |= CX_WINDOW_DOUBLE_CLICKS;
    const int32_t scale = (m_nStyle & APP_FULL_SCREEN) ? 1 : ReadWindowScale();
    if (m_nStyle & APP_CENTERED)
    {
        const int32_t width = m_rcWindow.Width();
        const int32_t height = m_rcWindow.Height();
        m_rcWindow.left = (m_nScreenWidth - width * scale) / 2;
        m_rcWindow.top = (m_nScreenHeight - height * scale) / 2;
        m_rcWindow.right = m_rcWindow.left + width - 1;
        m_rcWindow.bottom = m_rcWindow.top + height - 1;
    }

    if (!CreatePlatformWindow(m_szAppName, m_rcWindow, style, scale))
    {
        SetError(CX_ERR_UNKNOWN, "Unable to CreateWindow(%s)", m_szAppName);
        return GetError();
    }
    m_bHasWindow = true;
    ReadWindowRects();
    ApplyVSyncOption();
    // The client rectangle is also the first drawing area of the display
    // objects, which take it from GetAppClientRect when they start.
    return GetError();
}

int32_t CxWindowApp::ReadWindowScale()
{
    // 0 (the default) picks the largest whole multiple of the drawing area
    // that fits the desktop's work area.
    long scale = 0;
    GetNumber("Engine", "WindowScale", &scale, 0);
    const int32_t width = m_rcWindow.Width();
    const int32_t height = m_rcWindow.Height();
    if (scale > 0 || width <= 0 || height <= 0)
        return scale > 16 ? 16 : (scale < 1 ? 1 : static_cast<int32_t>(scale));
    CxRect area;
    if (!GetDesktopWorkArea(&area))
        return 1;
    int32_t fit = 1;
    while (width * (fit + 1) <= area.Width() && height * (fit + 1) <= area.Height() && fit < 16)
        ++fit;
    return fit;
}

void CxWindowApp::DestroyAppWindow()
{
    m_nState &= ~STATE_MOUSE_CAPTURED;
    if (!m_bHasWindow)
        return;
    DestroyPlatformWindow();
    m_bHasWindow = false;
}

uint32_t CxWindowApp::CreateScreen(int32_t width, int32_t height, uint32_t bitsPerPixel)
{
    // The screen surfaces (the windowed and the full-screen screen) are made
    // by the screen layer, which overrides this and DestroyScreen.
    (void)width;
    (void)height;
    (void)bitsPerPixel;
    return GetError();
}

void CxWindowApp::DestroyScreen()
{
    m_nState &= ~STATE_DIRECTDRAW_SCREEN;
}

void CxWindowApp::OnKeyDown(uint32_t, uint32_t) {}
void CxWindowApp::OnKeyUp(uint32_t, uint32_t) {}
void CxWindowApp::OnTimer(uint32_t) {}
void CxWindowApp::OnMouseMove(uint32_t, const CxPoint&) {}
void CxWindowApp::OnMouseWheel(uint32_t, const CxPoint&, int32_t) {}
void CxWindowApp::OnLButtonDown(uint32_t, const CxPoint&) {}
void CxWindowApp::OnLButtonUp(uint32_t, const CxPoint&) {}
void CxWindowApp::OnLButtonDblClk(uint32_t, const CxPoint&) {}
void CxWindowApp::OnMButtonDown(uint32_t, const CxPoint&) {}
void CxWindowApp::OnMButtonUp(uint32_t, const CxPoint&) {}
void CxWindowApp::OnMButtonDblClk(uint32_t, const CxPoint&) {}
void CxWindowApp::OnRButtonDown(uint32_t, const CxPoint&) {}
void CxWindowApp::OnRButtonUp(uint32_t, const CxPoint&) {}
void CxWindowApp::OnRButtonDblClk(uint32_t, const CxPoint&) {}
void CxWindowApp::OnPaint(const CxRect&) {}
void CxWindowApp::OnCommand(uint64_t, int64_t) {}
void CxWindowApp::OnUserMessage(uint64_t, int64_t) {}
void CxWindowApp::OnActivate() {}
void CxWindowApp::OnDeactivate() {}
void CxWindowApp::OnMciNotify(uint64_t, int64_t) {}

void CxWindowApp::OnMove(const CxPoint&)
{
    ReadWindowRects();
}

void CxWindowApp::OnSize(const CxSize&)
{
    ReadWindowRects();
}

void CxWindowApp::OnActivateApp(bool active, uint32_t thread)
{
    (void)thread;
    m_nState = SetBit(m_nState, STATE_ACTIVE, active);
    if (active)
    {
        if (!m_pScreen)
            CreateScreen(GetClientWidth(), GetClientHeight(), m_nBitsPerPixel);
    }
    else if (m_nState & STATE_DIRECTDRAW_SCREEN)
        MinimizeAppWindow();
}

uint32_t CxWindowApp::TranslateKey(uint64_t virtualKey, int64_t flags)
{
    uint32_t code = 0;
    switch (virtualKey)
    {
    case CX_VK_CONTROL:
        code = CX_KEY_CONTROL;
        break;
    case CX_VK_PAUSE:
        code = CX_KEY_PAUSE;
        break;
    case CX_VK_END:
        code = CX_KEY_END;
        break;
    case CX_VK_HOME:
        code = CX_KEY_HOME;
        break;
    case CX_VK_LEFT:
        code = CX_KEY_LEFT;
        break;
    case CX_VK_RIGHT:
        code = CX_KEY_RIGHT;
        break;
    case CX_VK_UP:
        code = CX_KEY_UP;
        break;
    case CX_VK_DOWN:
        code = CX_KEY_DOWN;
        break;
    case CX_VK_INSERT:
        code = CX_KEY_INSERT;
        break;
    case CX_VK_DELETE:
        code = CX_KEY_DELETE;
        break;
    case CX_VK_PRIOR:
        code = CX_KEY_PAGE_UP;
        break;
    case CX_VK_NEXT:
        code = CX_KEY_PAGE_DOWN;
        break;
    case CX_VK_SCROLL:
        code = CX_KEY_SCROLL_LOCK;
        break;
    default:
        if (virtualKey >= CX_VK_F1 && virtualKey <= CX_VK_F12)
            code = CX_KEY_F1 + static_cast<uint32_t>(virtualKey - CX_VK_F1);
        break;
    }
    if (code && (flags & CX_KF_ALTDOWN))
        code |= CX_KEY_ALT;
    return code;
}

uint32_t CxWindowApp::TranslateChar(uint64_t character, int64_t flags) const
{
    const uint32_t c = static_cast<uint32_t>(character & 0xFF);
    if (flags & CX_KF_ALTDOWN)
        return c | CX_KEY_ALT;
    if (IsKeyDown(CX_KEY_CONTROL))
        return (c + 64) | CX_KEY_CONTROL;
    return c;
}

bool CxWindowApp::IsKeyDown(uint32_t key)
{
    switch (key)
    {
    case CX_KEY_ALT:
        return IsPlatformKeyDown(CX_VK_MENU);
    case CX_KEY_CONTROL:
        return IsPlatformKeyDown(CX_VK_CONTROL);
    case CX_KEY_SHIFT:
        return IsPlatformKeyDown(CX_VK_SHIFT);
    default:
        return IsPlatformKeyDown(key);
    }
}

// Mouse messages go to the button handlers while mouse input is on (the
// right button acts as the left one when the style says so). False for a
// message that is not the mouse's.
bool CxWindowApp::OnMouseMessage(uint32_t message, uint64_t wParam, int64_t lParam)
{
    const CxPoint point(CxParamX(lParam), CxParamY(lParam));
    const uint32_t keys = static_cast<uint32_t>(wParam & 0xFFFF);
    const bool mouse = (m_nState & STATE_MOUSE_INPUT) != 0;
    const bool rightIsLeft = (m_nStyle & APP_RIGHT_BUTTON_IS_LEFT) != 0;
    switch (message)
    {
    case CX_WM_MOUSEMOVE:
        if (mouse)
        {
            m_bPointerOutside = false;
            OnMouseMove(keys, point);
        }
        return true;
    case CX_WM_LBUTTONDOWN:
        if (mouse)
            OnLButtonDown(keys, point);
        return true;
    case CX_WM_LBUTTONUP:
        if (mouse)
            OnLButtonUp(keys, point);
        return true;
    case CX_WM_LBUTTONDBLCLK:
        if (mouse)
            OnLButtonDblClk(keys, point);
        return true;
    case CX_WM_MBUTTONDOWN:
        if (mouse)
            OnMButtonDown(keys, point);
        return true;
    case CX_WM_MBUTTONUP:
        if (mouse)
            OnMButtonUp(keys, point);
        return true;
    case CX_WM_MBUTTONDBLCLK:
        if (mouse)
            OnMButtonDblClk(keys, point);
        return true;
    case CX_WM_RBUTTONDOWN:
        if (mouse)
            rightIsLeft ? OnLButtonDown(keys, point) : OnRButtonDown(keys, point);
        return true;
    case CX_WM_RBUTTONUP:
        if (mouse)
            rightIsLeft ? OnLButtonUp(keys, point) : OnRButtonUp(keys, point);
        return true;
    case CX_WM_RBUTTONDBLCLK:
        if (mouse)
            rightIsLeft ? OnLButtonDblClk(keys, point) : OnRButtonDblClk(keys, point);
        return true;
    case CX_WM_MOUSEWHEEL:
        if (mouse)
            OnMouseWheel(keys, point, static_cast<int16_t>((wParam >> 16) & 0xFFFF) / CX_WHEEL_DELTA);
        return true;
    default:
        return false;
    }
}

// Key and character messages, translated to the engine's key codes. False
// for a message that is not the keyboard's.
bool CxWindowApp::OnKeyMessage(uint32_t message, uint64_t wParam, int64_t lParam)
{
    const uint32_t repeat = static_cast<uint32_t>(lParam & 0xFFFF);
    switch (message)
    {
    case CX_WM_KEYDOWN:
    case CX_WM_SYSKEYDOWN:
        if (const uint32_t code = TranslateKey(wParam, lParam))
            OnKeyDown(code, repeat);
        return true;
    case CX_WM_CHAR:
    case CX_WM_SYSCHAR:
        if (const uint32_t code = TranslateChar(wParam, lParam))
            OnKeyDown(code, repeat);
        return true;
    case CX_WM_KEYUP:
    case CX_WM_SYSKEYUP:
        if (const uint32_t code = TranslateKey(wParam, lParam))
            OnKeyUp(code, repeat);
        else if (wParam >= 0x20 && wParam <= 0x7E)
            OnKeyUp(TranslateChar(wParam, lParam), repeat);
        return true;
    default:
        return false;
    }
}

int64_t CxWindowApp::WindowProc(uint32_t message, uint64_t wParam, int64_t lParam)
{
    if (OnMouseMessage(message, wParam, lParam) || OnKeyMessage(message, wParam, lParam))
        return 0;
    const CxPoint point(CxParamX(lParam), CxParamY(lParam));
    switch (message)
    {
    case CX_WM_MOVE:
        OnMove(point);
        return 0;
    case CX_WM_SIZE:
        if (wParam == CX_SIZE_MINIMIZED)
        {
            m_nState |= STATE_MINIMIZED;
            return DefaultWindowProc(message, wParam, lParam);
        }
        m_nState &= ~STATE_MINIMIZED;
        if (point.x != 0 && point.y != 0)
            OnSize(CxSize(static_cast<uint16_t>(point.x), static_cast<uint16_t>(point.y)));
        return DefaultWindowProc(message, wParam, lParam);
    case CX_WM_ACTIVATE:
        m_nState = SetBit(m_nState, STATE_MINIMIZED, ((wParam >> 16) & 0xFFFF) != 0);
        if ((wParam & 0xFFFF) == CX_WA_ACTIVE || (wParam & 0xFFFF) == CX_WA_CLICKACTIVE)
            OnActivate();
        else
            OnDeactivate();
        return 0;
    case CX_WM_PAINT:
        // The whole client area is due whenever the system asks for paint.
        if (!m_rcClient.IsEmpty())
            OnPaint(m_rcClient);
        return 0;
    case CX_WM_CLOSE:
        CloseAndQuit();
        return 0;
    case CX_WM_ERASEBKGND:
    case CX_WM_SETCURSOR:
        return 1;
    case CX_WM_ACTIVATEAPP:
        OnActivateApp(wParam != 0, static_cast<uint32_t>(lParam));
        return 0;
    case CX_WM_NCMOUSEMOVE:
        // The pointer left the client area: the system pointer takes over
        // from the engine's cursor (the screen layer hides and shows it).
        m_bPointerOutside = true;
        return 0;
    case CX_WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case CX_WM_SYSCOMMAND:
        // A full-screen screen was given up when the window was minimised;
        // restoring the window takes the whole screen back.
        if ((wParam & 0xFFF0) == CX_SC_RESTORE && (m_nState & STATE_DIRECTDRAW_SCREEN))
        {
            OnActivateApp(true, 0);
            MaximizeAppWindow();
            RaisePlatformWindow();
            return 0;
        }
        return DefaultWindowProc(message, wParam, lParam);
    case CX_WM_MCINOTIFY:
        OnMciNotify(wParam, lParam);
        return 0;
    case CX_WM_TIMER:
        OnTimer(static_cast<uint32_t>(wParam));
        return 0;
    case CX_WM_USER:
        OnUserMessage(wParam, lParam);
        return 0;
    default:
        return DefaultWindowProc(message, wParam, lParam);
    }
}
