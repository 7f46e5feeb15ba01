// The program's one top-level window and its message queue, on SDL.
//
// SDL events are translated into the engine's message records (the window
// procedure of CxWindowApp receives them one per pass): the message number,
// a word parameter and a long parameter laid out as the engine's window
// procedure expects them. One SDL event may become several records (a key
// that also types a character, a focus change that both activates the window
// and the application); they wait in a small queue in front of SDL's.
//
// Mouse buttons and modifier keys are tracked from the events received, not
// read from SDL, because events pushed by tests never reach SDL's own state.
#pragma once

#include "engine/platform/input_kind.h"

#include "engine/base/geometry.h"

#include <cstdint>

// Message numbers.
constexpr uint32_t CX_WM_NULL = 0x0000;
constexpr uint32_t CX_WM_MOVE = 0x0003;
constexpr uint32_t CX_WM_SIZE = 0x0005;
constexpr uint32_t CX_WM_ACTIVATE = 0x0006;
constexpr uint32_t CX_WM_PAINT = 0x000F;
constexpr uint32_t CX_WM_CLOSE = 0x0010;
constexpr uint32_t CX_WM_QUIT = 0x0012;
constexpr uint32_t CX_WM_ERASEBKGND = 0x0014;
constexpr uint32_t CX_WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t CX_WM_SETCURSOR = 0x0020;
constexpr uint32_t CX_WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t CX_WM_KEYDOWN = 0x0100;
constexpr uint32_t CX_WM_KEYUP = 0x0101;
constexpr uint32_t CX_WM_CHAR = 0x0102;
constexpr uint32_t CX_WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t CX_WM_SYSKEYUP = 0x0105;
constexpr uint32_t CX_WM_SYSCHAR = 0x0106;
constexpr uint32_t CX_WM_COMMAND = 0x0111;
constexpr uint32_t CX_WM_SYSCOMMAND = 0x0112;
constexpr uint32_t CX_WM_TIMER = 0x0113;
constexpr uint32_t CX_WM_MOUSEMOVE = 0x0200;
constexpr uint32_t CX_WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t CX_WM_LBUTTONUP = 0x0202;
constexpr uint32_t CX_WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t CX_WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t CX_WM_RBUTTONUP = 0x0205;
constexpr uint32_t CX_WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t CX_WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t CX_WM_MBUTTONUP = 0x0208;
constexpr uint32_t CX_WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t CX_WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t CX_WM_MCINOTIFY = 0x03B9; // posted by media playback
constexpr uint32_t CX_WM_USER = 0x0400;

// CX_WM_SIZE word parameter.
constexpr uint32_t CX_SIZE_RESTORED = 0;
constexpr uint32_t CX_SIZE_MINIMIZED = 1;
constexpr uint32_t CX_SIZE_MAXIMIZED = 2;
// CX_WM_SYSCOMMAND word parameter.
constexpr uint32_t CX_SC_RESTORE = 0xF120;
// CX_WM_ACTIVATE word parameter: low word the state, high word 1 when minimised.
constexpr uint32_t CX_WA_INACTIVE = 0;
constexpr uint32_t CX_WA_ACTIVE = 1;
constexpr uint32_t CX_WA_CLICKACTIVE = 2;
// Key messages: the long parameter holds the repeat count in its low word
// and this bit when Alt was down.
constexpr int64_t CX_KF_ALTDOWN = 0x20000000;
// Mouse messages: the word parameter holds these button and key bits.
constexpr uint32_t CX_MK_LBUTTON = 0x01;
constexpr uint32_t CX_MK_RBUTTON = 0x02;
constexpr uint32_t CX_MK_SHIFT = 0x04;
constexpr uint32_t CX_MK_CONTROL = 0x08;
constexpr uint32_t CX_MK_MBUTTON = 0x10;
constexpr int32_t CX_WHEEL_DELTA = 120;

