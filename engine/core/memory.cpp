#include "engine/core/memory.h"

#include "engine/core/cached_object.h"
#include "engine/core/mutex.h"
#include "engine/core/options.h"
#include "engine/platform/heap.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
// Each block carries its rounded size in front, so the budget can be kept
// exactly; 16 bytes keep the caller's block aligned as malloc's is.
constexpr size_t HEADER = 16;

std::atomic<uint64_t> s_nBudget{CX_MEMORY_UNLIMITED};
std::atomic<uint64_t> s_nInUse{0};
CxMutex* s_pMemMutex = nullptr;

size_t RoundUp(size_t size)
{
    return (size + CX_ALLOC_GRANULARITY - 1) & ~static_cast<size_t>(CX_ALLOC_GRANULARITY - 1);
}
} // namespace

void StartMemory()
{
    ConfigureProcessHeap();
    if (s_pMemMutex)
        return;
    s_pMemMutex = new CxMutex;
    s_pMemMutex->Create("QexMem", false);
}

void StopMemory()
{
    delete s_pMemMutex;
    s_pMemMutex = nullptr;
}

void* AllocateRaw(size_t size, bool zeroFill)
{
    if (size > SIZE_MAX - HEADER)
        return nullptr;
    // Reserve the bytes against the budget first so that two threads cannot both pass it.
    const uint64_t budget = s_nBudget.load();
    uint64_t used = s_nInUse.load();
    do
    {
        if (budget != CX_MEMORY_UNLIMITED && (size > budget || used > budget - size))
            return nullptr;
    } while (!s_nInUse.compare_exchange_weak(used, used + size));

    unsigned char* raw =
        static_cast<unsigned char*>(zeroFill ? calloc(1, size + HEADER) : malloc(size + HEADER));
    if (!raw)
    {
        s_nInUse -= size;
        return nullptr;
    }
    memcpy(raw, &size, sizeof(size));
    return raw + HEADER;
}

void* Allocate(size_t size, const char* /*file*/, int /*line*/, bool zeroFill)
{
    const size_t rounded = RoundUp(size);
    if (rounded < size)
        return nullptr;
    void* block = AllocateRaw(rounded, zeroFill);
    if (block)
        return block;

    if (!s_pMemMutex || s_pMemMutex->Lock(CX_INFINITE))
    {
        PurgeCache(rounded + 1024);
        if (s_pMemMutex)
            s_pMemMutex->Unlock();
    }
    return AllocateRaw(rounded, zeroFill);
}

void Free(void* block, const char* /*file*/, int /*line*/)
{
    if (!block)
        return;
    unsigned char* raw = static_cast<unsigned char*>(block) - HEADER;
    size_t size;
    memcpy(&size, raw, sizeof(size));
    s_nInUse -= size;
    free(raw);
}

void SetMemoryBudget(uint64_t bytes)
{
    s_nBudget = bytes;
}

uint64_t GetMemoryBudget()
{
    return s_nBudget;
}

uint64_t GetMemoryInUse()
{
    return s_nInUse;
}

void ConfigureMemory(CxOptions& options)
{
    long budget = 0;
    options.GetNumber("Engine", "MemoryBudget", &budget, 0);
    SetMemoryBudget(budget > 0 ? static_cast<uint64_t>(budget) : CX_MEMORY_UNLIMITED);
}
