#include "engine/platform/system_info.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {
TEST(CpuInfo, VendorFlagsAndClockFromTheFirstProcessor)
{
    const char* text = "processor\t: 0\n"
                       "vendor_id\t: AuthenticAMD\n"
                       "cpu MHz\t\t: 3493.442\n"
                       "flags\t\t: fpu vme mmx fxsr sse sse2\n"
                       "\n"
                       "processor\t: 1\n"
                       "vendor_id\t: GenuineIntel\n";
    const ST_CPU_FACTS facts = ParseCpuInfo(text);
    EXPECT_EQ(facts.m_nVendor, 2);
    EXPECT_TRUE(facts.m_bMMX);
    EXPECT_TRUE(facts.m_bSSE2);
    EXPECT_EQ(facts.m_nMHz, 3493) << "truncated";
}

TEST(CpuInfo, FlagsMatchWholeWordsOnly)
{
    const ST_CPU_FACTS facts = ParseCpuInfo("vendor_id : CyrixInstead\nflags : mmxext sse2_x\n");
    EXPECT_EQ(facts.m_nVendor, 3);
    EXPECT_FALSE(facts.m_bMMX);
    EXPECT_FALSE(facts.m_bSSE2);
    EXPECT_EQ(facts.m_nMHz, 0);
}

TEST(CpuInfo, EmptyOrForeignTextGivesNothing)
{
    for (const char* text : {"", "garbage without colons", "vendor_id\nflags\n", "cpu MHz : -5\n"})
    {
        const ST_CPU_FACTS facts = ParseCpuInfo(text);
        EXPECT_EQ(facts.m_nVendor, 0) << text;
        EXPECT_FALSE(facts.m_bMMX) << text;
        EXPECT_EQ(facts.m_nMHz, 0) << text;
    }
    EXPECT_EQ(ParseCpuInfo(nullptr).m_nVendor, 0);
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
