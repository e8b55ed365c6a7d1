#pragma once

#include "support/types.h"

// The one layer through which every container of the support library
// allocates. Failures are std::bad_alloc ("bad allocation"); a failed resize
// leaves the block as it was.
namespace pfc {

void* raw_malloc(t_size p_size);                  // 0 bytes: null, nothing allocated
void* raw_realloc(void* p_ptr, t_size p_size);    // null p_ptr: raw_malloc; 0 bytes: frees, gives null
bool raw_realloc_inplace(void* p_block, t_size p_size);  // resize without moving; false when it can't
void raw_free(void* p_block);

}  // namespace pfc
