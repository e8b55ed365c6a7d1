#include <gtest/gtest.h>

#include <regex>

#include "boundary/componentversion.h"
#include "component_fixture.h"

TEST_F(LoadedComponent, ComponentListEntryTexts) {
    auto* version = service<componentversion>();
    host::string_sink sink;
    sink.set_string("previous content");
    version->get_component_name(sink);
    EXPECT_EQ(sink.text(), "Sorvale");
    version->get_component_version(sink);
    EXPECT_EQ(sink.text(), "0.1.1");
    version->get_component_version(sink);
    EXPECT_EQ(sink.text(), "0.1.1") << "a second call replaces, not appends";
}

TEST_F(LoadedComponent, AboutTextEndsWithTheBuildDateAndTime) {
    auto* version = service<componentversion>();
    host::string_sink sink;
    version->get_about_message(sink);
    version->get_about_message(sink);
    const std::regex form(
        "Sorvale component\nby Tevrin\n\nVersion: 0\\.1\\.1\n"
        "Compiled: (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([ 1-3][0-9]) [0-9]{4} - "
        "([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(sink.text(), match, form)) << sink.text();
    const std::string day = match[2];
    EXPECT_TRUE(day[0] != '0') << "a single-digit day is space-padded, not zero-padded";
    EXPECT_NE(day, " 0");
}
