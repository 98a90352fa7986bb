// CMemoryTracker hands out heap blocks for log lines and network buffers and
// remembers every block it has handed out and not yet taken back, so that a
// block can only be given back by way of the tracker that produced it.
//
// One tracker per process, created by the first Get(). Every operation runs
// under the process-wide memory lock, the innermost lock of the system.
#pragma once

#include <cstddef>
#include <unordered_set>

class CMemoryTracker
{
public:
    // The process's tracker, created on first use.
    static CMemoryTracker& Get();

    // Forgets the tracker and every record it holds; the blocks themselves are
    // not freed. The next Get() creates a new, empty tracker.
    static void Destroy();

    // A heap block of `size` bytes, or null when the heap has none.
    void* Alloc(size_t size);

    // Gives a block back. Null: true. A block this tracker never handed out (or
    // already took back): false, and the block is left alone.
    bool Free(void* block);

    // Number of blocks handed out and not yet given back.
    size_t GetCount() const;

private:
    CMemoryTracker() = default;

    std::unordered_set<void*> m_blocks;
};
