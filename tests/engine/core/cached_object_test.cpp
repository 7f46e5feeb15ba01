#include "engine/core/cached_object.h"

#include "engine/core/file.h"
#include "engine/core/memory.h"
#include "engine/core/options.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
// A cached object holding a block of the engine allocator, as surfaces and
// sounds do.
class Blob : public CxCachedObject
{
public:
    explicit Blob(uint32_t size, uint8_t seed) : m_nAllocSize(size)
    {
        SetCacheData(&m_pData, &m_nSize);
        Reacquire();
        SetResident(true);
        for (uint32_t i = 0; i < size; ++i)
            m_pData[i] = static_cast<uint8_t>(seed + i * 7);
    }
    ~Blob() override { Release(); }

    bool Reacquire() override
    {
        m_pData = static_cast<uint8_t*>(CX_ALLOC(m_nAllocSize));
        m_nSize = m_pData ? m_nAllocSize : 0;
        return m_pData != nullptr;
    }
    void Release() override
    {
        CX_FREE(m_pData);
        m_pData = nullptr;
        // The size stays: it tells Reacquire and the restore how much to bring back.
    }

    bool HoldsPattern(uint8_t seed) const
    {
        for (uint32_t i = 0; i < m_nAllocSize; ++i)
            if (m_pData[i] != static_cast<uint8_t>(seed + i * 7))
                return false;
        return true;
    }

    uint8_t* m_pData = nullptr;
    uint32_t m_nSize = 0;
    uint32_t m_nAllocSize;
};

// Runs a test body with the swap files in a scratch directory and a byte budget.
class CacheTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_Options.SetString("Engine", "CacheDir", m_Dir.Path().c_str());
        SetMainOptions(&m_Options);
    }
    void TearDown() override
    {
        SetMemoryBudget(CX_MEMORY_UNLIMITED);
        SetMainOptions(nullptr);
    }

    TempDir m_Dir;
    CxOptions m_Options;
};
} // namespace

TEST(Allocator, RoundsToEightBytesAndZeroFills)
{
    const uint64_t before = GetMemoryInUse();
    uint8_t* block = static_cast<uint8_t*>(CX_ALLOC_ZERO(1));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetMemoryInUse() - before, 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(block[i], 0);
    CX_FREE(block);
    EXPECT_EQ(GetMemoryInUse(), before);
}

// A room's pictures freed while small blocks made between them live on, after
// a big block's free (which alone lets glibc put such pictures in its shared
// heap): the heap must not hold on to the pictures' 8 MiB.
TEST(Allocator, FreedLargeBlocksAreNotHeldBySmallSurvivors)
{
#if defined(__SANITIZE_ADDRESS__) || !defined(__GLIBC__)
    GTEST_SKIP() << "the C library's own heap is not the one in use";
#else
    StartMemory();
    CX_FREE(CX_ALLOC(4 << 20));
    const size_t before = mallinfo2().fordblks;
    void *large[32], *small[32];
    for (int i = 0; i < 32; ++i)
        large[i] = CX_ALLOC(256 * 1024), small[i] = CX_ALLOC(64);
    for (void* block : large)
        CX_FREE(block);
    EXPECT_LT(mallinfo2().fordblks, before + (1u << 20));
    for (void* block : small)
        CX_FREE(block);
#endif
}

TEST(Allocator, BudgetRefusesLikeAHeapFailure)
{
    SetMemoryBudget(GetMemoryInUse() + 64);
    void* fits = CX_ALLOC(64);
    EXPECT_NE(fits, nullptr);
    EXPECT_EQ(CX_ALLOC(8), nullptr);
    CX_FREE(fits);
    SetMemoryBudget(CX_MEMORY_UNLIMITED);

    CxOptions options;
    options.SetNumber("Engine", "MemoryBudget", 4096);
    ConfigureMemory(options);
    EXPECT_EQ(GetMemoryBudget(), 4096u);
    options.SetNumber("Engine", "MemoryBudget", 0);
    ConfigureMemory(options);
    EXPECT_EQ(GetMemoryBudget(), CX_MEMORY_UNLIMITED);
}

