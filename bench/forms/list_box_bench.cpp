// The list box at 100,000 lines: appending, dropping the first line, painting.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "forms/forms.h"

namespace {

constexpr int kLines = 100000;

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
        for (int i = 0; i < count; ++i) list->Items.Add(u"Some Artist - Some Title " + forms::String(1, char16_t(u'0' + i % 10)));
    }
};

void AddLine(benchmark::State& state) {
    Window w;
    w.Fill(kLines);
    for (auto _ : state) {
        w.list->Items.Add(u"Some Artist - Some Title");
        if (w.list->Items.Count() > 2 * kLines) {
            state.PauseTiming();
            w.list->Items.Clear();
            w.Fill(kLines);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(AddLine);

void RemoveFirstLine(benchmark::State& state) {
    Window w;
    w.Fill(kLines);
    w.list->SetSelected(kLines / 2, true);
    for (auto _ : state) {
        w.list->Items.RemoveAt(0);
        state.PauseTiming();
        w.list->Items.Add(u"Some Artist - Some Title");
        state.ResumeTiming();
    }
}
BENCHMARK(RemoveFirstLine);

void PaintAt(benchmark::State& state) {
    Window w;
    w.Fill(static_cast<int>(state.range(0)));
    w.list->SetTopIndex(static_cast<int>(state.range(0)) / 2);
    forms::DisplayList list;
    for (auto _ : state) {
        w.form->PaintForm(list);
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["items"] = static_cast<double>(list.size());
}
BENCHMARK(PaintAt)->Arg(100)->Arg(kLines);

// Memory per line, measured on the heap: 100,000 lines of 24 code units each, so
// the figure is the 48-byte text (plus the allocator's own header) and the constant.
// Small blocks and the large (mapped) block of the line array.
std::size_t InUse() {
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void HeapBytesPerLine(benchmark::State& state) {
    for (auto _ : state) {
        Window w;
        const auto before = InUse();
        w.list->Items.Reserve(kLines);
        w.Fill(kLines);
        const auto after = InUse();
        state.counters["bytes_per_line"] = static_cast<double>(after - before) / kLines;
    }
    state.counters["text_bytes"] = 24 * sizeof(char16_t);
}
BENCHMARK(HeapBytesPerLine)->Iterations(1);

}  // namespace
