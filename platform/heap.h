#pragma once

#include <cstddef>
#include <cstdint>

// The C runtime heap as the support library's raw memory layer sees it:
// allocate, reallocate, free, and resize a block without ever moving it.
//
// All of the component's container memory passes through here, which makes
// this the one place where a test can make an allocation fail on purpose.
namespace platform {

void* heap_alloc(std::size_t size);                 // null when memory runs out
void* heap_realloc(void* block, std::size_t size);  // null when it cannot; block untouched then
void heap_free(void* block);

// Resize without moving. The C library has no such call, so this answers true
// exactly when the block can already hold `size` bytes where it lies
// (malloc_usable_size), and leaves the block untouched either way; callers
// then take their copying path. It never allocates, so fault injection never
// touches it.
bool heap_expand(void* block, std::size_t size);

// Test hooks. Every heap_alloc and every heap_realloc to a non-zero size is
// one "allocation", numbered from 1 since the
// last arm call. When armed with n, allocation number n fails (and, with
// `and_after`, every one after it too) until disarmed.
void heap_fail_at(std::uint64_t n, bool and_after = false);
void heap_disarm();
std::uint64_t heap_allocations();  // allocations seen since the last arm/disarm
std::int64_t heap_live_blocks();   // blocks handed out and not yet freed

}  // namespace platform