TEST_F(CacheTest, AllocationUnderBudgetEvictsLeastRecentlyUsedAndRestoresThem)
{
    constexpr uint32_t SIZE = 64 * 1024;
    std::vector<std::unique_ptr<Blob>> blobs;
    for (uint8_t i = 0; i < 4; ++i)
        blobs.push_back(std::make_unique<Blob>(SIZE, i));
    // Use them newest-last: 2, 0, 3, 1 — so 2 is the least recently used.
    for (int i : {2, 0, 3, 1})
    {
        blobs[i]->Lock();
        blobs[i]->Unlock();
    }
    // Room for one more blob only if about two of the four leave memory.
    SetMemoryBudget(GetMemoryInUse() + SIZE);
    void* big = CX_ALLOC(2 * SIZE);
    ASSERT_NE(big, nullptr) << "the purge made room";
    EXPECT_EQ(blobs[2]->IsResident(), 0u) << "the oldest went first";
    EXPECT_TRUE(blobs[2]->HasCacheFile());
    EXPECT_TRUE(FileExists(blobs[2]->GetCacheFileName().c_str()));
    EXPECT_EQ(std::string(blobs[2]->GetCacheFileName().c_str()).rfind(m_Dir.Path(), 0), 0u)
        << "swap files go to CacheDir";
    EXPECT_NE(blobs[1]->IsResident(), 0u) << "the most recent stays";

    CX_FREE(big);
    for (int i = 0; i < 4; ++i)
    {
        const CxString swap = blobs[i]->GetCacheFileName();
        blobs[i]->Lock();
        ASSERT_NE(blobs[i]->IsResident(), 0u);
        EXPECT_TRUE(blobs[i]->HoldsPattern(static_cast<uint8_t>(i)))
            << "blob " << i << " came back byte for byte";
        EXPECT_FALSE(blobs[i]->HasCacheFile());
        if (!swap.IsEmpty())
        {
            EXPECT_FALSE(FileExists(swap.c_str())) << "the swap file is deleted after the restore";
        }
        blobs[i]->Unlock();
    }
}

TEST_F(CacheTest, LockedObjectsAreNeverEvicted)
{
    constexpr uint32_t SIZE = 32 * 1024;
    Blob a(SIZE, 1);
    Blob b(SIZE, 2);
    a.Lock();
    b.Lock();
    SetMemoryBudget(GetMemoryInUse());
    EXPECT_EQ(CX_ALLOC(SIZE), nullptr) << "every resident object is locked: the allocation fails";
    EXPECT_NE(a.IsResident(), 0u);
    EXPECT_NE(b.IsResident(), 0u);
    EXPECT_FALSE(CxCachedObject::PurgeCache(SIZE));
}

TEST_F(CacheTest, UnwritableSwapDirectoryKeepsTheObjectInMemory)
{
    m_Options.SetString("Engine", "CacheDir", m_Dir.File("missing/dir").c_str());
    ErrorCapture capture;
    Blob a(4096, 9);
    SetMemoryBudget(GetMemoryInUse());
    EXPECT_EQ(CX_ALLOC(4096), nullptr);
    EXPECT_NE(a.IsResident(), 0u) << "contents that cannot be saved are not thrown away";
    EXPECT_TRUE(a.HoldsPattern(9));
}

TEST_F(CacheTest, VanishedSwapFileReportsNotFoundAndDestroyingDeletesIt)
{
    Blob a(256, 3);
    ASSERT_EQ(a.SaveToCache(), CX_ERR_NONE);
    ASSERT_TRUE(a.HasCacheFile());
    DeleteFile(a.GetCacheFileName().c_str());
    EXPECT_EQ(a.RestoreFromCache(), CX_ERR_FILE_NOT_FOUND);
    EXPECT_FALSE(a.HasCacheFile());
    EXPECT_EQ(a.RestoreFromCache(), CX_ERR_NONE) << "no cache file: nothing to do";
    CxString swap;
    const uint32_t count = CxCachedObject::GetObjectCount();
    {
        Blob b(128, 4);
        EXPECT_EQ(CxCachedObject::GetObjectCount(), count + 1);
        ASSERT_EQ(b.SaveToCache(), CX_ERR_NONE);
        swap = b.GetCacheFileName();
        EXPECT_TRUE(FileExists(swap.c_str()));
    }
    EXPECT_FALSE(FileExists(swap.c_str()));
    EXPECT_EQ(CxCachedObject::GetObjectCount(), count);
}
