#include "support/raw_memory.h"

#include "platform/heap.h"
#include "support/exceptions.h"

namespace pfc {

void* raw_malloc(t_size p_size) {
    if (p_size == 0) return nullptr;
    void* block = platform::heap_alloc(p_size);
    if (block == nullptr) throw_bad_alloc();
    return block;
}

void* raw_realloc(void* p_ptr, t_size p_size) {
    if (p_ptr == nullptr) return raw_malloc(p_size);
    if (p_size == 0) {
        platform::heap_free(p_ptr);
        return nullptr;
    }
    void* block = platform::heap_realloc(p_ptr, p_size);
    if (block == nullptr) throw_bad_alloc();
    return block;
}

bool raw_realloc_inplace(void* p_block, t_size p_size) {
    if (p_block == nullptr) return p_size == 0;
    if (p_size == 0) return false;
    return platform::heap_expand(p_block, p_size);
}

void raw_free(void* p_block) { platform::heap_free(p_block); }

}  // namespace pfc
