// The queue window on a huge queue, through the real component loaded by the
// host: opening it, and following the three kinds of change.

#include <benchmark/benchmark.h>

#include <vector>

#include "forms/application.h"
#include "forms/automation.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "host/application.h"
#include "host/main_menu.h"

namespace {

namespace automation = forms::automation;

// A host with the component loaded and p_entries queued (the library's tracks
// over and over).
struct loaded_host {
    explicit loaded_host(t_size p_entries) : app([](const std::string&) {}) {
        app.load_component(SORVALE_COMPONENT);
        std::vector<t_playback_queue_item> items;
        items.reserve(p_entries);
        for (t_size i = 0; i < p_entries; ++i) items.push_back(app.tracks().queue_item(i % app.tracks().size()));
        app.queue().add(items);
    }
    ~loaded_host() { app.shutdown(); }

    void open() {
        host::main_menu menu(app.services());
        menu.run(*menu.find("View", "Sorvale"));
    }
    static forms::Form& window() { return *automation::FindForm(u"ManagerWin"); }
    static forms::ListBox& list() { return automation::Get<forms::ListBox>(window(), u"queueList"); }

    host::application app;
};

void BM_open_window(benchmark::State& state) {
    loaded_host host(static_cast<t_size>(state.range(0)));
    for (auto _ : state) {
        host.open();
        state.PauseTiming();
        if (loaded_host::list().Items.Count() != state.range(0)) state.SkipWithError("lines missing");
        automation::Close(loaded_host::window());
        forms::Application::Collect();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One entry added behind a full window: the whole queue is read, one line appended.
void BM_entry_added(benchmark::State& state) {
    loaded_host host(static_cast<t_size>(state.range(0)));
    host.open();
    const auto extra = std::vector<t_playback_queue_item>{host.app.tracks().queue_item(0)};
    for (auto _ : state) host.app.queue().add(extra);
}

// The head starts playing: the first line goes, nothing is read.
void BM_head_taken(benchmark::State& state) {
    loaded_host host(static_cast<t_size>(state.range(0)));
    host.open();
    for (auto _ : state) {
        host.app.queue().take_head();
        state.PauseTiming();
        host.app.queue().add(std::vector<t_playback_queue_item>{host.app.tracks().queue_item(0)});
        state.ResumeTiming();
    }
}

// One line deleted with the Delete key: the host removes it and every line is rebuilt.
void BM_delete_one(benchmark::State& state) {
    loaded_host host(static_cast<t_size>(state.range(0)));
    host.open();
    for (auto _ : state) {
        automation::ClickLine(loaded_host::list(), 1);
        automation::PressKey(loaded_host::window(), forms::Keys::Delete);
        state.PauseTiming();
        host.app.queue().add(std::vector<t_playback_queue_item>{host.app.tracks().queue_item(0)});
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_open_window)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_entry_added)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_head_taken)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_delete_one)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
