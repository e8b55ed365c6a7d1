// The interactive prompt on Linux, with libedit's native interface (histedit),
// which keeps its state in its own objects and so reads on any one thread.

#include "host/prompt.h"

#include <histedit.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <new>
#include <string>
#include <system_error>

namespace host {

namespace {

char* prompt_text(EditLine*) {
    static char text[] = "sorvale> ";
    return text;
}

class editline_prompt final : public line_input {
public:
    explicit editline_prompt(std::size_t p_longest_line) : m_longest_line(p_longest_line) {
        // Characters typed beyond ASCII are edited as the terminal encodes them.
        std::setlocale(LC_CTYPE, "");
        m_history = history_init();
        if (m_history == nullptr) throw std::bad_alloc();
        HistEvent event;
        history(m_history, &event, H_SETSIZE, 1000);
        history(m_history, &event, H_SETUNIQUE, 1);
        m_editor = el_init("sorvale-host", stdin, stdout, stderr);
        if (m_editor == nullptr) {
            history_end(m_history);
            throw std::bad_alloc();
        }
        el_set(m_editor, EL_EDITOR, "emacs");
        // The terminal is put back as it was when a signal ends the program at the prompt.
        el_set(m_editor, EL_SIGNAL, 1);
        el_set(m_editor, EL_PROMPT, prompt_text);
        el_set(m_editor, EL_HIST, history, m_history);
        // The user's own key bindings (~/.editrc), as every libedit program reads them.
        el_source(m_editor, nullptr);
    }

    ~editline_prompt() override {
        el_end(m_editor);
        history_end(m_history);
    }

    editline_prompt(const editline_prompt&) = delete;
    editline_prompt& operator=(const editline_prompt&) = delete;

    input_line next() override {
        // The terminal in the editor's mode before the prompt shows (el_gets
        // would show it first), so that a key pressed as soon as the prompt
        // is seen reaches the editor, Ctrl-D too.
        el_set(m_editor, EL_PREP_TERM, 1);
        int count = 0;
        errno = 0;
        const char* typed = el_gets(m_editor, &count);
        if (typed == nullptr || count <= 0) {
            const int error = errno;
            // The shell's prompt starts on a line of its own.
            std::fputc('\n', stdout);
            std::fflush(stdout);
            if (count < 0) return {std::nullopt, "cannot read from the terminal: " + std::generic_category().message(error)};
            return {};
        }
        // The count, not the terminator: a NUL byte reaches the session, which refuses it.
        std::string line(typed, static_cast<std::size_t>(count));
        if (line.ends_with('\n')) line.pop_back();
        if (line.size() > m_longest_line) {
            return {std::string(), "a line longer than " + std::to_string(m_longest_line) + " bytes is not run"};
        }
        if (line.find_first_not_of(" \t") != std::string::npos) {
            HistEvent event;
            history(m_history, &event, H_ENTER, line.c_str());
        }
        return {std::move(line), {}};
    }

    bool is_prompt() const override { return true; }

private:
    std::size_t m_longest_line;
    History* m_history = nullptr;
    EditLine* m_editor = nullptr;
};

}  // namespace

bool standard_input_is_terminal() { return ::isatty(STDIN_FILENO) == 1; }

std::unique_ptr<line_input> open_prompt(std::size_t p_longest_line) { return std::make_unique<editline_prompt>(p_longest_line); }

}  // namespace host
