#include <filesystem>
#include <limits>

#include "forms/backend.h"
#include "support/scope_exit.h"
#include "tests/temporary_folder.h"
#include "window_fixture.h"

namespace automation = forms::automation;

namespace {

struct restore_case {
    cfgCoordinates::coords position;
    cfgCoordinates::coords size;
    forms::Point expected_location;
    forms::Size expected_size;
};

// The designed window: at the screen's corner, client 142 x 284 in a 4-pixel
// frame under a 16-pixel caption.
constexpr forms::Point designed_location{0, 0};
constexpr forms::Size designed_size{150, 308};
constexpr t_int32 int_min = std::numeric_limits<t_int32>::min(), int_max = std::numeric_limits<t_int32>::max();

const restore_case restore_cases[] = {
    {{100, 50}, {400, 300}, {100, 50}, {400, 300}},
    {{0, 50}, {400, 0}, designed_location, designed_size},
    {{100, 0}, {0, 300}, designed_location, designed_size},
    {{-5, 50}, {-1, 5}, designed_location, designed_size},
    {{100, -50}, {400, -300}, designed_location, designed_size},
    {{1, 1}, {151, 71}, {1, 1}, {151, 71}},
    {{300, 200}, {100, 20}, {300, 200}, {150, 70}},  // below the minimum size
    // Held to the headless 1920 x 1080 screen plus the frame, however large the saved size.
    {{1, 1}, {int_max, int_max}, {1, 1}, {1928, 1104}},
    {{int_max, int_max}, {int_min, int_min}, designed_location, designed_size},
    {{int_min, int_min}, {0, int_max}, designed_location, designed_size},
};

}  // namespace

class GeometryRestore : public QueueWindow, public ::testing::WithParamInterface<restore_case> {};

TEST_P(GeometryRestore, OnlyPositiveValuesAreRestored) {
    const auto& c = GetParam();
    restore(c.position, c.size);
    execute();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->Location(), c.expected_location);
    EXPECT_EQ(window()->Size(), c.expected_size);
    EXPECT_NO_THROW(automation::RenderText(*window())) << "the host's show";
}

INSTANTIATE_TEST_SUITE_P(Table, GeometryRestore, ::testing::ValuesIn(restore_cases), [](const auto& p_info) {
    const auto word = [](long long v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
    const restore_case& c = p_info.param;
    return "at_" + word(c.position.x) + "_" + word(c.position.y) + "_size_" + word(c.size.x) + "_" + word(c.size.y);
});

TEST_F(QueueWindow, VisibleMovesAndResizesAreSavedAsTheyHappen) {
    execute();
    automation::MoveTo(*window(), {70, 80});
    auto geometry = saved();
    EXPECT_EQ(geometry.position.x, 70);
    EXPECT_EQ(geometry.position.y, 80);
    automation::ResizeTo(*window(), {260, 190});
    geometry = saved();
    EXPECT_EQ(geometry.size.x, 260);
    EXPECT_EQ(geometry.size.y, 190);
}

TEST_F(QueueWindow, OpeningWithAFreshConfigurationSavesTheDesignedGeometryOnClose) {
    execute();
    automation::Close(*window());
    const auto geometry = saved();
    EXPECT_EQ(geometry.position.x, 0);
    EXPECT_EQ(geometry.position.y, 0);
    EXPECT_EQ(geometry.size.x, 150);
    EXPECT_EQ(geometry.size.y, 308);
}

TEST_F(QueueWindow, AHugeSizeIsHeldToTheScreenAndEveryLaterOpeningShowsIt) {
    execute();
    automation::ResizeTo(*window(), {int_max, int_max});
    automation::MoveTo(*window(), {int_max, int_max});
    EXPECT_EQ(window()->Size(), forms::Size(1928, 1104));
    automation::Close(*window());
    EXPECT_EQ(saved().size.x, 1928);
    EXPECT_EQ(saved().size.y, 1104);
    execute();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->Bounds(), forms::Rectangle(designed_location, {1928, 1104})) << "its caption was off every screen";
    EXPECT_NO_THROW(automation::RenderText(*window()));
}

