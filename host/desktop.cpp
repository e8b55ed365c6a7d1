#include "host/desktop.h"

#include <cerrno>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "forms/application.h"
#include "forms/backend.h"
#include "host/session.h"
#ifdef _WIN32
#include "forms/win32_backend.h"
#endif

namespace host {

namespace {

// The real window systems of this build, tried in order; the first that
// opens wins. A further one (GTK on Linux) goes here with its own condition.
std::unique_ptr<forms::Backend> open_window_system(const char*& p_name) {
#ifdef _WIN32
    if (auto backend = forms::Win32Backend::Open()) {
        p_name = "win32";
        return backend;
    }
#endif
    (void)p_name;
    return nullptr;
}

// Lines read on the reader thread, handed to the UI thread. Shared by
// ownership, so that a reader still blocked in a read when the host ends
// touches nothing freed.
struct line_queue {
    std::mutex lock;
    std::deque<std::string> lines;
    bool ended = false;      // no more lines will come
    bool too_long = false;   // the reading stopped at an over-long line
    int read_error = 0;      // errno of a failed read, or 0
    forms::Backend* wake = nullptr;  // null once the UI thread has stopped listening

    // Under the lock, so that the backend cannot go while it is woken.
    void notify() {
        const std::lock_guard<std::mutex> hold(lock);
        if (wake != nullptr) wake->Wake();
    }
};

void read_lines(const std::shared_ptr<line_queue>& p_queue, std::FILE* p_input, std::size_t p_longest_line) {
    const auto hand_over = [&](std::string p_line, bool p_last) {
        {
            const std::lock_guard<std::mutex> hold(p_queue->lock);
            p_queue->lines.push_back(std::move(p_line));
            p_queue->ended = p_last;
        }
        p_queue->notify();
    };
    std::string line;
    for (int c; (c = std::getc(p_input)) != EOF;) {
        line += static_cast<char>(c);
        if (line.size() > p_longest_line) {
            {
                const std::lock_guard<std::mutex> hold(p_queue->lock);
                p_queue->too_long = true;
                p_queue->ended = true;
            }
            p_queue->notify();
            return;
        }
        if (c == '\n') {
            hand_over(line, false);
            line.clear();
        }
    }
    const int error = std::ferror(p_input) ? errno : 0;
    {
        const std::lock_guard<std::mutex> hold(p_queue->lock);
        p_queue->read_error = error;
    }
    hand_over(line, true);
}

}  // namespace

desktop::desktop(bool p_headless) {
    if (!p_headless) m_backend = open_window_system(m_name);
    forms::Application::SetBackend(m_backend.get());
}

desktop::~desktop() {
    if (forms::Application::GetBackend() == m_backend.get()) forms::Application::SetBackend(nullptr);
}

bool desktop::pump() {
    bool worked = false;
    try {
        worked = m_backend && m_backend->ProcessEvents();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
        worked = true;
    }
    try {
        worked = forms::Application::DoEvents() || worked;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
        worked = true;
    }
    return worked;
}

unsigned desktop::run_input(session& p_session, std::FILE* p_input, std::size_t p_longest_line) {
    if (!m_backend) throw std::logic_error("run_input needs a real window system");
    const auto queue = std::make_shared<line_queue>();
    queue->wake = m_backend.get();
    std::thread reader(read_lines, queue, p_input, p_longest_line);
    unsigned failed = 0;
    try {
        for (;;) {
            std::optional<std::string> line;
            bool ended = false;
            {
                const std::lock_guard<std::mutex> hold(queue->lock);
                if (!queue->lines.empty()) {
                    line = std::move(queue->lines.front());
                    queue->lines.pop_front();
                }
                ended = queue->ended && queue->lines.empty();
            }
            if (line) {
                failed += p_session.run_all(*line);
                continue;
            }
            if (ended) break;
            // Nothing to run: the windows' events until a line comes.
            if (!pump()) m_backend->WaitForEvents();
        }
    } catch (...) {
        // The reader may sit in a read that never ends; it owns its share of
        // the queue, and wakes nobody from now on.
        {
            const std::lock_guard<std::mutex> hold(queue->lock);
            queue->wake = nullptr;
        }
        reader.detach();
        throw;
    }
    reader.join();
    if (queue->too_long) {
        std::fprintf(stderr, "sorvale-host: a line of standard input is longer than %zu bytes; the rest is not read\n", p_longest_line);
        ++failed;
    }
    if (queue->read_error != 0) {
        std::fprintf(stderr, "sorvale-host: cannot read the script from standard input: %s\n",
                     std::generic_category().message(queue->read_error).c_str());
        ++failed;
    }
    return failed;
}

}  // namespace host
