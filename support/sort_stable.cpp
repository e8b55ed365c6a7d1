#include "support/sort.h"

// Kept apart from pfc::sort: seeing the stabilizer's overrides, the compiler
// would guess at every compare and swap of every sort whether it is this
// class, and pay for the guess on each call. This file sorts with its own copy
// of the algorithm, which calls the stabilizer directly.
namespace pfc {

sort_callback_stabilizer::sort_callback_stabilizer(sort_callback& p_chain, t_size p_count)
    : m_stabilizer(p_chain, p_count) {}

t_int32 sort_callback_stabilizer::compare(t_size p_index1, t_size p_index2) {
    return m_stabilizer.compare(p_index1, p_index2);
}

void sort_callback_stabilizer::swap(t_size p_index1, t_size p_index2) { m_stabilizer.swap(p_index1, p_index2); }

void sort_stable(sort_callback& p_callback, t_size p_num) {
    sort_callback_stabilizer stabilizer(p_callback, p_num);
    sort_t(stabilizer, p_num);
}

}  // namespace pfc
