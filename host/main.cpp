// sorvale-host: loads component libraries the way the music player does,
// lists them, fills the playback queue from its track library, and keeps each
// component's configuration from one run to the next.
//
// Every option is checked before anything is loaded; once a component is
// loaded, every way out runs the shutdown (on_quit, windows closed,
// configuration saved).

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "host/application.h"
#include "host/component_list.h"
#include "host/config_records.h"
#include "host/files.h"
#include "host/desktop.h"
#include "host/line_input.h"
#include "host/prompt.h"
#include "host/session.h"
#ifdef SORVALE_AUDIO_LIBRARY
#include "host/audio_library.h"
#endif

namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
#define LIBRARY_SUFFIX ".dll"
#define DEFAULT_CONFIG_FOLDER "%APPDATA%\\sorvale-host)\n"
#else
#define LIBRARY_SUFFIX ".so"
#define DEFAULT_CONFIG_FOLDER                                                   \
    "$XDG_CONFIG_HOME/sorvale-host,\n" \
    "                    else ~/.config/sorvale-host)\n"
#endif

const char* usage =
    "usage: sorvale-host [OPTIONS] COMPONENT" LIBRARY_SUFFIX "...\n"
    "Loads each component library, prints its entry in the component list and\n"
    "its services, restores its configuration, fills the playback queue from the\n"
    "track library and shows it, and saves the configuration on exit.\n"
    "A COMPONENT without a folder is a file in the current folder.\n"
    "\n"
    "  --config-dir DIR  configuration folder (default: " DEFAULT_CONFIG_FOLDER
    "  --no-config       neither restore nor save any configuration\n"
    "  --queue N         queue the first N tracks of the library (default 8)\n"
    "  --tracks          list the whole track library\n"
    "  --headless        draw no window on the desktop, even where there is one\n"
    "                    (screenshot still draws the window off-screen on Linux)\n"
    "  --library DIR     the track library read from the audio files below DIR\n"
    "                    (default: two dozen invented tracks)\n"
    "  --run SCRIPT      then run session commands, separated by ';'\n"
    "  --script FILE     then run session commands from FILE, one a line ('-': standard input,\n"
    "                    a line at a time)\n"
    "  --prompt          after the commands of --run or --script, prompt for more\n"
    "  -h, --help        this text\n"
    "\n"
    "With neither --run nor --script, on a terminal, the host then prompts for session\n"
    "commands (sorvale> ) with line editing and history, until quit, exit or Ctrl-D.\n"
    "\n"
    "Session commands:\n";

// The longest script file read, and the longest line of standard input.
constexpr std::size_t largest_script = std::size_t{16} << 20;
constexpr std::size_t longest_line = std::size_t{64} << 10;

struct options {
    std::vector<std::string> components;
    fs::path config_folder;
    bool use_config = true;
    unsigned long long queue = 8;
    bool list_tracks = false;
    bool headless = false;
    fs::path library;         // empty: the built-in tracks
    std::string script;       // --run, then the --script file's text
    std::string script_file;  // --script
    bool script_from_input = false;
    bool prompt = false;       // --prompt
    bool interactive = false;  // a prompt on the terminal after the script, if any
};

[[noreturn]] void usage_error(const std::string& p_message) {
    std::fprintf(stderr, "sorvale-host: %s (see --help)\n", p_message.c_str());
    std::exit(2);
}

std::string in_quotes(const std::string& p_text) { return "'" + p_text + "'"; }

// Digits only: no sign, no space, nothing after, and no more than fits.
unsigned long long count_of(const std::string& p_option, const std::string& p_word) {
    unsigned long long value = 0;
    const char* end = p_word.data() + p_word.size();
    const auto [stop, error] = std::from_chars(p_word.data(), end, value);
    if (p_word.empty() || p_word[0] < '0' || p_word[0] > '9' || stop != end || error != std::errc()) {
        usage_error(p_option + " needs a count, not " + in_quotes(p_word));
    }
    return value;
}

options parse(int argc, char** argv) {
    options opts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            std::fputs(host::session::help().c_str(), stdout);
            std::exit(0);
        } else if (arg == "--config-dir") {
            opts.config_folder = host::files::path_of(value());
            if (opts.config_folder.empty()) usage_error("--config-dir needs a folder");
        } else if (arg == "--no-config") {
            opts.use_config = false;
        } else if (arg == "--queue") {
            opts.queue = count_of(arg, value());
        } else if (arg == "--run") {
            opts.script += value() + "\n";
        } else if (arg == "--script") {
            opts.script_file = value();
        } else if (arg == "--tracks") {
            opts.list_tracks = true;
        } else if (arg == "--prompt") {
            opts.prompt = true;
        } else if (arg == "--headless") {
            opts.headless = true;
        } else if (arg == "--library") {
            opts.library = value();
            if (opts.library.empty()) usage_error("--library needs a folder");
        } else if (arg.size() > 1 && arg[0] == '-') {
            usage_error("unknown option " + arg);
        } else {
            opts.components.push_back(arg);
        }
    }
    if (opts.components.empty()) usage_error("no component library given");
    return opts;
}

