#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "host/application.h"

namespace host {

// Drives the host as a user would, one command a line: the main menu, the
// open windows (through the toolkit's automation surface, so every event runs
// as it would for real input), the playback queue. Errors, the component's
// included, are reported in one line and the session goes on. Each command
// ends with a pump step of the toolkit, as the host's message loop would.
//
//   menu                     print the main menu
//   open GROUP/LABEL         run a menu command, e.g. open View/Sorvale
//   show                     print every open window
//   queue                    print the playback queue
//   enqueue N...             add library tracks (numbers from 1) to the queue
//   play                     the head of the queue starts playing
//   line N [shift|ctrl]      click line N (from 1) of the window's list
//   click NAME               click the control with that Name
//   key [shift+|ctrl+]KEY    Delete, Escape, Enter, Up, Down, Home, End, PageUp, PageDown, Space, Tab
//   move X Y | resize W H    move or resize the window (outer size)
//   close                    the window's close box
//   save                     save the configuration now
//   # text                   a comment, echoed
class session {
public:
    session(application& p_app, std::FILE* p_out) : m_app(p_app), m_out(p_out) {}

    // Runs one command; answers false when it failed (after saying why).
    bool run(std::string_view p_command);
    // Runs commands separated by newlines or ';'; answers how many failed.
    unsigned run_all(std::string_view p_script);

private:
    bool dispatch(std::string_view p_command);
    void print_queue();
    void print_windows();

    application& m_app;
    std::FILE* m_out;
};

}  // namespace host
