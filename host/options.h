#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {

// sorvale-host's command line, read and checked before anything is loaded:
// parse_options reads it, check_options looks at what it names (the
// components, the configuration folder, the library, the script).

// The longest line of standard input (--script -, the prompt).
constexpr std::size_t longest_line = std::size_t{64} << 10;

struct options {
    bool help = false;  // --help: print usage_text and nothing else
    std::vector<std::string> components;
    std::filesystem::path config_folder;  // the default one once checked
    bool use_config = true;
    unsigned long long queue = 8;
    bool list_tracks = false;
    bool headless = false;
    std::filesystem::path library;  // empty: the built-in tracks
    std::string script;             // --run, then the --script file's text
    std::string script_file;        // --script
    bool script_from_input = false;
    bool prompt = false;       // --prompt
    bool interactive = false;  // a prompt on the terminal after the script, if any
};

// An option refused; what() is the reason. The program says it in one line
// with "(see --help)" and ends with exit status 2, having loaded nothing.
class usage_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options of argv (UTF-8). usage_error for an unknown option, a missing
// or malformed value, or no component; --help ends the reading there.
options parse_options(int argc, char** argv);

// Everything that can be known before anything is loaded: each component is a
// regular file given once, the configuration folder can hold files (the
// default one is filled in; config_error, not a usage error, when the
// environment names none), the library is a readable folder, the --script
// file is read whole (or standard input can be read) and --prompt has a
// terminal. usage_error for the first refusal.
void check_options(options& p_opts);

// The options, then the session commands: what --help prints.
std::string usage_text();

}  // namespace host
