// The custom mouse cursor, drawn by the engine into the screen surface.
//
// Cursor images are registered per cursor type (0 normal, 1 busy, 2 text,
// 3 forbidden, or any further type of the game's); SetCursorShape makes the
// image of a type current. While the custom cursor is in use the screen's
// Present draws the current frame at the mouse position (hot spot
// subtracted) into the screen surface, copies the area out with the rest,
// and puts back the pixels it covered from the save-under surface. The
// cursor is drawn only while the hide count is below 1.
//
// Without the custom cursor the system pointer takes the shape of the type.
//
// The cursor state is shared under the named mutex "Qex_DDCursor".
#pragma once

#include "engine/base/geometry.h"
#include "engine/base/object.h"

#include <cstdint>

class CxDrawSurface;

constexpr int32_t CX_CURSOR_NORMAL = 0;
constexpr int32_t CX_CURSOR_BUSY = 1;
constexpr int32_t CX_CURSOR_TEXT = 2;
constexpr int32_t CX_CURSOR_FORBIDDEN = 3;

constexpr int32_t CX_DEFAULT_CURSOR_FREQUENCY = 25;

// One cursor shape: frames side by side in the image.
class CxCursorImage : public CxObject
{
public:
    CxCursorImage() = default;
    // Takes the image (owned and deleted with the cursor image).
    CxCursorImage(CxDrawSurface* image, int32_t frames, const CxPoint& hotSpot, int32_t type,
                  float interval = 0.0f);
    ~CxCursorImage() override;
    CxCursorImage(const CxCursorImage&) = delete;
    CxCursorImage& operator=(const CxCursorImage&) = delete;

    CxDrawSurface* m_pImage = nullptr;
    int32_t m_nFrames = 1;
    CxPoint m_ptHotSpot;
    int32_t m_nType = CX_CURSOR_NORMAL;
    // Milliseconds per frame; positive animates the cursor.
    float m_fInterval = 0.0f;
};

// Switches the custom cursor on or off (the system pointer is hidden while it is on).
void SetCustomCursor(bool on);
bool IsCustomCursorOn();
// Registers an image (kept, owned by the cursor system until ShutdownCursor);
// a null image is error 16. Grows the save-under surface to the frame size.
uint32_t RegisterCursorImage(CxCursorImage* image);
int32_t CountCursorImages();
// Selects the cursor of a type (see the header comment).
void SetCursorShape(int32_t type);
int32_t GetCursorShape();
CxCursorImage* GetCurrentCursorImage();
// The hide count: the cursor is drawn only while it is below 1.
void HideCustomCursor();
void ShowCustomCursor();
int32_t GetCursorHideCount();
// The depth of the screen the save-under surface must match.
void SetCursorScreenDepth(int32_t depth, uint8_t pixelFormat);
// Where the mouse is, in screen coordinates (the display application keeps it current).
void SetCursorPosition(const CxPoint& point);
CxPoint GetCursorPosition();
// True when the cursor should be drawn again: its image animates, or the
// mouse moved since it was last drawn.
bool CursorNeedsDrawing();
// Draws the cursor into screen (locked by the caller) and saves what it
// covers; drawn receives the rectangle. False when nothing was drawn.
bool DrawCursor(CxDrawSurface* screen, CxRect* drawn);
// Puts back the pixels under the last drawn cursor.
void RestoreUnderCursor(CxDrawSurface* screen);
// The rectangle the cursor was last shown at on the screen (empty when none).
CxRect GetShownCursorRect();
void SetShownCursorRect(const CxRect& rect);
// Frees every cursor image and the save-under surface.
void ShutdownCursor();
// Called by the display application when the screen needs the cursor redrawn
// (a new shape); set by the application, may be null.
void SetCursorRedrawHook(void (*hook)());
