// Feeds arbitrary bytes to the Bmp loader.
#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageLoader(LoadBmp, data, size);
}
