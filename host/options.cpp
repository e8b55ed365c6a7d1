#include "host/options.h"

#include <charconv>
#include <system_error>

#include "host/config_store.h"
#include "host/files.h"
#include "host/prompt.h"
#include "host/session.h"

namespace host {

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

// The longest script file read.
constexpr std::size_t largest_script = std::size_t{16} << 20;

std::string in_quotes(const std::string& p_text) { return "'" + p_text + "'"; }

// Digits only: no sign, no space, nothing after, and no more than fits.
unsigned long long count_of(const std::string& p_option, const std::string& p_word) {
    unsigned long long value = 0;
    const char* end = p_word.data() + p_word.size();
    const auto [stop, error] = std::from_chars(p_word.data(), end, value);
    if (p_word.empty() || p_word[0] < '0' || p_word[0] > '9' || stop != end || error != std::errc()) {
        throw usage_error(p_option + " needs a count, not " + in_quotes(p_word));
    }
    return value;
}

void check_components(const std::vector<std::string>& p_paths) {
    for (std::size_t i = 0; i < p_paths.size(); ++i) {
        const fs::path path = files::path_of(p_paths[i]);
        if (path.empty()) throw usage_error("a component path is empty");
        std::error_code error;
        const fs::file_type type = fs::status(path, error).type();
        if (type == fs::file_type::none || type == fs::file_type::not_found) {
            throw usage_error("cannot load component " + p_paths[i] + ": " + error.message());
        }
        if (type != fs::file_type::regular) throw usage_error("cannot load component " + p_paths[i] + ": not a regular file");
        for (std::size_t j = 0; j < i; ++j) {
            // The configuration file is named after the library's file name.
            const fs::path other = files::path_of(p_paths[j]);
            if (path.filename() == other.filename() || fs::equivalent(path, other, error)) {
                throw usage_error("component " + p_paths[i] + " given twice (also as " + p_paths[j] + ")");
            }
        }
    }
}

void check_library(const fs::path& p_folder) {
#ifdef SORVALE_AUDIO_LIBRARY
    std::error_code error;
    const fs::file_type type = fs::status(p_folder, error).type();
    if (type == fs::file_type::none || type == fs::file_type::not_found) {
        throw usage_error("cannot read library " + in_quotes(p_folder.string()) + ": " + error.message());
    }
    if (type != fs::file_type::directory) throw usage_error("library " + in_quotes(p_folder.string()) + " is not a folder");
    const fs::directory_iterator first(p_folder, error);
    if (error) throw usage_error("cannot read library " + in_quotes(p_folder.string()) + ": " + error.message());
#else
    (void)p_folder;
    throw usage_error("--library is not available in this build (it reads audio files with TagLib)");
#endif
}

void check_config_folder(options& p_opts) {
    // No folder at all is the environment's fault, not an option's: it stays
    // a config_error.
    if (p_opts.config_folder.empty()) p_opts.config_folder = config_store::default_folder();
    try {
        config_store::check_folder(p_opts.config_folder);
    } catch (const config_error& e) {
        throw usage_error(e.what());
    }
}

void read_script(options& p_opts) {
    try {
        if (p_opts.script_file == "-") {
            files::check_standard_input();
            p_opts.script_from_input = true;
        } else {
            const auto text = files::read_stream(files::path_of(p_opts.script_file), largest_script);
            p_opts.script.append(text.begin(), text.end());
        }
    } catch (const files::file_error& e) {
        const std::string from = p_opts.script_file == "-" ? std::string("from standard input") : in_quotes(p_opts.script_file);
        throw usage_error("cannot read script " + from + ": " + e.what());
    }
}

}  // namespace

options parse_options(int argc, char** argv) {
    options opts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw usage_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            opts.help = true;
            return opts;
        } else if (arg == "--config-dir") {
            opts.config_folder = files::path_of(value());
            if (opts.config_folder.empty()) throw usage_error("--config-dir needs a folder");
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
            if (opts.library.empty()) throw usage_error("--library needs a folder");
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw usage_error("unknown option " + arg);
        } else {
            opts.components.push_back(arg);
        }
    }
    if (opts.components.empty()) throw usage_error("no component library given");
    return opts;
}

void check_options(options& p_opts) {
    check_components(p_opts.components);
    if (p_opts.use_config) check_config_folder(p_opts);
    if (!p_opts.library.empty()) check_library(p_opts.library);
    if (p_opts.prompt && (p_opts.script_file == "-" || !standard_input_is_terminal())) {
        throw usage_error("--prompt needs standard input to be a terminal, and no script from it");
    }
    if (p_opts.script_file.empty()) {
        p_opts.interactive = p_opts.prompt || (p_opts.script.empty() && standard_input_is_terminal());
        return;
    }
    p_opts.interactive = p_opts.prompt;
    read_script(p_opts);
}

std::string usage_text() { return usage + session::help(); }

}  // namespace host
