#include "support/sort.h"

// Kept apart from pfc::sort: seeing the stabilizer's overrides, the compiler
// would guess at every compare and swap of every sort whether it is this
// class, and pay for the guess on each call. This file sorts with its own copy
// of the algorithm, which calls the stabilizer directly.
namespace pfc {

sort_callback_stabilizer::sort_callback_stabilizer(sort_callback& p_chain, t_size p_count) : m_chain(p_chain) {
    m_order.set_size(p_count);
    for (t_size i = 0; i < p_count; ++i) m_order[i] = i;
}

t_int32 sort_callback_stabilizer::compare(t_size p_index1, t_size p_index2) {
    const t_int32 result = m_chain.compare(p_index1, p_index2);
    if (result != 0) return result;
    const auto delta = static_cast<t_int32>(m_order[p_index1] - m_order[p_index2]);
    return delta < 0 ? -1 : (delta > 0 ? 1 : 0);
}

void sort_callback_stabilizer::swap(t_size p_index1, t_size p_index2) {
    m_chain.swap(p_index1, p_index2);
    const t_size held = m_order[p_index1];
    m_order[p_index1] = m_order[p_index2];
    m_order[p_index2] = held;
}

void sort_stable(sort_callback& p_callback, t_size p_num) {
    sort_callback_stabilizer stabilizer(p_callback, p_num);
    sort_t(stabilizer, p_num);
}

}  // namespace pfc
