#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "component_fixture.h"
#include "host/session.h"

namespace {

// Runs a session script against the loaded component and keeps what it printed.
class Session : public LoadedComponent {
protected:
    unsigned run(const std::string& p_script) {
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&buffer, &size);
        const unsigned failed = host::session(app, out).run_all(p_script);
        std::fclose(out);
        output.assign(buffer, size);
        std::free(buffer);
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
    EXPECT_EQ(run("bogus; line 1; enqueue 99; open View/Nothing; key Hyper; menu"), 5u);
    for (const char* line : {"! unknown command bogus\n", "! no window is open\n", "! no track 99 in the library\n",
                             "! no menu command View/Nothing\n", "View\n  Sorvale\n"}) {
        EXPECT_TRUE(printed(line)) << line << " in " << output;
    }
    // The component's errors reach the host by their message.
    app.services().remove(&app.queue());
    EXPECT_EQ(run("open View/Sorvale"), 1u);
    EXPECT_TRUE(printed("! error: Service not found\n")) << output;
    app.services().add(playlist_manager::class_guid, &app.queue());
    EXPECT_EQ(run("open View/Sorvale; show"), 0u) << output;
    EXPECT_TRUE(printed("window at")) << output;
}
