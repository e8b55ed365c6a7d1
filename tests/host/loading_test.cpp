#include <gtest/gtest.h>

#include <string>

#include "boundary/componentversion.h"
#include "component_fixture.h"
#include "integration/initquit.h"
#include "integration/mainmenu_commands.h"
#include "integration/playback_queue_callback.h"

TEST_F(LoadedComponent, OffersItsFourServicesInListOrder) {
    const GUID expected[] = {mainmenu_commands::class_guid, playback_queue_callback::class_guid,
                             initquit::class_guid, componentversion::class_guid};
    const auto& factories = component->factories();
    ASSERT_EQ(factories.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(factories[i].class_guid, expected[i]) << "position " << i;
        service_ptr_t<service_base> queried;
        EXPECT_TRUE(factories[i].service->service_query(queried, expected[i]));
        EXPECT_EQ(queried.get_ptr(), factories[i].service.get_ptr());
        EXPECT_FALSE(factories[i].service->service_query(queried, expected[(i + 1) % 4]));
        EXPECT_FALSE(factories[i].service->service_query(queried, pfc::guid_null));
    }
    EXPECT_EQ(pfc::print_guid(factories[0].class_guid), "{35077B8C-6E70-47BA-B9DD-D51500E12F2E}");
}

TEST_F(LoadedComponent, ListHeadIsStableAndTheServicesCountNothing) {
    auto& client = component->client();
    EXPECT_EQ(client.get_service_list(), client.get_service_list());
    for (const auto& factory : component->factories()) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(factory.service->service_add_ref(), 1);
            EXPECT_EQ(factory.service->service_release(), 1);
        }
        service_ptr_t<service_base> again;
        for (auto* node = client.get_service_list(); node != nullptr; node = node->get_next()) {
            if (node->get_class_guid() == factory.class_guid) node->instance_create(again);
        }
        EXPECT_EQ(again.get_ptr(), factory.service.get_ptr()) << "instance_create hands out the same object";
    }
}

TEST_F(LoadedComponent, RegistersItsServicesWithTheHostAndTakesThemBackAtUnload) {
    EXPECT_EQ(app.services().services_of(mainmenu_commands::class_guid).size(), 1u);
    EXPECT_EQ(app.services().services_of(componentversion::class_guid).size(), 1u);
    component->unload();
    EXPECT_TRUE(app.services().services_of(mainmenu_commands::class_guid).empty());
}

TEST(Loading, MissingFileIsAClearError) {
    host::application app;
    try {
        app.load_component("/nonexistent/foo_missing.so");
        FAIL() << "loaded a missing file";
    } catch (const host::load_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/foo_missing.so"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(app.components().empty());
}

TEST(Loading, LibraryWithoutTheExportIsRefused) {
    host::application app;
    try {
        app.load_component(PLATFORM_LIBRARY);
        FAIL() << "loaded a library without the export";
    } catch (const host::load_error& e) {
        EXPECT_NE(std::string(e.what()).find("foobar2000_get_interface"), std::string::npos) << e.what();
    }
}

TEST(Loading, OtherClientVersionIsRefused) {
    host::application app;
    try {
        app.load_component(OLD_CLIENT_COMPONENT);
        FAIL() << "loaded a component of client version 70";
    } catch (const host::load_error& e) {
        EXPECT_NE(std::string(e.what()).find("70"), std::string::npos) << e.what();
    }
    EXPECT_EQ(dlopen(OLD_CLIENT_COMPONENT, RTLD_NOW | RTLD_NOLOAD), nullptr) << "a refused library is closed";
}
