#include "support/sort.h"

#include <cstring>

namespace pfc {
namespace {

// One bit per position: the first 8,192 in the frame, the rest on the heap.
class mark_table {
public:
    explicit mark_table(t_size p_count) : m_bytes((static_cast<t_uint64>(p_count) + 7) / 8) {
        if (m_bytes > sizeof m_fixed) m_heap.set_size(static_cast<t_size>(m_bytes - sizeof m_fixed));
        clear();
    }

    void clear() noexcept {
        std::memset(m_fixed, 0, sizeof m_fixed);
        if (m_heap.get_size() > 0) std::memset(m_heap.get_ptr(), 0, m_heap.get_size());
    }
    bool test(t_size p_index) noexcept { return (static_cast<unsigned>(byte(p_index)) >> (p_index % 8)) & 1u; }
    void set(t_size p_index) noexcept { byte(p_index) |= static_cast<t_uint8>(1u << (p_index % 8)); }

private:
    t_uint8& byte(t_size p_index) noexcept {
        const t_size at = p_index / 8;
        return at < sizeof m_fixed ? m_fixed[at] : m_heap[at - static_cast<t_size>(sizeof m_fixed)];
    }

    t_uint64 m_bytes;
    t_uint8 m_fixed[1024];
    array_t<t_uint8> m_heap;
};

}  // namespace

// Every call goes through the table: the sort cannot know the callback.
void sort(sort_callback& p_callback, t_size p_num) { sort_internal::quicksort(p_callback, p_num); }

void reorder(reorder_callback& p_callback, const t_size* p_order, t_size p_count) {
    mark_table marks(p_count);
    // A position out of range or named twice would send the cycle walk out
    // of bounds or round forever: refuse before anything moves.
    for (t_size i = 0; i < p_count; ++i) {
        const t_size j = p_order[i];
        if (j >= p_count || marks.test(j)) throw exception_bug_check();
        marks.set(j);
    }
    marks.clear();

    for (t_size i = 0; i < p_count; ++i) {
        t_size j = p_order[i];
        if (j == i || marks.test(i)) continue;
        t_size k = i;
        do {
            p_callback.swap(k, j);
            marks.set(j);
            k = j;
            j = p_order[j];
        } while (j != i);
    }
}

}  // namespace pfc
