#pragma once

#include <type_traits>

#include "support/array.h"
#include "support/types.h"

// Index-based sorting and permuting. The algorithms never touch elements:
// they see positions 0 to n - 1 and act through a callback that compares and
// swaps the elements at two positions, so a move costs what the callback's
// swap costs. Nothing here keeps state between calls; callbacks run on the
// caller's thread, inside the call. A callback may throw: the algorithm stops
// where it is and the error passes to the caller, the elements partly moved.
namespace pfc {

class sort_callback {
public:
    // Negative, 0 or positive as the element at p_index1 orders before, equal
    // to or after the one at p_index2.
    virtual t_int32 compare(t_size p_index1, t_size p_index2) = 0;
    // Exchanges the two elements; must accept equal positions.
    virtual void swap(t_size p_index1, t_size p_index2) = 0;

protected:
    ~sort_callback() = default;
};

class reorder_callback {
public:
    // Exchanges the two elements.
    virtual void swap(t_size p_index1, t_size p_index2) = 0;

protected:
    ~reorder_callback() = default;
};

// Ascending order of compare over positions 0 to p_num - 1. Not stable.
// Allocates nothing; a throwing callback leaves the elements partly sorted.
void sort(sort_callback& p_callback, t_size p_num);

// As sort, and elements that compare equal keep their relative order.
// Allocates 4 bytes per position first: std::bad_alloc leaves everything in place.
void sort_stable(sort_callback& p_callback, t_size p_num);

// sort and sort_stable for a caller that knows its callback's type: a final
// class, or any class with compare and swap of the same shape whether it
// derives from sort_callback or not. The calls are made directly, so they can
// be inlined, and they are the very calls sort and sort_stable make, in the
// same order, with the same results and failures.
template <typename t_callback>
void sort_t(t_callback& p_callback, t_size p_num);
template <typename t_callback>
void sort_stable_t(t_callback& p_callback, t_size p_num);

// Afterwards the element at position i is the one that stood at p_order[i].
// p_order must be a permutation of 0 to p_count - 1: anything else throws
// exception_bug_check before a single swap. Each cycle of length c costs c - 1
// swaps. Above 8,192 positions the marks need a heap block (std::bad_alloc,
// nothing moved).
void reorder(reorder_callback& p_callback, const t_size* p_order, t_size p_count);

// Breaks the wrapped comparer's ties on the elements' initial positions,
// which it carries along through every swap. Does not own p_chain. For a
// known type t_chain it is itself known to the sort, so nothing in a stable
// sort is called through a table.
template <typename t_chain>
class sort_callback_stabilizer_t {
public:
    // Throws std::bad_alloc when p_count positions cannot be held.
    sort_callback_stabilizer_t(t_chain& p_chain, t_size p_count) : m_chain(p_chain) {
        m_order.set_size(p_count);
        t_size* order = m_order.get_ptr();
        for (t_size i = 0; i < p_count; ++i) order[i] = i;
    }

    t_int32 compare(t_size p_index1, t_size p_index2) {
        const t_int32 result = m_chain.compare(p_index1, p_index2);
        // Keeps the tie out of the sort's loops, which then run with one jump fewer.
        if (result != 0) [[likely]] return result;
        const auto delta = static_cast<t_int32>(m_order[p_index1] - m_order[p_index2]);
        return (delta > 0) - (delta < 0);
    }
    void swap(t_size p_index1, t_size p_index2) {
        m_chain.swap(p_index1, p_index2);
        const t_size held = m_order[p_index1];
        m_order[p_index1] = m_order[p_index2];
        m_order[p_index2] = held;
    }

private:
    t_chain& m_chain;
    array_t<t_size> m_order;
};

// The same over the interface, for sort_stable. Final, so that the sort
// calls it directly and only the wrapped callback costs a table call.
class sort_callback_stabilizer final : public sort_callback {
public:
    // Throws std::bad_alloc when p_count positions cannot be held.
    sort_callback_stabilizer(sort_callback& p_chain, t_size p_count);
    ~sort_callback_stabilizer() = default;

    t_int32 compare(t_size p_index1, t_size p_index2) override;
    void swap(t_size p_index1, t_size p_index2) override;

private:
    sort_callback_stabilizer_t<sort_callback> m_stabilizer;
};

// Shifts every position by m_delta on the way to the wrapped callback, so a
// reorder over a slice lands on the right elements. Owns nothing.
class reorder_callback_impl_delta : public reorder_callback {
public:
    reorder_callback_impl_delta(reorder_callback& p_chain, t_size p_delta) noexcept
        : m_chain(&p_chain), m_delta(p_delta) {}
    ~reorder_callback_impl_delta() = default;

    void swap(t_size p_index1, t_size p_index2) override { m_chain->swap(p_index1 + m_delta, p_index2 + m_delta); }

private:
    reorder_callback* m_chain;
    t_size m_delta;
};

// The sort itself, over any callback type: sort instantiates it for the
// interface, sort_t for a known type.
namespace sort_internal {

// Keeps an open class from being called through its table unnoticed.
template <typename t_callback>
inline constexpr bool is_known_v = !std::is_polymorphic_v<t_callback> || std::is_final_v<t_callback>;

// Ranges of 8 or fewer: move the largest to the end, shrink, repeat. Among
// equal largest elements the first one found goes to the end. Written plainly:
// where the compare is inlined the compiler makes the choice of max a select,
// and a hand-made select or loops unrolled per size both measured slower.
template <typename t_callback>
inline void selection_sort(t_callback& p_callback, t_size p_lo, t_size p_hi) {
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

// Never inlined: in its own frame the loops keep their values in registers,
// which measured faster than when merged into a caller. The scans are told
// to expect going on, so that going on costs no jump.
template <typename t_callback>
[[gnu::noinline]] void quicksort(t_callback& p_callback, t_size p_num) {
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
                    while (low < mid && __builtin_expect(p_callback.compare(low, mid) <= 0, 1));
                }
                if (mid <= low) {
                    do ++low;
                    while (low <= hi && __builtin_expect(p_callback.compare(low, mid) <= 0, 1));
                }
                do --high;
                while (high > mid && __builtin_expect(p_callback.compare(high, mid) > 0, 1));
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

}  // namespace sort_internal

template <typename t_callback>
void sort_t(t_callback& p_callback, t_size p_num) {
    static_assert(sort_internal::is_known_v<t_callback>, "an open class is called through its table: use pfc::sort");
    sort_internal::quicksort(p_callback, p_num);
}

template <typename t_callback>
void sort_stable_t(t_callback& p_callback, t_size p_num) {
    static_assert(sort_internal::is_known_v<t_callback>, "an open class is called through its table: use pfc::sort_stable");
    sort_callback_stabilizer_t<t_callback> stabilizer(p_callback, p_num);
    sort_internal::quicksort(stabilizer, p_num);
}

}  // namespace pfc
