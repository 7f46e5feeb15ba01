// The process heap's set-up for the engine's pattern of allocation.
//
// A room loads its pictures and sounds as large blocks (tens of KiB up to a
// few MiB) and frees them when it closes, while small blocks made in the
// meantime (strings, list nodes, sprites, events) live on. In one shared
// heap such a survivor pins the space freed below it, since the C library
// hands memory back to the system only from the heap's top: the process's
// resident memory then ratchets up with every room it passes through, far
// beyond what it actually holds. So each large block gets a mapping of its
// own, which goes back to the system as soon as the block is freed.
#pragma once

#include <cstddef>

// The size from which a block is mapped on its own.
constexpr size_t CX_HEAP_OWN_MAPPING_BYTES = 64 * 1024;

// Applies the set-up to the process (again is harmless). True when the C
// library took it; false where it does not apply (another C library, or a
// sanitizer's allocator in its place).
bool ConfigureProcessHeap();
