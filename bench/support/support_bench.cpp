// pfc::sort through its callback against the C library's qsort on the same
// keys, and the copy traffic of a list filled one entry at a time.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "support/list.h"
#include "support/sort.h"

namespace {

constexpr std::size_t key_count = 1000000;

const std::vector<t_uint32>& random_keys() {
    static const std::vector<t_uint32> keys = [] {
        std::mt19937 rng(20240601);
        std::vector<t_uint32> out(key_count);
        for (t_uint32& k : out) k = static_cast<t_uint32>(rng());
        return out;
    }();
    return keys;
}

// Both sides order the keys with the same expression.
inline int order_of(t_uint32 x, t_uint32 y) { return (x > y) - (x < y); }

class key_sort final : public pfc::sort_callback {
public:
    explicit key_sort(std::vector<t_uint32>& p_keys) : m_keys(p_keys.data()) {}
    t_int32 compare(t_size a, t_size b) override { return order_of(m_keys[a], m_keys[b]); }
    void swap(t_size a, t_size b) override { std::swap(m_keys[a], m_keys[b]); }

private:
    t_uint32* m_keys;
};

int compare_keys(const void* a, const void* b) {
    return order_of(*static_cast<const t_uint32*>(a), *static_cast<const t_uint32*>(b));
}

// Sorts a fresh copy of the same keys each round; only the sort is timed.
template <typename t_sort>
void sort_keys(benchmark::State& state, t_sort p_sort) {
    std::vector<t_uint32> keys;
    for (auto _ : state) {
        state.PauseTiming();
        keys = random_keys();
        state.ResumeTiming();
        p_sort(keys);
        benchmark::DoNotOptimize(keys.data());
    }
    if (!std::is_sorted(keys.begin(), keys.end())) state.SkipWithError("not sorted");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * static_cast<std::int64_t>(key_count)));
}

void BM_pfc_sort(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        key_sort callback(keys);
        pfc::sort(callback, static_cast<t_size>(keys.size()));
    });
}

void BM_qsort(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        std::qsort(keys.data(), keys.size(), sizeof(t_uint32), compare_keys);
    });
}

// An entry that counts how often it is copied.
struct copy_counted {
    static inline long copies = 0;
    copy_counted() = default;
    copy_counted(const copy_counted& p_source) : value(p_source.value) { ++copies; }
    copy_counted& operator=(const copy_counted&) = default;
    t_uint32 value = 0;
};

class single_source : public pfc::list_base_const_t<copy_counted> {
public:
    t_size get_count() const override { return 1; }
    void get_item_ex(copy_counted& p_out, t_size) const override { p_out = m_item; }

private:
    copy_counted m_item;
};

void BM_list_append_one_at_a_time(benchmark::State& state) {
    const single_source one;
    long copies = 0;
    for (auto _ : state) {
        pfc::list_t<copy_counted> list;
        copy_counted::copies = 0;
        for (std::size_t i = 0; i < key_count; ++i) list.insert_items(one, pfc::infinite_size);
        copies = copy_counted::copies;
        benchmark::DoNotOptimize(list.get_count());
    }
    state.counters["copies"] = static_cast<double>(copies);
    state.counters["copies_per_entry"] = static_cast<double>(copies) / key_count;
}

}  // namespace

BENCHMARK(BM_pfc_sort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_qsort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_list_append_one_at_a_time)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
