#pragma once

#include <cassert>
#include <cstddef>
#include <new>
#include <type_traits>

#include "support/exceptions.h"
#include "support/raw_memory.h"
#include "support/types.h"

// Growable arrays. Every array has the same three fields, pointer, count and
// capacity, because the host reads them; what differs between arrays is the
// storage policy, which decides how the block grows and shrinks:
//
//   alloc_standard        exact sizes; set_size(p_size, p_size_total). Bytes and
//                         other trivially copyable elements.
//   alloc_fast            capacity doubles and halves; elements are constructed,
//                         copied and destroyed one by one.
//   alloc_fast_aggressive capacity doubles and never shrinks; release() frees.
//
// An array owns its block and its elements. A resize that runs out of memory,
// or whose byte size would not fit in 32 bits, throws std::bad_alloc ("bad
// allocation") and leaves elements, count and capacity as they were. An array
// is used by one thread at a time and takes no locks.
namespace pfc {

template <typename t_exception>
[[noreturn]] void throw_exception_t() {
    // The standard type's own message is not ours; raise the one that says "bad allocation".
    if constexpr (std::is_same_v<t_exception, std::bad_alloc>) {
        throw_bad_alloc();
    } else {
        throw t_exception();
    }
}

// p_value shifted left by p_shift, or t_exception when bits would fall off the top.
template <typename t_exception, typename t_int>
t_int safe_shift_left_t(t_int p_value, t_int p_shift = 1) {
    const t_int shifted = static_cast<t_int>(p_value << p_shift);
    if (static_cast<t_int>(shifted >> p_shift) != p_value) throw_exception_t<t_exception>();
    return shifted;
}

// Byte size of p_width elements; std::bad_alloc when it does not fit in 32 bits.
template <typename T>
t_size calc_array_width(t_size p_width) {
    if (p_width == 0) return 0;
    const t_uint64 bytes = static_cast<t_uint64>(p_width) * sizeof(T);
    if (bytes > infinite_size) throw_bad_alloc();
    return static_cast<t_size>(bytes);
}

// Exchange by value: each element's references end where they began.
template <typename T>
void swap_t(T& p_item1, T& p_item2) {
    T temp(p_item2);
    p_item2 = p_item1;
    p_item1 = temp;
}

// The layout every array shares with the host.
template <typename T>
struct array_fields_t {
    T* m_items = nullptr;
    t_size m_count = 0;     // elements in use; the rest of the block is raw storage
    t_size m_capacity = 0;  // elements the block holds
};

static_assert(offsetof(array_fields_t<char>, m_items) == 0);
static_assert(offsetof(array_fields_t<char>, m_count) == sizeof(void*));
static_assert(offsetof(array_fields_t<char>, m_capacity) == sizeof(void*) + 4);
static_assert(sizeof(array_fields_t<char>) == sizeof(void*) + 8);

// Element-by-element content and storage changes of alloc_fast.
template <typename T>
struct __array_fast_helper_t {
    // Default-constructs up to p_size, or destroys down to it in ascending
    // order. A destructor's exception is dropped so the rest still go.
    static void resize_content(array_fields_t<T>& p_array, t_size p_size) {
        if (p_size > p_array.m_count) {
            const t_size old_count = p_array.m_count;
            // Counted in a local, so that the loop is only the constructions.
            t_size count = old_count;
            try {
                for (; count < p_size; ++count) new (p_array.m_items + count) T();
            } catch (...) {
                destroy_range(p_array.m_items, old_count, count);
                throw;
            }
            p_array.m_count = count;
        } else if (p_size < p_array.m_count) {
            destroy_range(p_array.m_items, p_size, p_array.m_count);
            p_array.m_count = p_size;
        }
    }

    // Makes the block hold p_size elements: in place when the heap can, else
    // by copying into a new block. A throwing copy leaves the array as it was.
    static void resize_storage(array_fields_t<T>& p_array, t_size p_size) {
        assert(p_size >= p_array.m_count && "the block must hold every element");
        if (p_size == p_array.m_capacity) return;
        const t_size bytes = calc_array_width<T>(p_size);
        if (raw_realloc_inplace(p_array.m_items, bytes)) {
            p_array.m_capacity = p_size;
            return;
        }
        T* fresh = static_cast<T*>(raw_malloc(bytes));
        t_size built = 0;
        try {
            for (; built < p_array.m_count; ++built) new (fresh + built) T(p_array.m_items[built]);
        } catch (...) {
            destroy_range(fresh, 0, built);
            raw_free(fresh);
            throw;
        }
        destroy_range(p_array.m_items, 0, p_array.m_count);
        raw_free(p_array.m_items);
        p_array.m_items = fresh;
        p_array.m_capacity = p_size;
    }

