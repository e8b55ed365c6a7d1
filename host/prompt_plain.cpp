// The interactive prompt where there is no line editor (Windows, and Linux
// without the desktop): the prompt printed, then a line read as a script's
// lines are.

#include "host/prompt.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>

namespace host {

namespace {

class plain_prompt final : public line_input {
public:
    explicit plain_prompt(std::size_t p_longest_line) : m_lines(stream_lines(stdin, p_longest_line)) {}

    input_line next() override {
        std::fputs("sorvale> ", stdout);
        std::fflush(stdout);
        input_line line = m_lines->next();
        if (!line.text) std::fputc('\n', stdout);
        return line;
    }

    bool is_prompt() const override { return true; }

private:
    std::unique_ptr<line_input> m_lines;
};

}  // namespace

#ifdef _WIN32
// A console answers its mode; _isatty would also take NUL and every other
// character device for a terminal (`< NUL`, or /dev/null under Wine).
bool standard_input_is_terminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}
#else
bool standard_input_is_terminal() { return isatty(STDIN_FILENO) == 1; }
#endif

std::unique_ptr<line_input> open_prompt(std::size_t p_longest_line) { return std::make_unique<plain_prompt>(p_longest_line); }

}  // namespace host
