#pragma once

#include <cstdint>

#include "platform/heap.h"

// Out of memory for one scope: from here, the heap's allocation number p_nth
// fails (with p_and_after, every later one too), and whatever the scope ends
// with, a failed expectation or an exception included, the hook is disarmed,
// so no other check of the test runs short of memory. Both ends restart the
// heap's allocation count.
class allocation_failure {
public:
    explicit allocation_failure(std::uint64_t p_nth, bool p_and_after = false) {
        platform::heap_fail_at(p_nth, p_and_after);
    }
    allocation_failure(const allocation_failure&) = delete;
    allocation_failure& operator=(const allocation_failure&) = delete;
    ~allocation_failure() { platform::heap_disarm(); }
};

// No block can grow or shrink where it lies, for one scope: containers copy
// into a new block, on any heap (the C runtime's _expand on Windows often
// could resize in place).
class no_resize_in_place {
public:
    no_resize_in_place() { platform::heap_refuse_expand(true); }
    no_resize_in_place(const no_resize_in_place&) = delete;
    no_resize_in_place& operator=(const no_resize_in_place&) = delete;
    ~no_resize_in_place() { platform::heap_refuse_expand(false); }
};
