// The screens: where the engine's software drawing becomes visible.
//
// CxScreenSurface is the interface both screens share. CxDibScreen is the
// windowed screen: a surface in memory of the window's logical size, whose
// Present copies the given rectangle (plus the custom cursor's old and new
// areas) into the presenter and shows it scaled in the window.
// CxDirectDrawScreen is the full-screen screen: the same surface shown in a
// desktop-sized full-screen window. Opening it fails where the video driver
// cannot show full screen; the display application then falls back to the
// windowed screen.
//
// 16-bit formats: the windowed screen works in 5-5-5, the full-screen screen
// in 5-6-5; each makes its format the program-wide default, so images loaded
// later are converted to it once instead of at every copy.
#pragma once

#include "engine/core/mutex.h"
#include "engine/graphics/draw_surface.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

class CxOSPalette;

struct ST_SCREEN_PARAMS
{
    void* hWindow = nullptr;
    int32_t nWidth = 640;
    int32_t nHeight = 480;
    int32_t nBitsPerPixel = 16;
    int32_t nRefreshRate = 0;
};

class CxScreenSurface
{
public:
    virtual ~CxScreenSurface() = default;
    virtual uint32_t EnumModes() { return CX_ERR_NONE; }
    // Shows the part of the screen (all of it when null) with the custom cursor.
    virtual uint32_t Present(const CxRect* rect) = 0;
    // Presents several rectangles as one frame (the display application's
    // redraw); by default one Present each.
    virtual uint32_t PresentRects(const CxRect* rects, int32_t count);
    virtual uint32_t Open(const ST_SCREEN_PARAMS& params) = 0;
    virtual void Close() = 0;
    virtual CxDrawSurface* GetDrawSurface() = 0;
    // (Named apart from the draw surface's own palette operations.)
    virtual void SetScreenPalette(CxOSPalette* palette);
    virtual CxOSPalette* GetScreenPalette();
    virtual void SetWindow(void* window);
    virtual void* GetWindow();
    // Draws the custom cursor at the mouse and shows its area.
    virtual void UpdateCursor();
    // Held by the main loop while it paints into the screen and presents it,
    // so that the cursor thread never shows a half-painted frame.
    virtual void LockFrame() {}
    virtual void UnlockFrame() {}

protected:
    void* m_hWindow = nullptr;
    CxOSPalette* m_pPalette = nullptr;
};

class CxDibScreen : public CxDrawSurface, public CxScreenSurface
{
public:
    CxDibScreen();
    ~CxDibScreen() override;

    uint32_t Present(const CxRect* rect) override;
    uint32_t PresentRects(const CxRect* rects, int32_t count) override;
    uint32_t Open(const ST_SCREEN_PARAMS& params) override;
    void Close() override;
    CxDrawSurface* GetDrawSurface() override { return this; }
    // The first palette is only stored; later ones are applied to the surface.
    void SetScreenPalette(CxOSPalette* palette) override;
    // Rows padded to four bytes; the presenter opens with the surface.
    uint32_t CreateSurface(int32_t width, int32_t height, int32_t depth, int32_t pitch = -1) override;
    uint32_t DestroySurface() override;

    void LockFrame() override;
    void UnlockFrame() override;
    // One step of the cursor thread: when the frame is free (never waiting
    // for it) and the cursor moved, draws it and shows only its areas.
    void UpdateCursorFromThread();
    bool IsCursorThreadRunning() const { return m_CursorThread.joinable(); }

    // The number of Present calls that showed something (for tests and statistics).
    uint32_t GetPresentCount() const { return m_nPresents; }
    // The rectangles the last Present copied out.
    const CxRect& GetLastPresentArea() const { return m_rcLastArea; }

protected:
    // The 16-bit format this screen works in.
    virtual uint8_t ScreenFormat16() const { return CX_PF_555; }
    // Copies rect of the surface (locked) into the presenter.
    void Upload(const CxRect& rect);
    // Draws the cursor, uploads the rectangles and the cursor areas, shows the
    // frame and restores the pixels under the cursor; the memory is at hand.
    void ShowFrame(const CxRect* rects, int32_t count, bool refreshViewport);
    // "UseCursorThread" (default: whether the custom cursor is on) and
    // "CursorUpdateFrequency" (default 25 a second) of section "Engine".
    void StartCursorThread();
    void StopCursorThread();

    bool m_bPaletteSet = false;
    uint32_t m_nPresents = 0;
    CxRect m_rcLastArea;
    std::unique_ptr<uint32_t[]> m_pConverted;
    CxMutex m_FrameMutex;
    std::thread m_CursorThread;
    std::atomic<bool> m_bCursorThreadRun{false};
};

class CxDirectDrawScreen : public CxDibScreen
{
public:
    CxDirectDrawScreen() = default;
    ~CxDirectDrawScreen() override;

    uint32_t Open(const ST_SCREEN_PARAMS& params) override;
    void Close() override;

protected:
    uint8_t ScreenFormat16() const override { return CX_PF_565; }

    bool m_bFullScreen = false;
};
