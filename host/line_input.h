#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace forms {
class Backend;
}

namespace host {

class session;

// One read of a session's input.
struct input_line {
    std::optional<std::string> text;  // the line without its end; nothing: the input has ended
    std::string problem;              // what went wrong, for one line on standard error; counts as a failed command
};

// Where a session's commands come from, a line at a time: a stream (a script
// piped in) or a prompt on a terminal (prompt.h). next() may block; it is
// called on one thread at a time, the reader thread where the window system
// is real.
class line_input {
public:
    virtual ~line_input() = default;
    virtual input_line next() = 0;
    // A prompt: each line is read (and the prompt shown) only once the line
    // before has been run and answered, and it is not echoed, since the
    // terminal shows it as typed.
    virtual bool is_prompt() const = 0;
};

// The lines of p_stream as they come (LF ends a line), read through its
// descriptor, which nothing else reads meanwhile. A line longer than
// p_longest_line (its end counted) is read to its end and skipped: an empty
// text with the problem said, and the reading goes on. A read error ends the
// reading, said in the problem that comes with the end. A stop request
// (stop_request.h) ends it at once, as the end of the input does, without
// the line begun.
std::unique_ptr<line_input> stream_lines(std::FILE* p_stream, std::size_t p_longest_line);

// Runs the lines of p_input in p_session until the input ends or a command
// ends the session; answers how many commands failed (each problem counts as
// one). Headless: a plain loop on this thread.
unsigned run_lines(session& p_session, line_input& p_input);

// The same with a window system live meanwhile: the lines are read on a
// thread of their own, which wakes p_wake for each; this (the UI) thread runs
// them, and while none is waiting calls p_pump (one turn of the message loop,
// answering whether it had work) and otherwise waits for the window system's
// events. A prompt is shown again only after its line has run here. A reader
// still blocked in a read when this returns is left to the end of the process
// and touches nothing of the caller's.
unsigned run_lines(session& p_session, const std::shared_ptr<line_input>& p_input, forms::Backend& p_wake, const std::function<bool()>& p_pump);

}  // namespace host
