// The fade movies of the sample and of the demo data: black bands above and
// below the middle of a 640 x 480 picture, 8 frames at 20 per second. The
// fade in opens the bands onto a dark blue, the fade out closes them.
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t FADE_WIDTH = 640;
constexpr int32_t FADE_HEIGHT = 480;
constexpr int32_t FADE_FRAMES = 8;
constexpr uint32_t FADE_FPS = 20;

// The Smacker file image of the fade in (closing false) or the fade out.
// False when the encoder fails.
bool EncodeFadeMovie(bool closing, std::vector<uint8_t>* file);
