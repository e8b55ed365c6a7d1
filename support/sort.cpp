#include "support/sort.h"

#include <cstring>

namespace pfc {
namespace {

// Ranges of 8 or fewer: move the largest to the end, shrink, repeat. Among
// equal largest elements the first one found goes to the end.
void selection_sort(sort_callback& p_callback, t_size p_lo, t_size p_hi) {
    while (p_hi > p_lo) {
        t_size max = p_lo;
        for (t_size p = p_lo + 1; p <= p_hi; ++p) {
            if (p_callback.compare(p, max) > 0) max = p;
        }
        p_callback.swap(max, p_hi);
        --p_hi;
    }
}

struct pending_range {
    t_size m_lo;
    t_size m_hi;
};

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

void sort(sort_callback& p_callback, t_size p_num) {
    if (p_num < 2) return;
    // The larger part is pushed and the smaller one sorted first, so each
    // pending range is at most half its parent: 30 entries cover 2^32 positions.
    pending_range stack[30];
    t_size depth = 0;
    t_size lo = 0;
    t_size hi = p_num - 1;
    for (;;) {
        const t_size size = hi - lo + 1;
        if (size <= 8) {
            selection_sort(p_callback, lo, hi);
        } else {
            t_size mid = lo + size / 2;
            if (p_callback.compare(lo, mid) > 0) p_callback.swap(lo, mid);
            if (p_callback.compare(lo, hi) > 0) p_callback.swap(lo, hi);
            if (p_callback.compare(mid, hi) > 0) p_callback.swap(mid, hi);

            t_size low = lo;
            t_size high = hi;
            for (;;) {
                if (mid > low) {
                    do ++low;
                    while (low < mid && p_callback.compare(low, mid) <= 0);
                }
                if (mid <= low) {
                    do ++low;
                    while (low <= hi && p_callback.compare(low, mid) <= 0);
                }
                do --high;
                while (high > mid && p_callback.compare(high, mid) > 0);
                if (high < low) break;
                p_callback.swap(low, high);
                // The pivot travels with the swap.
                if (mid == high) mid = low;
            }

            // Elements equal to the pivot are already home; keep them out of the left part.
            ++high;
            if (mid < high) {
                do --high;
                while (high > mid && p_callback.compare(high, mid) == 0);
            }
            if (mid >= high) {
                do --high;
                while (high > lo && p_callback.compare(high, mid) == 0);
            }

            if (high - lo >= hi - low) {
                if (lo < high) stack[depth++] = {lo, high};
                if (low < hi) {
                    lo = low;
                    continue;
                }
            } else {
                if (low < hi) stack[depth++] = {low, hi};
                if (lo < high) {
                    hi = high;
                    continue;
                }
            }
        }
        if (depth == 0) return;
        --depth;
        lo = stack[depth].m_lo;
        hi = stack[depth].m_hi;
    }
}

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
