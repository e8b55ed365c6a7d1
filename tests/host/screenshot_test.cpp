// The session's window-system commands (screenshot, sync, wait) headless and
// with a backend that reads pixels back, and the PNG the host writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "component_fixture.h"
#include "forms/application.h"
#include "forms/backend.h"
#include "host/session.h"

#include "tests/png_image.h"

namespace {

namespace fs = std::filesystem;

// A window system whose windows all show the same 3 x 2 pixels.
class PixelBackend : public forms::Backend {
public:
    static forms::Picture picture() {
        return {3, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF102030u, 0xFFFFFFFFu, 0xFF000000u}};
    }
    forms::Size FontMetrics() override { return {6, 13}; }
    forms::Size MeasureText(const forms::String& p_text) override { return {6 * static_cast<int>(p_text.size()), 13}; }
    std::vector<forms::Screen> Screens() override { return {}; }
    void CreateWindow(forms::Form&) override {}
    void DestroyWindow(forms::Form&) override {}
    void SetWindowBounds(forms::Form&, forms::Rectangle) override {}
    void SetWindowVisible(forms::Form&, bool) override {}
    void SetWindowText(forms::Form&, const forms::String&) override {}
    void ActivateWindow(forms::Form&) override {}
    void Present(forms::Form&, const forms::DisplayList&) override {}
    std::optional<forms::Picture> Capture(forms::Form&) override { return picture(); }
};

class WindowSystemCommands : public LoadedComponent {
protected:
    void SetUp() override {
        LoadedComponent::SetUp();
        folder = fs::temp_directory_path() / ("sorvale-screenshot-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        LoadedComponent::TearDown();
        forms::Application::SetBackend(nullptr);
        fs::remove_all(folder);
    }
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
    std::string path(const char* p_name) const {
        const std::u8string text = (folder / p_name).u8string();
        return std::string(text.begin(), text.end());
    }

    PixelBackend window_system;  // outlives the windows app.shutdown() closes
    fs::path folder;
    std::string output;
};

}  // namespace

// On Linux the screenshot is drawn off-screen instead (tests/desktop checks its
// pixels), but for a build without the desktop, which has no Cairo.
TEST_F(WindowSystemCommands, HeadlessAScreenshotOrAWaitSaysWhyNotInOneLineAndSyncJustPumps) {
#ifndef SORVALE_HOST_GTK
    EXPECT_EQ(run("open View/Sorvale; screenshot " + path("shot.png") + "; wait; sync; show"), 2u) << output;
    EXPECT_TRUE(printed("error: no screenshot: the host runs headless, with no window system to read pixels from\n")) << output;
    EXPECT_FALSE(fs::exists(folder / "shot.png"));
#else
    EXPECT_EQ(run("open View/Sorvale; screenshot " + path("shot.png") + "; wait; sync; show"), 1u) << output;
    EXPECT_TRUE(printed("screenshot of the window, 142 x 284 pixels, written to " + path("shot.png") + "\n")) << output;
    EXPECT_TRUE(fs::exists(folder / "shot.png"));
#endif
    EXPECT_TRUE(printed("error: nothing to wait for: the host runs headless, and no user can close its windows\n")) << output;
    EXPECT_TRUE(printed("> sync\n> show\nwindow at (0, 0), 150 x 308:")) << output;
}

TEST_F(WindowSystemCommands, AScreenshotIsThePngOfThePixelsTheWindowSystemReadsBack) {
    forms::Application::SetBackend(&window_system);
    EXPECT_EQ(run("screenshot " + path("none.png")), 1u);
    EXPECT_TRUE(printed("error: no window is open\n")) << output;

    ASSERT_EQ(run("open View/Sorvale; screenshot " + path("shot.png")), 0u) << output;
    EXPECT_TRUE(printed("screenshot of the window, 3 x 2 pixels, written to " + path("shot.png") + "\n")) << output;
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(path("shot.png").c_str(), &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
    std::vector<std::uint32_t> read;
    for (int i = 0; i < width * height; ++i) {
        const unsigned char* p = pixels + 4 * i;
        read.push_back(static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2]);
    }
    stbi_image_free(pixels);
    EXPECT_EQ(std::make_tuple(width, height, channels, read), std::make_tuple(3, 2, 3, PixelBackend::picture().argb));

    EXPECT_EQ(run("screenshot " + path("missing/shot.png")), 1u);
    EXPECT_TRUE(printed("error: cannot write " + path("missing/shot.png") + ": ")) << output;
}
