#include "engine/frame/display_app.h"

#include "engine/base/array.h"
#include "engine/core/error.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/palette.h"
#include "engine/graphics/screen.h"
#include "engine/platform/message_box.h"
#include "engine/platform/presenter.h"
#include "engine/platform/window.h"

#include <new>

const char* const CX_DISPLAY_APP_ERROR = "DisplayAppError";

namespace {
// How long the disc prompt waits for input before the caller tries again.
constexpr uint32_t DISC_PROMPT_WAIT_MS = 100;
// Palette indices of the disc prompt, and its margin left and right.
constexpr uint32_t DISC_PROMPT_BACKGROUND = 252;
constexpr uint32_t DISC_PROMPT_TEXT = 255;
constexpr int32_t DISC_PROMPT_MARGIN = 16;

void RedrawCursor()
{
    if (CxWindowApp* app = dynamic_cast<CxWindowApp*>(GetApp()))
        app->UpdateScreenCursor();
}

[[noreturn]] void QuitFromDialog()
{
    // Later reports are only counted: nothing is left to show them.
    SetErrorHandler(nullptr);
    throw CX_DISPLAY_APP_ERROR;
}
} // namespace

CxDisplayApp::CxDisplayApp(const AppDescription& description) : CxWindowApp(description)
{
    // Until Create installs the in-game dialog, reports show as system boxes.
    if (!GetErrorHandler())
        SetErrorHandler(ShowErrorBox);
}

CxDisplayApp::~CxDisplayApp()
{
    if (GetErrorHandler() == ErrorHandler)
        SetErrorHandler(ShowErrorBox);
}

uint32_t CxDisplayApp::Create()
{
    CxWindowApp::Create();
    // The custom cursor follows the mouse through the display objects' input.
    SetCustomCursor((m_nStyle & APP_USE_CUSTOM_CURSOR) != 0);
    SetCursorRedrawHook(RedrawCursor);
    CxDisplayObject::SetMouseMoveHook(SetCursorPosition);
    // Text can be drawn from here on, before any font file is loaded: the
    // disc prompt and the console need it.
    CreateDefaultFont();
    // The display objects draw into the screen; before the first activation
    // makes one, the root takes the drawing area's size.
    if (m_pScreen)
        CxDisplayObject::SetRootSize(m_pScreen->GetDrawSurface());
    else
        CxDisplayObject::SetRootSize(GetClientWidth(), GetClientHeight());
    SetErrorHandler(ErrorHandler);
    ResetPlatformKeyState(CX_VK_ESCAPE);
    return GetError();
}

void CxDisplayApp::Destroy()
{
    // The dialog needs this application: once it is torn down, errors go
    // back to the plain system box (unless the player quit, which left none).
    if (GetErrorHandler() == ErrorHandler)
        SetErrorHandler(ShowErrorBox);
    CxDisplayObject::SetMouseMoveHook(nullptr);
    CxDisplayObject::DestroyRoot();
    DestroyDefaultFont();
    SetCursorRedrawHook(nullptr);
    ShutdownCursor();
    CxWindowApp::Destroy();
}

uint32_t CxDisplayApp::ExitInstance()
{
    const uint32_t result = CxWindowApp::ExitInstance();
    delete m_pOSPalette;
    m_pOSPalette = nullptr;
    return result;
}

