// The engine allocator.
//
// Sizes are rounded up to 8 bytes; a zero-fill request clears the whole
// rounded block. When the heap (or the optional byte budget) refuses a block,
// the allocator purges least-recently-used cached objects to swap files and
// tries once more. The budget lets tests and small machines make eviction
// happen for real: an allocation that would pass it fails like a heap failure.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t CX_ALLOC_GRANULARITY = 8;
constexpr uint64_t CX_MEMORY_UNLIMITED = UINT64_MAX;

class CxOptions;

// Sets up the process heap for large blocks (engine/platform/heap.h) and
// creates the "QexMem" mutex; the memory layer starts before anything else.
void StartMemory();
void StopMemory();

void* Allocate(size_t size, const char* file, int line, bool zeroFill);
void Free(void* block, const char* file, int line);

// Takes bytes from the heap without purging; used by the purge to probe for room.
void* AllocateRaw(size_t size, bool zeroFill);

// The byte budget of all live engine blocks; CX_MEMORY_UNLIMITED for none.
void SetMemoryBudget(uint64_t bytes);
uint64_t GetMemoryBudget();
uint64_t GetMemoryInUse();
// Reads "Engine"/"MemoryBudget" (bytes; 0 or missing means unlimited).
void ConfigureMemory(CxOptions& options);

#define CX_ALLOC(size) ::Allocate((size), __FILE__, __LINE__, false)
#define CX_ALLOC_ZERO(size) ::Allocate((size), __FILE__, __LINE__, true)
#define CX_FREE(block) ::Free((block), __FILE__, __LINE__)
