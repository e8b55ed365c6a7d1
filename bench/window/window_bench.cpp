// The queue window through the real component loaded by the host, at 1,000,
// 10,000 and 100,000 queued entries: opening it, following the three kinds of
// change, deleting a line and selecting one (memory_bench.cpp: what it holds).
//
// Every case keeps the queue at its length: what one step adds, an untimed
// step takes away. Times are the thread's CPU time (thread_clock.h); each
// case reports one step as 1 / items_per_second, a step of a batch included.

#include <benchmark/benchmark.h>

#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "../forms/thread_clock.h"
#include "forms/application.h"
#include "host/service_calls.h"
#include "integration/playback_queue_callback.h"
#include "loaded_host.h"

namespace {

using bench_window::loaded_host;
namespace automation = bench_window::automation;

// Steps too short to time one by one run in batches of this many.
constexpr int batch = 1000;

// The heap keeps its pages from one repetition to the next. By default the C
// library hands the top of its heap back to the system when a free leaves more
// than a threshold there, which it sets itself from the largest block it has
// mapped so far; closing a window of 100,000 lines frees about that much, so
// whether the next open faults some 12 MB back in, a page at a time, would
// turn on a few bytes either way anywhere in the process, not on the window's
// own work. Fixed thresholds keep every repetition in the warm state.
[[maybe_unused]] const bool heap_kept = [] {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    return true;
}();

// View > Sorvale to a filled list: the whole queue read, every line built.
void BM_open(benchmark::State& state) {
    loaded_host host(state);
    for (auto _ : state) {
        const double start = thread_clock::now();
        host.open();
        state.SetIterationTime(thread_clock::now() - start);
        if (!host.mirrors(state, host.entries)) break;
        automation::Close(loaded_host::window());
        forms::Application::Collect();
    }
    state.SetItemsProcessed(state.iterations());
}

// The component's own report of an added entry when no entry is new: the
// whole queue is read into its list (a reference per entry) and the list goes
// again, with no line to append. This is the part of the report that grows
// with the queue.
void report_nothing_new(loaded_host& p_host) {
    auto& services = p_host.app.services();
    for (const auto& listener : services.services_of(playback_queue_callback::class_guid)) {
        host::call_service<playback_queue_callback>(services, listener.get_ptr(), [](playback_queue_callback& l) {
            l.on_changed(playback_queue_callback::origin_entries_added);
        });
    }
}

// One entry added behind an open window: the whole queue is read, one line
// appended. The head then leaves (untimed), so the queue keeps its length.
// Beside it, in the same state, the report with nothing new (counter
// copy_seconds), before the add in one iteration and after it in the next, so
// that neither gains from the other's warm caches; rest_seconds is the mean
// difference, the part of the report that does not grow with the queue.
void BM_entry_added(benchmark::State& state) {
    loaded_host host(state);
    host.open();
    const auto extra = host.entries_from(0, 1);
    // The arrays that grow by doubling (the queue's, the lines') do so once
    // here rather than in the first timed step.
    host.app.queue().add(extra);
    host.app.queue().take_head();
    double copying = 0, adding = 0;
    bool copy_first = true;
    const auto copy = [&] {
        const double start = thread_clock::now();
        report_nothing_new(host);
        copying += thread_clock::now() - start;
    };
    for (auto _ : state) {
        if (copy_first) copy();
        const double start = thread_clock::now();
        host.app.queue().add(extra);
        const double added = thread_clock::now() - start;
        state.SetIterationTime(added);
        adding += added;
        if (!host.mirrors(state, host.entries + 1)) break;
        if (!copy_first) copy();
        copy_first = !copy_first;
        host.app.queue().take_head();
    }
    state.counters["copy_seconds"] = benchmark::Counter(copying, benchmark::Counter::kAvgIterations);
    state.counters["rest_seconds"] = benchmark::Counter(adding - copying, benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations());
}

// The head starts playing: the host drops it and the window its first line;
// nothing is read. A batch of heads is taken after an untimed refill.
void BM_head_taken(benchmark::State& state) {
    loaded_host host(state);
    host.open();
    const auto refill = host.entries_from(0, batch);
    for (auto _ : state) {
        host.app.queue().add(refill);
        const double start = thread_clock::now();
        for (int i = 0; i < batch; ++i) host.app.queue().take_head();
        state.SetIterationTime(thread_clock::now() - start);
        if (!host.mirrors(state, host.entries)) break;
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

// One selected line deleted with the Delete key: the host removes the entry,
// reports it, and every line is rebuilt; the line now at the deleted place is
// selected. Selecting before and adding an entry after are untimed.
void BM_delete_one(benchmark::State& state) {
    loaded_host host(state);
    host.open();
    const auto extra = host.entries_from(1, 1);
    for (auto _ : state) {
        automation::ClickLine(loaded_host::list(), 1);
        const double start = thread_clock::now();
        automation::PressKey(loaded_host::window(), forms::Keys::Delete);
        state.SetIterationTime(thread_clock::now() - start);
        if (!host.mirrors(state, host.entries - 1)) break;
        if (loaded_host::list().SelectedIndices() != std::vector<int>{1}) state.SkipWithError("line 1 not selected");
        host.app.queue().add(extra);
    }
    state.SetItemsProcessed(state.iterations());
}

// A click on a line, anywhere in the list (scrolled into view first, as a
// user would): exactly that line is selected. In batches.
void BM_select_line(benchmark::State& state) {
    loaded_host host(state);
    host.open();
    forms::ListBox& list = loaded_host::list();
    std::vector<int> targets(batch);
    for (int i = 0; i < batch; ++i) targets[static_cast<std::size_t>(i)] = static_cast<int>((i * 7919LL) % host.entries);
    for (auto _ : state) {
        const double start = thread_clock::now();
        for (int line : targets) automation::ClickLine(list, line);
        state.SetIterationTime(thread_clock::now() - start);
        if (list.SelectedIndices() != std::vector<int>{targets.back()}) state.SkipWithError("not exactly the line clicked");
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void lengths(benchmark::internal::Benchmark* p_benchmark) {
    p_benchmark->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime();
}

}  // namespace

BENCHMARK(BM_open)->Apply(lengths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_entry_added)->Apply(lengths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_head_taken)->Apply(lengths)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_delete_one)->Apply(lengths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_select_line)->Apply(lengths)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
