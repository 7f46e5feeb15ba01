// Feeds arbitrary bytes to the Tga loader.
#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageLoader(LoadTga, data, size);
}
