// Feeds arbitrary streams to every decompressor: the first byte picks the
// method, the next two the destination size (up to 64 KiB), the rest is the
// stream. Streams that decode are compressed again and must round-trip.
#include "engine/core/buffer.h"
#include "engine/core/error.h"
#include "engine/graphics/compress.h"
#include "engine/graphics/decompress.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size < 3)
        return 0;
    const uint8_t method = static_cast<uint8_t>(data[0] % 12); // 10 and 11: stored copies
    const uint32_t capacity = static_cast<uint32_t>(data[1] | data[2] << 8);
    const uint8_t* stream = data + 3;
    const uint32_t streamSize = static_cast<uint32_t>(size - 3);
    // An exact-size heap block lets the sanitizer catch any write past it.
    std::vector<uint8_t> out(capacity);
    uint32_t produced = 0;
    const uint32_t result = Decompress(out.data(), capacity, stream, streamSize, method, &produced);
    if (produced > capacity || (result != CX_ERR_NONE && result != CX_ERR_UNKNOWN))
        abort();
    if (result != CX_ERR_NONE || (method == CX_COMPRESS_RLE16 && produced % 2))
        return 0;
    CxBuffer again;
    if (Compress(again, out.data(), produced, method) != CX_ERR_NONE)
        abort();
    std::vector<uint8_t> back(produced);
    uint32_t backProduced = 0;
    if (Decompress(back.data(), produced, again.GetData(), again.GetSize(), method, &backProduced) !=
            CX_ERR_NONE ||
        backProduced != produced || (produced && memcmp(back.data(), out.data(), produced) != 0))
        abort();
    return 0;
}
