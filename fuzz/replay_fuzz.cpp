// Feeds arbitrary bytes to the replay-file parser and writes back what it read.
#include "engine/core/replay.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CxReplayScript script;
    std::string why;
    const bool good = ParseReplay(reinterpret_cast<const char*>(data), size, &script, &why);
    std::string written = FormatReplayHeader(script);
    for (const CxReplayEvent& event : script.events)
        written += FormatReplayEvent(event);
    // What a good file holds reads back the same.
    if (good)
    {
        CxReplayScript again;
        if (!ParseReplay(written.data(), written.size(), &again, &why) || again.events != script.events)
            __builtin_trap();
    }
    return 0;
}
