#pragma once

#include <cstddef>
#include <memory>

#include "host/line_input.h"

namespace host {

// Standard input is a terminal (a console on Windows): with no script given,
// the host then runs an interactive session at a prompt.
bool standard_input_is_terminal();

// The prompt "sorvale> " on the terminal of standard input, with line editing
// and a history kept for the session (libedit) on Linux, a plain line read
// elsewhere. Ctrl-D on an empty line ends the input, and so does a stop
// request (stop_request.h), which drops the line being typed. A line longer than
// p_longest_line is not run, said in the input_line's problem, and the prompt
// goes on.
std::unique_ptr<line_input> open_prompt(std::size_t p_longest_line);

}  // namespace host