uint32_t CxDisplayApp::CreateScreen(int32_t width, int32_t height, uint32_t bitsPerPixel)
{
    if (m_pScreen)
        DestroyScreen();
    if (!m_pOSPalette)
    {
        m_pOSPalette = new (std::nothrow) CxOSPalette;
        if (!m_pOSPalette)
        {
            SetError(CX_ERR_UNKNOWN, "Could not allocate a new CxOSPalette");
            return GetError();
        }
        m_pOSPalette->Initialize();
        SetPalette(m_pOSPalette);
    }
    ST_SCREEN_PARAMS params;
    params.nWidth = width;
    params.nHeight = height;
    params.nBitsPerPixel = static_cast<int32_t>(bitsPerPixel);
    CxDibScreen* screen = nullptr;
    if (m_nStyle & APP_USE_DIRECTDRAW)
    {
        CxDirectDrawScreen* full = new (std::nothrow) CxDirectDrawScreen;
        if (full && full->Open(params) == CX_ERR_NONE)
        {
            full->SetScreenPalette(m_pOSPalette);
            if (full->CreateSurface(width, height, params.nBitsPerPixel) == CX_ERR_NONE)
            {
                screen = full;
                m_nState |= STATE_DIRECTDRAW_SCREEN;
            }
        }
        if (!screen && full)
        {
            full->Close();
            delete full;
        }
    }
    if (!screen)
    {
        screen = new (std::nothrow) CxDibScreen;
        if (!screen)
        {
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not create a CxScreenSurface");
            return GetError();
        }
        screen->Open(params);
        screen->SetScreenPalette(m_pOSPalette);
        screen->CreateSurface(width, height, params.nBitsPerPixel);
    }
    SetScreen(screen);
    screen->FillRect(nullptr, 0);
    screen->Present(nullptr);
    CxDisplayObject::SetRootSize(screen);
    return GetError();
}

void CxDisplayApp::DestroyScreen()
{
    if (m_pScreen)
    {
        m_pScreen->Close();
        delete m_pScreen;
        SetScreen(nullptr);
    }
    CxWindowApp::DestroyScreen();
}

void CxDisplayApp::UpdateScreenCursor()
{
    if (m_pScreen && !(m_nState & STATE_MINIMIZED))
        m_pScreen->UpdateCursor();
}

void CxDisplayApp::ToggleFullScreen()
{
    const bool full = !IsPresenterFullScreen();
    if (!HasAppWindow() || (full && !IsFullScreenDriverAvailable()))
        return;
    if (m_pScreen)
        m_pScreen->LockFrame();
    const bool switched = SetPresenterFullScreen(full);
    if (m_pScreen)
        m_pScreen->UnlockFrame();
    if (!switched)
        return;
    m_nState = full ? (m_nState | STATE_DIRECTDRAW_SCREEN) : (m_nState & ~STATE_DIRECTDRAW_SCREEN);
    if (m_pScreen)
        m_pScreen->Present(nullptr);
}

int64_t CxDisplayApp::WindowProc(uint32_t message, uint64_t wParam, int64_t lParam)
{
    if (message == CX_WM_SYSKEYDOWN && wParam == CX_VK_RETURN && (lParam & CX_KF_ALTDOWN))
    {
        ToggleFullScreen();
        return 0;
    }
    if (message == CX_WM_NCMOUSEMOVE && GetCursorHideCount() < 1)
    {
        // The pointer left the picture: the engine's cursor goes until it is back.
        HideCustomCursor();
        m_bCursorOutside = true;
        UpdateScreenCursor();
    }
    else if (message == CX_WM_MOUSEMOVE && m_bCursorOutside && IsMouseInputOn())
    {
        if (GetCursorHideCount() > 0)
            ShowCustomCursor();
        m_bCursorOutside = false;
    }
    return CxWindowApp::WindowProc(message, wParam, lParam);
}

void CxDisplayApp::OnKeyUp(uint32_t key, uint32_t repeat)
{
    CxDisplayObject::DispatchKey(false, key, repeat);
}

void CxDisplayApp::OnMouseMove(uint32_t keys, const CxPoint& point)
{
    CxDisplayObject::DispatchMouse(CX_MOUSE_MOVE, keys, point);
}

void CxDisplayApp::OnMouseWheel(uint32_t keys, const CxPoint& point, int32_t notches)
{
    CxDisplayObject::DispatchMouse(CX_MOUSE_WHEEL, keys, point, notches);
}

#define CX_DISPATCH_MOUSE(name, event)                                                                       \
    void CxDisplayApp::name(uint32_t keys, const CxPoint& point)                                             \
    {                                                                                                        \
        CxDisplayObject::DispatchMouse(event, keys, point);                                                  \
    }
