// pfc::sort and pfc::sort_stable against their standard counterparts on the
// same keys with the same comparison, and the copy traffic of a list filled
// one entry at a time.
//
// Each sort is timed by itself in the thread's CPU time and the fastest one
// is kept (column fastest_ms): the machine is shared, and the minimum is the
// figure least disturbed by others. The sorts run five times each, their
// repetitions interleaved so that a busy moment falls on all of them alike;
// after the usual table the program prints each pairing as the ratio of the
// fastest sorts, with the goal beside it. --benchmark_repetitions=N changes
// the count.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../forms/thread_clock.h"

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

// The one comparison every sort here uses.
inline int order_of(t_uint32 x, t_uint32 y) { return (x > y) - (x < y); }

// Known to pfc::sort_t; pfc::sort still reaches it through its table.
class key_sort final : public pfc::sort_callback {
public:
    explicit key_sort(std::vector<t_uint32>& p_keys) : m_keys(p_keys.data()) {}
    t_int32 compare(t_size a, t_size b) override { return order_of(m_keys[a], m_keys[b]); }
    void swap(t_size a, t_size b) override { std::swap(m_keys[a], m_keys[b]); }

private:
    t_uint32* m_keys;
};

// The comparison as the standard sorts take a function: called through a
// pointer that the compiler cannot follow, as qsort calls its own.
int compare_keys(const void* a, const void* b) {
    return order_of(*static_cast<const t_uint32*>(a), *static_cast<const t_uint32*>(b));
}
bool key_less(t_uint32 a, t_uint32 b) { return order_of(a, b) < 0; }
bool (*volatile key_less_through_pointer)(t_uint32, t_uint32) = key_less;

// Sorts a fresh copy of the same keys each round; only the sort is timed.
template <typename t_sort>
void sort_keys(benchmark::State& state, t_sort p_sort) {
    std::vector<t_uint32> keys;
    double fastest = std::numeric_limits<double>::infinity();
    for (auto _ : state) {
        state.PauseTiming();
        keys = random_keys();
        state.ResumeTiming();
        const double start = thread_clock::now();
        p_sort(keys);
        fastest = std::min(fastest, thread_clock::now() - start);
        benchmark::DoNotOptimize(keys.data());
    }
    if (!std::is_sorted(keys.begin(), keys.end())) state.SkipWithError("not sorted");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * static_cast<std::int64_t>(key_count)));
    state.counters["fastest_ms"] = fastest * 1e3;
}

t_size count_of(const std::vector<t_uint32>& p_keys) { return static_cast<t_size>(p_keys.size()); }

void BM_sort_through_table(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        key_sort callback(keys);
        pfc::sort(callback, count_of(keys));
    });
}

void BM_sort_known(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        key_sort callback(keys);
        pfc::sort_t(callback, count_of(keys));
    });
}

void BM_qsort(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        std::qsort(keys.data(), keys.size(), sizeof(t_uint32), compare_keys);
    });
}

void BM_sort_stable_through_table(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        key_sort callback(keys);
        pfc::sort_stable(callback, count_of(keys));
    });
}

void BM_sort_stable_known(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        key_sort callback(keys);
        pfc::sort_stable_t(callback, count_of(keys));
    });
}

void BM_std_stable_sort_function(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) { std::stable_sort(keys.begin(), keys.end(), key_less_through_pointer); });
}

void BM_std_stable_sort_inlined(benchmark::State& state) {
    sort_keys(state, [](std::vector<t_uint32>& keys) {
        std::stable_sort(keys.begin(), keys.end(), [](t_uint32 a, t_uint32 b) { return order_of(a, b) < 0; });
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

double smallest(const std::vector<double>& p_values) { return *std::min_element(p_values.begin(), p_values.end()); }

// The usual table, and the fastest sort of each benchmark kept for the ratios.
class ratio_reporter : public benchmark::ConsoleReporter {
public:
    ratio_reporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& p_runs) override {
        ConsoleReporter::ReportRuns(p_runs);
        for (const Run& run : p_runs) {
            const auto fastest = run.counters.find("fastest_ms");
            if (run.error_occurred || fastest == run.counters.end()) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "min") continue;
            const auto [at, fresh] =
                m_fastest.try_emplace(run.run_name.function_name, std::numeric_limits<double>::infinity());
            at->second = std::min(at->second, fastest->second.value);
        }
    }

    void print_ratios() const {
        struct pairing {
            const char *ours, *theirs, *goal;
            double limit;
        };
        const pairing pairings[] = {
            {"BM_sort_known", "BM_qsort", "<= 1.0", 1.0},
            {"BM_sort_through_table", "BM_qsort", "-", 0},
            {"BM_sort_stable_known", "BM_std_stable_sort_function", "<= 1.0", 1.0},
            {"BM_sort_stable_known", "BM_std_stable_sort_inlined", "<= 1.2", 1.2},
            {"BM_sort_stable_through_table", "BM_std_stable_sort_function", "-", 0},
        };
        std::printf("\nFastest sort, ours / theirs:\n");
        for (const pairing& p : pairings) {
            const auto ours = m_fastest.find(p.ours), theirs = m_fastest.find(p.theirs);
            if (ours == m_fastest.end() || theirs == m_fastest.end()) continue;
            const double ratio = ours->second / theirs->second;
            const char* verdict = p.limit == 0 ? "" : (ratio <= p.limit ? "  met" : "  NOT MET");
            std::printf("  %-30s / %-28s %6.1f / %6.1f ms = %.3fx  goal %s%s\n", p.ours, p.theirs, ours->second,
                        theirs->second, ratio, p.goal, verdict);
        }
    }

private:
    std::map<std::string, double> m_fastest;
};

void sorting(benchmark::internal::Benchmark* p_benchmark) {
    p_benchmark->Unit(benchmark::kMillisecond)->Repetitions(5)->ComputeStatistics("min", smallest)->DisplayAggregatesOnly();
}

}  // namespace

BENCHMARK(BM_sort_through_table)->Apply(sorting);
BENCHMARK(BM_sort_known)->Apply(sorting);
BENCHMARK(BM_qsort)->Apply(sorting);
BENCHMARK(BM_sort_stable_through_table)->Apply(sorting);
BENCHMARK(BM_sort_stable_known)->Apply(sorting);
BENCHMARK(BM_std_stable_sort_function)->Apply(sorting);
BENCHMARK(BM_std_stable_sort_inlined)->Apply(sorting);
BENCHMARK(BM_list_append_one_at_a_time)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // Interleaved unless the command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(args.begin(), args.end(), [](const char* p_arg) {
            return std::string(p_arg).rfind("--benchmark_enable_random_interleaving", 0) == 0;
        }))
        args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    argv = args.data();
    argc = count;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ratio_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios();
    benchmark::Shutdown();
    return 0;
}
