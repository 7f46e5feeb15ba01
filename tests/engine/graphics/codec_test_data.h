// Test data for the codec tests, made in memory: noise, image-like 16-bit
// pixels, text and long runs, each exercising different paths of the coders.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace codec_test {
inline std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> data(size);
    for (auto& b : data)
        b = static_cast<uint8_t>(rng());
    return data;
}

// A 16-bit 5-6-5 picture: gradients, flat areas and a few noisy spots, the
// kind of pixels engine bitmaps hold.
inline std::vector<uint8_t> ImagePixels(uint32_t width, uint32_t height, uint32_t seed = 7)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> data(static_cast<size_t>(width) * height * 2);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            uint16_t pixel;
            if ((x / 64 + y / 48) % 3 == 0)
                pixel = static_cast<uint16_t>(((x * 31 / width) << 11) | ((y * 63 / height) << 5) | 12);
            else if ((x / 64 + y / 48) % 3 == 1)
                pixel = 0x7BEF;
            else
                pixel = static_cast<uint16_t>(rng() & 0x0841) | 0xC618;
            data[(static_cast<size_t>(y) * width + x) * 2] = static_cast<uint8_t>(pixel);
            data[(static_cast<size_t>(y) * width + x) * 2 + 1] = static_cast<uint8_t>(pixel >> 8);
        }
    return data;
}

inline std::vector<uint8_t> TextBytes(size_t size)
{
    static const char* words[] = {"truck ", "town ", "fire ", "mail ",  "the ", "hose ", "race ",
                                  "and ",   "a ",    "map\n", "drive ", "box ", "fish ", "car "};
    std::mt19937 rng(3);
    std::string text;
    while (text.size() < size)
        text += words[rng() % 14];
    text.resize(size);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Long runs of one byte, alternating with short ones and bytes above 0x7F.
inline std::vector<uint8_t> RunBytes(size_t size)
{
    std::vector<uint8_t> data;
    uint32_t run = 1;
    uint8_t value = 0x41;
    while (data.size() < size)
    {
        for (uint32_t i = 0; i < run && data.size() < size; ++i)
            data.push_back(value);
        run = run * 7 % 301 + 1;
        value = static_cast<uint8_t>(value * 5 + 0x93);
    }
    return data;
}
} // namespace codec_test
