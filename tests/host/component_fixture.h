#pragma once

#include "tests/error_message.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/dynamic_library.h"
#include "host/string_sink.h"
#include "integration/edge_services.h"

// A host with the real component library loaded, and its services at hand.
class LoadedComponent : public ::testing::Test {
protected:
    void SetUp() override { component = &app.load_component(SORVALE_COMPONENT); }

    void TearDown() override {
        app.shutdown();
        // Each test starts from a freshly loaded library with its statics as at load.
        EXPECT_FALSE(host::dynamic_library::is_loaded(SORVALE_COMPONENT)) << "the library stayed loaded";
        expect_host_balanced(app);
    }

public:
    // Every track reference taken is back, except the one each queue entry
    // holds; every lock is undone; only the registry holds the queue.
    static void expect_host_balanced(host::application& p_app) {
        EXPECT_EQ(p_app.tracks().live_references(), static_cast<t_int32>(p_app.queue().size()));
        EXPECT_EQ(p_app.tracks().locks_held(), 0);
        EXPECT_EQ(p_app.tracks().misuses(), 0u);
        EXPECT_EQ(p_app.queue().references(), 1);
    }

protected:
    // The component's service T as the host calls it, across the edge; valid
    // for the test.
    template <typename T>
    T* service() {
        for (const auto& factory : component->factories()) {
            if (!(factory.class_guid == T::class_guid)) continue;
            auto proxy = std::make_shared<edge::foreign<T>>(*static_cast<T*>(factory.service.get_ptr()));
            m_proxies.push_back(proxy);
            return &proxy->get();
        }
        ADD_FAILURE() << "no service " << pfc::print_guid(T::class_guid);
        return nullptr;
    }

    host::application app;
    host::component_library* component = nullptr;

private:
    std::vector<std::shared_ptr<void>> m_proxies;
};

