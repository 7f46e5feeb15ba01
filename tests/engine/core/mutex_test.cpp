#include "engine/core/mutex.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Mutex, SameNameSharesOneLockOnlyTheOwnerUnlocksAndNoHandleNeverLocks)
{
    CxMutex a;
    CxMutex b;
    bool existed = true;
    ASSERT_NE(a.Create("TestShared", false, &existed), nullptr);
    EXPECT_FALSE(existed);
    b.Create("testshared", false, &existed);
    EXPECT_TRUE(existed) << "names compare without regard to case";
    EXPECT_EQ(a.GetHandle(), b.GetHandle());

    ASSERT_TRUE(a.Lock(CX_INFINITE));
    EXPECT_TRUE(a.Lock(0)) << "the owner may lock again";
    bool otherGotIt = true;
    std::thread other([&] { otherGotIt = b.Lock(10); });
    other.join();
    EXPECT_FALSE(otherGotIt);
    a.Unlock();
    a.Unlock();
    std::thread later([&] {
        otherGotIt = b.Lock(1000);
        b.Unlock();
    });
    later.join();
    EXPECT_TRUE(otherGotIt);
    CxMutex owned;
    owned.Create("TestOwner", true);
    std::thread intruder([&] { owned.Unlock(); });
    intruder.join();
    bool stolen = true;
    std::thread thief([&] { stolen = owned.Lock(10); });
    thief.join();
    EXPECT_FALSE(stolen) << "the intruder's unlock did not release it";
    owned.Unlock();

    CxMutex none;
    EXPECT_FALSE(none.Lock(0));
    owned.Close();
    EXPECT_FALSE(owned.Lock(0));
}
