#include "engine/platform/system_info.h"

#include "engine/platform/window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace {
std::once_flag s_Once;
ST_SYSTEM_VALUE s_Values[CX_SYSINFO_COUNT] = {};

// The value after "key" and its colon on the first line starting with key, or "".
std::string FieldOf(const char* text, const char* key)
{
    const size_t keyLength = strlen(key);
    for (const char* line = text; line && *line;)
    {
        const char* end = strchr(line, '\n');
        const size_t length = end ? static_cast<size_t>(end - line) : strlen(line);
        if (length > keyLength && strncmp(line, key, keyLength) == 0)
        {
            const char* colon = static_cast<const char*>(memchr(line, ':', length));
            if (colon)
            {
                std::string value(colon + 1, line + length);
                const size_t first = value.find_first_not_of(" \t");
                return first == std::string::npos ? std::string() : value.substr(first);
            }
        }
        line = end ? end + 1 : nullptr;
    }
    return std::string();
}

bool HasFlag(const std::string& flags, const char* flag)
{
    const std::string padded = " " + flags + " ";
    return padded.find(std::string(" ") + flag + " ") != std::string::npos;
}

void Gather()
{
    std::string text;
    if (FILE* f = fopen("/proc/cpuinfo", "r"))
    {
        char buffer[4096];
        size_t got;
        // The first processor's block is all that is needed.
        while (text.size() < 65536 && (got = fread(buffer, 1, sizeof(buffer), f)) > 0)
            text.append(buffer, got);
        fclose(f);
    }
    const ST_CPU_FACTS cpu = ParseCpuInfo(text.c_str());
    s_Values[1].m_nValue = cpu.m_nVendor;
    s_Values[2].m_nValue = cpu.m_bMMX ? -1 : 0;
    s_Values[3].m_nValue = IsFullScreenDriverAvailable() ? -1 : 0;
    s_Values[4].m_nValue = ProcessorMHz(CX_CPU_MAX_FREQ_FILE, cpu.m_nMHz, MeasureProcessorMHz);
    s_Values[5].m_nValue = cpu.m_bSSE2 ? -1 : 0;
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    s_Values[6].m_nValue = processors > 0 ? static_cast<int32_t>(processors) : 1;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    const uint64_t memory =
        pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
    s_Values[7].m_nValue = static_cast<int32_t>(memory & 0xFFFFFFFFu);
    s_Values[7].m_nHigh = static_cast<int32_t>(memory >> 32);
    s_Values[8].m_nValue = pageSize > 0 ? static_cast<int32_t>(pageSize) : 4096;
}
} // namespace

int32_t MeasureProcessorMHz()
{
#if defined(__x86_64__) || defined(__i386__)
    // Time-stamp counter ticks across a wait long enough that the start and
    // end of the sleep barely matter, scaled to a second.
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const uint64_t first = __rdtsc();
    usleep(CX_CPU_MEASURE_MS * 1000);
    const uint64_t last = __rdtsc();
    const double seconds = std::chrono::duration<double>(clock::now() - start).count();
    if (seconds <= 0)
        return 0;
    return static_cast<int32_t>(static_cast<double>(last - first) / seconds * 0.000001);
#else
    return 0;
#endif
}

int32_t ProcessorMHz(const char* maxFreqFile, int32_t cpuInfoMHz, int32_t (*measure)())
{
    // The current clock of a frequency-scaled processor is often far below
    // what it runs at under load; the ceiling is the figure that describes
    // the machine.
    if (maxFreqFile)
        if (FILE* f = fopen(maxFreqFile, "r"))
        {
            char line[64] = {};
            const bool read = fgets(line, sizeof(line), f) != nullptr;
            fclose(f);
            char* end = nullptr;
            const long long kHz = read ? strtoll(line, &end, 10) : 0;
            // A whole number of kHz, up to 1 THz, is believed; anything else is ignored.
            if (read && end != line && kHz >= 1000 && kHz < 1000000000LL)
                return static_cast<int32_t>(kHz / 1000);
        }
    if (cpuInfoMHz > 0)
        return cpuInfoMHz;
    return measure ? measure() : 0;
}

ST_CPU_FACTS ParseCpuInfo(const char* text)
{
    ST_CPU_FACTS facts = {0, false, false, 0};
    if (!text)
        return facts;
    const std::string vendor = FieldOf(text, "vendor_id");
    if (vendor.rfind("GenuineIntel", 0) == 0)
        facts.m_nVendor = 1;
    else if (vendor.rfind("AuthenticAMD", 0) == 0)
        facts.m_nVendor = 2;
    else if (vendor.rfind("CyrixInstead", 0) == 0)
        facts.m_nVendor = 3;
    const std::string flags = FieldOf(text, "flags");
    facts.m_bMMX = HasFlag(flags, "mmx");
    facts.m_bSSE2 = HasFlag(flags, "sse2");
    const std::string mhz = FieldOf(text, "cpu MHz");
    if (!mhz.empty())
    {
        const double value = strtod(mhz.c_str(), nullptr);
        if (value > 0 && value < 1e6)
            facts.m_nMHz = static_cast<int32_t>(value);
    }
    return facts;
}

int32_t QuerySystemInfo(int32_t index, ST_SYSTEM_VALUE* out)
{
    std::call_once(s_Once, Gather);
    const ST_SYSTEM_VALUE value =
        index >= 0 && index < CX_SYSINFO_COUNT ? s_Values[index] : ST_SYSTEM_VALUE{0, 0};
    if (out)
        *out = value;
    return value.m_nValue;
}
