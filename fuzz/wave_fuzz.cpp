// Feeds arbitrary bytes to the wave-information walk, the ADPCM decoder and
// encoder, the format-record reader, and the MP3 tag and frame scans.
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/media/adpcm.h"
#include "engine/media/wave_info.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size > 0x100000)
        return 0;
    // An exact-size copy, so any read past the end is caught.
    std::vector<uint8_t> copy(data, data + size);
    const uint32_t length = static_cast<uint32_t>(size);
    const uint8_t* bytes = copy.data();

    ST_FORMAT_RECORD record;
    ParseFormatRecord(bytes, length, &record);
    SkipId3Tag(bytes, length);
    FindMp3SampleRate(bytes, length, SkipId3Tag(bytes, length));

    for (bool raw : {false, true})
    {
        ST_WAV_INFO info;
        if (ParseWaveInfo(bytes, length, raw, &info) != CX_ERR_NONE)
            continue;
        // Keep the work per input small: the codec is linear in the sample count.
        if (info.nSamples > 0x40000)
            info.nSamples = 0x40000;
        uint32_t outSize = 0;
        if (info.bADPCM)
        {
            uint8_t* out = DecompressAdpcmWave(info, &outSize);
            CX_FREE(out);
        }
        else
        {
            uint8_t* out = CompressAdpcmWave(info, &outSize);
            if (out)
            {
                ST_WAV_INFO packed;
                if (ParseWaveInfo(out, outSize, false, &packed) == CX_ERR_NONE)
                {
                    uint8_t* back = DecompressAdpcmWave(packed, &outSize);
                    CX_FREE(back);
                }
                CX_FREE(out);
            }
        }
    }
    return 0;
}
