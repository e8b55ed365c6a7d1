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
