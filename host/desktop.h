#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

namespace forms {
class Backend;
}

namespace host {

class session;
class line_input;

// The window system the host's windows appear on, installed into the toolkit
// for the desktop's lifetime (make it before the application, so that it
// outlives every window). Headless, the toolkit draws nothing and the host
// runs as a script runs; with a real window system (Win32 on Windows, GTK 3 on
// an X display on Linux, where one can be opened) the host runs its message
// loop whenever it waits.
class desktop {
public:
    // The first real window system of this build that opens here, unless
    // p_headless; else headless.
    explicit desktop(bool p_headless);
    ~desktop();
    desktop(const desktop&) = delete;
    desktop& operator=(const desktop&) = delete;

    // "headless", or the window system's name ("win32", "gtk").
    const char* name() const { return m_name; }
    bool is_real() const { return m_backend != nullptr; }

    // One turn of the message loop: the window system's queued events, then
    // a toolkit pump step; answers whether either had work. An error thrown
    // by a window's handler is said on standard error and the loop goes on.
    bool pump();

    // From any thread: a pump's wait for the window system's events returns
    // (headless: nothing waits).
    void wake();

    // Runs the session commands of p_input (a script's stream or a prompt)
    // as they come, with the window system live meanwhile: the lines are read
    // on a thread of their own and the message loop runs while none is
    // waiting; a prompt shows again only once its line has run. Answers how
    // many commands failed (a read error and an over-long line count as one).
    // Only for a real window system; headless, run_lines (line_input.h) reads
    // the lines on the caller's thread.
    unsigned run_input(session& p_session, const std::shared_ptr<line_input>& p_input);

private:
    std::unique_ptr<forms::Backend> m_backend;
    const char* m_name = "headless";
};

}  // namespace host
