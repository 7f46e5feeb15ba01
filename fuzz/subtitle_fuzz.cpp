// Feeds arbitrary bytes to the subtitle parser and walks the lines it made.
#include "engine/core/error.h"
#include "engine/media/audio_subtitle.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    CxAudioSubTitle subtitle;
    subtitle.SetData(data, static_cast<uint32_t>(size > 0xFFFFFF ? 0xFFFFFF : size), true);
    uint64_t total = 0;
    for (uint32_t i = 0; i < subtitle.GetLineCount(); ++i)
    {
        const CLineOfText* line = subtitle.GetLine(i);
        if (!line)
            __builtin_trap();
        total += line->GetTime() + static_cast<uint64_t>(line->GetText().GetLength());
    }
    return total == 0xFFFFFFFFFFFFFFFFull ? 1 : 0;
}
