// sorvale-host driven as a person or another program drives it: at the prompt
// on a terminal (a pseudo-terminal here), and through a pipe with --script -.
// Each command's answer must arrive before the next command is written, and a
// signal that ends the host midway must not lose its configuration.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"
#include "host/files.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

// Generous: under the sanitizers on a busy machine the host starts slowly.
constexpr auto patience = std::chrono::seconds(30);

// The host started on a pseudo-terminal or on pipes, read as it writes.
class driven_host {
public:
    enum class through { terminal, pipes };

    driven_host(through p_through, const std::vector<std::string>& p_args, const fs::path& p_folder) {
        std::vector<std::string> args{SORVALE_HOST};
        args.insert(args.end(), p_args.begin(), p_args.end());
        int to_child[2] = {-1, -1}, from_child[2] = {-1, -1};
        if (p_through == through::terminal) {
            m_child = forkpty(&m_to, nullptr, nullptr, nullptr);
            m_from = m_to;
        } else {
            if (pipe2(to_child, O_CLOEXEC) != 0 || pipe2(from_child, O_CLOEXEC) != 0) return;
            m_child = fork();
        }
        if (m_child == 0) {
            if (p_through == through::pipes) {
                dup2(to_child[0], 0);
                dup2(from_child[1], 1);
            }
            dup2(open((p_folder / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            // No window system, no key bindings of the user's, a terminal with no escapes.
            unsetenv("DISPLAY");
            unsetenv("EDITRC");
            setenv("HOME", p_folder.c_str(), 1);
            setenv("TERM", "dumb", 1);
            std::vector<char*> argv;
            for (auto& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        if (p_through == through::pipes) {
            close(to_child[0]);
            close(from_child[1]);
            m_to = to_child[1];
            m_from = from_child[0];
        }
    }

    ~driven_host() {
        if (m_child > 0 && !m_ended) {
            kill(m_child, SIGKILL);
            waitpid(m_child, nullptr, 0);
        }
        if (m_to >= 0) close(m_to);
        if (m_from >= 0 && m_from != m_to) close(m_from);
    }

    bool started() const { return m_child > 0; }

    void send(int p_signal) { kill(m_child, p_signal); }

    // A terminal's line discipline as a shell needs it: lines, echo and
    // signal keys (the host's editor turns them off while it reads).
    bool terminal_is_cooked() const {
        termios modes{};
        return tcgetattr(m_to, &modes) == 0 && (modes.c_lflag & (ICANON | ECHO | ISIG)) == (ICANON | ECHO | ISIG);
    }

    void type(const std::string& p_text) { ASSERT_EQ(write(m_to, p_text.data(), p_text.size()), static_cast<ssize_t>(p_text.size())); }

    // Reads until p_text shows after what an earlier expect found; false when
    // it has not shown in time or the host has closed its output.
    bool expect(const std::string& p_text) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        for (;;) {
            const std::size_t found = m_seen.find(p_text, m_from_here);
            if (found != std::string::npos) {
                m_from_here = found + p_text.size();
                return true;
            }
            if (!read_some(deadline)) return false;
        }
    }

    // Reads to the end of the host's output and answers its exit status, or
    // -1 when it does not end in time.
    int exit_status() {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (read_some(deadline)) {
        }
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        int status = 0;
        waitpid(m_child, &status, 0);
        m_ended = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    const std::string& seen() const { return m_seen; }

private:
    bool read_some(std::chrono::steady_clock::time_point p_deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(p_deadline - std::chrono::steady_clock::now()).count();
        pollfd ready{m_from, POLLIN, 0};
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) return false;
        char buffer[4096];
        // A pseudo-terminal whose other side has closed answers EIO, a pipe 0.
        const ssize_t got = read(m_from, buffer, sizeof buffer);
        if (got <= 0) return false;
        m_seen.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t m_child = -1;
    int m_to = -1;
    int m_from = -1;
    bool m_ended = false;
    std::string m_seen;
    std::size_t m_from_here = 0;
};

class Interactive : public ::testing::Test {
protected:
    void SetUp() override { folder = make_temporary_folder("sorvale-interactive-"); }
    void TearDown() override { remove_temporary_folder(folder); }

    fs::path folder;
};

}  // namespace

TEST_F(Interactive, ThePromptAnswersEachCommandBeforeTheNextCtrlCDropsALineAndCtrlDSaves) {
    const std::string config = host::files::text_of(folder / "config");
    driven_host host(driven_host::through::terminal, {"--config-dir", config, "--queue", "2", SORVALE_COMPONENT}, folder);
    ASSERT_TRUE(host.started());
    ASSERT_TRUE(host.expect("playback queue (2 of the 24 tracks in the library):")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    host.type("queue\r");
    // The answer, and only then the next prompt.
    ASSERT_TRUE(host.expect("playback queue, 2 entries:")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    host.type("enqueue 5; open View/Sorvale; move 40 30; key Escape\r");
    ASSERT_TRUE(host.expect("queued track 5: ")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    // Ctrl-C: the line typed so far is dropped, and kept out of the history.
    host.type("enqueue 9\x03");
    ASSERT_TRUE(host.expect("^C")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    // Ctrl-P: the history's last line, run again.
    host.type("\x10\r");
    ASSERT_TRUE(host.expect("queued track 5: ")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    host.type("help\r");
    ASSERT_TRUE(host.expect("enqueue N...")) << host.seen();
    ASSERT_TRUE(host.expect("quit ")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    host.type("\x04");
    EXPECT_EQ(host.exit_status(), 0) << host.seen();
    EXPECT_TRUE(host.expect("configuration saved for 1 of 1 components in " + config)) << host.seen();
    EXPECT_EQ(host.seen().find("queued track 9"), std::string::npos) << host.seen();

    const child_process::ran next = child_process::run(SORVALE_HOST, {"--config-dir", config, "--run", "open View/Sorvale; show", SORVALE_COMPONENT},
                                                       child_process::input::none, folder);
    EXPECT_NE(next.out.find("window at (40, 30),"), std::string::npos) << next.out;
}

// Another program drives the host: it waits for the host to be ready, then
// for each answer before it writes the next line, and quit ends the session
// while the pipe stays open.
TEST_F(Interactive, AScriptFromAPipeIsAnsweredLineByLineAndQuitEndsIt) {
    driven_host host(driven_host::through::pipes, {"--no-config", "--queue", "1", "--script", "-", SORVALE_COMPONENT}, folder);
    ASSERT_TRUE(host.started());
    ASSERT_TRUE(host.expect("playback queue (1 of the 24 tracks in the library):\n   1. Halvard Quist")) << host.seen();
    host.type("queue\n");
    ASSERT_TRUE(host.expect("> queue\nplayback queue, 1 entries:\n   1. Halvard Quist")) << host.seen();
    host.type("enqueue 3\r\n");
    ASSERT_TRUE(host.expect("> enqueue 3\nqueued track 3: ")) << host.seen();
    host.type("quit\nqueue\n");
    EXPECT_EQ(host.exit_status(), 0) << host.seen();
    EXPECT_TRUE(host.expect("> quit\n")) << host.seen();
    EXPECT_EQ(host.seen().find("> queue", host.seen().find("> quit")), std::string::npos) << "nothing after quit: " << host.seen();
}

// --prompt: the commands given run first, then the prompt takes over; it
// needs a terminal, so a pipe is refused before anything loads.
TEST_F(Interactive, PromptAfterTheGivenCommandsOnlyOnATerminal) {
    driven_host host(driven_host::through::terminal, {"--no-config", "--queue", "2", "--run", "enqueue 7", "--prompt", SORVALE_COMPONENT}, folder);
    ASSERT_TRUE(host.started());
    ASSERT_TRUE(host.expect("queued track 7: ")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    host.type("queue\r");
    ASSERT_TRUE(host.expect("playback queue, 3 entries:")) << host.seen();
    ASSERT_TRUE(host.expect("sorvale> ")) << host.seen();
    host.type("quit\r");
    EXPECT_EQ(host.exit_status(), 0) << host.seen();

    driven_host piped(driven_host::through::pipes, {"--no-config", "--run", "queue", "--prompt", SORVALE_COMPONENT}, folder);
    ASSERT_TRUE(piped.started());
    EXPECT_EQ(piped.exit_status(), 2) << piped.seen();
    EXPECT_EQ(piped.seen().find("loaded"), std::string::npos) << piped.seen();
}

struct stop_case {
    const char* name;
    driven_host::through via;
    int signal;
};

class InteractiveStop : public Interactive, public ::testing::WithParamInterface<stop_case> {};

// A closed terminal (SIGHUP) or kill (SIGTERM) ends the session as Ctrl-D
// does: the line being typed is not run, the terminal is put back, and the
// window's place is saved for the next run.
TEST_P(InteractiveStop, ASignalEndsTheSessionInOrderAndTheConfigurationIsSaved) {
    const bool terminal = GetParam().via == driven_host::through::terminal;
    const std::string config = host::files::text_of(folder / "config");
    std::vector<std::string> args{"--config-dir", config, "--queue", "2", SORVALE_COMPONENT};
    if (!terminal) args.insert(args.begin(), {"--script", "-"});
    driven_host host(GetParam().via, args, folder);
    ASSERT_TRUE(host.started());
    ASSERT_TRUE(host.expect(terminal ? "sorvale> " : "playback queue (2 of")) << host.seen();
    host.type(std::string("open View/Sorvale; move 40 30; queue") + (terminal ? "\r" : "\n"));
    ASSERT_TRUE(host.expect("playback queue, 2 entries:")) << host.seen();
    ASSERT_TRUE(!terminal || host.expect("sorvale> ")) << host.seen();
    host.type("enqueue 5");
    ASSERT_TRUE(!terminal || host.expect("enqueue 5")) << host.seen();
    host.send(GetParam().signal);
    EXPECT_EQ(host.exit_status(), 0) << host.seen();
    EXPECT_NE(host.seen().find("configuration saved for 1 of 1 components in " + config), std::string::npos) << host.seen();
    EXPECT_EQ(host.seen().find("queued track 5"), std::string::npos) << host.seen();
    EXPECT_TRUE(!terminal || host.terminal_is_cooked());
    std::ifstream said(folder / "stderr");
    const std::string err((std::istreambuf_iterator<char>(said)), std::istreambuf_iterator<char>());
    EXPECT_EQ(err, std::string("sorvale-host: stopping on ") + (GetParam().signal == SIGTERM ? "SIGTERM" : "SIGHUP") + "\n");
    const child_process::ran next = child_process::run(SORVALE_HOST, {"--config-dir", config, "--run", "open View/Sorvale; show", SORVALE_COMPONENT},
                                                       child_process::input::none, folder);
    EXPECT_NE(next.out.find("window at (40, 30),"), std::string::npos) << next.out;
}

INSTANTIATE_TEST_SUITE_P(Table, InteractiveStop,
                         ::testing::Values(stop_case{"sigterm_at_the_prompt", driven_host::through::terminal, SIGTERM},
                                           stop_case{"sighup_at_the_prompt", driven_host::through::terminal, SIGHUP},
                                           stop_case{"sigterm_reading_a_pipe", driven_host::through::pipes, SIGTERM},
                                           stop_case{"sighup_reading_a_pipe", driven_host::through::pipes, SIGHUP}),
                         [](const auto& p_case) { return std::string(p_case.param.name); });
