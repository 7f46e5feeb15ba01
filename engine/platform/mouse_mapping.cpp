// Mouse positions between the window's coordinates and the drawing area's.
#include "engine/platform/window.h"

namespace {
bool s_bMapping = false;
CxRect s_rcViewport;
int32_t s_nLogicalWidth = 0;
int32_t s_nLogicalHeight = 0;
} // namespace

void SetPlatformMouseMapping(const CxRect& viewport, int32_t logicalWidth, int32_t logicalHeight)
{
    if (viewport.IsEmpty() || logicalWidth <= 0 || logicalHeight <= 0)
    {
        ClearPlatformMouseMapping();
        return;
    }
    s_bMapping = true;
    s_rcViewport = viewport;
    s_nLogicalWidth = logicalWidth;
    s_nLogicalHeight = logicalHeight;
}

void ClearPlatformMouseMapping()
{
    s_bMapping = false;
    s_rcViewport = CxRect();
}

CxPoint MapWindowToLogical(int32_t x, int32_t y)
{
    if (!s_bMapping)
        return CxPoint(x, y);
    // Floor division keeps points left of or above the picture negative.
    const int64_t dx = static_cast<int64_t>(x - s_rcViewport.left) * s_nLogicalWidth;
    const int64_t dy = static_cast<int64_t>(y - s_rcViewport.top) * s_nLogicalHeight;
    const int64_t w = s_rcViewport.Width();
    const int64_t h = s_rcViewport.Height();
    return CxPoint(static_cast<int32_t>(dx >= 0 ? dx / w : -((-dx + w - 1) / w)),
                   static_cast<int32_t>(dy >= 0 ? dy / h : -((-dy + h - 1) / h)));
}

CxPoint MapLogicalToWindow(int32_t x, int32_t y)
{
    if (!s_bMapping)
        return CxPoint(x, y);
    // The middle of the window pixels that map to the logical pixel.
    const int64_t w = s_rcViewport.Width();
    const int64_t h = s_rcViewport.Height();
    return CxPoint(s_rcViewport.left + static_cast<int32_t>((2 * x + 1) * w / (2 * s_nLogicalWidth)),
                   s_rcViewport.top + static_cast<int32_t>((2 * y + 1) * h / (2 * s_nLogicalHeight)));
}
