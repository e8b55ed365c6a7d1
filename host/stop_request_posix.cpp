// The stop request on POSIX: the handlers of SIGTERM, SIGHUP and SIGINT note
// the first signal and write one byte into a pipe that is never drained while
// the request stands, so that every wait that polls its read end sees it, on
// any thread, for as long as it looks.

#include "host/stop_request.h"
#include "host/stop_wake_call.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace host {

namespace {

constexpr int stop_signals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr std::size_t signal_count = std::size(stop_signals);

// What the handler touches: lock-free atomics only.
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_signal{0};     // the first stop signal, 0 for none
std::atomic<int> g_write_end{-1};  // of the signal pipe, while a stop_request lives
std::atomic<int> g_read_end{-1};

extern "C" void on_stop_signal(int p_signal) {
    const int saved = errno;
    int none = 0;
    if (g_signal.compare_exchange_strong(none, p_signal)) {
        const int pipe_end = g_write_end.load();
        if (pipe_end >= 0) [[maybe_unused]] const ssize_t written = ::write(pipe_end, "!", 1);
    }
    errno = saved;
}

// The rest belongs to the stop_request's own thread and its user.
struct actions {
    struct sigaction previous[signal_count]{};
    bool caught[signal_count]{};
};
actions g_actions;
int g_quit[2] = {-1, -1};  // ends the watcher
std::thread g_watcher;

std::system_error system_failure(const char* p_what) { return std::system_error(errno, std::generic_category(), p_what); }

// Waits for a stop (or for the end of the stop_request), then calls the wake.
void watch(int p_stop, int p_quit) {
    pollfd ends[2] = {{p_stop, POLLIN, 0}, {p_quit, POLLIN, 0}};
    while (::poll(ends, 2, -1) < 0 && errno == EINTR) {
    }
    if ((ends[0].revents & POLLIN) == 0) return;
    call_stop_wake();
}

void close_pair(int (&p_ends)[2]) {
    for (int& end : p_ends) {
        if (end >= 0) ::close(end);
        end = -1;
    }
}

}  // namespace

stop_request::stop_request() {
    if (g_read_end.load() >= 0) throw std::logic_error("one stop_request at a time");
    int signal_pipe[2] = {-1, -1};
    if (::pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) throw system_failure("cannot make the signal pipe");
    if (::pipe2(g_quit, O_CLOEXEC) != 0) {
        close_pair(signal_pipe);
        throw system_failure("cannot make the signal pipe");
    }
    g_signal = 0;
    g_read_end = signal_pipe[0];
    g_write_end = signal_pipe[1];
    g_watcher = std::thread(watch, signal_pipe[0], g_quit[0]);
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    // Other calls go on where they were; the waits that matter poll the pipe.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : stop_signals) sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < signal_count; ++i) {
        struct sigaction& previous = g_actions.previous[i];
        if (::sigaction(stop_signals[i], nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
        g_actions.caught[i] = ::sigaction(stop_signals[i], &action, nullptr) == 0;
    }
}

stop_request::~stop_request() {
    for (std::size_t i = 0; i < signal_count; ++i) {
        if (g_actions.caught[i]) ::sigaction(stop_signals[i], &g_actions.previous[i], nullptr);
        g_actions.caught[i] = false;
    }
    [[maybe_unused]] const ssize_t written = ::write(g_quit[1], "!", 1);
    g_watcher.join();
    close_pair(g_quit);
    int signal_pipe[2] = {g_read_end.exchange(-1), g_write_end.exchange(-1)};
    close_pair(signal_pipe);
    g_signal = 0;
}

bool stop_request::requested() { return g_signal.load() != 0; }

const char* stop_request::reason() {
    switch (g_signal.load()) {
        case 0: return "";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        case SIGINT: return "SIGINT";
        default: return "a signal";
    }
}

long read_unless_stopped(int p_fd, void* p_buffer, std::size_t p_size) {
    for (;;) {
        const int stop = g_read_end.load();
        if (stop >= 0) {
            pollfd ends[2] = {{p_fd, POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(ends, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            // A read that could go on is not begun once the stop is asked.
            if (stop_request::requested()) return stopped_reading;
        }
        const ssize_t got = ::read(p_fd, p_buffer, p_size);
        if (got < 0 && errno == EINTR) continue;
        return static_cast<long>(got);
    }
}

}  // namespace host
