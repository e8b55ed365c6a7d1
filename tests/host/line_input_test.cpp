// The lines of a session: a stream read as it comes (a line too long is
// skipped, said once, and a stop request ends it), and the hand-off between
// the reader thread and the UI thread while a window system is live.

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "forms/text_backend.h"
#include "host/application.h"
#include "host/line_input.h"
#include "host/session.h"
#include "host/stop_request.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

constexpr const char* end_of_input = "(end)";

struct stream_case {
    const char* name;
    std::string input;
    std::vector<std::string> lines;  // each text, then end_of_input
    std::string problem;             // said with the end
};

class StreamLines : public ::testing::TestWithParam<stream_case> {};

// A window system whose wait returns only when it is woken.
class waking_backend : public forms::TextBackend {
public:
    void WaitForEvents() override {
        std::unique_lock<std::mutex> hold(m_lock);
        m_woken.wait(hold, [&] { return m_wakes > 0; });
        --m_wakes;
    }
    void Wake() override {
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            ++m_wakes;
        }
        m_woken.notify_all();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_woken;
    int m_wakes = 0;
};

// Lines as a prompt or a stream hands them out; notes how much the session
// had answered each time it is asked for the next. Past its lines it ends,
// or, when p_then_block, waits until released (a read that does not end).
class scripted_input : public host::line_input {
public:
    scripted_input(std::vector<std::string> p_lines, std::FILE* p_out, bool p_prompt, bool p_then_block = false)
        : m_lines(std::move(p_lines)), m_out(p_out), m_prompt(p_prompt), m_then_block(p_then_block) {}

    host::input_line next() override {
        if (m_at == 0 && while_first_read) while_first_read();
        std::unique_lock<std::mutex> hold(m_lock);
        if (m_out != nullptr) answered_when_asked.push_back(std::ftell(m_out));
        if (m_at < m_lines.size()) return {m_lines[m_at++], {}};
        if (m_then_block) m_released.wait(hold, [&] { return m_release; });
        return {};
    }
    bool is_prompt() const override { return m_prompt; }

    void release() {
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            m_release = true;
        }
        m_released.notify_all();
    }
    std::vector<long> asked() {
        const std::lock_guard<std::mutex> hold(m_lock);
        return answered_when_asked;
    }
    std::function<void()> while_first_read;  // on the reader thread

private:
    std::mutex m_lock;
    std::condition_variable m_released;
    std::vector<std::string> m_lines;
    std::size_t m_at = 0;
    std::FILE* m_out;
    bool m_prompt;
    bool m_then_block;
    bool m_release = false;
    std::vector<long> answered_when_asked;
};

class LinesBesideAWindowSystem : public ::testing::Test {
protected:
    void TearDown() override { std::fclose(out); }

    unsigned run(const std::shared_ptr<scripted_input>& p_input) {
        return host::run_lines(session, p_input, backend, [&] {
            {
                const std::lock_guard<std::mutex> hold(pump_lock);
                ++pumps;
            }
            pumped.notify_all();
            return false;
        });
    }

    // On the reader thread: the UI thread turns the message loop meanwhile.
    bool pumps_while_reading() {
        std::unique_lock<std::mutex> hold(pump_lock);
        return pumped.wait_for(hold, std::chrono::seconds(30), [&] { return pumps > 0; });
    }

    host::application app;
    std::FILE* out = std::tmpfile();
    host::session session{app, out};
    waking_backend backend;
    std::mutex pump_lock;
    std::condition_variable pumped;
    int pumps = 0;
};

}  // namespace

TEST_P(StreamLines, ComeAsTheyAreWrittenAndEndWithTheirProblem) {
#ifdef _WIN32
    if (GetParam().problem.find("cannot read") != std::string::npos) {
        GTEST_SKIP() << "Windows' C library reads a stream opened for writing as empty, with no error";
    }
#endif
    std::FILE* stream = std::tmpfile();
    std::fwrite(GetParam().input.data(), 1, GetParam().input.size(), stream);
    std::rewind(stream);
    const fs::path folder = make_temporary_folder("sorvale-lines-");
    if (GetParam().problem.find("cannot read") != std::string::npos) {
        // A stream that cannot be read at all.
        std::fclose(stream);
        stream = std::fopen((folder / "written").string().c_str(), "w");
        ASSERT_NE(stream, nullptr);
    }
    const auto input = host::stream_lines(stream, 10);
    EXPECT_FALSE(input->is_prompt());
    std::vector<std::string> lines;
    std::string problem;
    int problems = 0;
    for (;;) {
        const host::input_line line = input->next();
        lines.push_back(line.text.value_or(end_of_input));
        if (!line.problem.empty()) {
            problem = line.problem;
            ++problems;
        }
        if (!line.text || lines.size() > 10) break;
    }
    std::fclose(stream);
    remove_temporary_folder(folder);
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_EQ(problems, GetParam().problem.empty() ? 0 : 1) << problem;
    EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StreamLines,
    ::testing::Values(stream_case{"last_line_without_end", "a\nb", {"a", "b", end_of_input}, ""},
                      stream_case{"empty", "", {end_of_input}, ""},
                      stream_case{"crlf_left_to_the_session", "a\r\n\n", {"a\r", "", end_of_input}, ""},
                      stream_case{"nul_byte_kept_for_the_session_to_refuse", "a\0b\n"s, {"a\0b"s, end_of_input}, ""},
                      stream_case{"longest_line_with_its_end", "123456789\nx\n", {"123456789", "x", end_of_input}, ""},
                      stream_case{"over_long_line_skipped", "ok\n1234567890\nx\n", {"ok", "", "x", end_of_input}, "longer than 10 bytes is not run"},
                      stream_case{"over_long_last_line_skipped", "ok\n123456789012345", {"ok", "", end_of_input}, "longer than 10 bytes is not run"},
                      stream_case{"read_error", "", {end_of_input}, "cannot read the script from standard input: "}),
    [](const auto& p_case) { return std::string(p_case.param.name); });

