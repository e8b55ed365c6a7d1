#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>
#include <string>

#include "component_fixture.h"
#include "host/session.h"

using namespace std::string_literals;

namespace {

// Runs a session script against the loaded component and keeps what it printed.
class Session : public LoadedComponent {
protected:
    unsigned run(const std::string& p_script) {
        std::FILE* out = std::tmpfile();
        const unsigned failed = host::session(app, out).run_all(p_script);
        output.assign(static_cast<std::size_t>(std::ftell(out)), '\0');
        std::rewind(out);
        output.resize(std::fread(output.data(), 1, output.size(), out));
        std::fclose(out);
        return failed;
    }
    bool printed(const std::string& p_text) const { return output.find(p_text) != std::string::npos; }
    std::string output;
};

}  // namespace

TEST_F(Session, DrivesTheWindowLikeAUser) {
    EXPECT_EQ(run("enqueue 1 2 3 4; open View/Sorvale; line 2; line 3 shift; key Delete"), 0u) << output;
    ASSERT_EQ(app.queue().size(), 2u);
    EXPECT_EQ(app.queue().at(1).m_handle.get_ptr(), &app.tracks().at(3));
    EXPECT_EQ(run("show"), 0u);
    EXPECT_TRUE(printed("window at (0, 0), 150 x 308:\nSorvale\n") && printed("Halvard Quist - Lantern")) << output;
    EXPECT_EQ(run("play; key Escape; show"), 0u) << output;
    EXPECT_TRUE(printed("(no window open)")) << output;
    EXPECT_EQ(app.queue().size(), 1u);
}

TEST_F(Session, ReportsEachFailureInOneLineAndGoesOn) {
    EXPECT_EQ(run("bogus; line 1; enqueue 99; open View/Nothing; key Hyper; key ctrl+shift+; menu"), 6u);
    for (const char* line : {"> bogus\nerror: unknown command bogus\n", "error: no window is open\n", "error: no track 99 in the library (1 to 24)\n",
                             "error: no menu command View/Nothing\n", "error: unknown key Hyper\n",
                             "error: a key name is missing after 'ctrl+shift+'\n", "> menu\nView\n  Sorvale\n"}) {
        EXPECT_TRUE(printed(line)) << line << " in " << output;
    }
    // The component's errors reach the host by their message.
    app.services().remove(&app.queue());
    EXPECT_EQ(run("open View/Sorvale"), 1u);
    EXPECT_TRUE(printed("error: Service not found\n")) << output;
    app.services().add(playlist_manager::class_guid, &app.queue());
    EXPECT_EQ(run("open View/Sorvale; show"), 0u) << output;
    EXPECT_TRUE(printed("window at")) << output;
}

// Numbers that do not fit, or fit but mean nothing here: one "error:" line
// each, and nothing changes.
TEST_F(Session, RefusesEveryNumberOutOfRange) {
    ASSERT_EQ(run("enqueue 1 2 3; open View/Sorvale; move 10 20; resize 200 300"), 0u) << output;
    const char* commands[] = {"line -2147483648", "line 2147483648", "line 0",       "line 4",
                              "line 99999999999999999999", "enqueue 0 1", "enqueue 1 -2147483648", "enqueue 4294967297",
                              "move 1 99999999999", "move -2147483649 0", "resize 2147483648 5", "resize 1 -2147483649",
                              "line x", "move 1 2x"};
    for (const char* command : commands) {
        EXPECT_EQ(run(command), 1u) << command;
        EXPECT_EQ(output.substr(output.find('\n') + 1).substr(0, 7), "error: ") << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2) << output;
    }
    EXPECT_EQ(app.queue().size(), 3u);
    EXPECT_EQ(run("show"), 0u);
    EXPECT_TRUE(printed("window at (10, 20), 200 x 300:")) << output;
}

// Any size or place the saved geometry can hold is taken, and the window ends
// up no larger than the desktop allows and no smaller than its minimum.
TEST_F(Session, GeometryAtTheEndsOfTheRangeKeepsTheWindowUsable) {
    ASSERT_EQ(run("enqueue 1; open View/Sorvale; resize 2147483647 2147483647; show"), 0u) << output;
    EXPECT_TRUE(printed("window at (0, 0), 1928 x 1104:")) << output;
    ASSERT_EQ(run("resize -2147483648 0; move -2147483648 2147483647; show"), 0u) << output;
    EXPECT_TRUE(printed(", 150 x 70:")) << output;
    EXPECT_TRUE(printed("\n Halvard Quist - Lantern")) << output;
}

// Lines saved on another system end in CR LF; bytes that do not show are
// refused by name, never cut off or passed on.
TEST_F(Session, TakesCrLfLinesAndRefusesNulAndControlBytes) {
    EXPECT_EQ(run("enqueue 1 2\r\nqueue\r\nme\0nu\r\nmenu\rqueue\nplay\r"s), 2u) << output;
    EXPECT_TRUE(printed("> enqueue 1 2\nqueued track 1:")) << output;
    EXPECT_TRUE(printed("> queue\nplayback queue, 2 entries:")) << output;
    EXPECT_TRUE(printed("> me\\x00nu\nerror: a NUL byte in the command\n")) << output;
    EXPECT_TRUE(printed("> menu\\x0Dqueue\nerror: a control character (\\x0D) in the command\n")) << output;
    EXPECT_TRUE(printed("> play\nnow playing track 1:")) << output;
}

TEST_F(Session, ClicksAButtonByTheTextTheUserSeesOrByItsName) {
    EXPECT_EQ(run("enqueue 1 2 3; open View/Sorvale; line 1; click Delete"), 0u) << output;
    EXPECT_EQ(app.queue().size(), 2u);
    EXPECT_EQ(run("click Clear"), 0u) << output;
    EXPECT_EQ(app.queue().size(), 0u);
    EXPECT_EQ(run("click Nothing; click Close; show"), 1u) << output;
    EXPECT_TRUE(printed("error: no button showing Nothing and no control of that name\n")) << output;
    EXPECT_TRUE(printed("(no window open)")) << output;
    EXPECT_EQ(run("open View/Sorvale; click closeButton; show"), 0u) << output;
    EXPECT_TRUE(printed("(no window open)")) << output;
}

// Every command and key name the help lists is one the session takes, and a
// command given the wrong number of words says its usage as the help does.
TEST_F(Session, KnowsEveryCommandAndKeyItsHelpLists) {
    const std::string help = host::session::help();
    std::vector<std::string> verbs, keys;
    for (std::size_t at = 0; at < help.size(); at = help.find('\n', at) + 1) {
        const std::string line = help.substr(at, help.find('\n', at) - at);
        if (line.starts_with("  key names:")) {
            std::istringstream names(line.substr(12, line.find(';') - 12));
            for (std::string name; names >> name;) keys.push_back(name);
        } else if (!line.starts_with("  #")) {
            verbs.push_back(line.substr(2, line.find_first_of(" ", 2) - 2));
        }
    }
    EXPECT_EQ(verbs.size(), 20u) << help;
    EXPECT_EQ(keys.size(), 11u) << help;
    for (const std::string& verb : verbs) {
        run(verb + " 1 2 3 4 5 6 7 8 9 10");
        EXPECT_FALSE(printed("unknown command")) << output;
        EXPECT_TRUE(verb == "enqueue" || printed("error: usage: " + verb)) << output;
    }
    for (const std::string& name : keys) {
        EXPECT_EQ(run("open View/Sorvale; key shift+" + name), 0u) << output;
    }
}
