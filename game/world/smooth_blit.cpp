#include "game/world/smooth_blit.h"

#include "engine/graphics/sprite.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
struct Channels
{
    int shiftRed, shiftGreen, maskGreen;
};

const Channels CHANNELS_555 = {10, 5, 31};
const Channels CHANNELS_565 = {11, 5, 63};

uint16_t PixelAt(const uint8_t* bits, int32_t pitch, int32_t x, int32_t y)
{
    uint16_t value;
    memcpy(&value, bits + static_cast<ptrdiff_t>(y) * pitch + x * 2, 2);
    return value;
}

// The destination under the drawn rectangle grown by one pixel, as it was
// before the copy; positions outside the destination are marked missing.
class CDestinationCopy
{
public:
    CDestinationCopy(CxDrawSurface* destination, const uint8_t* bits, const CxRect& rect)
        : m_nLeft(rect.left - 1), m_nTop(rect.top - 1), m_nWidth(rect.right - rect.left + 3),
          m_Pixels(static_cast<size_t>(m_nWidth) * (rect.bottom - rect.top + 3), -1)
    {
        const int32_t width = destination->GetWidth(), height = destination->GetHeight();
        const int32_t pitch = destination->GetPitch();
        for (int32_t y = std::max(rect.top - 1, 0); y <= std::min(rect.bottom + 1, height - 1); ++y)
            for (int32_t x = std::max(rect.left - 1, 0); x <= std::min(rect.right + 1, width - 1); ++x)
                m_Pixels[Index(x, y)] = PixelAt(bits, pitch, x, y);
    }
    // The pixel, or -1 where the destination has none.
    int32_t At(int32_t x, int32_t y) const { return m_Pixels[Index(x, y)]; }

private:
    size_t Index(int32_t x, int32_t y) const
    {
        return static_cast<size_t>(y - m_nTop) * m_nWidth + (x - m_nLeft);
    }

    int32_t m_nLeft, m_nTop, m_nWidth;
    std::vector<int32_t> m_Pixels;
};

uint16_t Blend(const int32_t (&pixels)[9], const Channels& channels)
{
    static const int WEIGHTS[9] = {1, 2, 1, 2, 5, 2, 1, 2, 1};
    int red = 0, green = 0, blue = 0;
    for (int i = 0; i < 9; ++i)
        if (pixels[i] >= 0)
        {
            red += WEIGHTS[i] * ((pixels[i] >> channels.shiftRed) & 31);
            green += WEIGHTS[i] * ((pixels[i] >> channels.shiftGreen) & channels.maskGreen);
            blue += WEIGHTS[i] * (pixels[i] & 31);
        }
    return static_cast<uint16_t>((red / 17) << channels.shiftRed | (green / 17) << channels.shiftGreen |
                                 blue / 17);
}
} // namespace

uint32_t SmoothEdgeBlit(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& destRect,
                        const CxRect& sourceRect, uint32_t key, const ST_BLIT_FX*)
{
    uint8_t* to = destination->GetBits();
    const uint8_t* from = source->GetBits();
    if (!to || !from || source->GetDepth() != 16 || destination->GetDepth() != 16)
        return 0;
    const Channels& channels = destination->GetPixelFormat() == CX_PF_565 ? CHANNELS_565 : CHANNELS_555;
    // A stretched copy is drawn one to one over the part both rectangles share.
    // (Rectangles include their right and bottom edges.)
    const int32_t width = std::min(destRect.right - destRect.left, sourceRect.right - sourceRect.left) + 1;
    const int32_t height = std::min(destRect.bottom - destRect.top, sourceRect.bottom - sourceRect.top) + 1;
    if (width <= 0 || height <= 0)
        return 0;
    const CxRect drawn(destRect.left, destRect.top, destRect.left + width - 1, destRect.top + height - 1);
    const CDestinationCopy under(destination, to, drawn);
    // The drawn part of the source with a border of one pixel, read once:
    // each pixel, or -1 outside the source or where it is transparent.
    const int32_t stride = width + 2;
    std::vector<int32_t> grid(static_cast<size_t>(stride) * (height + 2), -1);
    const int32_t sourceWidth = source->GetWidth(), sourceHeight = source->GetHeight();
    const int32_t sourcePitch = source->GetPitch();
    for (int32_t row = -1; row <= height; ++row)
        for (int32_t column = -1; column <= width; ++column)
        {
            const int32_t x = sourceRect.left + column, y = sourceRect.top + row;
            if (x < 0 || y < 0 || x >= sourceWidth || y >= sourceHeight)
                continue;
            const uint16_t value = PixelAt(from, sourcePitch, x, y);
            if (value != key)
                grid[static_cast<size_t>(row + 1) * stride + column + 1] = value;
        }
    const int32_t pitch = destination->GetPitch();
    const ptrdiff_t offsets[9] = {-stride - 1, -stride,    -stride + 1, -1,        0,
                                  1,           stride - 1, stride,      stride + 1};
    for (int32_t row = 0; row < height; ++row)
    {
        uint8_t* line = to + static_cast<ptrdiff_t>(drawn.top + row) * pitch;
        for (int32_t column = 0; column < width; ++column)
        {
            const int32_t* centre = &grid[static_cast<size_t>(row + 1) * stride + column + 1];
            int32_t pixels[9];
            int transparent = 0;
            for (int i = 0; i < 9; ++i)
            {
                pixels[i] = centre[offsets[i]];
                transparent += pixels[i] < 0 && i != 4;
            }
            uint16_t out;
            if (transparent < 3 || transparent > 7)
            {
                if (pixels[4] < 0)
                    continue;
                out = static_cast<uint16_t>(pixels[4]);
            }
            else
            {
                const int32_t dx = drawn.left + column, dy = drawn.top + row;
                for (int i = 0; i < 9; ++i)
                    if (pixels[i] < 0)
                        pixels[i] = under.At(dx + i % 3 - 1, dy + i / 3 - 1);
                out = Blend(pixels, channels);
            }
            memcpy(line + (drawn.left + column) * 2, &out, 2);
        }
    }
    return 0;
}

void EnableSmoothEdges(CxSprite* sprite)
{
    ST_BLIT_FX effect;
    effect.nType = CX_FX_CALLBACK;
    effect.SetFunction(SmoothEdgeBlit);
    sprite->SetEffect(&effect);
}
