// The raw memory layer at its edges: zero sizes, null blocks and a heap that
// runs out. Every block is counted by the platform heap, so a block kept or
// freed by mistake shows in its live count.
#include "support/raw_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "platform/heap.h"
#include "tests/allocation_failure.h"

namespace {

TEST(RawMemory, ZeroSizesAllocateNothingAndFreeWhatTheyResize) {
    const auto live = platform::heap_live_blocks();
    EXPECT_EQ(pfc::raw_malloc(0), nullptr);
    EXPECT_EQ(pfc::raw_realloc(nullptr, 0), nullptr);
    EXPECT_EQ(platform::heap_live_blocks(), live);

    void* block = pfc::raw_realloc(nullptr, 8);  // a null block is a fresh allocation
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(platform::heap_live_blocks(), live + 1);
    EXPECT_FALSE(pfc::raw_realloc_inplace(block, 0)) << "a block is freed, never shrunk to nothing";
    EXPECT_EQ(pfc::raw_realloc(block, 0), nullptr);
    EXPECT_EQ(platform::heap_live_blocks(), live) << "resized to nothing, the block is freed";

    EXPECT_TRUE(pfc::raw_realloc_inplace(nullptr, 0));
    EXPECT_FALSE(pfc::raw_realloc_inplace(nullptr, 1));
    pfc::raw_free(nullptr);
    EXPECT_EQ(platform::heap_live_blocks(), live);
}

TEST(RawMemory, OutOfMemoryIsBadAllocationAndLeavesTheBlockAsItWas) {
    const auto live = platform::heap_live_blocks();
    {
        allocation_failure fail(1);
        EXPECT_THROW(pfc::raw_malloc(16), std::bad_alloc);
    }
    auto* block = static_cast<char*>(pfc::raw_malloc(4));
    std::memcpy(block, "abc", 4);
    {
        allocation_failure fail(1);
        try {
            pfc::raw_realloc(block, 1 << 20);
            ADD_FAILURE() << "the resize should have failed";
        } catch (const std::bad_alloc& e) {
            EXPECT_STREQ(e.what(), "bad allocation");
        }
    }
    EXPECT_STREQ(block, "abc") << "the block is still the caller's, its bytes kept";
    EXPECT_EQ(platform::heap_live_blocks(), live + 1);
    pfc::raw_free(block);
    EXPECT_EQ(platform::heap_live_blocks(), live);
}

}  // namespace
