#include <gtest/gtest.h>

#include <dlfcn.h>

#include <new>
#include <string>

#include "boundary/componentversion.h"
#include "component_fixture.h"
#include "platform/com.h"
#include "platform/heap.h"

namespace {

std::string file_name_reported(LoadedComponent& p_test, componentversion* p_version) {
    (void)p_test;
    host::string_sink sink;
    p_version->get_file_name(sink);
    return sink.text();
}

}  // namespace

TEST_F(LoadedComponent, ClientAnswersItsVersionAndIsNotADebugBuild) {
    auto& client = component->client();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(client.get_version(), 71u);
        EXPECT_FALSE(client.is_debug());
    }
}

TEST_F(LoadedComponent, EveryExportCallStartsTheComponentRuntimeAndAnswersTheSameClient) {
    platform::reset_co_initialize_calls();
    host::host_api other_api(app.services());
    foobar2000_client* first = component->entry()(&app.api(), component->handle());
    foobar2000_client* second = component->entry()(&other_api, component->handle());
    EXPECT_EQ(first, &component->client());
    EXPECT_EQ(second, first);
    const auto record = platform::co_initialize_calls();
    EXPECT_EQ(record.calls, 2u);
    EXPECT_EQ(record.last_mode, COINIT_APARTMENTTHREADED);
    EXPECT_TRUE(record.last_reserved_was_null);
    component->entry()(&app.api(), component->handle());  // leave the host's own API in place
}

TEST_F(LoadedComponent, LibraryPathKeepsOnlyTheLatestFileName) {
    auto* version = service<componentversion>();
    EXPECT_EQ(file_name_reported(*this, version), "foo_sorvale.so") << "the host passed the file name, not the path";

    auto& client = component->client();
    client.set_library_path("/opt/player/components/first.so", "first.so");
    client.set_library_path("/opt/player/components/second.so", "second.so");
    EXPECT_EQ(file_name_reported(*this, version), "second.so");
    client.set_library_path("/somewhere", "");
    EXPECT_EQ(file_name_reported(*this, version), "");
    client.set_library_path("/somewhere", nullptr);
    EXPECT_EQ(file_name_reported(*this, version), "") << "a missing name is stored as the empty text";
}

TEST_F(LoadedComponent, OutOfMemoryReachesTheHostAsStdBadAllocAndKeepsTheName) {
    auto* version = service<componentversion>();
    platform::heap_fail_at(1);
    try {
        component->client().set_library_path("/x", "a-much-longer-file-name-than-before.so");
        platform::heap_disarm();
        FAIL() << "no error";
    } catch (const std::bad_alloc& e) {
        platform::heap_disarm();
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(file_name_reported(*this, version), "foo_sorvale.so");
}

TEST(ComponentBeforeSetup, ReportsAnEmptyFileNameUntilTheHostGivesOne) {
    void* library = dlopen(SORVALE_COMPONENT, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto entry = reinterpret_cast<foobar2000_get_interface_t>(dlsym(library, "foobar2000_get_interface"));
    ASSERT_NE(entry, nullptr);
    host::registry services;
    host::host_api api(services);
    foobar2000_client* client = entry(&api, library);
    componentversion* version = nullptr;
    for (auto* node = client->get_service_list(); node != nullptr; node = node->get_next()) {
        if (node->get_class_guid() == componentversion::class_guid) {
            service_ptr_t<service_base> out;
            node->instance_create(out);
            version = static_cast<componentversion*>(out.get_ptr());
        }
    }
    ASSERT_NE(version, nullptr);
    host::string_sink sink;
    sink.set_string("stale");
    version->get_file_name(sink);
    EXPECT_EQ(sink.text(), "");
    dlclose(library);
}
