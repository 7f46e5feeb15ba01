#include "engine/platform/system_info.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {
TEST(CpuInfo, VendorFlagsAndClockComeFromTheFirstProcessorOnly)
{
    const struct
    {
        const char* text;
        int32_t vendor;
        bool mmx, sse2;
        int32_t mhz;
    } cases[] = {
        {"processor\t: 0\nvendor_id\t: AuthenticAMD\ncpu MHz\t\t: 3493.442\nflags\t\t: fpu vme mmx fxsr sse "
         "sse2\n"
         "\nprocessor\t: 1\nvendor_id\t: GenuineIntel\n",
         2, true, true, 3493},
        {"vendor_id : CyrixInstead\nflags : mmxext sse2_x\n", 3, false, false, 0}, // whole words only
        {"", 0, false, false, 0},
        {"garbage without colons", 0, false, false, 0},
        {"vendor_id\nflags\n", 0, false, false, 0},
        {"cpu MHz : -5\n", 0, false, false, 0},
        {nullptr, 0, false, false, 0},
    };
    for (const auto& c : cases)
    {
        const ST_CPU_FACTS facts = ParseCpuInfo(c.text);
        const std::string what = c.text ? c.text : "(null)";
        EXPECT_EQ(facts.m_nVendor, c.vendor) << what;
        EXPECT_EQ(facts.m_bMMX, c.mmx) << what;
        EXPECT_EQ(facts.m_bSSE2, c.sse2) << what;
        EXPECT_EQ(facts.m_nMHz, c.mhz) << what;
    }
}

int32_t Measured()
{
    return 777;
}

struct ClockCase
{
    const char* maxFreq; // contents of the maximum-frequency file; null: no file
    int32_t cpuInfoMHz;
    int32_t expected;
};

class ProcessorClock : public testing::TestWithParam<ClockCase>
{
};

TEST_P(ProcessorClock, TheCeilingComesFirstThenTheCpuInfoLineThenAMeasurement)
{
    const ClockCase& c = GetParam();
    TempDir dir;
    const std::string file = c.maxFreq ? dir.Write("cpuinfo_max_freq", c.maxFreq) : dir.File("absent");
    EXPECT_EQ(ProcessorMHz(file.c_str(), c.cpuInfoMHz, Measured), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sources, ProcessorClock,
                         testing::Values(ClockCase{"3600000\n", 800,
                                                   3600}, // an idle-low current clock is not the figure
                                         ClockCase{"2399999", 0, 2399},   // kHz truncated to MHz
                                         ClockCase{nullptr, 2100, 2100},  // no cpufreq: the "cpu MHz" line
                                         ClockCase{"", 2100, 2100},       // an empty file is ignored
                                         ClockCase{"fast\n", 2100, 2100}, // so is text
                                         ClockCase{"0\n", 2100, 2100},    // and an absurd value
                                         ClockCase{"-3600000\n", 0, 777}, // nothing usable: measured
                                         ClockCase{nullptr, 0, 777}));

TEST(ProcessorClockMeasurement, WaitsLongEnoughToBeMeaningful)
{
    const auto start = std::chrono::steady_clock::now();
    const int32_t mhz = MeasureProcessorMHz();
    const auto waited = std::chrono::steady_clock::now() - start;
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_GT(mhz, 0);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(),
              static_cast<long long>(CX_CPU_MEASURE_MS));
#else
    (void)waited;
    EXPECT_EQ(mhz, 0);
#endif
}

TEST(SystemInfo, UnknownIndicesAreZeroAndTheMachineHasSomeMemory)
{
    ST_SYSTEM_VALUE value{5, 5};
    EXPECT_EQ(QuerySystemInfo(100, &value), 0);
    EXPECT_EQ(value.m_nHigh, 0);
    EXPECT_GE(QuerySystemInfo(6, nullptr), 1);
    QuerySystemInfo(7, &value);
    EXPECT_TRUE(value.m_nValue != 0 || value.m_nHigh != 0);
}
} // namespace
