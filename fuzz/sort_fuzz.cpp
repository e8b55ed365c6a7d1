// pfc::sort, pfc::sort_stable and pfc::reorder against the standard
// algorithms, through both the interface and the known-type entries:
//
//  - sort gives the keys std::sort gives; sort_stable gives (key, first
//    position) pairs exactly as std::stable_sort does;
//  - with a comparer that answers at random (a host's broken comparer), the
//    sort still asks only positions below n, ends, and leaves a permutation;
//  - reorder of a permutation gives element i = old element order[i], with
//    n minus the number of cycles swaps; an order that is no permutation is
//    refused with exception_bug_check before a single swap;
//  - when the first allocation fails, sort_stable (and reorder of more than
//    8,192 positions) raise std::bad_alloc with nothing moved;
//  - no heap block outlives a call.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <new>
#include <random>
#include <vector>

#include "platform/heap.h"
#include "support/exceptions.h"
#include "support/sort.h"

namespace {

struct element {
    t_uint32 key;
    t_uint32 origin;  // position before the call
    bool operator==(const element&) const = default;
};

// Positions of a vector; every position asked must lie below its size.
class elements_base {
public:
    explicit elements_base(std::vector<element> p_items) : items(std::move(p_items)) {}
    void check(t_size p_index) const {
        if (p_index >= items.size()) std::abort();
    }
    t_int32 compare_keys(t_size p_index1, t_size p_index2) {
        check(p_index1), check(p_index2), ++compares;
        return items[p_index1].key < items[p_index2].key ? -1 : items[p_index1].key > items[p_index2].key ? 1 : 0;
    }
    void swap_items(t_size p_index1, t_size p_index2) {
        check(p_index1), check(p_index2), ++swaps;
        std::swap(items[p_index1], items[p_index2]);
    }
    std::vector<element> items;
    long compares = 0;
    long swaps = 0;
};

// Through the interface, and with a comparer that may answer from the input
// instead of the keys.
class open_callback : public pfc::sort_callback, public pfc::reorder_callback, public elements_base {
public:
    using elements_base::elements_base;
    t_int32 compare(t_size p_index1, t_size p_index2) override {
        const t_int32 by_key = compare_keys(p_index1, p_index2);
        if (answers == nullptr) return by_key;
        return static_cast<t_int32>(answers->ConsumeIntegralInRange<int>(-1, 1));
    }
    void swap(t_size p_index1, t_size p_index2) override { swap_items(p_index1, p_index2); }
    FuzzedDataProvider* answers = nullptr;
};

// A type the sort knows, for sort_t and sort_stable_t.
class known_callback final : public elements_base {
public:
    using elements_base::elements_base;
    t_int32 compare(t_size p_index1, t_size p_index2) { return compare_keys(p_index1, p_index2); }
    void swap(t_size p_index1, t_size p_index2) { swap_items(p_index1, p_index2); }
};

bool by_key(const element& p_a, const element& p_b) { return p_a.key < p_b.key; }

template <typename t_callback>
void check_sorted(const t_callback& p_after, std::vector<element> p_before, bool p_stable) {
    if (p_stable) {
        std::stable_sort(p_before.begin(), p_before.end(), by_key);
        if (p_after.items != p_before) std::abort();
        return;
    }
    std::sort(p_before.begin(), p_before.end(), by_key);
    for (std::size_t i = 0; i < p_before.size(); ++i) {
        if (p_after.items[i].key != p_before[i].key) std::abort();
    }
}

// Every element still there once: the positions carried along are 0 to n - 1.
void check_permutation(const std::vector<element>& p_items) {
    std::vector<bool> seen(p_items.size());
    for (const element& e : p_items) {
        if (e.origin >= p_items.size() || seen[e.origin]) std::abort();
        seen[e.origin] = true;
    }
}

std::vector<element> numbered(const std::vector<t_uint32>& p_keys) {
    std::vector<element> items;
    for (t_uint32 i = 0; i < p_keys.size(); ++i) items.push_back({p_keys[i], i});
    return items;
}

void check_reorder(const std::vector<t_size>& p_order, bool p_fail_allocation) {
    const auto n = static_cast<t_size>(p_order.size());
    std::vector<t_uint32> keys(n);
    for (t_size i = 0; i < n; ++i) keys[i] = i * 7u;
    open_callback callback(numbered(keys));
    const std::vector<element> before = callback.items;

    std::vector<bool> seen(n);
    bool permutation = true;
    for (const t_size j : p_order) {
        if (j >= n || seen[j]) permutation = false;
        else seen[j] = true;
    }
    const bool heap_needed = n > 8192;
    if (p_fail_allocation) platform::heap_fail_at(1);
    try {
        pfc::reorder(callback, p_order.data(), n);
    } catch (const std::bad_alloc&) {
        platform::heap_disarm();
        if (!p_fail_allocation || !heap_needed || callback.items != before) std::abort();
        return;
    } catch (const pfc::exception_bug_check&) {
        platform::heap_disarm();
        if (permutation || callback.items != before || callback.swaps != 0) std::abort();
        return;
    }
    platform::heap_disarm();
    if (!permutation || (p_fail_allocation && heap_needed)) std::abort();
    long cycles = 0;
    std::vector<bool> visited(n);
    for (t_size i = 0; i < n; ++i) {
        if (callback.items[i] != before[p_order[i]]) std::abort();
        if (visited[i]) continue;
        ++cycles;
        for (t_size k = i; !visited[k]; k = p_order[k]) visited[k] = true;
    }
    if (callback.swaps != static_cast<long>(n) - cycles) std::abort();
}

// Keys from the input: narrow ones tie often, wide ones seldom.
std::vector<element> read_keys(FuzzedDataProvider& p_input) {
    const bool wide = p_input.ConsumeBool();
    const auto modulus = p_input.ConsumeIntegralInRange<t_uint32>(1, wide ? 0xFFFFFFFFu : 16);
    std::vector<t_uint32> keys;
    while (p_input.remaining_bytes() > 0 && keys.size() < 2000) {
        keys.push_back((wide ? p_input.ConsumeIntegral<t_uint32>() : p_input.ConsumeIntegral<std::uint8_t>()) % modulus);
    }
    return numbered(keys);
}

// Each operation reads what it needs from p_input; p_answers is a second
// reader of the same bytes, for a comparer that answers from them.

void sort(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    const std::vector<element> before = read_keys(p_input);
    const auto n = static_cast<t_size>(before.size());
    open_callback callback(before);
    pfc::sort(callback, n);
    check_sorted(callback, before, false);
    if (n < 2 && callback.compares + callback.swaps != 0) std::abort();
}

void sort_known(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    const std::vector<element> before = read_keys(p_input);
    known_callback callback(before);
    pfc::sort_t(callback, static_cast<t_size>(before.size()));
    check_sorted(callback, before, false);
}

void sort_stable(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    const std::vector<element> before = read_keys(p_input);
    const auto n = static_cast<t_size>(before.size());
    open_callback callback(before);
    pfc::sort_stable(callback, n);
    check_sorted(callback, before, true);
    if (n < 2 && callback.compares + callback.swaps != 0) std::abort();
}

void sort_stable_known(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    const std::vector<element> before = read_keys(p_input);
    known_callback callback(before);
    pfc::sort_stable_t(callback, static_cast<t_size>(before.size()));
    check_sorted(callback, before, true);
}

// A comparer that answers anything; then, with the same keys, a stable sort
// whose first allocation fails.
void sort_at_random(FuzzedDataProvider& p_input, FuzzedDataProvider& p_answers) {
    const std::vector<element> before = read_keys(p_input);
    const auto n = static_cast<t_size>(before.size());
    open_callback callback(before);
    callback.answers = &p_answers;
    pfc::sort(callback, n);
    check_permutation(callback.items);

    open_callback stable(before);
    platform::heap_fail_at(1);
    bool refused = false;
    try {
        pfc::sort_stable(stable, n);
    } catch (const std::bad_alloc&) {
        refused = true;
    }
    platform::heap_disarm();
    if (refused != (n > 0) || (refused && (stable.items != before || stable.compares + stable.swaps != 0))) std::abort();
}

// A permutation made from the input.
void reorder_permutation(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    std::vector<t_size> order;
    const t_size n = p_input.ConsumeIntegralInRange<t_size>(0, 600);
    for (t_size i = 0; i < n; ++i) order.push_back(i);
    for (t_size i = n; i > 1; --i) std::swap(order[i - 1], order[p_input.ConsumeIntegralInRange<t_size>(0, i - 1)]);
    check_reorder(order, p_input.ConsumeBool());
}

// Any order at all, mostly near the range, often no permutation.
void reorder_any_order(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    std::vector<t_size> order;
    const t_size n = p_input.ConsumeIntegralInRange<t_size>(0, 64);
    for (t_size i = 0; i < n; ++i) order.push_back(p_input.ConsumeIntegralInRange<t_size>(0, n + 1));
    check_reorder(order, p_input.ConsumeBool());
}

// Around the 8,192 positions the frame holds, some on the heap: a few
// exchanges, the last positions among them.
void reorder_near_the_frame(FuzzedDataProvider& p_input, FuzzedDataProvider&) {
    std::vector<t_size> order;
    const t_size n = 8188 + p_input.ConsumeIntegralInRange<t_size>(0, 8);
    for (t_size i = 0; i < n; ++i) order.push_back(i);
    for (int k = p_input.ConsumeIntegralInRange<int>(0, 8); k > 0; --k) {
        const t_size a = n - 1 - p_input.ConsumeIntegralInRange<t_size>(0, 16);
        std::swap(order[a], order[p_input.ConsumeIntegralInRange<t_size>(0, n - 1)]);
    }
    check_reorder(order, p_input.ConsumeBool());
}

using operation = void (*)(FuzzedDataProvider&, FuzzedDataProvider&);

// The operation an input's first value (0 to 15) picks; an operation's share
// of the values is its share of the inputs.
constexpr operation operations[] = {
    sort, sort,
    sort_known, sort_known,
    sort_stable, sort_stable,
    sort_stable_known, sort_stable_known,
    sort_at_random, sort_at_random,
    reorder_permutation, reorder_permutation, reorder_permutation,
    reorder_any_order, reorder_any_order,
    reorder_near_the_frame,
};
static_assert(std::size(operations) == 16, "the seed corpus picks among sixteen");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    FuzzedDataProvider input(p_data, p_size);
    FuzzedDataProvider answers(p_data, p_size);
    const std::int64_t blocks = platform::heap_live_blocks();
    operations[input.ConsumeIntegralInRange<std::size_t>(0, std::size(operations) - 1)](input, answers);
    if (platform::heap_live_blocks() != blocks) std::abort();
    return 0;
}
