#include "engine/platform/system_info.h"

#include <gtest/gtest.h>

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
