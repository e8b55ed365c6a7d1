#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "component_fixture.h"
#include "forms/application.h"
#include "host/session.h"

namespace {

// Runs a session script against the loaded component and keeps what it printed.
class Session : public LoadedComponent {
protected:
    unsigned run(const std::string& p_script) {
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&buffer, &size);
        host::session session(app, out);
        const unsigned failed = session.run_all(p_script);
        std::fclose(out);
        output.assign(buffer, size);
        std::free(buffer);
        return failed;
    }
    std::string output;
};

}  // namespace

TEST_F(Session, DrivesTheWindowLikeAUser) {
    EXPECT_EQ(run("enqueue 1 2 3 4; open View/Sorvale; line 2; line 3 shift; key Delete"), 0u) << output;
    ASSERT_EQ(app.queue().size(), 2u);
    EXPECT_EQ(app.queue().at(1).m_handle.get_ptr(), &app.tracks().at(3));
    EXPECT_EQ(run("show"), 0u);
    EXPECT_NE(output.find("window at (0, 0), 150 x 308:\nSorvale\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Halvard Quist - Lantern"), std::string::npos) << output;
    EXPECT_EQ(run("play; key Escape; show"), 0u) << output;
    EXPECT_NE(output.find("(no window open)"), std::string::npos) << output;
    EXPECT_EQ(app.queue().size(), 1u);
}

TEST_F(Session, ReportsEachFailureInOneLineAndGoesOn) {
    EXPECT_EQ(run("bogus; line 1; enqueue 99; open View/Nothing; key Hyper; menu"), 5u);
    EXPECT_NE(output.find("! unknown command bogus\n"), std::string::npos) << output;
    EXPECT_NE(output.find("! no window is open\n"), std::string::npos) << output;
    EXPECT_NE(output.find("! no track 99 in the library\n"), std::string::npos) << output;
    EXPECT_NE(output.find("! no menu command View/Nothing\n"), std::string::npos) << output;
    EXPECT_NE(output.find("View\n  Sorvale\n"), std::string::npos) << "the session went on: " << output;
}

TEST_F(Session, ComponentErrorsReachTheHostByTheirMessage) {
    app.services().remove(&app.queue());
    EXPECT_EQ(run("open View/Sorvale"), 1u);
    EXPECT_NE(output.find("! error: Service not found\n"), std::string::npos) << output;
    app.services().add(playlist_manager::class_guid, &app.queue());
    EXPECT_EQ(run("open View/Sorvale; show"), 0u) << output;
    EXPECT_NE(output.find("window at"), std::string::npos);
}
