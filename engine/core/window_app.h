// CxWindowApp: the application layer that owns the program's one top-level
// window. It creates the window from the style flags of the description and
// the options "UseDirectDraw", "FullScreen" and "UseCustomCursor", keeps the
// window and client rectangles, and takes one window message per pass of the
// main loop into WindowProc, which turns keyboard and mouse messages into
// calls of the On... operations with the engine's key codes.
//
// Key codes: the keys of the table below give fixed codes; typed characters
// give their character code. Bit 0x10000000 marks Alt; a character typed
// with Control gives (character + 64) | 0x20000000, so Control+A is 0x20000041.
#pragma once

#include "engine/base/geometry.h"
#include "engine/core/app.h"

#include <cstdint>

class CxPassDriver;
class CxScreenSurface;
class CxOSPalette;

// Style flags (last field of AppDescription).
constexpr uint32_t APP_USE_DIRECTDRAW = 0x001;
constexpr uint32_t APP_USE_CUSTOM_CURSOR = 0x002;
constexpr uint32_t APP_RIGHT_BUTTON_IS_LEFT = 0x004;
constexpr uint32_t APP_DOUBLE_CLICKS = 0x008;
constexpr uint32_t APP_FULL_SCREEN = 0x010;
constexpr uint32_t APP_FRAMED = 0x040;
constexpr uint32_t APP_RESIZABLE = 0x080;
constexpr uint32_t APP_START_HIDDEN = 0x100;
constexpr uint32_t APP_CENTERED = 0x200;
constexpr uint32_t APP_SYSTEM_MENU = 0x400;

// State flags.
constexpr uint32_t STATE_MOUSE_CAPTURED = 0x01;
constexpr uint32_t STATE_ACTIVE = 0x02;
constexpr uint32_t STATE_DIRECTDRAW_SCREEN = 0x04;
constexpr uint32_t STATE_MOUSE_INPUT = 0x08;
constexpr uint32_t STATE_MINIMIZED = 0x10;

// Key code bits and codes.
constexpr uint32_t CX_KEY_ALT = 0x10000000;
constexpr uint32_t CX_KEY_CONTROL = 0x20000000;
constexpr uint32_t CX_KEY_SHIFT = 0x40000000;
constexpr uint32_t CX_KEY_PAUSE = 19;
constexpr uint32_t CX_KEY_F1 = 257; // F1..F12 are 257..268
constexpr uint32_t CX_KEY_F4 = 260;
constexpr uint32_t CX_KEY_F12 = 268;
constexpr uint32_t CX_KEY_END = 270;
constexpr uint32_t CX_KEY_HOME = 271;
constexpr uint32_t CX_KEY_LEFT = 272;
constexpr uint32_t CX_KEY_RIGHT = 273;
constexpr uint32_t CX_KEY_UP = 274;
constexpr uint32_t CX_KEY_DOWN = 275;
constexpr uint32_t CX_KEY_INSERT = 276;
constexpr uint32_t CX_KEY_DELETE = 277;
constexpr uint32_t CX_KEY_PAGE_UP = 278;
constexpr uint32_t CX_KEY_PAGE_DOWN = 279;
constexpr uint32_t CX_KEY_SCROLL_LOCK = 280;

class CxWindowApp : public CxApp
{
public:
    explicit CxWindowApp(const AppDescription& description);
    ~CxWindowApp() override;

    bool PumpMessage() override;
    // Hands the pump's passes to a driver (not owned; null: the devices and
    // the system clock again). Under a driver that steps its own clock the
    // frames do not wait for the display's refresh either.
    void SetPassDriver(CxPassDriver* driver)
    {
        m_pPassDriver = driver;
        ApplyVSyncOption();
    }
    CxPassDriver* GetPassDriver() const { return m_pPassDriver; }
    uint32_t Init() override;
    uint32_t Create() override;
    void Destroy() override;
    uint32_t ExitInstance() override;

