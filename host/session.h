#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "host/application.h"

namespace host {

// Drives the host as a user would, one command a line: the main menu, the
// open windows (through the toolkit's automation surface, so every event runs
// as it would for real input), the playback queue. Each command that fails
// says why in one line, "error: ...", the component's errors included, and
// the session goes on. Each command ends with a pump step of the toolkit, as
// the host's message loop would. The commands are one table in session.cpp;
// help() lists them.
class session {
public:
    session(application& p_app, std::FILE* p_out) : m_app(p_app), m_out(p_out) {}

    // Runs one command; answers false when it failed (after saying why).
    bool run(std::string_view p_command);
    // Runs commands separated by newlines (LF or CR LF) or ';', echoing each
    // after "> " (unless !p_echo: a terminal shows what was typed), up to one
    // that ends the session or a stop request (stop_request.h), which ends it
    // too; answers how many failed.
    unsigned run_all(std::string_view p_script, bool p_echo = true);
    // quit or exit has run, or a stop was requested: the session takes no more commands.
    bool ended() const { return m_ended; }

    // One line per command (its arguments and what it does), then the key
    // names that key accepts; for --help and the help command.
    static std::string help();

private:
    application& m_app;
    std::FILE* m_out;
    bool m_ended = false;
};

}  // namespace host
