// Allocator bytes, counted where they are given out: this header replaces the
// program's operator new and delete (include it in exactly one file of a
// benchmark program), so every block the toolkit, the host or a loaded
// component takes through them is counted, at the size the C library's heap
// really spends on it: the usable size it rounds the request up to, plus its
// one word of header. What a window keeps is then the difference of two
// readings, never an estimate. (The shared libraries' blocks reach this hook
// because the program's operator new interposes on theirs: ELF only.)
#pragma once

#include <malloc.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace allocation_counter {

inline long long live_bytes = 0;
inline long long live_blocks = 0;

// What the heap spends on the block at p: its usable size and its header.
inline std::size_t spent(void* p) noexcept { return malloc_usable_size(p) + sizeof(std::size_t); }

inline void* take(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    live_bytes += static_cast<long long>(spent(p));
    ++live_blocks;
    return p;
}

inline void give(void* p) noexcept {
    if (p == nullptr) return;
    live_bytes -= static_cast<long long>(spent(p));
    --live_blocks;
    std::free(p);
}

}  // namespace allocation_counter

void* operator new(std::size_t n) { return allocation_counter::take(n); }
void* operator new[](std::size_t n) { return allocation_counter::take(n); }
void operator delete(void* p) noexcept { allocation_counter::give(p); }
void operator delete[](void* p) noexcept { allocation_counter::give(p); }
void operator delete(void* p, std::size_t) noexcept { allocation_counter::give(p); }
void operator delete[](void* p, std::size_t) noexcept { allocation_counter::give(p); }
