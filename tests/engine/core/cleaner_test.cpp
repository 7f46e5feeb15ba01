#include "engine/core/cleaner.h"

#include <gtest/gtest.h>

namespace {
struct Tracked
{
    explicit Tracked(int* deaths, CxCleaner* requeue = nullptr) : m_pDeaths(deaths), m_pRequeue(requeue) {}
    ~Tracked()
    {
        ++*m_pDeaths;
        // An object whose destructor defers another deletion to the same cleaner.
        if (m_pRequeue)
            m_pRequeue->Add(new Tracked(m_pDeaths));
    }
    int* m_pDeaths;
    CxCleaner* m_pRequeue;
};
} // namespace

TEST(CleanerTest, DeletesOnEmptyAndDestructionIncludingObjectsDeferredMeanwhile)
{
    int deaths = 0;
    {
        CxCleaner cleaner;
        cleaner.Add(new Tracked(&deaths));
        cleaner.Add(new Tracked(&deaths, &cleaner)); // defers one more while being deleted
        cleaner.Add(static_cast<Tracked*>(nullptr));
        EXPECT_EQ(deaths, 0);
        cleaner.Empty();
        EXPECT_EQ(deaths, 3);
        EXPECT_TRUE(cleaner.IsEmpty());
        cleaner.Add(new Tracked(&deaths));
    }
    EXPECT_EQ(deaths, 4) << "destruction deletes what is left";
}
