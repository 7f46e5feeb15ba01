#include "tools/smk/fade_movie.h"

#include "tools/smk/smk_encoder.h"

#include <algorithm>

bool EncodeFadeMovie(bool closing, std::vector<uint8_t>* file)
{
    uint8_t palette[768] = {};
    palette[3] = 40; // entry 1: the dark blue the bands open onto
    palette[4] = 40;
    palette[5] = 90;
    CxSmackerEncoder encoder;
    if (encoder.Begin(FADE_WIDTH, FADE_HEIGHT, FADE_FPS) != CX_ERR_NONE)
        return false;
    std::vector<uint8_t> pixels(static_cast<size_t>(FADE_WIDTH) * FADE_HEIGHT);
    for (int32_t i = 0; i < FADE_FRAMES; ++i)
    {
        // covered: the share of the height the bands take, in FADE_FRAMES steps.
        const int32_t step = closing ? i + 1 : FADE_FRAMES - i;
        const int32_t band = FADE_HEIGHT / 2 * step / FADE_FRAMES;
        for (int32_t y = 0; y < FADE_HEIGHT; ++y)
        {
            const uint8_t value = (y < band || y >= FADE_HEIGHT - band) ? 0 : 1;
            std::fill(pixels.begin() + static_cast<size_t>(y) * FADE_WIDTH,
                      pixels.begin() + static_cast<size_t>(y + 1) * FADE_WIDTH, value);
        }
        if (encoder.AddFrame(pixels.data(), palette) != CX_ERR_NONE)
            return false;
    }
    return encoder.Finish(file) == CX_ERR_NONE;
}
