#pragma once

#include "support/types.h"

// The one layer through which every container of the support library
// allocates. Failures are std::bad_alloc ("bad allocation"); a failed resize
// leaves the block as it was. Used on one thread at a time (the platform
// heap's test counters are plain variables).
namespace pfc {

void* raw_malloc(t_size p_size);                  // 0 bytes: null, nothing allocated
void* raw_realloc(void* p_ptr, t_size p_size);    // null p_ptr: raw_malloc; 0 bytes: frees, gives null
// Resize without moving; false when it can't, and for 0 bytes of a block,
// which callers free instead. Null block: true exactly for 0 bytes. [nothrow]
bool raw_realloc_inplace(void* p_block, t_size p_size);
void raw_free(void* p_block);  // null: nothing [nothrow]

}  // namespace pfc
