// The host with the real component loaded and a queue of a benchmark's
// length (its argument), for the window's benchmark programs.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "forms/automation.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "host/application.h"
#include "host/main_menu.h"

namespace bench_window {

namespace automation = forms::automation;

// A host with the component loaded and the benchmark's argument in entries queued
// (the library's tracks over and over).
struct loaded_host {
    explicit loaded_host(benchmark::State& p_state)
        : entries(static_cast<int>(p_state.range(0))), app([](const std::string&) {}) {
        app.load_component(SORVALE_COMPONENT);
        app.queue().add(entries_from(0, static_cast<t_size>(entries)));
    }
    ~loaded_host() { app.shutdown(); }

    std::vector<t_playback_queue_item> entries_from(t_size p_first, t_size p_count) {
        std::vector<t_playback_queue_item> items;
        items.reserve(p_count);
        for (t_size i = 0; i < p_count; ++i) items.push_back(app.tracks().queue_item((p_first + i) % app.tracks().size()));
        return items;
    }

    void open() {
        host::main_menu menu(app.services());
        menu.run(*menu.find("View", "Sorvale"));
    }
    static forms::Form& window() { return *automation::FindForm(u"ManagerWin"); }
    static forms::ListBox& list() { return automation::Get<forms::ListBox>(window(), u"queueList"); }

    // The window shows the queue, line for line in number.
    bool mirrors(benchmark::State& p_state, int p_lines) {
        if (list().Items.Count() == p_lines && app.queue().size() == static_cast<t_size>(p_lines)) return true;
        p_state.SkipWithError("the window's lines do not mirror the queue");
        return false;
    }

    int entries;
    host::application app;
};

}  // namespace bench_window
