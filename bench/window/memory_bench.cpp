// What the queue window's lines hold, in allocator bytes, counted by this
// program's allocation hook (allocation_counter.h): the open window at 1,000,
// 10,000 and 100,000 entries, and the toolkit's list alone at 100,000 lines.
// A program of its own, so that the hook costs the timed benchmarks nothing.

#include <benchmark/benchmark.h>

#include "allocation_counter.h"
#include "forms/forms.h"
#include "loaded_host.h"

namespace {

using bench_window::loaded_host;

// Sum of the UTF-16 text of every line, in bytes.
long long text_bytes(const forms::ListBox& p_list) {
    long long text = 0;
    for (int i = 0; i < p_list.Items.Count(); ++i) text += static_cast<long long>(p_list.Items[i].size() * sizeof(char16_t));
    return text;
}

void report(benchmark::State& state, long long p_held, long long p_text, int p_lines) {
    state.counters["bytes_per_line"] = static_cast<double>(p_held) / p_lines;
    state.counters["text_bytes_per_line"] = static_cast<double>(p_text) / p_lines;
    state.counters["beyond_text_per_line"] = static_cast<double>(p_held - p_text) / p_lines;
}

// Everything the window took from the heap while it opened, and held.
void BM_window_memory(benchmark::State& state) {
    loaded_host host(state);
    for (auto _ : state) {
        const long long before = allocation_counter::live_bytes;
        host.open();
        const long long held = allocation_counter::live_bytes - before;
        if (!host.mirrors(state, host.entries)) break;
        report(state, held, text_bytes(loaded_host::list()), host.entries);
        bench_window::automation::Close(loaded_host::window());
        forms::Application::Collect();
    }
}

// The list alone, lines of the window's kind added one at a time (the array
// grows as it must) or after a Reserve of their number.
void BM_list_memory(benchmark::State& state, bool p_reserve) {
    const int lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto* form = new forms::Form();
        auto* list = new forms::ListBox();
        form->Controls.Add(list);
        const long long before = allocation_counter::live_bytes;
        if (p_reserve) list->Items.Reserve(lines);
        for (int i = 0; i < lines; ++i)
            list->Items.Add(i % 3 == 0 ? forms::String(u"Tove Rask - Thin Ice Cartography")
                            : i % 3 == 1 ? forms::String(u"Ilse Marrow - Weathervane Hymn")
                                         : forms::String(u"Anouk Verbeelen - Slow Tram to Nowhere"));
        report(state, allocation_counter::live_bytes - before, text_bytes(*list), lines);
        forms::Application::Shutdown();
    }
}

}  // namespace

BENCHMARK(BM_window_memory)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1);
BENCHMARK_CAPTURE(BM_list_memory, added, false)->Arg(100000)->Iterations(1);
BENCHMARK_CAPTURE(BM_list_memory, reserved, true)->Arg(100000)->Iterations(1);

BENCHMARK_MAIN();
