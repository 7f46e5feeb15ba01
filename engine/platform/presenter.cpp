#include "engine/platform/presenter.h"

#include "engine/platform/window.h"

#include <SDL.h>

namespace {
SDL_Renderer* s_pRenderer = nullptr;
SDL_Texture* s_pTexture = nullptr;
int32_t s_nWidth = 0;
int32_t s_nHeight = 0;
uint32_t s_nLayout = 0;
bool s_bFullScreen = false;
CxRect s_rcViewport;
SDL_Cursor* s_SystemCursors[4] = {};

Uint32 SdlFormatOf(uint32_t layout)
{
    switch (layout)
    {
    case CX_PRESENT_RGB555:
        return SDL_PIXELFORMAT_RGB555;
    case CX_PRESENT_RGB565:
        return SDL_PIXELFORMAT_RGB565;
    default:
        return SDL_PIXELFORMAT_RGB888;
    }
}

// Fits the logical picture into the renderer's output, aspect kept; in full
// screen a whole-number scale is used when at least 1 fits.
SDL_Rect FitViewport(int outWidth, int outHeight)
{
    SDL_Rect r = {0, 0, outWidth, outHeight};
    if (s_nWidth <= 0 || s_nHeight <= 0 || outWidth <= 0 || outHeight <= 0)
        return r;
    const int whole = SDL_min(outWidth / s_nWidth, outHeight / s_nHeight);
    if (s_bFullScreen && whole >= 1)
    {
        r.w = s_nWidth * whole;
        r.h = s_nHeight * whole;
    }
    else if (static_cast<int64_t>(outWidth) * s_nHeight > static_cast<int64_t>(outHeight) * s_nWidth)
    {
        r.h = outHeight;
        r.w = static_cast<int>(static_cast<int64_t>(outHeight) * s_nWidth / s_nHeight);
    }
    else
    {
        r.w = outWidth;
        r.h = static_cast<int>(static_cast<int64_t>(outWidth) * s_nHeight / s_nWidth);
    }
    r.x = (outWidth - r.w) / 2;
    r.y = (outHeight - r.h) / 2;
    return r;
}

// Recomputes the viewport and tells the window layer where the picture lies
// in window coordinates (which differ from output pixels on dense displays).
SDL_Rect UpdateViewport()
{
    int outWidth = 0;
    int outHeight = 0;
    SDL_GetRendererOutputSize(s_pRenderer, &outWidth, &outHeight);
    const SDL_Rect r = FitViewport(outWidth, outHeight);
    s_rcViewport = CxRect(r.x, r.y, r.x + r.w - 1, r.y + r.h - 1);
    SDL_Window* window = GetPlatformSdlWindow();
    int winWidth = outWidth;
    int winHeight = outHeight;
    if (window)
        SDL_GetWindowSize(window, &winWidth, &winHeight);
    if (outWidth > 0 && outHeight > 0)
    {
        const CxRect inWindow(static_cast<int32_t>(static_cast<int64_t>(r.x) * winWidth / outWidth),
                              static_cast<int32_t>(static_cast<int64_t>(r.y) * winHeight / outHeight),
                              static_cast<int32_t>(static_cast<int64_t>(r.x + r.w) * winWidth / outWidth) - 1,
                              static_cast<int32_t>(static_cast<int64_t>(r.y + r.h) * winHeight / outHeight) -
                                  1);
        SetPlatformMouseMapping(inWindow, s_nWidth, s_nHeight);
    }
    return r;
}
} // namespace

bool OpenPresenter(int32_t width, int32_t height, uint32_t layout)
{
    ClosePresenter();
    SDL_Window* window = GetPlatformSdlWindow();
    if (!window || width <= 0 || height <= 0)
        return false;
    // The window layer makes the renderer together with the window.
    s_pRenderer = SDL_GetRenderer(window);
    if (!s_pRenderer)
        return false;
    s_pTexture =
        SDL_CreateTexture(s_pRenderer, SdlFormatOf(layout), SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!s_pTexture)
    {
        s_pRenderer = nullptr;
        return false;
    }
    // Nearest-neighbour scaling keeps the pixel art sharp.
    SDL_SetTextureScaleMode(s_pTexture, SDL_ScaleModeNearest);
    s_nWidth = width;
    s_nHeight = height;
    s_nLayout = layout;
    s_bFullScreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    UpdateViewport();
    return true;
}

