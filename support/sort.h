#pragma once

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

// Afterwards the element at position i is the one that stood at p_order[i].
// p_order must be a permutation of 0 to p_count - 1: anything else throws
// exception_bug_check before a single swap. Each cycle of length c costs c - 1
// swaps. Above 8,192 positions the marks need a heap block (std::bad_alloc,
// nothing moved).
void reorder(reorder_callback& p_callback, const t_size* p_order, t_size p_count);

// Breaks the wrapped comparer's ties on the elements' initial positions,
// which it carries along through every swap. Does not own p_chain.
class sort_callback_stabilizer : public sort_callback {
public:
    // Throws std::bad_alloc when p_count positions cannot be held.
    sort_callback_stabilizer(sort_callback& p_chain, t_size p_count);
    ~sort_callback_stabilizer() = default;

    t_int32 compare(t_size p_index1, t_size p_index2) override;
    void swap(t_size p_index1, t_size p_index2) override;

private:
    sort_callback& m_chain;
    array_t<t_size> m_order;
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

}  // namespace pfc
