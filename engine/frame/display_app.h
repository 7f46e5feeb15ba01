// CxDisplayApp: the application layer with the screen, the error dialog and
// the per-pass redraw.
//
// Its error handler shows every reported error in a box titled with the
// code's text, with the buttons "Continue" and "Quit". "Quit" removes the
// handler and throws "DisplayAppError", the one exception of the engine,
// which the run cycle catches to tear the application down. The missing-disc
// code asks for the disc instead and is answered "try again" until the
// player gives up with Escape.
//
// Create builds the engine's built-in default font and Destroy frees it. The
// display objects and the screen surfaces join this layer from the graphics
// code: UpdateDisplay paints the dirty rectangles into the screen once one
// exists, and the disc prompt (DrawDiscPrompt) is drawn on it.
#pragma once

#include "engine/core/window_app.h"

#include <cstdint>

class CxDrawSurface;

// The text thrown when the player quits from an error dialog.
extern const char* const CX_DISPLAY_APP_ERROR;

class CxDisplayApp : public CxWindowApp
{
public:
    explicit CxDisplayApp(const AppDescription& description);
    ~CxDisplayApp() override;

    uint32_t Create() override;
    void Destroy() override;
    void OnIdle() override;
    void UpdateFrame() override;
    void SetAppWindowRect(const CxRect& rect) override;
    void OnKeyDown(uint32_t key, uint32_t repeat) override;
    void OnPaint(const CxRect& rect) override;
    void OnActivateApp(bool active, uint32_t thread) override;
    uint32_t ExitInstance() override;
    // The windowed screen, or the full-screen one when "UseDirectDraw" is on
    // and the display can show it (the windowed one otherwise).
    uint32_t CreateScreen(int32_t width, int32_t height, uint32_t bitsPerPixel) override;
    void DestroyScreen() override;
    void UpdateScreenCursor() override;
    // Alt+Enter switches between windowed and full screen.
    int64_t WindowProc(uint32_t message, uint64_t wParam, int64_t lParam) override;
    // Keys up and every mouse operation go to the display objects.
    void OnKeyUp(uint32_t key, uint32_t repeat) override;
    void OnMouseMove(uint32_t keys, const CxPoint& point) override;
    void OnMouseWheel(uint32_t keys, const CxPoint& point, int32_t notches) override;
    void OnLButtonDown(uint32_t keys, const CxPoint& point) override;
    void OnLButtonUp(uint32_t keys, const CxPoint& point) override;
    void OnLButtonDblClk(uint32_t keys, const CxPoint& point) override;
    void OnMButtonDown(uint32_t keys, const CxPoint& point) override;
    void OnMButtonUp(uint32_t keys, const CxPoint& point) override;
    void OnMButtonDblClk(uint32_t keys, const CxPoint& point) override;
    void OnRButtonDown(uint32_t keys, const CxPoint& point) override;
    void OnRButtonUp(uint32_t keys, const CxPoint& point) override;
    void OnRButtonDblClk(uint32_t keys, const CxPoint& point) override;

    // Paints the dirty rectangles into the screen and presents them.
    virtual void UpdateDisplay();
    // Switches the screen between a window and the whole display.
    void ToggleFullScreen();

    // The handler installed by Create; it calls HandleError of the application.
    static int32_t ErrorHandler(uint32_t code, const char* text);
    // Shows the error (may throw CX_DISPLAY_APP_ERROR); returns 1 ("carry on" / "try again").
    int32_t HandleError(uint32_t code, const char* text);

    // Draws the missing-disc prompt with the default font: the surface (8-bit,
    // the screen's size) filled with index 252, the text in index 255.
    static void DrawDiscPrompt(CxDrawSurface* surface, const char* appName);
    // Draws the prompt into an 8-bit surface of the target's size and copies
    // it onto the target (the screen's drawing surface), converting colours.
    static uint32_t CopyDiscPromptTo(CxDrawSurface* target, const char* appName);

protected:
    // Makes the screen again at the client size, full screen or windowed, and
    // paints everything into it.
    void RefreshScreen(bool fullScreen);
    // Asks for the game disc; true when the player gave up.
    bool PromptForDisc();

    CxOSPalette* m_pOSPalette = nullptr;
    // The engine's cursor was hidden because the pointer left the window.
    bool m_bCursorOutside = false;
};
