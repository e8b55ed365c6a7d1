#pragma once

#include <cstddef>
#include <functional>

namespace host {

// A stop asked of the host from outside while it runs: SIGTERM, SIGHUP or
// SIGINT on POSIX (a closed terminal, a logout, kill); on Windows Ctrl-C,
// Ctrl-Break, the console closing, the user logging off or the system
// shutting down. The host stops in order, as at the end of its input: the
// session ends, then the shutdown saves the configuration.
//
// 1. main makes one stop_request, before the window system and the
//    application: from then on the handlers only note the request (POSIX: a
//    flag and a byte in a pipe, all a signal handler may do).
// 2. Whatever waits watches for it: a read of the session's input
//    (read_unless_stopped) ends as at the end of the input, the session takes
//    no more commands (session.cpp), and a stop_wake wakes the message loop.
// 3. Its end puts the earlier handlers back. On Windows a console that closes
//    (or a logoff, a shutdown) ends the process once its handler returns, so
//    the handler waits for that moment: the configuration is saved by then.
//
// A signal that was ignored when the host started (nohup) stays ignored. A
// second request changes nothing: a logout sends SIGTERM and SIGHUP, and
// the first must not be cut short by the second.
class stop_request {
public:
    stop_request();
    ~stop_request();
    stop_request(const stop_request&) = delete;
    stop_request& operator=(const stop_request&) = delete;

    // Any thread. False while no stop_request lives.
    static bool requested();
    // What asked, for the line that says so ("SIGTERM", "Ctrl-C", ...); empty before.
    static const char* reason();

#ifdef _WIN32
    // The console's control handler, as Windows calls it on a thread of its
    // own: answers whether the event was taken. For tests, since a program
    // under Wine cannot be sent a console event.
    static bool console_event(unsigned long p_event);
#endif
};

// While it lives, a stop request also calls p_wake once, from a thread of
// its own (POSIX: a watcher on the signal pipe; Windows: the console's
// control thread): to wake a message loop that waits for the window system.
// Needs a living stop_request; one at a time.
class stop_wake {
public:
    explicit stop_wake(std::function<void()> p_wake);
    ~stop_wake();
    stop_wake(const stop_wake&) = delete;
    stop_wake& operator=(const stop_wake&) = delete;
};

// Answered by read_unless_stopped when a stop came first.
constexpr long stopped_reading = -2;

// Reads up to p_size bytes of the descriptor p_fd (the C runtime's on
// Windows) as read() does: the count, 0 at the end, -1 with errno on an
// error (never EINTR). When a stop is requested before any byte comes it
// answers stopped_reading. The read a stop abandons: on POSIX nothing was
// read (the wait polls the signal pipe beside p_fd); on Windows the read goes
// on, on a thread of its own, and the next call on p_fd takes what it read.
long read_unless_stopped(int p_fd, void* p_buffer, std::size_t p_size);

}  // namespace host
