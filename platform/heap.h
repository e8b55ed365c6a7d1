#pragma once

#include <cstddef>
#include <cstdint>

// The C runtime heap as the support library's raw memory layer sees it:
// allocate, reallocate, free, and resize a block without ever moving it.
//
// All of the component's container memory passes through here, which makes
// this the one place where a test can make an allocation fail on purpose.
namespace platform {

// Not thread-safe: the counters below are plain variables, and everything
// that allocates through here runs on one thread.

// A block of `size` bytes, or null when memory runs out. Size 0 still gives a
// block of its own (one byte), so null always means out of memory.
void* heap_alloc(std::size_t size);
// Null block: heap_alloc. Size 0: frees the block and answers null. Otherwise
// the block, moved if need be with its bytes, or null when it cannot grow;
// the block is then untouched and still the caller's.
void* heap_realloc(void* block, std::size_t size);
void heap_free(void* block);  // null: nothing

// Resize without moving; false for a null block. On Windows the C runtime's
// _expand does it: true when the block now holds `size` bytes where it lies (a
// shrink gives the rest back to the heap; size 0 answers false). The GNU C library has no
// such call, so there this answers true exactly when the block can already
// hold `size` bytes where it lies (malloc_usable_size; a shrink always can)
// and leaves the block untouched. A false leaves the block as it was; callers
// take their copying path. It never counts as an allocation, so fault
// injection never touches it.
bool heap_expand(void* block, std::size_t size);

// Test hooks. Every call that may take memory counts as one "allocation":
// every heap_alloc, size 0 included, and every heap_realloc except one to size
// 0 of a block, which only frees. They are numbered from 1 since the last arm
// or disarm. Armed with n, allocation number n fails (and, with `and_after`,
// every one after it too) until disarmed; a failure answers null as real
// exhaustion would.
void heap_fail_at(std::uint64_t n, bool and_after = false);
void heap_disarm();
// While refused, heap_expand answers false for every block, as a heap with no
// room beside any block would, so callers take their copying path whatever
// the heap below can do.
void heap_refuse_expand(bool refused);
std::uint64_t heap_allocations();  // allocations seen since the last arm/disarm
std::int64_t heap_live_blocks();   // blocks handed out and not yet freed

}  // namespace platform
