#include "platform/heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Every out-of-memory test of the project stands on these answers: which
// calls the failure hook counts, what each call hands back, and how the live
// block count moves.
TEST(Heap, EachCallAnswersCountsAndKeepsBlocksAsDocumented) {
    struct row {
        const char* name;
        void* (*call)(void* p_block);  // p_block: a fresh 16-byte block holding "heap"
        bool takes_block;              // the 16-byte block is moved or freed by the call
        bool answers_a_block;          // non-null result
        std::uint64_t counted;         // allocations the hook saw
        std::int64_t live_change;      // blocks out afterwards, the 16-byte one included
    };
    static const row rows[] = {
        {"alloc", [](void*) { return platform::heap_alloc(32); }, false, true, 1, 2},
        {"alloc_of_0_gives_a_block_of_its_own", [](void*) { return platform::heap_alloc(0); }, false, true, 1, 2},
        {"realloc_of_null_allocates", [](void*) { return platform::heap_realloc(nullptr, 0); }, false, true, 1, 2},
        {"realloc_grows_keeping_the_bytes", [](void* b) { return platform::heap_realloc(b, 4096); }, true, true, 1, 1},
        {"realloc_to_0_frees", [](void* b) { return platform::heap_realloc(b, 0); }, true, false, 0, 0},
        {"free_of_null_is_harmless",
         [](void*) { return platform::heap_free(nullptr), static_cast<void*>(nullptr); }, false, false, 0, 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::int64_t live = platform::heap_live_blocks();
        void* block = platform::heap_alloc(16);
        ASSERT_NE(block, nullptr);
        std::memcpy(block, "heap", 5);
        platform::heap_disarm();
        void* result = r.call(block);
        EXPECT_EQ(result != nullptr, r.answers_a_block);
        EXPECT_EQ(platform::heap_allocations(), r.counted);
        EXPECT_EQ(platform::heap_live_blocks() - live, r.live_change);
        if (r.takes_block && result != nullptr) {
            EXPECT_STREQ(static_cast<const char*>(result), "heap");
        }
        if (!r.takes_block) platform::heap_free(block);
        platform::heap_free(result);
        EXPECT_EQ(platform::heap_live_blocks(), live) << "the row's blocks are all given back";
    }

    // In-place resize: yes while the block already holds the size, no beyond
    // it; never moves or touches the block, and never counts as an allocation,
    // so not even an armed hook refuses it.
    void* block = platform::heap_alloc(16);
    std::memcpy(block, "heap", 5);
    platform::heap_fail_at(1, true);
    EXPECT_TRUE(platform::heap_expand(block, 16));
    EXPECT_TRUE(platform::heap_expand(block, 1));
    EXPECT_FALSE(platform::heap_expand(block, 1u << 20)) << "refused rather than moved";
    EXPECT_FALSE(platform::heap_expand(nullptr, 0));
    EXPECT_EQ(platform::heap_allocations(), 0u);
    platform::heap_disarm();
    platform::heap_refuse_expand(true);
    EXPECT_FALSE(platform::heap_expand(block, 16)) << "refused by the test hook";
    platform::heap_refuse_expand(false);
    EXPECT_TRUE(platform::heap_expand(block, 16));
    EXPECT_STREQ(static_cast<const char*>(block), "heap");
    platform::heap_free(block);
}

// Armed with n, allocation n fails (with and_after, every one from n on);
// disarming restarts the count and lets everything through again. A failed
// reallocation leaves its block where it was, bytes and all.
TEST(Heap, FailureHookArmsCountsAndDisarms) {
    struct row {
        const char* name;
        std::uint64_t n;  // 0: disarmed
        bool and_after;
        const char* outcome;  // of allocations 1, 2, 3, ...: '+' given, '-' refused
    };
    static const row rows[] = {
        {"disarmed", 0, false, "+++++"},
        {"first_only", 1, false, "-++++"},
        {"third_only", 3, false, "++-++"},
        {"third_and_after", 3, true, "++---"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        void* moving = platform::heap_alloc(8);
        std::memcpy(moving, "keep", 5);
        if (r.n == 0) {
            platform::heap_disarm();
        } else {
            platform::heap_fail_at(r.n, r.and_after);
        }
        std::string outcome;
        std::vector<void*> blocks;
        for (std::size_t i = 0; i < std::strlen(r.outcome); ++i) {
            // Alternate the two calls the hook counts.
            void* got = i % 2 == 0 ? platform::heap_alloc(8) : platform::heap_realloc(moving, 64 << i);
            outcome += got != nullptr ? '+' : '-';
            if (i % 2 == 0 && got != nullptr) blocks.push_back(got);
            if (i % 2 == 1 && got != nullptr) moving = got;
            EXPECT_STREQ(static_cast<const char*>(moving), "keep");
        }
        EXPECT_EQ(outcome, r.outcome);
        EXPECT_EQ(platform::heap_allocations(), std::strlen(r.outcome));

        platform::heap_disarm();
        EXPECT_EQ(platform::heap_allocations(), 0u);
        void* after = platform::heap_alloc(8);
        EXPECT_NE(after, nullptr);
        EXPECT_EQ(platform::heap_allocations(), 1u);
        blocks.push_back(after);
        blocks.push_back(moving);
        for (void* b : blocks) platform::heap_free(b);
    }
}

}  // namespace