    virtual uint32_t QueryScreenMetrics();
    virtual void ShowAppWindow();
    virtual void HideAppWindow();
    virtual void MinimizeAppWindow();
    virtual void MaximizeAppWindow();
    virtual void CenterAppWindow();
    virtual void MoveAppWindow(int32_t x, int32_t y);
    virtual void SetAppWindowRect(const CxRect& rect);
    virtual CxRect GetAppWindowRect();
    virtual CxRect GetAppClientRect();
    virtual int32_t GetClientWidth();
    virtual int32_t GetClientHeight();
    virtual uint32_t GetBitsPerPixel();
    virtual int32_t GetScreenWidth();
    virtual int32_t GetScreenHeight();
    virtual int32_t GetScreenBitsPerPixel();
    virtual void SetScreen(CxScreenSurface* screen);
    virtual CxScreenSurface* GetScreen();
    virtual void SetPalette(CxOSPalette* palette);
    virtual CxOSPalette* GetPalette();
    virtual void UpdateFrame();
    virtual void UpdateScreenCursor();
    virtual void SetMouseInput(bool on);
    virtual bool IsMouseInputOn();
    virtual int64_t DefaultWindowProc(uint32_t message, uint64_t wParam, int64_t lParam);
    virtual int64_t WindowProc(uint32_t message, uint64_t wParam, int64_t lParam);
    virtual uint32_t CreateAppWindow(const CxRect& rect);
    virtual void DestroyAppWindow();
    virtual uint32_t CreateScreen(int32_t width, int32_t height, uint32_t bitsPerPixel);
    virtual void DestroyScreen();
    virtual void OnKeyDown(uint32_t key, uint32_t repeat);
    virtual void OnKeyUp(uint32_t key, uint32_t repeat);
    virtual void OnTimer(uint32_t id);
    virtual void OnMouseMove(uint32_t keys, const CxPoint& point);
    virtual void OnMouseWheel(uint32_t keys, const CxPoint& point, int32_t notches);
    virtual void OnLButtonDown(uint32_t keys, const CxPoint& point);
    virtual void OnLButtonUp(uint32_t keys, const CxPoint& point);
    virtual void OnLButtonDblClk(uint32_t keys, const CxPoint& point);
    virtual void OnMButtonDown(uint32_t keys, const CxPoint& point);
    virtual void OnMButtonUp(uint32_t keys, const CxPoint& point);
    virtual void OnMButtonDblClk(uint32_t keys, const CxPoint& point);
    virtual void OnRButtonDown(uint32_t keys, const CxPoint& point);
    virtual void OnRButtonUp(uint32_t keys, const CxPoint& point);
    virtual void OnRButtonDblClk(uint32_t keys, const CxPoint& point);
    virtual void OnMove(const CxPoint& point);
    virtual void OnSize(const CxSize& size);
    virtual void OnPaint(const CxRect& rect);
    virtual void OnCommand(uint64_t wParam, int64_t lParam);
    virtual void OnUserMessage(uint64_t wParam, int64_t lParam);
    virtual void OnActivate();
    virtual void OnDeactivate();
    virtual void OnMciNotify(uint64_t wParam, int64_t lParam);
    virtual void OnActivateApp(bool active, uint32_t thread);

    // The code of a key message (0 when the key has none), and of a
    // character message.
    static uint32_t TranslateKey(uint64_t virtualKey, int64_t flags);
    uint32_t TranslateChar(uint64_t character, int64_t flags) const;
    // Key-state test: CX_KEY_ALT, CX_KEY_CONTROL and CX_KEY_SHIFT name the
    // modifier keys, anything else is a virtual key number.
    static bool IsKeyDown(uint32_t key);

    uint32_t GetStyle() const { return m_nStyle; }
    uint32_t GetState() const { return m_nState; }
    bool HasAppWindow() const { return m_bHasWindow; }
    // "Engine"/"MaxFramesPerSecond": 60 when the option is absent; 0 (written
    // explicitly) means no limit.
    uint32_t GetMaxFramesPerSecond() const { return m_nMaxFramesPerSecond; }

protected:
    // Turns presenting in step with the display on or off for the window
    // just made ("Engine"/"VSync", default on); CreateAppWindow calls it.
    void ApplyVSyncOption();
    // Waits on the event queue until the next pass is due (frame limit only).
    void WaitForNextPass();
    void ReadWindowRects();
    // "Engine"/"WindowScale" for the window being made (0: the largest whole
    // multiple of the drawing area that fits the desktop).
    int32_t ReadWindowScale();

    CxScreenSurface* m_pScreen = nullptr;
    CxOSPalette* m_pPalette = nullptr;
    CxPassDriver* m_pPassDriver = nullptr;
    CxRect m_rcInitial;
    CxRect m_rcWindow;
    CxRect m_rcClient;
    uint32_t m_nBitsPerPixel = 0;
    int32_t m_nScreenWidth = 0;
    int32_t m_nScreenHeight = 0;
    int32_t m_nScreenBitsPerPixel = 0;
    uint32_t m_nStyle = 0;
    uint32_t m_nState = 0;
    bool m_bHasWindow = false;

private:
    // The mouse and keyboard parts of WindowProc; false for other messages.
    bool OnMouseMessage(uint32_t message, uint64_t wParam, int64_t lParam);
    bool OnKeyMessage(uint32_t message, uint64_t wParam, int64_t lParam);

    bool m_bVideoStarted = false;
    bool m_bPointerOutside = false;
    uint32_t m_nMaxFramesPerSecond = 0;
    uint32_t m_nLastPass = 0;
};
