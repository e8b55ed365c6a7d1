#include "platform/heap.h"

#include <malloc.h>

#include <cstdlib>

namespace platform {
namespace {

// Constant-initialised, so they are right before any static constructor of a
// library that allocates runs.
constinit std::uint64_t g_seen = 0;
constinit std::uint64_t g_fail_at = 0;  // 0: disarmed
constinit bool g_fail_after = false;
constinit std::int64_t g_live = 0;
constinit bool g_expand_refused = false;

// Counts one allocation attempt and says whether it must fail.
bool injected_failure() {
    ++g_seen;
    if (g_fail_at == 0) return false;
    return g_seen == g_fail_at || (g_fail_after && g_seen > g_fail_at);
}

}  // namespace

void* heap_alloc(std::size_t size) {
    if (injected_failure()) return nullptr;
    // A zero-byte malloc may answer null, which would read as out of memory.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) ++g_live;
    return block;
}

void* heap_realloc(void* block, std::size_t size) {
    if (block == nullptr) return heap_alloc(size);
    if (size == 0) {
        heap_free(block);
        return nullptr;
    }
    if (injected_failure()) return nullptr;
    return std::realloc(block, size);
}

void heap_free(void* block) {
    if (block == nullptr) return;
    --g_live;
    std::free(block);
}

bool heap_expand(void* block, std::size_t size) {
    if (block == nullptr || g_expand_refused) return false;
#if defined(_WIN32)
    // The C runtime's own resize in place: null when the block cannot have
    // that size where it lies, and then it is left as it was.
    return size != 0 && _expand(block, size) != nullptr;
#else
    std::size_t usable = malloc_usable_size(block);
    if (size > usable) return false;
    return true;
#endif
}

void heap_fail_at(std::uint64_t n, bool and_after) {
    g_seen = 0;
    g_fail_at = n;
    g_fail_after = and_after;
}

void heap_disarm() {
    g_seen = 0;
    g_fail_at = 0;
    g_fail_after = false;
}

void heap_refuse_expand(bool refused) { g_expand_refused = refused; }

std::uint64_t heap_allocations() { return g_seen; }

std::int64_t heap_live_blocks() { return g_live; }

}  // namespace platform