// Virtual key numbers of the keys the engine distinguishes. Letters and
// digits are their upper-case ASCII codes.
constexpr uint32_t CX_VK_BACK = 0x08;
constexpr uint32_t CX_VK_TAB = 0x09;
constexpr uint32_t CX_VK_RETURN = 0x0D;
constexpr uint32_t CX_VK_SHIFT = 0x10;
constexpr uint32_t CX_VK_CONTROL = 0x11;
constexpr uint32_t CX_VK_MENU = 0x12; // Alt
constexpr uint32_t CX_VK_PAUSE = 0x13;
constexpr uint32_t CX_VK_ESCAPE = 0x1B;
constexpr uint32_t CX_VK_SPACE = 0x20;
constexpr uint32_t CX_VK_PRIOR = 0x21; // Page Up
constexpr uint32_t CX_VK_NEXT = 0x22;  // Page Down
constexpr uint32_t CX_VK_END = 0x23;
constexpr uint32_t CX_VK_HOME = 0x24;
constexpr uint32_t CX_VK_LEFT = 0x25;
constexpr uint32_t CX_VK_UP = 0x26;
constexpr uint32_t CX_VK_RIGHT = 0x27;
constexpr uint32_t CX_VK_DOWN = 0x28;
constexpr uint32_t CX_VK_INSERT = 0x2D;
constexpr uint32_t CX_VK_DELETE = 0x2E;
constexpr uint32_t CX_VK_F1 = 0x70; // F1..F12 follow one after another
constexpr uint32_t CX_VK_F12 = 0x7B;
constexpr uint32_t CX_VK_SCROLL = 0x91;

// Modifier bits of CxInjectKey and GetPlatformModifiers.
constexpr uint32_t CX_MOD_SHIFT = 0x1;
constexpr uint32_t CX_MOD_CONTROL = 0x2;
constexpr uint32_t CX_MOD_ALT = 0x4;

struct ST_WINDOW_MESSAGE
{
    uint32_t m_nMessage;
    uint64_t m_nWParam;
    int64_t m_nLParam;
    // Modifier keys (CX_MOD_*) at the time of the event.
    uint32_t m_nModifiers;
};

// Packs a point into a long parameter as two signed 16-bit halves.
inline int64_t CxMakePointParam(int32_t x, int32_t y)
{
    return static_cast<int64_t>((static_cast<uint32_t>(x) & 0xFFFF) |
                                ((static_cast<uint32_t>(y) & 0xFFFF) << 16));
}
inline int32_t CxParamX(int64_t param)
{
    return static_cast<int16_t>(param & 0xFFFF);
}
inline int32_t CxParamY(int64_t param)
{
    return static_cast<int16_t>((param >> 16) & 0xFFFF);
}

// Style of the window to create.
constexpr uint32_t CX_WINDOW_FRAMED = 0x01;
constexpr uint32_t CX_WINDOW_RESIZABLE = 0x02;
constexpr uint32_t CX_WINDOW_FULL_SCREEN = 0x04;
constexpr uint32_t CX_WINDOW_DOUBLE_CLICKS = 0x08;

// Starts the video layer (once; later calls only count). False when no video
// driver can be started. StopPlatformVideo undoes one start.
bool StartPlatformVideo();
void StopPlatformVideo();
bool IsPlatformVideoStarted();
// Desktop size and depth of the first display; false without video.
bool GetDesktopMetrics(int32_t* width, int32_t* height, int32_t* bitsPerPixel);
// The part of the desktop windows may use (right and bottom inclusive).
bool GetDesktopWorkArea(CxRect* area);
// True when the running video driver can show a window full screen on a real display.
bool IsFullScreenDriverAvailable();

// The window. Created hidden; the rectangle is its client area in desktop
// coordinates. With a scale above 1 the window is that many times as large
// as the client area, which keeps its logical size (the engine's drawing
// area; see GetPlatformLogicalSize).
bool CreatePlatformWindow(const char* title, const CxRect& client, uint32_t style, int32_t scale = 1);
void DestroyPlatformWindow();
bool HasPlatformWindow();
void ShowPlatformWindow();
void HidePlatformWindow();
void MinimizePlatformWindow();
void MaximizePlatformWindow();
void MovePlatformWindow(int32_t x, int32_t y);
void SetPlatformWindowRect(const CxRect& client);
void RaisePlatformWindow();
// The outer rectangle (frame included) and the client rectangle, both in desktop coordinates.
bool GetPlatformWindowRect(CxRect* window);
bool GetPlatformClientRect(CxRect* client);
bool IsPlatformWindowShown();
const char* GetPlatformWindowTitle();
// The size of the engine's drawing area (the client size given at creation);
// false without a window.
bool GetPlatformLogicalSize(int32_t* width, int32_t* height);

