// sorvale-host: loads component libraries the way the music player does,
// lists them, fills the playback queue from its track library, and keeps each
// component's configuration from one run to the next.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/window_geometry.h"
#include "host/application.h"
#include "host/component_list.h"
#include "host/session.h"

namespace {

const char* usage =
    "usage: sorvale-host [OPTIONS] COMPONENT.so...\n"
    "Loads each component library, prints its entry in the component list and\n"
    "its services, restores its configuration, fills the playback queue from the\n"
    "built-in track library and shows it, and saves the configuration on exit.\n"
    "\n"
    "  --config-dir DIR  configuration folder (default: $XDG_CONFIG_HOME/sorvale-host,\n"
    "                    else ~/.config/sorvale-host)\n"
    "  --no-config       neither restore nor save any configuration\n"
    "  --queue N         queue the first N tracks of the library (default 8)\n"
    "  --tracks          list the whole track library\n"
    "  --run SCRIPT      then run session commands, separated by ';'\n"
    "  --script FILE     then run session commands from FILE, one a line ('-': standard input)\n"
    "                    (commands: menu, open View/Sorvale, show, queue, enqueue N..., play,\n"
    "                    line N [shift|ctrl], click NAME, key [shift+|ctrl+]KEY, move X Y,\n"
    "                    resize W H, close, save)\n"
    "  -h, --help        this text\n";

struct options {
    std::vector<std::string> components;
    std::string config_dir;
    bool use_config = true;
    unsigned long queue = 8;
    bool list_tracks = false;
    std::string script;       // --run
    std::string script_file;  // --script
};

[[noreturn]] void usage_error(const std::string& p_message) {
    std::fprintf(stderr, "sorvale-host: %s (see --help)\n", p_message.c_str());
    std::exit(2);
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
            std::exit(0);
        } else if (arg == "--config-dir") {
            opts.config_dir = value();
            if (opts.config_dir.empty()) usage_error("--config-dir needs a folder");
        } else if (arg == "--no-config") {
            opts.use_config = false;
        } else if (arg == "--queue") {
            const std::string n = value();
            char* end = nullptr;
            opts.queue = std::strtoul(n.c_str(), &end, 10);
            if (n.empty() || *end != '\0' || n[0] == '-') usage_error("--queue needs a count, not '" + n + "'");
        } else if (arg == "--run") {
            opts.script += value() + "\n";
        } else if (arg == "--script") {
            opts.script_file = value();
        } else if (arg == "--tracks") {
            opts.list_tracks = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            usage_error("unknown option " + arg);
        } else {
            opts.components.push_back(arg);
        }
    }
    if (opts.components.empty()) usage_error("no component library given");
    return opts;
}

t_int32 le32_at(const std::vector<unsigned char>& p_data, std::size_t p_at) {
    t_uint32 v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<t_uint32>(p_data[p_at + i]) << (8 * i);
    return static_cast<t_int32>(v);
}

GUID guid_at(const std::vector<unsigned char>& p_data, std::size_t p_at) {
    GUID g{};
    g.Data1 = static_cast<t_uint32>(le32_at(p_data, p_at));
    g.Data2 = static_cast<t_uint16>(p_data[p_at + 4] | (p_data[p_at + 5] << 8));
    g.Data3 = static_cast<t_uint16>(p_data[p_at + 6] | (p_data[p_at + 7] << 8));
    for (int i = 0; i < 8; ++i) g.Data4[i] = p_data[p_at + 8 + i];
    return g;
}

// The records of a stored configuration, as the host sees its own file. The
// variables it knows by GUID are shown by name and value.
void print_records(const std::vector<unsigned char>& p_data) {
    std::size_t at = 0;
    while (p_data.size() - at >= 20) {
        const GUID guid = guid_at(p_data, at);
        const auto length = static_cast<t_uint32>(le32_at(p_data, at + 16));
        at += 20;
        std::string shown;
        const char* name = guid == guid_cfgMainWindowPosition ? "window position"
                           : guid == guid_cfgMainWindowSize   ? "window size"
                                                              : nullptr;
        if (length > p_data.size() - at) {
            shown = "(cut short)";
        } else if (name != nullptr && length == 8) {
            shown = std::string(name) + " (" + std::to_string(le32_at(p_data, at)) + ", " +
                    std::to_string(le32_at(p_data, at + 4)) + ")";
        } else {
            shown = std::to_string(length) + " bytes";
        }
        std::printf("    %s %s\n", pfc::print_guid(guid).c_str(), shown.c_str());
        if (length > p_data.size() - at) return;
        at += length;
    }
}

