// Feeds arbitrary bytes to the option-file parser and reads every kind of value back.
#include "engine/core/error.h"
#include "engine/core/options.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    CxOptions options;
    options.Parse(reinterpret_cast<const char*>(data),
                  static_cast<uint32_t>(size > 0xFFFFFF ? 0xFFFFFF : size));
    char text[64];
    long number = 0;
    float value = 0;
    CxPoint point;
    for (auto* node = options.GetSections().GetHead(); node; node = node->GetNext())
    {
        CxOptionSection* section = node->m_Value;
        for (CxOptionVariable* v = section->FirstVariable(); v; v = section->NextVariable())
        {
            options.GetString(section->GetName().c_str(), v->GetName().c_str(), text, "", sizeof(text));
            options.GetNumber(section->GetName().c_str(), v->GetName().c_str(), &number, 0);
            options.GetFloat(section->GetName().c_str(), v->GetName().c_str(), &value, 0);
            options.GetPoint(section->GetName().c_str(), v->GetName().c_str(), &point, CxPoint());
        }
    }
    uint64_t total = 0;
    options.WriteTo(
        [](const char*, uint32_t length, void* context) { *static_cast<uint64_t*>(context) += length; },
        &total);
    return 0;
}
