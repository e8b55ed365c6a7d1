// sorvale-host: loads component libraries the way the music player does,
// lists them, fills the playback queue from its track library, and keeps each
// component's configuration from one run to the next.
//
// Every option is checked before anything is loaded (options.h); once a
// component is loaded, every way out runs the shutdown (on_quit, windows
// closed, configuration saved).

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/desktop.h"
#include "host/line_input.h"
#include "host/options.h"
#include "host/prompt.h"
#include "host/reports.h"
#include "host/session.h"
#include "host/stop_request.h"
#ifdef SORVALE_AUDIO_LIBRARY
#include "host/audio_library.h"
#endif

namespace {

// Loads every component and prints what the host sees of it; false after
// one line when one cannot be loaded.
bool load_components(host::application& p_app, const host::options& p_opts) {
    for (const auto& path : p_opts.components) {
        try {
            auto& component = p_app.load_component(path);
            host::print_loaded(stdout, component, p_app.restore_result_of(component));
        } catch (const host::load_error& e) {
            std::fprintf(stderr, "sorvale-host: %s\n", e.what());
            return false;
        }
    }
    return true;
}

void fill_queue(host::application& p_app, const host::options& p_opts) {
    host::track_library& tracks = p_app.tracks();
    if (p_opts.list_tracks) std::fputs(host::listing(tracks).c_str(), stdout);
    std::vector<t_playback_queue_item> picked;
    for (t_size i = 0; i < tracks.size() && i < p_opts.queue; ++i) picked.push_back(tracks.queue_item(i));
    p_app.queue().add(picked);
    picked.clear();
    host::print_filled_queue(stdout, p_app.queue(), tracks.size());
}

#ifdef SORVALE_AUDIO_LIBRARY
// The library read from the user's folder takes the built-in tracks' place. A
// terminal sees how far the reading has got; the summary line goes everywhere.
void read_library(host::application& p_app, const std::filesystem::path& p_folder) {
    host::audio_folder read;
    {
        host::progress_line progress(stderr);
        read = host::read_audio_folder(p_folder, progress);
    }
    std::fprintf(stderr, "sorvale-host: %s\n", host::summary(p_folder, read).c_str());
    p_app.tracks().replace_with(std::move(*read.tracks));
}
#endif

// Runs the lines of p_input as they come, with the window system live
// meanwhile where there is a real one.
unsigned run_input(host::desktop& p_desktop, host::session& p_session, std::unique_ptr<host::line_input> p_input) {
    if (p_desktop.is_real()) return p_desktop.run_input(p_session, std::shared_ptr<host::line_input>(std::move(p_input)));
    return host::run_lines(p_session, *p_input);
}

// The run after the options are checked: load, fill the queue, run the
// session, and in every case the shutdown.
int run(const host::options& p_opts) {
    // A stop asked from outside (a signal, the console closing) ends the
    // session in order: through the shutdown below, which saves.
    const host::stop_request stop;
    // Before the application, so that the window system outlives every window.
    host::desktop desktop(p_opts.headless);
    const host::stop_wake wake_desktop([&desktop] { desktop.wake(); });
    host::application app;
    if (p_opts.use_config) app.use_config_folder(p_opts.config_folder);

    bool loaded = false;
    unsigned failed = 0;
    try {
#ifdef SORVALE_AUDIO_LIBRARY
        if (!p_opts.library.empty()) read_library(app, p_opts.library);
#endif
        loaded = load_components(app, p_opts);
        if (loaded) {
            app.start_components();
            fill_queue(app, p_opts);
        }
        if (loaded && !host::stop_request::requested() && (!p_opts.script.empty() || p_opts.script_from_input || p_opts.interactive)) {
            host::session session(app, stdout);
            if (!p_opts.script.empty()) failed += session.run_all(p_opts.script);
            if (p_opts.script_from_input && !session.ended()) {
                failed += run_input(desktop, session, host::stream_lines(stdin, host::longest_line));
            } else if (p_opts.interactive && !session.ended()) {
                failed += run_input(desktop, session, host::open_prompt(host::longest_line));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
        loaded = false;
    }

    if (host::stop_request::requested()) {
        std::fflush(stdout);
        std::fprintf(stderr, "sorvale-host: stopping on %s\n", host::stop_request::reason());
    }
    const std::size_t components = app.components().size();
    const std::size_t saved = app.shutdown();
    if (p_opts.use_config && saved > 0) host::print_saved(stdout, saved, components, p_opts.config_folder);
    if (failed > 0) std::fprintf(stderr, "sorvale-host: %u session commands failed\n", failed);
    return loaded && (saved == components || !p_opts.use_config) && failed == 0 ? 0 : 1;
}

}  // namespace

// The program's start with UTF-8 arguments; on Windows main_windows.cpp
// calls it from wmain.
int host_main(int argc, char** argv) {
    try {
        host::options opts = host::parse_options(argc, argv);
        if (opts.help) {
            std::fputs(host::usage_text().c_str(), stdout);
            return 0;
        }
        host::check_options(opts);
        return run(opts);
    } catch (const host::usage_error& e) {
        std::fprintf(stderr, "sorvale-host: %s (see --help)\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "sorvale-host: an error of unknown type\n");
    }
    return 1;
}

#if !defined(_WIN32)
int main(int argc, char** argv) { return host_main(argc, argv); }
#endif