// Mouse positions arrive in the engine's drawing-area coordinates: the
// presenter tells where the picture of the logical size lies in the window
// (viewport in window coordinates); without a mapping window coordinates are
// taken as they are.
void SetPlatformMouseMapping(const CxRect& viewport, int32_t logicalWidth, int32_t logicalHeight);
void ClearPlatformMouseMapping();
// Window coordinates to drawing-area coordinates and back.
CxPoint MapWindowToLogical(int32_t x, int32_t y);
CxPoint MapLogicalToWindow(int32_t x, int32_t y);
// The last mouse position received, in drawing-area coordinates.
CxPoint GetPlatformMousePosition();
// Moves the system pointer to a drawing-area point (through the window
// mapping) and takes it as the last position received. Without a window
// only the position changes.
void WarpPlatformMouse(const CxPoint& point);

// Presenting in step with the display's refresh, when the renderer offers
// it; returns whether it is now on. Lasts until the window is re-created.
bool SetPlatformVSync(bool on);
bool IsPlatformVSyncOn();

// The SDL window, for the rest of the platform layer.
struct SDL_Window;
SDL_Window* GetPlatformSdlWindow();

// A lock held while SDL reads events (a thread that presents the cursor
// must not draw while the window handles a change of size); null for none.
void SetPlatformEventLock(void (*lock)(void* context), void (*unlock)(void* context), void* context);

// Takes at most one message without waiting; false when none is pending.
bool PeekPlatformMessage(ST_WINDOW_MESSAGE* message);
// Waits up to timeoutMs for an event; true when one is pending.
bool WaitPlatformMessage(uint32_t timeoutMs);
// Queues a message of the program's own (CX_WM_QUIT ends the main loop).
void PostPlatformMessage(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0);
// Drops every pending message and the tracked key and button state.
void FlushPlatformMessages();
// Takes every message SDL has ready into the queue, then drops the pending
// messages with this number and keeps the others in order. Returns how many
// were dropped.
uint32_t RemovePlatformMessages(uint32_t message);

// The modifier keys and buttons as of the last message taken.
uint32_t GetPlatformModifiers();
uint32_t GetPlatformMouseButtons();
// True when the key (CX_VK_*) is down as far as the received events tell.
bool IsPlatformKeyDown(uint32_t virtualKey);
void ResetPlatformKeyState(uint32_t virtualKey);
// Reads any events SDL has for the window so that the key state is current.
void PollPlatformInput();

void SetScreenSaverEnabled(bool enabled);
bool IsScreenSaverEnabled();

// Input from the devices as the window translates it, for recordings:
// points in logical coordinates, buttons 1 left, 2 middle, 3 right, keys
// as CX_VK_* with CX_MOD_* bits, typed text as UTF-8.
struct CxInputRecord
{
    CxInputKind kind = CxInputKind::Move;
    int32_t x = 0, y = 0;
    int32_t button = 0;
    uint32_t key = 0, mods = 0;
    const char* text = nullptr;
    int32_t notches = 0;
};
using PFN_INPUT_TAP = void (*)(const CxInputRecord& input, void* context);
// Calls tap with every input event the window translates (null: none).
void SetPlatformInputTap(PFN_INPUT_TAP tap, void* context);
// While blocked, input from the devices is dropped as it arrives: only the
// input of the CxInject functions reaches the program (replayed runs).
void SetPlatformDeviceInputBlocked(bool blocked);

// Input as a user would make it, pushed into SDL's event queue (tests and
// scripted runs). Coordinates are client coordinates.
void CxInjectKey(uint32_t virtualKey, bool down, uint32_t modifiers = 0);
void CxInjectText(const char* text, uint32_t modifiers = 0);
// button: 1 left, 2 middle, 3 right; clicks 2 for the second press of a double click.
void CxInjectMouseButton(int32_t button, bool down, int32_t x, int32_t y, int32_t clicks = 1);
void CxInjectMouseMotion(int32_t x, int32_t y);
void CxInjectMouseWheel(int32_t notches, int32_t x, int32_t y);
void CxInjectWindowClose();
void CxInjectQuit();
void CxInjectFocus(bool gained);
void CxInjectMinimize(bool minimized);
void CxInjectMove(int32_t x, int32_t y);
void CxInjectResize(int32_t width, int32_t height);
void CxInjectExpose();
