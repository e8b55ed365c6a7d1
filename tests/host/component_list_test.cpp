#include <gtest/gtest.h>

#include "component_fixture.h"
#include "host/component_list.h"

TEST_F(LoadedComponent, ComponentListShowsFileNameNameVersionAndAbout) {
    const host::component_entry entry = host::describe_component(*component);
    EXPECT_TRUE(entry.has_version_info);
    EXPECT_EQ(entry.file_name, "foo_sorvale.so");
    EXPECT_EQ(entry.name, "Sorvale");
    EXPECT_EQ(entry.version, "0.1.1");
    EXPECT_EQ(entry.about.rfind("Sorvale component\nby Tevrin\n\nVersion: 0.1.1\nCompiled: ", 0), 0u) << entry.about;
    EXPECT_NE(entry.about.back(), '\n');
}

TEST_F(LoadedComponent, ComponentListFollowsTheLatestLibraryName) {
    component->client().set_library_path("/elsewhere/renamed.so", "renamed.so");
    EXPECT_EQ(host::describe_component(*component).file_name, "renamed.so");
}