void ClosePresenter()
{
    if (s_pTexture)
        SDL_DestroyTexture(s_pTexture);
    s_pTexture = nullptr;
    s_pRenderer = nullptr;
    for (SDL_Cursor*& cursor : s_SystemCursors)
    {
        if (cursor)
            SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
    s_nWidth = 0;
    s_nHeight = 0;
    // The window shows its own pixels again; mouse positions follow a scaled window.
    int32_t w = 0;
    int32_t h = 0;
    SDL_Window* window = GetPlatformSdlWindow();
    if (window && GetPlatformLogicalSize(&w, &h))
    {
        int winWidth = 0;
        int winHeight = 0;
        SDL_GetWindowSize(window, &winWidth, &winHeight);
        if (winWidth != w || winHeight != h)
            SetPlatformMouseMapping(CxRect(0, 0, winWidth - 1, winHeight - 1), w, h);
        else
            ClearPlatformMouseMapping();
    }
}

bool IsPresenterOpen()
{
    return s_pTexture != nullptr;
}

void UploadToPresenter(const uint8_t* pixels, int32_t pitch, const CxRect& rect)
{
    if (!s_pTexture || !pixels)
        return;
    CxRect r;
    if (!r.Intersect(rect, CxRect(0, 0, s_nWidth - 1, s_nHeight - 1)))
        return;
    const SDL_Rect area = {r.left, r.top, r.Width(), r.Height()};
    const int bytes = s_nLayout == CX_PRESENT_XRGB8888 ? 4 : 2;
    const uint8_t* first =
        pixels + static_cast<ptrdiff_t>(r.top) * pitch + static_cast<ptrdiff_t>(r.left) * bytes;
    SDL_UpdateTexture(s_pTexture, &area, first, pitch);
}

void ShowPresenter(bool refreshViewport)
{
    if (!s_pTexture)
        return;
    SDL_Rect viewport = {s_rcViewport.left, s_rcViewport.top, s_rcViewport.Width(), s_rcViewport.Height()};
    if (refreshViewport || s_rcViewport.IsEmpty())
        viewport = UpdateViewport();
    SDL_SetRenderDrawColor(s_pRenderer, 0, 0, 0, 255);
    SDL_RenderClear(s_pRenderer);
    SDL_RenderCopy(s_pRenderer, s_pTexture, nullptr, &viewport);
    SDL_RenderPresent(s_pRenderer);
}

CxRect GetPresenterViewport()
{
    return s_rcViewport;
}

bool SetPresenterFullScreen(bool fullScreen)
{
    SDL_Window* window = GetPlatformSdlWindow();
    if (!window)
        return false;
    if (SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return false;
    s_bFullScreen = fullScreen;
    if (s_pRenderer)
        UpdateViewport();
    return true;
}

bool IsPresenterFullScreen()
{
    return s_bFullScreen;
}

void ShowSystemPointer(bool show)
{
    if (IsPlatformVideoStarted())
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SetSystemPointerShape(int32_t shape)
{
    if (!IsPlatformVideoStarted() || shape < 0 || shape > 3)
        return;
    static const SDL_SystemCursor ids[4] = {SDL_SYSTEM_CURSOR_ARROW, SDL_SYSTEM_CURSOR_WAIT,
                                            SDL_SYSTEM_CURSOR_IBEAM, SDL_SYSTEM_CURSOR_NO};
    if (!s_SystemCursors[shape])
        s_SystemCursors[shape] = SDL_CreateSystemCursor(ids[shape]);
    if (s_SystemCursors[shape])
        SDL_SetCursor(s_SystemCursors[shape]);
}
