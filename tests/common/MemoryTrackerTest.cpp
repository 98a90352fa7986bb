#include "common/MemoryTracker.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(MemoryTracker, FreesOnlyBlocksItHandedOut)
{
    CMemoryTracker& tracker = CMemoryTracker::Get();
    size_t before = tracker.GetCount();
    void* block = tracker.Alloc(64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(tracker.GetCount(), before + 1);

    void* foreign = std::malloc(16);
    EXPECT_FALSE(tracker.Free(foreign));
    std::free(foreign); // still ours to free: the tracker left it alone

    EXPECT_TRUE(tracker.Free(block));
    EXPECT_EQ(tracker.GetCount(), before);
    EXPECT_FALSE(tracker.Free(block)) << "a block given back twice is not freed twice";
    EXPECT_TRUE(tracker.Free(nullptr)) << "a null block is always accepted";
}

TEST(MemoryTracker, DestroyForgetsRecordsAndNextGetStartsEmpty)
{
    void* block = CMemoryTracker::Get().Alloc(8);
    CMemoryTracker::Destroy();
    EXPECT_EQ(CMemoryTracker::Get().GetCount(), 0u);
    EXPECT_FALSE(CMemoryTracker::Get().Free(block)) << "the new tracker never handed it out";
    std::free(block);
}
