#include "engine/platform/heap.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

bool ConfigureProcessHeap()
{
#if defined(__GLIBC__)
    // Left to itself, glibc raises its mapping threshold to the size of each
    // mapped block that is freed (up to 32 MiB), so after the first room
    // closes the next rooms' pictures land in the shared heap after all. A
    // threshold set here stays fixed.
    return mallopt(M_MMAP_THRESHOLD, static_cast<int>(CX_HEAP_OWN_MAPPING_BYTES)) == 1;
#else
    return false;
#endif
}
