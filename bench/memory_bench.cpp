// The engine allocator (size rounding, budget accounting, block header)
// beside the C library's malloc for the small blocks engine objects use.
#include "engine/core/memory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

static void EngineAllocate(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    for (auto _ : state)
    {
        void* block = CX_ALLOC(size);
        benchmark::DoNotOptimize(block);
        CX_FREE(block);
    }
}
BENCHMARK(EngineAllocate)->Arg(24)->Arg(640 * 480 * 2);

static void LibcMalloc(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    for (auto _ : state)
    {
        void* block = malloc(size);
        benchmark::DoNotOptimize(block);
        free(block);
    }
}
BENCHMARK(LibcMalloc)->Arg(24)->Arg(640 * 480 * 2);