void check_components(const std::vector<std::string>& p_paths) {
    for (std::size_t i = 0; i < p_paths.size(); ++i) {
        const fs::path path = host::files::path_of(p_paths[i]);
        if (path.empty()) usage_error("a component path is empty");
        std::error_code error;
        const fs::file_type type = fs::status(path, error).type();
        if (type == fs::file_type::none || type == fs::file_type::not_found) usage_error("cannot load component " + p_paths[i] + ": " + error.message());
        if (type != fs::file_type::regular) usage_error("cannot load component " + p_paths[i] + ": not a regular file");
        for (std::size_t j = 0; j < i; ++j) {
            // The configuration file is named after the library's file name.
            const fs::path other = host::files::path_of(p_paths[j]);
            if (path.filename() == other.filename() || fs::equivalent(path, other, error)) {
                usage_error("component " + p_paths[i] + " given twice (also as " + p_paths[j] + ")");
            }
        }
    }
}

void check_library(const fs::path& p_folder) {
#ifdef SORVALE_AUDIO_LIBRARY
    std::error_code error;
    const fs::file_type type = fs::status(p_folder, error).type();
    if (type == fs::file_type::none || type == fs::file_type::not_found) {
        usage_error("cannot read library " + in_quotes(p_folder.string()) + ": " + error.message());
    }
    if (type != fs::file_type::directory) usage_error("library " + in_quotes(p_folder.string()) + " is not a folder");
    const fs::directory_iterator first(p_folder, error);
    if (error) usage_error("cannot read library " + in_quotes(p_folder.string()) + ": " + error.message());
#else
    (void)p_folder;
    usage_error("--library is not available in this build (it reads audio files with TagLib)");
#endif
}

// Everything that can be known about the options before anything is loaded.
void check(options& p_opts) {
    check_components(p_opts.components);
    if (p_opts.use_config) {
        // Each refusal exits only after its handler has ended: std::exit inside
        // a handler would never free the exception.
        std::string refused;
        bool failed = false;
        if (p_opts.config_folder.empty()) {
            try {
                p_opts.config_folder = host::config_store::default_folder();
            } catch (const host::config_error& e) {
                refused = e.what();
                failed = true;
            }
            if (failed) {
                std::fprintf(stderr, "sorvale-host: %s\n", refused.c_str());
                std::exit(1);
            }
        }
        try {
            host::config_store::check_folder(p_opts.config_folder);
        } catch (const host::config_error& e) {
            refused = e.what();
            failed = true;
        }
        if (failed) usage_error(refused);
    }
    if (!p_opts.library.empty()) check_library(p_opts.library);
    if (p_opts.prompt && (p_opts.script_file == "-" || !host::standard_input_is_terminal())) {
        usage_error("--prompt needs standard input to be a terminal, and no script from it");
    }
    if (p_opts.script_file.empty()) {
        p_opts.interactive = p_opts.prompt || (p_opts.script.empty() && host::standard_input_is_terminal());
        return;
    }
    p_opts.interactive = p_opts.prompt;
    std::string refused;
    bool failed = false;
    try {
        if (p_opts.script_file == "-") {
            host::files::check_standard_input();
            p_opts.script_from_input = true;
        } else {
            const auto text = host::files::read_stream(host::files::path_of(p_opts.script_file), largest_script);
            p_opts.script.append(text.begin(), text.end());
        }
    } catch (const host::files::file_error& e) {
        refused = e.what();
        failed = true;
    }
    if (failed) {
        usage_error("cannot read script " + (p_opts.script_file == "-" ? std::string("from standard input") : in_quotes(p_opts.script_file)) +
                    ": " + refused);
    }
}

// The records of a stored configuration, as the host sees its own file: what
// a payload means is the component's business, so each shows as its GUID and
// its length.
void print_records(const std::vector<unsigned char>& p_data) {
    const host::config_records records = host::split_records(p_data);
    for (const host::config_record& record : records.whole) {
        std::printf("    %s %zu bytes\n", pfc::print_guid(record.guid).c_str(), record.payload.size());
    }
    if (records.whole_length != p_data.size()) {
        std::printf("    (%zu bytes of a record cut short)\n", p_data.size() - records.whole_length);
    }
}