// The prompt shows again only once the UI thread has run the line before and
// printed its answer, and the window system runs while the prompt waits.
TEST_F(LinesBesideAWindowSystem, APromptIsReadOnlyOnceTheLineBeforeIsAnswered) {
    const auto input = std::make_shared<scripted_input>(std::vector<std::string>{"queue", "help", "bogus", "queue"}, out, true);
    bool pumped_while_reading = false;
    input->while_first_read = [&] { pumped_while_reading = pumps_while_reading(); };
    EXPECT_EQ(run(input), 1u);
    EXPECT_TRUE(pumped_while_reading);
    const std::vector<long> asked = input->asked();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0], 0);
    for (std::size_t i = 1; i < asked.size(); ++i) EXPECT_GT(asked[i], asked[i - 1]) << "line " << i << " was read before line " << i - 1 << " was answered";
    EXPECT_EQ(asked.back(), std::ftell(out));
}

// quit ends the session at once: a prompt is not shown again, and a stream's
// reader, still inside a read that may never end, is left behind.
TEST_F(LinesBesideAWindowSystem, QuitEndsTheSessionWithoutWaitingForTheInput) {
    const auto prompt = std::make_shared<scripted_input>(std::vector<std::string>{"queue", "quit", "queue"}, out, true);
    EXPECT_EQ(run(prompt), 0u);
    EXPECT_EQ(prompt->asked().size(), 2u);
    EXPECT_TRUE(session.ended());

    host::session other(app, out);
    const auto stream = std::make_shared<scripted_input>(std::vector<std::string>{"exit"}, nullptr, false, true);
    EXPECT_EQ(host::run_lines(other, stream, backend, [] { return false; }), 0u);
    EXPECT_TRUE(other.ended());
    stream->release();
}

// A read that waits for the rest of a line ends when a stop is requested, as
// the end of the input, and the line begun is not run; the message loop is
// woken. On Windows the console's handler is called as the system would (a
// program under Wine cannot be sent a console event); for a closing console
// it returns, letting the process end, only once the host has shut down.
TEST(StopRequest, EndsAWaitingReadAndWakesTheLoop) {
    int ends[2] = {-1, -1};
#ifdef _WIN32
    ASSERT_EQ(_pipe(ends, 4096, _O_BINARY), 0);
    std::FILE* stream = _fdopen(ends[0], "rb");
    // CTRL_CLOSE_EVENT: windows.h cannot share a file with the toolkit's headers.
    const auto ask = [] { return host::stop_request::console_event(2); };
    const char* reason = "the console closing";
#else
    ASSERT_EQ(pipe(ends), 0);
    std::FILE* stream = fdopen(ends[0], "r");
    const auto ask = [] { return kill(getpid(), SIGTERM) == 0; };
    const char* reason = "SIGTERM";
#endif
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(write(ends[1], "queue\nenq", 9), 9);
    auto stop = std::make_unique<host::stop_request>();
    std::atomic<bool> woken{false};
    auto wake = std::make_unique<host::stop_wake>([&] { woken = true; });
    const auto input = host::stream_lines(stream, 100);
    EXPECT_EQ(input->next().text, "queue");
    EXPECT_FALSE(host::stop_request::requested());

    std::atomic<bool> asked{false};
    std::thread asker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_TRUE(ask());
        asked = true;
    });
    const host::input_line last = input->next();
    EXPECT_EQ(last.text, std::nullopt);
    EXPECT_EQ(last.problem, "");
    EXPECT_TRUE(host::stop_request::requested());
    EXPECT_STREQ(host::stop_request::reason(), reason);
    for (int i = 0; i < 300 && !woken; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(woken);
#ifdef _WIN32
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(asked) << "the handler of a closing console returned before the host shut down";
#endif
    wake.reset();
    stop.reset();
    asker.join();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(host::stop_request::requested());
    close(ends[1]);
    std::fclose(stream);
}