// The whole script file; standard input for "-". A file that cannot be read
// ends the program with one line.
std::string read_script(const std::string& p_path) {
    std::FILE* in = p_path == "-" ? stdin : std::fopen(p_path.c_str(), "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "sorvale-host: cannot read script %s\n", p_path.c_str());
        std::exit(2);
    }
    std::string text;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, got);
    if (in != stdin) std::fclose(in);
    return text;
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
                        p_result.file.c_str());
            break;
        case outcome::restored:
            std::printf("configuration: restored %zu bytes from %s:\n", p_result.data.size(), p_result.file.c_str());
            print_records(p_result.data);
            break;
        case outcome::rejected:
        case outcome::unreadable:
            break;  // the host has said why, in one line
    }
}

}  // namespace

int main(int argc, char** argv) {
    const options opts = parse(argc, argv);

    host::application app;
    if (opts.use_config) {
        try {
            app.use_config_folder(opts.config_dir.empty() ? host::config_store::default_folder()
                                                          : std::filesystem::path(opts.config_dir));
        } catch (const host::config_error& e) {
            std::fprintf(stderr, "sorvale-host: %s\n", e.what());
            return 1;
        }
    }

    for (const auto& path : opts.components) {
        try {
            auto& component = app.load_component(path);
            std::printf("loaded %s\n", component.file_name().c_str());
            std::printf("  client version: %u\n", component.client().get_version());
            std::printf("  services, in list order:\n");
            for (const auto& factory : component.factories()) {
                std::printf("    %s\n", pfc::print_guid(factory.class_guid).c_str());
            }
            print_entry(component);
            if (const auto* restored = app.restore_result_of(component)) print_restore(*restored);
        } catch (const host::load_error& e) {
            std::fprintf(stderr, "sorvale-host: %s\n", e.what());
            return 1;
        }
    }

    host::track_library& tracks = app.tracks();
    if (opts.list_tracks) {
        std::printf("track library (%u tracks):\n", tracks.size());
        for (t_size i = 0; i < tracks.size(); ++i) std::printf("  %2u. %s\n", i + 1, host::describe(tracks.at(i)).c_str());
    }

    std::vector<t_playback_queue_item> picked;
    for (t_size i = 0; i < tracks.size() && i < opts.queue; ++i) picked.push_back(tracks.queue_item(i));
    app.queue().add(picked);
    picked.clear();
    std::printf("playback queue (%u of the %u tracks in the library):\n", app.queue().size(), tracks.size());
    for (t_size i = 0; i < app.queue().size(); ++i) {
        const auto* entry = static_cast<const host::track*>(app.queue().at(i).m_handle.get_ptr());
        std::printf("  %2u. %s\n", i + 1, host::describe(*entry).c_str());
    }

    unsigned failed = 0;
    if (!opts.script.empty() || !opts.script_file.empty()) {
        host::session session(app, stdout);
        failed += session.run_all(opts.script);
        if (!opts.script_file.empty()) {
            const std::string text = read_script(opts.script_file);
            failed += session.run_all(text);
        }
    }

    const std::size_t components = app.components().size();
    const std::string folder = opts.use_config ? app.config()->folder().string() : std::string();
    const std::size_t saved = app.shutdown();
    if (opts.use_config && saved > 0) {
        std::printf("configuration saved for %zu of %zu components in %s\n", saved, components, folder.c_str());
    }
    if (failed > 0) std::fprintf(stderr, "sorvale-host: %u session commands failed\n", failed);
    return (saved == components || !opts.use_config) && failed == 0 ? 0 : 1;
}