namespace {

// Two monitors: the primary at (1000, 500), 800 x 640, the bottom 40 pixels of
// which are a task bar, and a second one at (3000, 0), 1024 x 768. Text is
// measured as headless.
class two_screens : public forms::Backend {
public:
    forms::Size FontMetrics() override { return {6, 13}; }
    forms::Size MeasureText(const forms::String& p_text) override {
        return {6 * static_cast<int>(p_text.size()), 13};
    }
    std::vector<forms::Screen> Screens() override {
        return {{{1000, 500, 800, 640}, {1000, 500, 800, 600}}, {{3000, 0, 1024, 768}, {3000, 0, 1024, 768}}};
    }
    void CreateWindow(forms::Form&) override {}
    void DestroyWindow(forms::Form&) override {}
    void SetWindowBounds(forms::Form&, forms::Rectangle) override {}
    void SetWindowVisible(forms::Form&, bool) override {}
    void SetWindowText(forms::Form&, const forms::String&) override {}
    void ActivateWindow(forms::Form&) override {}
    void Present(forms::Form&, const forms::DisplayList&) override {}
};

}  // namespace

// The window is 150 wide, its frame and caption 20 high; it goes where it was
// saved only if 32 x 10 pixels of that strip are on one screen's working area.
TEST_F(QueueWindow, ASavedPlaceIsTakenOnlyWhereAScreenShowsTheCaption) {
    two_screens desktop;
    forms::Application::SetBackend(&desktop);
    const pfc::on_scope_exit uninstall([]() noexcept { forms::Application::SetBackend(nullptr); });
    const struct { const char* name; cfgCoordinates::coords position, size; bool restored; } cases[] = {
        {"well inside", {1300, 800}, {0, 0}, true},
        {"left, just inside", {882, 800}, {0, 0}, true},
        {"left, just outside", {881, 800}, {0, 0}, false},
        {"left, wider window", {632, 800}, {400, 300}, true},
        {"right, just inside", {1768, 800}, {0, 0}, true},
        {"right, just outside", {1769, 800}, {0, 0}, false},
        {"top, just inside", {1300, 490}, {0, 0}, true},
        {"top, just outside", {1300, 489}, {0, 0}, false},
        {"bottom, just inside", {1300, 1090}, {0, 0}, true},
        {"bottom, on the task bar", {1300, 1091}, {0, 0}, false},
        {"on the second screen", {3500, 100}, {0, 0}, true},
        {"between the screens", {2200, 300}, {0, 0}, false},
        {"huge x", {int_max, 800}, {0, 0}, false},
        {"huge y", {1300, int_max}, {0, 0}, false},
        {"huge both, huge size", {int_max, int_max}, {int_max, int_max}, false},
    };
    for (const auto& c : cases) {
        restore(c.position, c.size);
        execute();
        ASSERT_NE(window(), nullptr) << c.name;
        const forms::Point expected = c.restored ? forms::Point(c.position.x, c.position.y) : designed_location;
        EXPECT_EQ(window()->Location(), expected) << c.name;
        automation::Close(*window());
    }
}

namespace {

// Runs View > Sorvale of the loaded component and answers the window.
forms::Form* open_from_menu(host::component_library& p_component) {
    for (const auto& factory : p_component.factories()) {
        if (factory.class_guid == mainmenu_commands::class_guid) {
            edge::foreign<mainmenu_commands> menu(*static_cast<mainmenu_commands*>(factory.service.get_ptr()));
            menu.get().execute(0, nullptr);
        }
    }
    return automation::FindForm(u"ManagerWin");
}

}  // namespace

TEST(QueueWindowRestart, GeometrySurvivesARestartThroughTheConfigurationFile) {
    const auto folder = make_temporary_folder("sorvale-window-");
    {
        host::application app{[](const std::string&) {}};
        app.use_config_folder(folder);
        auto* form = open_from_menu(app.load_component(SORVALE_COMPONENT));
        ASSERT_NE(form, nullptr);
        automation::MoveTo(*form, {321, 123});
        automation::ResizeTo(*form, {250, 350});
        app.shutdown();  // closes the window, then saves
    }
    EXPECT_FALSE(host::dynamic_library::is_loaded(SORVALE_COMPONENT));
    {
        host::application app{[](const std::string&) {}};
        app.use_config_folder(folder);
        auto* form = open_from_menu(app.load_component(SORVALE_COMPONENT));
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Location(), forms::Point(321, 123));
        EXPECT_EQ(form->Size(), forms::Size(250, 350));
        app.shutdown();
    }
    std::filesystem::remove_all(folder);
}
