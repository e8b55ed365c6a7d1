#include <filesystem>

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

const restore_case restore_cases[] = {
    {{100, 50}, {400, 300}, {100, 50}, {400, 300}},
    {{0, 50}, {400, 0}, designed_location, designed_size},
    {{100, 0}, {0, 300}, designed_location, designed_size},
    {{-5, 50}, {-1, 5}, designed_location, designed_size},
    {{100, -50}, {400, -300}, designed_location, designed_size},
    {{1, 1}, {151, 71}, {1, 1}, {151, 71}},
    {{300, 200}, {100, 20}, {300, 200}, {150, 70}},  // below the minimum size
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
}

INSTANTIATE_TEST_SUITE_P(Table, GeometryRestore, ::testing::ValuesIn(restore_cases), [](const auto& info) {
    const auto word = [](int v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
    const restore_case& c = info.param;
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

namespace {

// Runs View > Sorvale of the loaded component and answers the window.
forms::Form* open_from_menu(host::component_library& p_component) {
    for (const auto& factory : p_component.factories()) {
        if (factory.class_guid == mainmenu_commands::class_guid) {
            static_cast<mainmenu_commands*>(factory.service.get_ptr())->execute(0, nullptr);
        }
    }
    return automation::FindForm(u"ManagerWin");
}

}  // namespace

TEST(QueueWindowRestart, GeometrySurvivesARestartThroughTheConfigurationFile) {
    const auto folder = std::filesystem::temp_directory_path() / ("sorvale-window-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    {
        host::application app{[](const std::string&) {}};
        app.use_config_folder(folder);
        auto* form = open_from_menu(app.load_component(SORVALE_COMPONENT));
        ASSERT_NE(form, nullptr);
        automation::MoveTo(*form, {321, 123});
        automation::ResizeTo(*form, {250, 350});
        app.shutdown();  // closes the window, then saves
    }
    EXPECT_EQ(dlopen(SORVALE_COMPONENT, RTLD_NOW | RTLD_NOLOAD), nullptr);
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
