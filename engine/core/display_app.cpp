#include "engine/core/display_app.h"

#include "engine/core/error.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"

const char* const CX_DISPLAY_APP_ERROR = "DisplayAppError";

namespace {
// How long the disc prompt waits for input before the caller tries again.
constexpr uint32_t DISC_PROMPT_WAIT_MS = 100;
// Palette indices of the disc prompt, and its margin left and right.
constexpr uint32_t DISC_PROMPT_BACKGROUND = 252;
constexpr uint32_t DISC_PROMPT_TEXT = 255;
constexpr int32_t DISC_PROMPT_MARGIN = 16;

[[noreturn]] void QuitFromDialog()
{
    // Later reports are only counted: nothing is left to show them.
    SetErrorHandler(nullptr);
    throw CX_DISPLAY_APP_ERROR;
}
} // namespace

CxDisplayApp::CxDisplayApp(const AppDescription& description) : CxWindowApp(description) {}

CxDisplayApp::~CxDisplayApp()
{
    if (GetErrorHandler() == ErrorHandler)
        SetErrorHandler(ShowErrorBox);
}

uint32_t CxDisplayApp::Create()
{
    CxWindowApp::Create();
    // Text can be drawn from here on, before any font file is loaded: the
    // disc prompt and the console need it.
    CreateDefaultFont();
    // The hand-over of the screen's drawing surface to the display objects
    // is done here by the display layer.
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
    DestroyDefaultFont();
    CxWindowApp::Destroy();
}

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
    // The dirty rectangles of the display objects are painted into the
    // screen and presented here once the display objects exist.
}

void CxDisplayApp::SetAppWindowRect(const CxRect& rect)
{
    // Without a full-screen screen the window only moves and sizes; the
    // screen layer re-creates its surfaces for the new size.
    CxWindowApp::SetAppWindowRect(rect);
}

void CxDisplayApp::OnKeyDown(uint32_t key, uint32_t repeat)
{
    // Every key goes to the display objects' input dispatch first.
    CxWindowApp::OnKeyDown(key, repeat);
    if (key == (CX_KEY_ALT | 'Q') || key == (CX_KEY_ALT | 'q') || key == (CX_KEY_ALT | CX_KEY_F4))
    {
        OnClose();
        m_bQuit = 1;
    }
    else if (key == (CX_KEY_ALT | 'V') || key == (CX_KEY_ALT | 'v'))
    {
        static const char* const buttons[] = {"Ok"};
        ShowMessageBox("Product Version", GetBuildDate(), buttons, 1, 0, CX_MB_ICON_INFORMATION);
    }
}

void CxDisplayApp::OnPaint(const CxRect& rect)
{
    // The area is marked changed and presented from the screen by the display layer.
    CxWindowApp::OnPaint(rect);
}

void CxDisplayApp::OnActivateApp(bool active, uint32_t thread)
{
    CxWindowApp::OnActivateApp(active, thread);
    // On activation the display objects get the screen's drawing surface again.
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
    // The screen layer copies the prompt onto the screen's drawing surface
    // with CopyDiscPromptTo and presents it here. The caller tries again after every answer; waiting a
    // moment for input keeps that from spinning.
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
