// Opens a movie from arbitrary bytes and decodes it into 8-bit and 16-bit
// surfaces, with caps on the frame count and size so that each input stays quick.
#include "engine/core/error.h"
#include "engine/platform/video.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size > 0x100000)
        return 0;
    // An exact-size copy, so any read past the end is caught.
    std::vector<uint8_t> copy(data, data + size);
    CxVideo video;
    if (video.Open(copy.data(), static_cast<uint32_t>(copy.size())) != CX_ERR_NONE)
        return 0;
    if (static_cast<int64_t>(video.GetWidth()) * video.GetHeight() > 640 * 480)
        return 0;
    // A surface smaller than the movie on one side and offset, to exercise clipping.
    const int32_t width = video.GetWidth() + 3, height = video.GetHeight() / 2 + 1;
    std::vector<uint8_t> surface(static_cast<size_t>(width) * 2 * height);
    ST_VIDEO_TARGET target;
    target.pBits = surface.data();
    target.nPitch = width * 2;
    target.nWidth = width;
    target.nHeight = height;
    target.x = 2;
    target.y = -1;
    std::vector<uint8_t> audio;
    for (int32_t frame = 0; frame < 24; ++frame)
    {
        target.nFormat = static_cast<uint8_t>(frame % 3);
        if (video.DecodeFrame(target) != CX_ERR_NONE)
            break;
        video.TakeAudio(&audio);
    }
    if (video.HasAudio())
        video.DecodeAllAudio(&audio);
    if (video.GetFrameCount() > 1)
    {
        video.Goto(video.GetFrameCount() > 8 ? 7 : 0);
        video.DecodeFrame(target);
    }
    return 0;
}
