// The list box alone at 1,000, 10,000 and 100,000 lines: appending, dropping
// the first line, selecting a line and painting (what a line holds:
// bench/window/memory_bench.cpp).
//
// Each case keeps the list at its length (an untimed step undoes the timed
// one); short steps run in batches. Times are the thread's CPU time, one step
// reported as 1 / items_per_second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "forms/forms.h"
#include "thread_clock.h"

namespace {

constexpr int batch = 1000;

// Line i: an artist and a title of lengths that vary as a queue's do.
forms::String LineText(int i) {
    static const char16_t* const artists[] = {u"Tove Rask", u"The Copper Wrens", u"Ilse Marrow", u"Aurelio Vantaggi"};
    static const char16_t* const titles[] = {u"Thin Ice Cartography", u"Quiet Engines", u"Lanterns Over Brackwater",
                                             u"Fieldwork No. 3", u"Ten Minutes of Rain"};
    return forms::String(artists[i % 4]) + u" - " + titles[i % 5];
}

struct Window {
    forms::Form* form = new forms::Form();
    forms::ListBox* list = new forms::ListBox();
    Window() {
        list->SetDock(forms::DockStyle::Fill);
        list->SetIntegralHeight(false);
        list->SetSelectionMode(forms::SelectionMode::MultiExtended);
        form->Controls.Add(list);
        form->SetClientSize({142, 284});
        form->Show();
    }
    ~Window() { forms::Application::Shutdown(); }
    void Fill(int count) {
        for (int i = 0; i < count; ++i) list->Items.Add(LineText(i));
    }
};

int Lines(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

void BM_add_line(benchmark::State& state) {
    Window w;
    w.Fill(Lines(state));
    const forms::String text = LineText(7);
    for (auto _ : state) {
        const double start = thread_clock::now();
        for (int i = 0; i < batch; ++i) w.list->Items.Add(text);
        state.SetIterationTime(thread_clock::now() - start);
        for (int i = 0; i < batch; ++i) w.list->Items.RemoveAt(0);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

// With a selected line further down, whose flag must follow its line.
void BM_remove_first_line(benchmark::State& state) {
    Window w;
    w.Fill(Lines(state));
    const forms::String text = LineText(7);
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) w.list->Items.Add(text);
        w.list->ClearSelected();
        w.list->SetSelected(w.list->Items.Count() - 1, true);
        const double start = thread_clock::now();
        for (int i = 0; i < batch; ++i) w.list->Items.RemoveAt(0);
        state.SetIterationTime(thread_clock::now() - start);
        if (w.list->SelectedIndices() != std::vector<int>{Lines(state) - 1}) state.SkipWithError("the flag did not follow its line");
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

// A click on a line anywhere in the list, scrolled into view first.
void BM_select_line(benchmark::State& state) {
    Window w;
    w.Fill(Lines(state));
    for (auto _ : state) {
        const double start = thread_clock::now();
        for (int i = 0; i < batch; ++i) forms::automation::ClickLine(*w.list, static_cast<int>((i * 7919LL) % Lines(state)));
        state.SetIterationTime(thread_clock::now() - start);
    }
    if (w.list->SelectedCount() != 1) state.SkipWithError("not exactly one line selected");
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_paint(benchmark::State& state) {
    Window w;
    w.Fill(Lines(state));
    w.list->SetTopIndex(Lines(state) / 2);
    forms::DisplayList list;
    for (auto _ : state) {
        const double start = thread_clock::now();
        w.form->PaintForm(list);
        state.SetIterationTime(thread_clock::now() - start);
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["items"] = static_cast<double>(list.size());
    state.SetItemsProcessed(state.iterations());
}

void lengths(benchmark::internal::Benchmark* p_benchmark) {
    p_benchmark->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_add_line)->Apply(lengths);
BENCHMARK(BM_remove_first_line)->Apply(lengths);
BENCHMARK(BM_select_line)->Apply(lengths);
BENCHMARK(BM_paint)->Apply(lengths);
