// The stop request on Windows: the console's control handler runs on a
// thread the system starts for it, so it may lock and wait like any thread.
// It notes the event, sets an event object that reads wait on, and calls the
// stop_wake.

#include "host/stop_request.h"
#include "host/stop_wake_call.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace host {

namespace {

constexpr DWORD no_event = 0xFFFFFFFF;
std::atomic<DWORD> g_event{no_event};  // the first console event taken
std::atomic<bool> g_living{false};    // a stop_request lives
// Set by the first event, reset at the stop_request's end; made once, never closed.
HANDLE g_stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
// Set once the stop_request ends (the host has shut down), for a handler
// whose return ends the process.
HANDLE g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI on_console_event(DWORD p_event) { return stop_request::console_event(p_event) ? TRUE : FALSE; }

// A descriptor's reads, made on a thread of their own so that a stop can end
// the wait for one: the caller waits for the read or the stop, whichever
// comes first, and a read it gave up on is kept for the next caller. The
// thread lives as long as the process, like the descriptor.
struct background_reads {
    explicit background_reads(int p_fd) : fd(p_fd) {}

    void run() {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            asked.wait(hold, [&] { return wanted; });
            hold.unlock();
            const int got = ::_read(fd, chunk.data(), static_cast<unsigned>(chunk.size()));
            const int error = errno;
            hold.lock();
            wanted = false;
            result = got;
            result_error = error;
            taken = 0;
            done = true;
            SetEvent(ready);
        }
    }

    const int fd;
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::mutex lock;
    std::condition_variable asked;
    bool wanted = false;  // a read is asked of the thread
    bool done = false;    // a read has ended: result, and of its bytes, those not yet taken
    int result = 0;
    int result_error = 0;
    std::size_t taken = 0;
    std::vector<char> chunk = std::vector<char>(4096);
};

background_reads& reads_of(int p_fd) {
    static std::mutex lock;
    // Never freed: each one's thread may still be inside a read at the end.
    static auto& all = *new std::map<int, background_reads*>();
    const std::lock_guard<std::mutex> hold(lock);
    background_reads*& reads = all[p_fd];
    if (reads == nullptr) {
        reads = new background_reads(p_fd);
        std::thread(&background_reads::run, reads).detach();
    }
    return *reads;
}

}  // namespace

stop_request::stop_request() {
    if (g_living.exchange(true)) throw std::logic_error("one stop_request at a time");
    g_event = no_event;
    ResetEvent(g_stopped);
    ResetEvent(g_finished);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

stop_request::~stop_request() {
    SetConsoleCtrlHandler(on_console_event, FALSE);
    // A handler that waits lets the process end now.
    SetEvent(g_finished);
    ResetEvent(g_stopped);
    g_event = no_event;
    g_living = false;
}

bool stop_request::requested() { return g_event.load() != no_event; }

const char* stop_request::reason() {
    switch (g_event.load()) {
        case no_event: return "";
        case CTRL_C_EVENT: return "Ctrl-C";
        case CTRL_BREAK_EVENT: return "Ctrl-Break";
        case CTRL_CLOSE_EVENT: return "the console closing";
        case CTRL_LOGOFF_EVENT: return "the user logging off";
        case CTRL_SHUTDOWN_EVENT: return "the system shutting down";
        default: return "a console event";
    }
}

bool stop_request::console_event(unsigned long p_event) {
    if (!g_living) return false;
    DWORD none = no_event;
    if (g_event.compare_exchange_strong(none, p_event)) {
        SetEvent(g_stopped);
        call_stop_wake();
    }
    // The process ends when the handler of these returns: not before the host
    // has shut down. (Logoff and shutdown reach only a console program that
    // has not loaded user32, which the toolkit's does; they are taken anyway.)
    if (p_event == CTRL_CLOSE_EVENT || p_event == CTRL_LOGOFF_EVENT || p_event == CTRL_SHUTDOWN_EVENT) {
        WaitForSingleObject(g_finished, INFINITE);
    }
    return true;
}

long read_unless_stopped(int p_fd, void* p_buffer, std::size_t p_size) {
    const unsigned most = static_cast<unsigned>(std::min<std::size_t>(p_size, 1u << 30));
    if (!g_living) return ::_read(p_fd, p_buffer, most);
    if (stop_request::requested()) return stopped_reading;
    background_reads& reads = reads_of(p_fd);
    {
        const std::lock_guard<std::mutex> hold(reads.lock);
        if (!reads.done && !reads.wanted) {
            reads.wanted = true;
            reads.asked.notify_one();
        }
    }
    for (;;) {
        {
            const std::lock_guard<std::mutex> hold(reads.lock);
            if (reads.done) {
                if (reads.result <= 0) {
                    reads.done = false;
                    // Ctrl-C ends a console's read with an error, maybe just before
                    // the handler runs: the stop is what the user asked for.
                    if (reads.result < 0 && WaitForSingleObject(g_stopped, 200) == WAIT_OBJECT_0) return stopped_reading;
                    errno = reads.result_error;
                    return reads.result;
                }
                const std::size_t left = static_cast<std::size_t>(reads.result) - reads.taken;
                const std::size_t count = std::min<std::size_t>(left, most);
                std::memcpy(p_buffer, reads.chunk.data() + reads.taken, count);
                reads.taken += count;
                if (reads.taken == static_cast<std::size_t>(reads.result)) reads.done = false;
                return static_cast<long>(count);
            }
        }
        const HANDLE waits[2] = {reads.ready, g_stopped};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) return stopped_reading;
    }
}

}  // namespace host
