// The interactive prompt on Linux, with libedit's native interface (histedit),
// which keeps its state in its own objects and so reads on any one thread.

#include "host/prompt.h"
#include "host/stop_request.h"

#include <histedit.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cwchar>
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

// The editor's reader, as its own reads: a byte at a time, each character
// decoded in the locale's encoding (a byte that starts none is dropped). A
// stop request ends the input, so that el_gets returns and puts the terminal
// back as it was.
int read_character(EditLine*, wchar_t* p_character) {
    constexpr std::size_t incomplete = static_cast<std::size_t>(-2), invalid = static_cast<std::size_t>(-1);
    char bytes[MB_LEN_MAX];
    std::size_t count = 0;
    bool kept = false;  // bytes[0] is kept from a sequence that was none, and is decoded before the next read
    for (;;) {
        if (!kept) {
            const long got = read_unless_stopped(STDIN_FILENO, bytes + count, 1);
            if (got <= 0) {
                *p_character = L'\0';
                return got == 0 || got == stopped_reading ? 0 : -1;
            }
            ++count;
        }
        kept = false;
        std::mbstate_t state{};
        const std::size_t length = std::mbrtowc(p_character, bytes, count, &state);
        if (length == incomplete && count < sizeof bytes) continue;
        if (length == invalid && count > 1) {
            // The last byte may start a character of its own.
            bytes[0] = bytes[count - 1];
            count = 1;
            kept = true;
        } else if (length == invalid || length == incomplete) {
            count = 0;
        } else {
            return 1;
        }
    }
}

// Ctrl-C drops the line being typed, as a shell's prompt does: "^C" is shown
// after it and a fresh prompt follows; the session goes on.
unsigned char drop_line(EditLine* p_editor, int) {
    const LineInfo* line = el_line(p_editor);
    el_cursor(p_editor, static_cast<int>(line->lastchar - line->cursor));
    el_insertstr(p_editor, "^C");
    bool* dropped = nullptr;
    el_get(p_editor, EL_CLIENTDATA, &dropped);
    *dropped = true;
    // The line ends as Enter ends it, once it is shown with its "^C".
    el_push(p_editor, "\n");
    return CC_REFRESH;
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
        el_set(m_editor, EL_GETCFN, read_character);
        // The terminal is put back as it was when a signal ends the program at the prompt.
        el_set(m_editor, EL_SIGNAL, 1);
        // Ctrl-C at the prompt is a key, not an interrupt that would end the
        // program without its shutdown (and lose the session's configuration).
        el_set(m_editor, EL_SETTY, "-d", "-isig", nullptr);
        el_set(m_editor, EL_CLIENTDATA, &m_dropped);
        // The wide entry keeps the name and help it is given (static here);
        // the narrow one copies them and never frees the copies.
        el_wset(m_editor, EL_ADDFN, L"drop-line", L"Drop the line being typed", drop_line);
        el_set(m_editor, EL_BIND, "^C", "drop-line", nullptr);
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
        int count = 0;
        const char* typed = nullptr;
        // A line dropped with Ctrl-C is read again, from a fresh prompt.
        do {
            m_dropped = false;
            // The terminal in the editor's mode before the prompt shows (el_gets
            // would show it first), so that a key pressed as soon as the prompt
            // is seen reaches the editor, Ctrl-D too.
            el_set(m_editor, EL_PREP_TERM, 1);
            errno = 0;
            typed = el_gets(m_editor, &count);
        } while (typed != nullptr && m_dropped && !stop_request::requested());
        // A stop ends the input as Ctrl-D does, and what was typed is not run.
        if (stop_request::requested() || typed == nullptr || count <= 0) {
            const int error = errno;
            // The shell's prompt starts on a line of its own.
            std::fputc('\n', stdout);
            std::fflush(stdout);
            if (count < 0 && !stop_request::requested()) return {std::nullopt, "cannot read from the terminal: " + std::generic_category().message(error)};
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
    bool m_dropped = false;  // the line just read was dropped with Ctrl-C
};

}  // namespace

bool standard_input_is_terminal() { return ::isatty(STDIN_FILENO) == 1; }

std::unique_ptr<line_input> open_prompt(std::size_t p_longest_line) { return std::make_unique<editline_prompt>(p_longest_line); }

}  // namespace host
