// The presenter: shows the engine's screen surface in the program's window.
//
// The engine paints into a surface in memory of a fixed logical size (640 x
// 480). The presenter keeps an SDL renderer and a streaming texture of that
// size: Upload copies changed rectangles of the surface into the texture,
// Show draws the texture scaled to the window with the aspect kept (black
// bars elsewhere; whole-number scales in full screen when one fits).
//
// While it is open, the presenter tells the window layer where the picture
// lies in the window, so that mouse positions arrive in the surface's
// coordinates whatever the window's size or the display's pixel density.
#pragma once

#include "engine/base/geometry.h"

#include <cstdint>

// Pixel layouts of the surface memory handed to Upload.
constexpr uint32_t CX_PRESENT_RGB555 = 1;
constexpr uint32_t CX_PRESENT_RGB565 = 2;
constexpr uint32_t CX_PRESENT_XRGB8888 = 3;

// Opens on the current platform window; false without a window or renderer.
bool OpenPresenter(int32_t width, int32_t height, uint32_t layout);
void ClosePresenter();
bool IsPresenterOpen();
// Copies rect (logical coordinates, clipped) of pixels whose top-left
// pixel is at pixels with the given pitch in bytes.
void UploadToPresenter(const uint8_t* pixels, int32_t pitch, const CxRect& rect);
// Shows the texture in the window; without refreshViewport the picture's
// place from the last refresh is used (the cursor thread's shows).
void ShowPresenter(bool refreshViewport = true);
// Where the picture lies in the window's pixels (after the last Show or size change).
CxRect GetPresenterViewport();
// Switches the window between desktop full screen and windowed; false when that failed.
bool SetPresenterFullScreen(bool fullScreen);
bool IsPresenterFullScreen();
// Hides or shows the system pointer over the window.
void ShowSystemPointer(bool show);
// System pointer shapes: 0 arrow, 1 wait, 2 I-beam, 3 "no".
void SetSystemPointerShape(int32_t shape);