void print_entry(const host::component_library& p_component) {
    const host::component_entry entry = host::describe_component(p_component);
    std::printf("component list:\n");
    if (!entry.has_version_info) {
        std::printf("  %s (no version information)\n", entry.file_name.c_str());
        return;
    }
    std::printf("  %s: %s %s\n", entry.file_name.c_str(), entry.name.c_str(), entry.version.c_str());
    std::string about = entry.about;
    for (std::size_t start = 0;;) {
        const std::size_t end = about.find('\n', start);
        std::printf("    | %s\n", about.substr(start, end - start).c_str());
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

void print_restore(const host::config_store::restore_result& p_result) {
    using outcome = host::config_store::outcome;
    switch (p_result.kind) {
        case outcome::none_saved:
            std::printf("configuration: none saved yet in %s, the component starts on its defaults\n",
                        host::files::text_of(p_result.file).c_str());
            break;
        case outcome::restored:
            std::printf("configuration: restored %zu bytes from %s:\n", p_result.data.size(), host::files::text_of(p_result.file).c_str());
            print_records(p_result.data);
            break;
        case outcome::cut_short:
            std::printf("configuration: restored %zu of %zu bytes from %s, which ends inside a record:\n", p_result.taken,
                        p_result.data.size(), host::files::text_of(p_result.file).c_str());
            print_records(p_result.data);
            break;
        case outcome::rejected:
        case outcome::unreadable:
            break;  // the host has said why, in one line
    }
}

// Loads every component and prints what the host sees of it; false after
// one line when one cannot be loaded.
bool load_components(host::application& p_app, const options& p_opts) {
    for (const auto& path : p_opts.components) {
        try {
            auto& component = p_app.load_component(path);
            std::printf("loaded %s\n", component.file_name().c_str());
            std::printf("  client version: %u\n", component.client().get_version());
            std::printf("  services, in list order:\n");
            for (const auto& factory : component.factories()) {
                std::printf("    %s\n", pfc::print_guid(factory.class_guid).c_str());
            }
            print_entry(component);
            if (const auto* restored = p_app.restore_result_of(component)) print_restore(*restored);
        } catch (const host::load_error& e) {
            std::fprintf(stderr, "sorvale-host: %s\n", e.what());
            return false;
        }
    }
    return true;
}

void fill_queue(host::application& p_app, const options& p_opts) {
    host::track_library& tracks = p_app.tracks();
    if (p_opts.list_tracks) std::fputs(host::listing(tracks).c_str(), stdout);
    std::vector<t_playback_queue_item> picked;
    for (t_size i = 0; i < tracks.size() && i < p_opts.queue; ++i) picked.push_back(tracks.queue_item(i));
    p_app.queue().add(picked);
    picked.clear();
    std::printf("playback queue (%u of the %u tracks in the library):\n", p_app.queue().size(), tracks.size());
    for (t_size i = 0; i < p_app.queue().size(); ++i) {
        const auto* entry = static_cast<const host::track*>(p_app.queue().at(i).m_handle.get_ptr());
        std::printf("  %2u. %s\n", i + 1, host::describe(*entry).c_str());
    }
}

#ifdef SORVALE_AUDIO_LIBRARY
// The library read from the user's folder takes the built-in tracks' place. A
// terminal sees how far the reading has got; the summary line goes everywhere.
void read_library(host::application& p_app, const fs::path& p_folder) {
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
int run(const options& p_opts) {
    // Before the application, so that the window system outlives every window.
    host::desktop desktop(p_opts.headless);
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
        if (loaded && (!p_opts.script.empty() || p_opts.script_from_input || p_opts.interactive)) {
            host::session session(app, stdout);
            if (!p_opts.script.empty()) failed += session.run_all(p_opts.script);
            if (p_opts.script_from_input && !session.ended()) {
                failed += run_input(desktop, session, host::stream_lines(stdin, longest_line));
            } else if (p_opts.interactive && !session.ended()) {
                failed += run_input(desktop, session, host::open_prompt(longest_line));
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
        loaded = false;
    }

    const std::size_t components = app.components().size();
    const std::size_t saved = app.shutdown();
    if (p_opts.use_config && saved > 0) {
        std::printf("configuration saved for %zu of %zu components in %s\n", saved, components,
                    host::files::text_of(p_opts.config_folder).c_str());
    }
    if (failed > 0) std::fprintf(stderr, "sorvale-host: %u session commands failed\n", failed);
    return loaded && (saved == components || !p_opts.use_config) && failed == 0 ? 0 : 1;
}

}  // namespace

// The program's start with UTF-8 arguments; on Windows main_windows.cpp
// calls it from wmain.
int host_main(int argc, char** argv) {
    try {
        options opts = parse(argc, argv);
        check(opts);
        return run(opts);
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
