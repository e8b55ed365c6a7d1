#include "host/line_input.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "forms/backend.h"
#include "host/session.h"
#include "host/stop_request.h"

namespace host {

namespace {

int descriptor_of(std::FILE* p_stream) {
#ifdef _WIN32
    return _fileno(p_stream);
#else
    return fileno(p_stream);
#endif
}

class stream_input final : public line_input {
public:
    stream_input(std::FILE* p_stream, std::size_t p_longest_line) : m_fd(descriptor_of(p_stream)), m_longest_line(p_longest_line) {}

    input_line next() override {
        if (m_ended) return {std::nullopt, std::exchange(m_problem, {})};
        std::string line;
        bool too_long = false;
        int c = end;
        while ((c = next_byte()) != end) {
            // The line end counts. A line too long is read to its end and dropped.
            if (!too_long && line.size() + 1 > m_longest_line) {
                too_long = true;
                line = std::string();
            }
            if (c == '\n') break;
            if (!too_long) line += static_cast<char>(c);
        }
        // A stop drops the line begun, as the end of the input would not.
        if (m_stopped) return {};
        // Said as the prompt says it; the empty text runs nothing, and the end, if it came, follows.
        if (too_long) return {std::string(), "a line of standard input longer than " + std::to_string(m_longest_line) + " bytes is not run"};
        // The last line need not end in a line end.
        if (c == '\n' || !line.empty()) return {std::move(line), {}};
        return {std::nullopt, std::exchange(m_problem, {})};
    }

    bool is_prompt() const override { return false; }

private:
    static constexpr int end = -1;

    // The next byte, or end once the input has ended (m_ended; m_problem
    // says why, when it is not the end of the stream).
    int next_byte() {
        if (m_at == m_count) {
            const long got = read_unless_stopped(m_fd, m_buffer, sizeof m_buffer);
            if (got <= 0) {
                m_ended = true;
                m_stopped = got == stopped_reading;
                if (got == -1) m_problem = "cannot read the script from standard input: " + std::generic_category().message(errno);
                return end;
            }
            m_at = 0;
            m_count = static_cast<std::size_t>(got);
        }
        return static_cast<unsigned char>(m_buffer[m_at++]);
    }

    int m_fd;
    std::size_t m_longest_line;
    // Read a chunk at a time: a pipe gives what has come, a line or more.
    char m_buffer[4096];
    std::size_t m_at = 0;
    std::size_t m_count = 0;
    bool m_ended = false;
    bool m_stopped = false;
    std::string m_problem;  // said with the end, after the last line has run
};

// Says what went wrong and runs the line; answers how many failed.
unsigned take(session& p_session, const input_line& p_line, bool p_echo) {
    unsigned failed = 0;
    if (!p_line.problem.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "sorvale-host: %s\n", p_line.problem.c_str());
        ++failed;
    }
    if (p_line.text) failed += p_session.run_all(*p_line.text, p_echo);
    return failed;
}

// The lines read on the reader thread, handed to the UI thread, and the turn
// handed back. Shared by ownership, so that a reader still blocked in a read
// when the UI thread has gone touches nothing freed.
struct hand_off {
    std::mutex lock;
    std::condition_variable answered;  // the reader waits here for its turn
    std::deque<input_line> lines;
    std::size_t handed = 0;  // lines handed over
    std::size_t run = 0;     // of which the UI thread has run
    bool reading = false;    // the reader is inside a read
    bool stopped = false;    // the UI thread takes no more lines
    forms::Backend* wake = nullptr;  // null once stopped, so that a backend that has gone is never woken
};

void read_lines(const std::shared_ptr<hand_off>& p_hand_off, const std::shared_ptr<line_input>& p_input) {
    hand_off& shared = *p_hand_off;
    const bool in_turn = p_input->is_prompt();
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(shared.lock);
            shared.answered.wait(hold, [&] { return shared.stopped || !in_turn || shared.run == shared.handed; });
            if (shared.stopped) return;
            shared.reading = true;
        }
        input_line line = p_input->next();
        const bool last = !line.text;
        {
            const std::lock_guard<std::mutex> hold(shared.lock);
            shared.reading = false;
            shared.lines.push_back(std::move(line));
            ++shared.handed;
            // Under the lock, so that the backend cannot go while it is woken.
            if (shared.wake != nullptr) shared.wake->Wake();
        }
        if (last) return;
    }
}

// Ends the hand-off: a reader waiting for its turn or done is joined, one
// inside a read (which may never end) is left to run out on its own.
void stop_reading(hand_off& p_hand_off, std::thread& p_reader) {
    bool reading = false;
    {
        const std::lock_guard<std::mutex> hold(p_hand_off.lock);
        p_hand_off.stopped = true;
        p_hand_off.wake = nullptr;
        reading = p_hand_off.reading;
    }
    p_hand_off.answered.notify_all();
    if (reading) {
        p_reader.detach();
    } else {
        p_reader.join();
    }
}

}  // namespace

std::unique_ptr<line_input> stream_lines(std::FILE* p_stream, std::size_t p_longest_line) {
    return std::make_unique<stream_input>(p_stream, p_longest_line);
}

unsigned run_lines(session& p_session, line_input& p_input) {
    unsigned failed = 0;
    // What was printed before the session shows before it waits for a line.
    std::fflush(stdout);
    while (!p_session.ended()) {
        const input_line line = p_input.next();
        failed += take(p_session, line, !p_input.is_prompt());
        if (!line.text) break;
    }
    return failed;
}

unsigned run_lines(session& p_session, const std::shared_ptr<line_input>& p_input, forms::Backend& p_wake, const std::function<bool()>& p_pump) {
    const auto shared = std::make_shared<hand_off>();
    shared->wake = &p_wake;
    std::fflush(stdout);
    std::thread reader(read_lines, shared, p_input);
    const bool echo = !p_input->is_prompt();
    unsigned failed = 0;
    try {
        for (;;) {
            std::optional<input_line> line;
            {
                const std::lock_guard<std::mutex> hold(shared->lock);
                if (!shared->lines.empty()) {
                    line = std::move(shared->lines.front());
                    shared->lines.pop_front();
                }
            }
            if (!line) {
                // Nothing to run: the windows' events until a line comes.
                if (!p_pump()) p_wake.WaitForEvents();
                continue;
            }
            failed += take(p_session, *line, echo);
            if (!line->text || p_session.ended()) break;
            {
                const std::lock_guard<std::mutex> hold(shared->lock);
                ++shared->run;
            }
            shared->answered.notify_all();
        }
    } catch (...) {
        stop_reading(*shared, reader);
        throw;
    }
    stop_reading(*shared, reader);
    return failed;
}

}  // namespace host