CX_DISPATCH_MOUSE(OnLButtonDown, CX_MOUSE_LDOWN)
CX_DISPATCH_MOUSE(OnLButtonUp, CX_MOUSE_LUP)
CX_DISPATCH_MOUSE(OnLButtonDblClk, CX_MOUSE_LDBLCLK)
CX_DISPATCH_MOUSE(OnMButtonDown, CX_MOUSE_MDOWN)
CX_DISPATCH_MOUSE(OnMButtonUp, CX_MOUSE_MUP)
CX_DISPATCH_MOUSE(OnMButtonDblClk, CX_MOUSE_MDBLCLK)
CX_DISPATCH_MOUSE(OnRButtonDown, CX_MOUSE_RDOWN)
CX_DISPATCH_MOUSE(OnRButtonUp, CX_MOUSE_RUP)
CX_DISPATCH_MOUSE(OnRButtonDblClk, CX_MOUSE_RDBLCLK)
#undef CX_DISPATCH_MOUSE

void CxDisplayApp::OnIdle()
{
    CxWindowApp::OnIdle();
    UpdateFrame();
}

void CxDisplayApp::UpdateFrame()
{
    UpdateDisplay();
}

void CxDisplayApp::UpdateDisplay()
{
    if (!GetScreen() || !(m_nState & STATE_ACTIVE))
        return;
    CxArray<CxRect> rects;
    for (auto* node = CxDisplayObject::GetDirtyRects().GetHead(); node; node = node->GetNext())
        rects.Add(node->m_Value);
    // The cursor thread keeps away from a frame being painted.
    GetScreen()->LockFrame();
    CxDisplayObject::UpdateScreen(GetScreen()->GetDrawSurface());
    if (rects.GetCount() == 0)
    {
        // Nothing changed: the cursor may still have moved.
        const CxRect none(0, 0, -1, -1);
        GetScreen()->Present(&none);
    }
    else
        GetScreen()->PresentRects(&rects[0], static_cast<int32_t>(rects.GetCount()));
    GetScreen()->UnlockFrame();
}

void CxDisplayApp::SetAppWindowRect(const CxRect& rect)
{
    if (!(m_nState & STATE_DIRECTDRAW_SCREEN))
    {
        // A window moves and takes the new size; a screen made earlier is
        // made again at that size, so the picture keeps one pixel per pixel.
        CxWindowApp::SetAppWindowRect(rect);
        if (m_pScreen)
            RefreshScreen(false);
        return;
    }
    // Full screen: the screen and the window are made again as on a mode
    // switch. The cursor stays away from the screen meanwhile; its images
    // are kept.
    HideCustomCursor();
    DestroyScreen();
    DestroyAppWindow();
    if (CreateAppWindow(rect) == CX_ERR_NONE)
    {
        ShowAppWindow();
        RefreshScreen(true);
    }
    ShowCustomCursor();
}

void CxDisplayApp::RefreshScreen(bool fullScreen)
{
    // The screen keeps its kind whatever "UseDirectDraw" says: a window
    // switched out of full screen (Alt+Enter) stays a window, and one
    // switched into it stays full screen.
    const uint32_t style = m_nStyle;
    m_nStyle = fullScreen ? (m_nStyle | APP_USE_DIRECTDRAW) : (m_nStyle & ~APP_USE_DIRECTDRAW);
    const uint32_t made = CreateScreen(GetClientWidth(), GetClientHeight(), m_nBitsPerPixel);
    m_nStyle = style;
    // The display objects are told the new size and everything is painted
    // again into the new surface (CreateScreen marks all of it changed).
    if (made != CX_ERR_NONE || !m_pScreen)
        return;
    CxDisplayObject::SetRootSize(m_pScreen->GetDrawSurface());
    if (CxDisplayObject* root = CxDisplayObject::GetRoot())
        root->Redraw();
    UpdateDisplay();
}

void CxDisplayApp::OnKeyDown(uint32_t key, uint32_t repeat)
{
    // Every key goes to the display objects' input dispatch first.
    CxDisplayObject::DispatchKey(true, key, repeat);
    if (key == (CX_KEY_ALT | 'Q') || key == (CX_KEY_ALT | 'q') || key == (CX_KEY_ALT | CX_KEY_F4))
        CloseAndQuit();
    else if (key == (CX_KEY_ALT | 'V') || key == (CX_KEY_ALT | 'v'))
    {
        static const char* const buttons[] = {"Ok"};
        ShowMessageBox("Product Version", GetBuildDate(), buttons, 1, 0, CX_MB_ICON_INFORMATION);
    }
}

