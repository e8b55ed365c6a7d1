// The host's playback queue and its reports.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "component_fixture.h"
#include "integration/edge_queue.h"
#include "integration/playback_queue_callback.h"
#include "support/bit_array.h"
#include "support/list.h"

namespace {

using origin = playback_queue_callback::t_change_origin;

// Hears the queue's reports and notes what the queue held at each.
class listener : public playback_queue_callback {
public:
    explicit listener(const host::playback_queue& p_queue, bool p_fails = false) : m_queue(p_queue), m_fails(p_fails) {}
    t_int32 service_add_ref() noexcept override { return ++references; }
    t_int32 service_release() noexcept override { return --references; }
    void on_changed(t_change_origin p_origin) override {
        heard.emplace_back(p_origin, m_queue.size());
        if (m_fails) throw std::runtime_error("listener broke");
    }
    std::vector<std::pair<origin, t_size>> heard;  // what changed, and the queue's size then
    t_int32 references = 0;

private:
    const host::playback_queue& m_queue;
    bool m_fails;
};

using reports = std::vector<std::pair<origin, t_size>>;

class HostQueue : public ::testing::Test {
protected:
    HostQueue() : app([this](const std::string& p_message) { messages.push_back(p_message); }) {}
    void SetUp() override { app.services().add(playback_queue_callback::class_guid, &ear); }
    void TearDown() override {
        app.services().remove(&ear);
        EXPECT_EQ(ear.references, 0);
        LoadedComponent::expect_host_balanced(app);
    }

    void queue_tracks(std::initializer_list<t_size> p_indexes) {
        std::vector<t_playback_queue_item> items;
        for (t_size i : p_indexes) items.push_back(app.tracks().queue_item(i));
        app.queue().add(items);
    }
    std::vector<t_size> queued() {
        std::vector<t_size> out;
        for (t_size i = 0; i < app.queue().size(); ++i) out.push_back(app.queue().at(i).m_item);
        return out;
    }

    std::vector<std::string> messages;
    host::application app;
    listener ear{app.queue()};
};

}  // namespace

TEST_F(HostQueue, AddingReportsOnceTheEntriesAreInAndReadingAppendsHeadFirst) {
    queue_tracks({4, 0, 7});
    queue_tracks({});
    EXPECT_EQ(ear.heard, (reports{{origin::origin_entries_added, 3}}));
    EXPECT_EQ(queued(), (std::vector<t_size>{4, 0, 7}));
    EXPECT_EQ(app.tracks().at(0).references(), 1);
    {
        pfc::list_t<t_playback_queue_item> list;
        edge::facing<edge::queue_list> handed_over(list);  // as a component hands its list over
        app.queue().read_queue_contents(handed_over.get());
        ASSERT_EQ(list.get_count(), 3u);
        EXPECT_EQ(list[0].m_item, 4u);
        EXPECT_EQ(list[2].m_handle.get_ptr(), static_cast<metadb_handle*>(&app.tracks().at(7)));
        EXPECT_EQ(app.tracks().at(4).references(), 2) << "the queue's and the list's";
    }
    EXPECT_EQ(app.tracks().at(4).references(), 1);
}

TEST_F(HostQueue, RemovingAndTakingTheHeadReportWithTheQueueAlreadyChanged) {
    queue_tracks({1, 2, 3, 4, 5});
    ear.heard.clear();
    const bool marks[] = {true, false, true, false};
    app.queue().remove_queue_entries(bit_array_table_t<bool>(marks, 4, true));  // past the table: marked
    EXPECT_EQ(queued(), (std::vector<t_size>{2, 4}));
    EXPECT_EQ(ear.heard, (reports{{origin::origin_entries_removed, 2}}));
    EXPECT_EQ(app.tracks().at(1).references(), 0) << "removed entries give their track back";

    ear.heard.clear();
    const bool none[] = {false};
    app.queue().remove_queue_entries(bit_array_table_t<bool>(none, 1, false));
    EXPECT_TRUE(ear.heard.empty()) << "nothing left the queue, so nothing changed";
    app.queue().remove_queue_entries(bit_array_true());
    EXPECT_EQ(app.queue().size(), 0u);
    EXPECT_EQ(ear.heard, (reports{{origin::origin_entries_removed, 0}}));

    queue_tracks({9, 10});
    ear.heard.clear();
    {
        service_ptr_t<metadb_handle> playing = app.queue().take_head();
        EXPECT_EQ(playing.get_ptr(), static_cast<metadb_handle*>(&app.tracks().at(9)));
        EXPECT_EQ(app.tracks().at(9).references(), 1) << "held by the player only";
    }
    EXPECT_EQ(ear.heard, (reports{{origin::origin_head_taken, 1}}));
    app.queue().take_head();
    EXPECT_TRUE(app.queue().take_head().is_empty());
    EXPECT_EQ(ear.heard.size(), 2u) << "an empty queue has no head to take";
}

TEST_F(HostQueue, AFailingListenerIsReportedAndTheOthersStillHear) {
    listener broken(app.queue(), true);
    app.services().add(playback_queue_callback::class_guid, &broken);
    queue_tracks({0});
    app.services().remove(&broken);
    EXPECT_EQ(messages, std::vector<std::string>{"a queue listener failed: listener broke"});
    EXPECT_EQ(ear.heard.size(), 1u);
    EXPECT_EQ(app.queue().size(), 1u) << "the change stands";
}

namespace {

// A track that counts every add-ref and release made on it.
class watched_track : public host::track {
public:
    watched_track() : host::track("watched.flac", host::track_info()) {}
    t_int32 service_add_ref() noexcept override { return ++calls, host::track::service_add_ref(); }
    t_int32 service_release() noexcept override { return ++calls, host::track::service_release(); }
    int calls = 0;
};

}  // namespace

// Taking the head and removing entries move the queue's references instead of
// copying them: the calls on the tracks are the ones the change needs, at any
// length, and the entries left keep their order.
TEST_F(HostQueue, TakingTheHeadAndRemovingCostNoReferenceCallsForTheEntriesThatStay) {
    watched_track track;
    std::vector<t_playback_queue_item> items(1000);
    for (t_size i = 0; i < items.size(); ++i) items[i] = {&track, 0, static_cast<t_uint32>(i)};
    app.queue().add(items);
    items.clear();
    ASSERT_EQ(track.references(), 1000);
    track.calls = 0;
    for (int i = 0; i < 600; ++i) app.queue().take_head().release();
    EXPECT_EQ(track.calls, 600) << "each head's reference passes to the player, who releases it";
    EXPECT_EQ(app.queue().size(), 400u);
    EXPECT_EQ(app.queue().at(0).m_item, 600u);
    EXPECT_EQ(app.queue().at(399).m_item, 999u);
    EXPECT_THROW(app.queue().at(400), std::out_of_range);

    track.calls = 0;
    const bool marks[] = {false, true, false, true};
    app.queue().remove_queue_entries(bit_array_table_t<bool>(marks, 4, false));
    EXPECT_EQ(track.calls, 2) << "the two removed entries' releases only";
    EXPECT_EQ(queued().size(), 398u);
    EXPECT_EQ(queued()[0], 600u);
    EXPECT_EQ(queued()[1], 602u);
    EXPECT_EQ(queued()[2], 604u);
    EXPECT_EQ(track.references(), 398);
    app.queue().remove_queue_entries(bit_array_true());
    EXPECT_EQ(track.references(), 0);
}
