// Facts about the machine, gathered once per process on the first query.
//
// Index 0: operating-system kind (0 here: none of the listed systems).
// Index 1: processor vendor (1 "GenuineIntel", 2 "AuthenticAMD", 3 "CyrixInstead", 0 other).
// Index 2: -1 when the processor has MMX, else 0.
// Index 3: -1 when a video driver that can show a full screen is running, else 0.
// Index 4: processor clock in MHz: the highest the first processor runs at
//          (0 when it cannot be had; see ProcessorMHz).
// Index 5: -1 when the processor has SSE2, else 0.
// Index 6: number of online processors.
// Index 7: physical memory in bytes, low 32 bits in the first value, high in the second.
// Index 8: memory page size in bytes.
// Any other index: 0.
#pragma once

#include <cstdint>

constexpr int32_t CX_SYSINFO_COUNT = 9;

struct ST_SYSTEM_VALUE
{
    int32_t m_nValue;
    int32_t m_nHigh;
};

// Fills out (when given) and returns its first value.
int32_t QuerySystemInfo(int32_t index, ST_SYSTEM_VALUE* out);

// Parses /proc/cpuinfo-style text (exposed for tests): vendor kind, MMX and
// SSE2 flags, and the clock in MHz (0 when the text has none).
struct ST_CPU_FACTS
{
    int32_t m_nVendor;
    bool m_bMMX;
    bool m_bSSE2;
    int32_t m_nMHz;
};
ST_CPU_FACTS ParseCpuInfo(const char* text);

// Where the kernel states the first processor's highest clock, in kHz.
constexpr const char* CX_CPU_MAX_FREQ_FILE = "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq";
// How long the clock measurement waits, in milliseconds.
constexpr uint32_t CX_CPU_MEASURE_MS = 200;

// The clock figure (exposed for tests): the highest clock from maxFreqFile
// (kHz), else cpuInfoMHz when above 0 (the "cpu MHz" line), else measure().
int32_t ProcessorMHz(const char* maxFreqFile, int32_t cpuInfoMHz, int32_t (*measure)());
// The time-stamp counter's rate across a wait of CX_CPU_MEASURE_MS; 0 where
// there is no such counter.
int32_t MeasureProcessorMHz();
