#include "runtime.h"

void* operator new(size_t p_size) {
    void* block = malloc(p_size != 0 ? p_size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void* operator new[](size_t p_size) { return operator new(p_size); }
void operator delete(void* p_block) noexcept { free(p_block); }
void operator delete(void* p_block, size_t) noexcept { free(p_block); }
void operator delete[](void* p_block) noexcept { free(p_block); }
void operator delete[](void* p_block, size_t) noexcept { free(p_block); }

// The type descriptors of thrown and caught types name type_info's table;
// exception handling never reads it, so any definition will do.
extern "C" const void* const sorvale_type_info_table[1] __asm__("??_7type_info@@6B@") = {nullptr};

// Where an exception would leave a noexcept function. Microsoft's runtime
// library has it; msvcrt.dll does not.
extern "C" [[noreturn]] void __std_terminate() { abort(); }
