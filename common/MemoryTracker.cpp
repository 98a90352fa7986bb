#include "common/MemoryTracker.h"

#include "common/Lock.h"

#include <cstdlib>

namespace
{
// Never destroyed, so that blocks may be given back during exit.
CLock& MemoryLock()
{
    static CLock* lock = new CLock;
    return *lock;
}

CMemoryTracker* g_tracker = nullptr;
} // namespace

CMemoryTracker& CMemoryTracker::Get()
{
    CLockGuard guard(MemoryLock());
    if (!g_tracker)
        g_tracker = new CMemoryTracker();
    return *g_tracker;
}

void CMemoryTracker::Destroy()
{
    CLockGuard guard(MemoryLock());
    delete g_tracker;
    g_tracker = nullptr;
}

void* CMemoryTracker::Alloc(size_t size)
{
    CLockGuard guard(MemoryLock());
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block)
        m_blocks.insert(block);
    return block;
}

bool CMemoryTracker::Free(void* block)
{
    if (!block)
        return true;
    CLockGuard guard(MemoryLock());
    if (m_blocks.erase(block) == 0)
        return false;
    std::free(block);
    return true;
}

size_t CMemoryTracker::GetCount() const
{
    CLockGuard guard(MemoryLock());
    return m_blocks.size();
}
