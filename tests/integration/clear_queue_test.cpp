#include <gtest/gtest.h>

#include <vector>

#include "boundary/globals.h"
#include "host/application.h"
#include "integration/clear_queue.h"

namespace {

// The host the component talks to through g_api, with three tracks queued.
class ClearQueue : public ::testing::Test {
protected:
    void SetUp() override {
        g_api = &app.api();
        std::vector<t_playback_queue_item> items{app.tracks().queue_item(0), app.tracks().queue_item(5),
                                                 app.tracks().queue_item(6)};
        app.queue().add(items);
    }
    void TearDown() override {
        g_api = nullptr;
        EXPECT_EQ(app.tracks().live_references(), static_cast<t_int32>(app.queue().size()));
        EXPECT_EQ(app.queue().references(), 1) << "only the registry holds the queue afterwards";
    }

    host::application app{[](const std::string&) {}};
};

}  // namespace

TEST_F(ClearQueue, EmptiesTheQueueAskingTheRegistryAfresh) {
    g_clear_queue();
    EXPECT_EQ(app.queue().size(), 0u);
    EXPECT_EQ(app.api().calls().find_class, 1u);
    EXPECT_EQ(app.api().calls().get_instance_count, 1u);
    EXPECT_EQ(app.api().calls().create_instance, 1u);
    g_clear_queue();
    EXPECT_EQ(app.api().calls().find_class, 2u) << "every call acquires the manager again";
}

TEST_F(ClearQueue, AcquisitionErrorsReachTheCallerAndLeaveTheQueue) {
    app.services().remove(&app.queue());
    EXPECT_THROW(g_clear_queue(), exception_service_not_found);

    app.services().add(playlist_manager::class_guid, &app.queue());
    app.services().add(playlist_manager::class_guid, &app.queue());
    EXPECT_THROW(g_clear_queue(), exception_service_duplicated);
    app.services().remove(&app.queue());

    app.services().add(playlist_manager::class_guid, &app.queue());
    app.api().fail_next_create();
    EXPECT_THROW(g_clear_queue(), pfc::exception_bug_check);
    EXPECT_EQ(app.queue().size(), 3u);
}