void CxDisplayApp::OnPaint(const CxRect& rect)
{
    // The screen still holds the picture: the area is shown again from it.
    if (GetScreen())
        GetScreen()->Present(&rect);
}

void CxDisplayApp::OnActivateApp(bool active, uint32_t thread)
{
    CxWindowApp::OnActivateApp(active, thread);
    // On activation the display objects get the screen's drawing surface again.
    if (active && GetScreen())
        CxDisplayObject::SetRootSize(GetScreen()->GetDrawSurface());
}

int32_t CxDisplayApp::ErrorHandler(uint32_t code, const char* text)
{
    CxDisplayApp* app = dynamic_cast<CxDisplayApp*>(GetApp());
    if (!app)
        return ShowErrorBox(code, text);
    return app->HandleError(code, text);
}

int32_t CxDisplayApp::HandleError(uint32_t code, const char* text)
{
    if (code == CX_ERR_CD_MISSING)
    {
        if (PromptForDisc())
            QuitFromDialog();
        return 1;
    }
    static const char* const buttons[] = {"Continue", "Quit"};
    if (ShowMessageBox(GetErrorText(code), text ? text : "", buttons, 2, 0, CX_MB_ICON_ERROR) == 1)
        QuitFromDialog();
    return 1;
}

bool CxDisplayApp::PromptForDisc()
{
    if (!GetScreen())
    {
        // Nothing to draw the prompt on: ask with a system box instead, and
        // take "Cancel" (the default, so an unattended run cannot wait for
        // ever) as the Escape key.
        static const char* const buttons[] = {"Retry", "Cancel"};
        CxString prompt;
        prompt.Format("Please insert the %s CD, or hit the Escape key to quit.", GetAppName());
        return ShowMessageBox(GetErrorText(CX_ERR_CD_MISSING), prompt.c_str(), buttons, 2, 1,
                              CX_MB_ICON_WARNING) == 1;
    }
    // The prompt covers the screen; everything is repainted once the disc
    // is back. The caller tries again after every answer; waiting a moment
    // for input keeps that from spinning.
    if (CopyDiscPromptTo(GetScreen()->GetDrawSurface(), GetAppName()) == CX_ERR_NONE)
    {
        GetScreen()->Present(nullptr);
        if (CxDisplayObject* root = CxDisplayObject::GetRoot())
            root->Redraw();
    }
    WaitPlatformMessage(DISC_PROMPT_WAIT_MS);
    PollPlatformInput();
    return IsKeyDown(CX_VK_ESCAPE);
}

void CxDisplayApp::DrawDiscPrompt(CxDrawSurface* surface, const char* appName)
{
    if (!surface)
        return;
    surface->FillRect(nullptr, DISC_PROMPT_BACKGROUND);
    CxString prompt;
    prompt.Format("Please insert the %s CD, or hit the Escape key to quit.", appName ? appName : "");
    // Centred on the screen; a long application name wraps inside the margin.
    CxRect area = surface->GetRect();
    area.left += DISC_PROMPT_MARGIN;
    area.right -= DISC_PROMPT_MARGIN;
    DrawText(surface, area, DISC_PROMPT_TEXT, prompt.c_str(),
             CX_TEXT_CENTER | CX_TEXT_VCENTER | CX_TEXT_WORDWRAP);
}

uint32_t CxDisplayApp::CopyDiscPromptTo(CxDrawSurface* target, const char* appName)
{
    if (!target || target->GetWidth() <= 0 || target->GetHeight() <= 0)
        return CX_ERR_INVALID_ARGUMENT;
    CxDrawSurface prompt(target->GetWidth(), target->GetHeight(), 8);
    if (!prompt.IsCreated())
        return prompt.GetError() != CX_ERR_NONE ? prompt.GetError() : CX_ERR_OUT_OF_MEMORY;
    DrawDiscPrompt(&prompt, appName);
    return prompt.Draw(target);
}