    static void destroy_range(T* p_items, t_size p_from, t_size p_to) noexcept {
        for (t_size i = p_from; i < p_to; ++i) {
            try {
                p_items[i].~T();
            } catch (...) {
                // An element that fails to die must not keep the others alive.
            }
        }
    }
};

// The block of elements that need no construction: moved and freed as bytes.
template <typename T>
class raw_block_t : protected array_fields_t<T> {
    static_assert(std::is_trivially_copyable_v<T>, "a raw block moves its elements as bytes");

public:
    raw_block_t() noexcept = default;
    raw_block_t(const raw_block_t&) = delete;
    raw_block_t& operator=(const raw_block_t&) = delete;
    ~raw_block_t() { raw_free(this->m_items); }

protected:
    // The bytes already there stay, up to the smaller size; 0 frees the block.
    void reallocate(t_size p_capacity) {
        this->m_items = static_cast<T*>(raw_realloc(this->m_items, calc_array_width<T>(p_capacity)));
        this->m_capacity = p_capacity;
    }
};

// Exact-size storage for elements that need no construction (text bytes,
// sort positions). The block is resized before any field changes, in both
// directions, so a failed resize leaves the array whole.
template <typename T>
class alloc_standard : public raw_block_t<T> {
public:
    // p_size elements in use, p_size_total in the block.
    void set_size(t_size p_size, t_size p_size_total) {
        assert(p_size <= p_size_total && "more elements in use than the block holds");
        if (p_size_total != this->m_capacity) this->reallocate(p_size_total);
        this->m_count = p_size;
    }
    void set_size(t_size p_size) { set_size(p_size, p_size); }
};

// Doubling storage for elements with life cycles (counted references).
template <typename T>
class alloc_fast : protected array_fields_t<T> {
    using helper = __array_fast_helper_t<T>;

public:
    alloc_fast() noexcept = default;
    alloc_fast(const alloc_fast&) = delete;
    alloc_fast& operator=(const alloc_fast&) = delete;
    ~alloc_fast() {
        helper::destroy_range(this->m_items, 0, this->m_count);
        raw_free(this->m_items);
    }

    // Capacity: the smallest power of two from the current one (1 if none)
    // reachable by doubling or halving that holds p_size with no more than
    // three quarters empty. Elements move while there are fewest of them.
    void set_size(t_size p_size) {
        t_size capacity = this->m_capacity == 0 ? 1 : this->m_capacity;
        while (capacity < p_size) capacity = safe_shift_left_t<std::bad_alloc, t_size>(capacity);
        while (capacity / 4 > p_size) capacity /= 2;
        // The block is settled first whenever elements are added, so a block
        // that cannot be had leaves the array as it was. The block can shrink
        // while the count grows: after a shrink that ran out of memory and
        // kept its larger block.
        if (capacity > this->m_capacity || p_size > this->m_count) {
            helper::resize_storage(*this, capacity);
            helper::resize_content(*this, p_size);
        } else {
            helper::resize_content(*this, p_size);
            helper::resize_storage(*this, capacity);
        }
    }
};

// Byte buffers that are refilled many times (the configuration writer): the
// capacity only doubles, so reuse after set_size(0) allocates nothing.
template <typename T>
class alloc_fast_aggressive : public raw_block_t<T> {
public:
    // Never shrinks; on an array without a block even 0 allocates one element.
    void set_size(t_size p_size) {
        t_size capacity = this->m_capacity == 0 ? 1 : this->m_capacity;
        while (capacity < p_size) capacity = safe_shift_left_t<std::bad_alloc, t_size>(capacity);
        if (capacity > this->m_capacity) this->reallocate(capacity);
        this->m_count = p_size;
    }

    // Count 0 and no block.
    void release() noexcept {
        raw_free(this->m_items);
        this->m_items = nullptr;
        this->m_count = 0;
        this->m_capacity = 0;
    }
};

// The array proper: the fields come from the policy, which also supplies set_size.
template <typename T, template <typename> class t_alloc = alloc_standard>
class array_t : public t_alloc<T> {
public:
    using t_item = T;

    array_t() noexcept = default;

    T* get_ptr() noexcept { return this->m_items; }
    const T* get_ptr() const noexcept { return this->m_items; }
    t_size get_size() const noexcept { return this->m_count; }
    t_size get_capacity() const noexcept { return this->m_capacity; }

    // Unchecked in release builds: p_index < get_size().
    T& operator[](t_size p_index) noexcept {
        assert(p_index < this->m_count && "array index out of range");
        return this->m_items[p_index];
    }
    const T& operator[](t_size p_index) const noexcept {
        assert(p_index < this->m_count && "array index out of range");
        return this->m_items[p_index];
    }
};

static_assert(sizeof(array_t<char>) == sizeof(array_fields_t<char>), "the host reads an array as its three fields");
static_assert(std::is_standard_layout_v<array_t<char>>);
static_assert(sizeof(array_t<char, alloc_fast>) == sizeof(array_fields_t<char>));
static_assert(std::is_standard_layout_v<array_t<char, alloc_fast>>);
static_assert(sizeof(array_t<unsigned char, alloc_fast_aggressive>) == sizeof(array_fields_t<unsigned char>));

}  // namespace pfc
