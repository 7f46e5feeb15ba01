// Feeds arbitrary bytes to the Qex loader.
#include "image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageLoader(LoadQex, data, size);
}
