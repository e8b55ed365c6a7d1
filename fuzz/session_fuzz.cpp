// The host's command language, against the real component library loaded
// once: each input is a session of commands (separated by ';' and newlines,
// as a script is) run on the headless toolkit, so the queue window opens,
// takes clicks and keys, moves, resizes and closes as the session says.
//
// Checked for every input:
//  - every command that fails says so in exactly one line, "error: ...", its
//    last, and a command that succeeds prints no such line (the first input
//    byte picks between running the commands one by one, each checked, and
//    the whole text through run_all, whose count of failures must be the
//    number of error lines);
//  - every message of the host is one line;
//  - once the windows are closed and the queue is emptied, everything is
//    back where it started: no track reference, lock or misuse, the queue
//    referenced by the registry alone, no form alive, and the component's
//    heap blocks as many as before the input.
// Sessions that take a screenshot are left out, since it writes a file
// wherever the input names; the configuration is never saved to a folder.
// LeakSanitizer checks the rest when the program ends, after the host has
// shut down and unloaded the component.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/application.h"
#include "forms/form.h"
#include "host/application.h"
#include "host/memory_streams.h"
#include "host/session.h"
#include "platform/heap.h"
#include "support/bit_array.h"

namespace {

struct host_under_test {
    host::application app{[](const std::string& p_message) {
        if (p_message.find('\n') != std::string::npos) std::abort();  // a message of more than one line
    }};
    host::component_library* component = nullptr;
    std::vector<unsigned char> configuration;  // as the component had it after loading
    std::int64_t blocks = 0;
};

std::unique_ptr<host_under_test> g_host;

// What a command printed, split into lines; each must end in a newline.
std::vector<std::string_view> lines_of(std::string_view p_text) {
    std::vector<std::string_view> lines;
    while (!p_text.empty()) {
        const auto end = p_text.find('\n');
        if (end == std::string_view::npos) std::abort();  // a line left open
        lines.push_back(p_text.substr(0, end));
        p_text.remove_prefix(end + 1);
    }
    return lines;
}

bool is_error(std::string_view p_line) { return p_line.starts_with("error: "); }

// The commands of a script, split as run_all splits them.
std::vector<std::string_view> commands_of(std::string_view p_script) {
    std::vector<std::string_view> commands;
    for (std::size_t at = 0; at <= p_script.size();) {
        std::size_t end = p_script.find_first_of(";\n", at);
        if (end == std::string_view::npos) end = p_script.size();
        std::string_view command = p_script.substr(at, end - at);
        if ((end == p_script.size() || p_script[end] == '\n') && command.ends_with('\r')) command.remove_suffix(1);
        if (command.find_first_not_of(" \t") != std::string_view::npos) commands.push_back(command);
        at = end + 1;
    }
    return commands;
}

// The output of one input's session, in memory.
class captured_output {
public:
    captured_output() : m_file(open_memstream(&m_buffer, &m_size)) {
        if (m_file == nullptr) std::abort();
    }
    ~captured_output() {
        std::fclose(m_file);
        std::free(m_buffer);
    }
    std::FILE* file() const { return m_file; }
    std::string_view text() {
        std::fflush(m_file);
        return {m_buffer, m_size};
    }

private:
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_file;
};

// The whole script through run_all: as many error lines as failed commands.
void run_whole(host::session& p_session, captured_output& p_out, std::string_view p_script) {
    const unsigned failed = p_session.run_all(p_script);
    unsigned errors = 0;
    for (const std::string_view line : lines_of(p_out.text())) errors += is_error(line) ? 1 : 0;
    if (errors != failed) std::abort();
}

// Command by command: a command that fails says so in its last line and in no
// other, one that succeeds in none.
void run_one_by_one(host::session& p_session, captured_output& p_out, std::string_view p_script) {
    std::size_t printed = 0;
    for (const std::string_view command : commands_of(p_script)) {
        const bool ok = p_session.run(command);
        const std::string_view text = p_out.text();
        const auto lines = lines_of(text.substr(printed));
        printed = text.size();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool last = i + 1 == lines.size();
            if (is_error(lines[i]) != (!ok && last)) std::abort();
        }
        if (!ok && lines.empty()) std::abort();  // failed without a word
    }
}

// Windows closed, queue emptied and configuration restored, everything is
// back where it started.
void reset_and_check(host_under_test& p_host) {
    for (forms::Form* form : forms::Application::OpenForms()) form->Close();
    forms::Application::DoEvents();
    p_host.app.queue().remove_queue_entries(bit_array_true());
    host::no_abort abort;
    host::memory_reader saved(p_host.configuration);
    p_host.component->client().set_config(&saved, abort);

    const auto& tracks = p_host.app.tracks();
    if (tracks.live_references() != 0 || tracks.locks_held() != 0 || tracks.misuses() != 0) std::abort();
    if (p_host.app.queue().references() != 1) std::abort();
    if (forms::Application::LiveFormCount() != 0) std::abort();
    if (platform::heap_live_blocks() != p_host.blocks) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_host = std::make_unique<host_under_test>();
    g_host->component = &g_host->app.load_component(SORVALE_COMPONENT);
    host::memory_writer saved;
    host::no_abort abort;
    g_host->component->client().get_config(&saved, abort);
    g_host->configuration = saved.data();
    g_host->blocks = platform::heap_live_blocks();
    // The host shuts down and unloads the component before the program ends,
    // so that LeakSanitizer sees what is left.
    std::atexit([] { g_host.reset(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    if (p_size == 0 || p_size > 4096) return 0;
    host_under_test& h = *g_host;
    const bool whole = (p_data[0] & 1) != 0;
    const std::string_view script(reinterpret_cast<const char*>(p_data) + 1, p_size - 1);
    // A screenshot writes wherever its name says: no session here may touch a file.
    if (script.find("screenshot") != std::string_view::npos) return -1;
    {
        captured_output out;
        host::session session(h.app, out.file());
        if (whole) run_whole(session, out, script);
        else run_one_by_one(session, out, script);
    }
    reset_and_check(h);
    return 0;
}
