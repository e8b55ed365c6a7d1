#include "support/bit_array.h"
#include "tests/allocation_failure.h"
#include "window_fixture.h"

using forms::Keys;
namespace automation = forms::automation;

TEST_F(QueueWindow, OpensOnAnEmptyQueueWithNoLines) {
    execute();
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->Visible());
    EXPECT_EQ(forms::to_utf8(window()->Text()), "Sorvale");
    EXPECT_TRUE(lines().empty());
    EXPECT_TRUE(window()->IsActive());
}

TEST_F(QueueWindow, ListsEveryEntryInQueueOrderAsArtistDashTitle) {
    enqueue({5, 0, 2, 3, 4, 1});
    execute();
    EXPECT_EQ(lines(), library_lines_of({5, 0, 2, 3, 4, 1}));
    EXPECT_EQ(lines()[0], "潮見ユウリ - 灯台のワルツ");
    EXPECT_EQ(lines()[2], "Tove Rask - Thin Ice Cartography") << "only the first of two artists";
    EXPECT_EQ(lines()[3], "Orrin Feldgate - ") << "no TITLE: an empty part";
    EXPECT_EQ(lines()[4], " - ") << "information the host cannot give: both parts empty";
}

TEST_F(QueueWindow, ListsTheWholeLibrary) {
    enqueue_range(0, app.tracks().size());
    execute();
    ASSERT_EQ(app.tracks().size(), library_lines.size());
    EXPECT_EQ(lines(), library_lines);
}

// Tags of every length around the longest that a line is built from on the
// stack (256 bytes), artist or title, ASCII or ending in a two-byte sequence
// or a broken one, show whole.
TEST_F(QueueWindow, LinesOfLongTagsShowWhole) {
    const std::string a256(256, 'a'), b257(257, 'b'), c255(255, 'c'), e256 = std::string(254, 'e') + "\xC3\xA9",
                      e257 = std::string(255, 'e') + "\xC3\xA9", broken = std::string(254, 'x') + "\xE2\x82";
    const struct { std::string artist, title, shown; } cases[] = {
        {a256, a256, a256 + " - " + a256},
        {b257, "T", b257 + " - T"},
        {"A", b257, "A - " + b257},
        {c255, b257, c255 + " - " + b257},
        {e256, e257, e256 + " - " + e257},
        {broken, "T", std::string(254, 'x') + "\xEF\xBF\xBD - T"},
    };
    for (const auto& c : cases) {
        host::track_info info;
        info.add_value("ARTIST", c.artist);
        info.add_value("TITLE", c.title);
        app.tracks().add(std::make_unique<host::track>("/music/long.flac", info));
        enqueue({app.tracks().size() - 1});
    }
    execute();
    ASSERT_EQ(lines().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(lines()[i], cases[i].shown) << i;
}

// The component reads the queue only while its window is open: when it opens
// and on every report; each read takes and gives back track references and locks.
TEST_F(QueueWindow, OnlyTheWindowReadsTheQueueAndGivesBackEveryReferenceAndLock) {
    enqueue_range(0, 8);  // the unreadable and untitled tracks too
    app.queue().remove_queue_entries(bit_array_true());
    enqueue_range(0, 8);
    EXPECT_EQ(app.api().calls().find_class, 0u) << "the reports reached a component without its window";
    execute();
    EXPECT_EQ(app.api().calls().find_class, 1u) << "the window read the queue once";
    expect_host_balanced(app);
    const bool marks[] = {false, true, false, true};
    app.queue().remove_queue_entries(bit_array_table_t<bool>(marks, 4, false));
    app.queue().take_head();
    expect_host_balanced(app);
    EXPECT_EQ(app.tracks().live_references(), 5);
    service<initquit>()->on_quit();
}

TEST_F(QueueWindow, MenuCommandWhileOpenMakesNoSecondWindow) {
    enqueue({0, 1});
    execute();
    forms::Form* first = window();
    automation::ClickLine(list(), 1);
    execute();
    EXPECT_EQ(automation::OpenForms().size(), 1u);
    EXPECT_EQ(window(), first);
    EXPECT_TRUE(first->IsActive());
    EXPECT_EQ(selection(), std::vector<int>{1}) << "the open window is not rebuilt";
}

namespace {

struct deletion_case {
    const char* name;
    t_size queue_length;
    std::vector<int> selected;
    std::vector<int> remaining;  // library tracks left, in order
    std::vector<int> selected_after;
};

const deletion_case deletion_cases[] = {
    {"middle line", 5, {2}, {0, 1, 3, 4}, {2}},
    {"lines 2 and 3 of 6", 6, {2, 3}, {0, 1, 4, 5}, {2}},
    {"last line", 4, {3}, {0, 1, 2}, {2}},
    {"every line", 3, {0, 1, 2}, {}, {}},
    {"first and last", 5, {0, 4}, {1, 2, 3}, {0}},
};

}  // namespace

class Deletion : public QueueWindow, public ::testing::WithParamInterface<std::tuple<deletion_case, bool>> {};

TEST_P(Deletion, RemovesTheSelectedEntriesAndSelectsTheLineInTheirPlace) {
    const auto& [c, by_key] = GetParam();
    enqueue_range(0, c.queue_length);
    execute();
    for (std::size_t i = 0; i < c.selected.size(); ++i) {
        automation::ClickLine(list(), c.selected[i], i == 0 ? Keys::None : Keys::Control);
    }
    ASSERT_EQ(selection(), c.selected);

    if (by_key) {
        automation::PressKey(*window(), Keys::Delete);
    } else {
        automation::Click(button(u"removeButton"));
    }

    ASSERT_EQ(app.queue().size(), c.remaining.size()) << c.name;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < c.remaining.size(); ++i) {
        EXPECT_EQ(app.queue().at(static_cast<t_size>(i)).m_handle.get_ptr(), &app.tracks().at(static_cast<t_size>(c.remaining[i])));
        expected.push_back(library_lines.at(static_cast<std::size_t>(c.remaining[i])));
    }
    EXPECT_EQ(lines(), expected) << c.name;
    EXPECT_EQ(selection(), c.selected_after) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Deletion,
                         ::testing::Combine(::testing::ValuesIn(deletion_cases), ::testing::Bool()),
                         [](const auto& p_info) {
                             std::string name = std::get<0>(p_info.param).name;
                             for (auto& ch : name) {
                                 if (ch == ' ') ch = '_';
                             }
                             return name + (std::get<1>(p_info.param) ? "_by_key" : "_by_button");
                         });

TEST_F(QueueWindow, DeleteWithNothingSelectedAsksTheHostNothing) {
    enqueue({0, 1, 2});
    execute();
    const auto before = app.api().calls();
    automation::PressKey(*window(), Keys::Delete);
    automation::Click(button(u"removeButton"));
    EXPECT_EQ(app.api().calls().find_class, before.find_class);
    EXPECT_EQ(app.api().calls().create_instance, before.create_instance);
    EXPECT_EQ(app.queue().size(), 3u);
    EXPECT_EQ(lines().size(), 3u);
}

TEST_F(QueueWindow, ClearEmptiesTheQueueAndTheLinesFollow) {
    enqueue({0, 1, 2, 3});
    execute();
    automation::ClickLine(list(), 1);
    automation::Click(button(u"clearButton"));
    EXPECT_EQ(app.queue().size(), 0u);
    EXPECT_TRUE(lines().empty());
    EXPECT_TRUE(selection().empty());
}

TEST_F(QueueWindow, AddedEntriesAreAppendedAndTheSelectionKept) {
    enqueue({0, 1});
    execute();
    automation::ClickLine(list(), 1);
    enqueue({2, 3});
    EXPECT_EQ(lines(), library_lines_of({0, 1, 2, 3}));
    EXPECT_EQ(selection(), std::vector<int>{1});
}

TEST_F(QueueWindow, AddedReportWithoutNewEntriesChangesNothing) {
    enqueue({0, 1, 2});
    execute();
    automation::ClickLine(list(), 2);
    auto* callback_service = service<playback_queue_callback>();
    callback_service->on_changed(playback_queue_callback::origin_entries_added);
    EXPECT_EQ(lines().size(), 3u);
    EXPECT_EQ(selection(), std::vector<int>{2});

    // The queue shrinks behind the window's back: an "added" report then
    // neither appends nor removes a line.
    const service_ptr_t<service_base> registered = app.services().services_of(playback_queue_callback::class_guid).front();
    app.services().remove(registered.get_ptr());
    app.queue().take_head();
    app.services().add(playback_queue_callback::class_guid, registered.get_ptr(), true);
    callback_service->on_changed(playback_queue_callback::origin_entries_added);
    EXPECT_EQ(lines(), library_lines_of({0, 1, 2}));
}

TEST_F(QueueWindow, HeadTakenDropsTheFirstLineWithoutAskingTheHost) {
    enqueue({0, 1, 2});
    execute();
    automation::ClickLine(list(), 2);
    const auto before = app.api().calls();
    app.queue().take_head();
    EXPECT_EQ(lines(), library_lines_of({1, 2}));
    EXPECT_EQ(selection(), std::vector<int>{1}) << "the selected line keeps its selection as it moves up";
    EXPECT_EQ(app.api().calls().find_class, before.find_class);
}

TEST_F(QueueWindow, HeadTakenOnAnEmptyListChangesNothing) {
    execute();
    service<playback_queue_callback>()->on_changed(playback_queue_callback::origin_head_taken);
    EXPECT_TRUE(lines().empty());
    service<playback_queue_callback>()->on_changed(static_cast<playback_queue_callback::t_change_origin>(7));
    EXPECT_TRUE(lines().empty());
}

TEST_F(QueueWindow, QueueChangesWithNoWindowReadNothing) {
    enqueue({0});
    const auto before = app.api().calls();
    for (auto origin : {playback_queue_callback::origin_entries_added, playback_queue_callback::origin_entries_removed,
                        playback_queue_callback::origin_head_taken}) {
        service<playback_queue_callback>()->on_changed(origin);
    }
    EXPECT_EQ(app.api().calls().find_class, before.find_class);
    EXPECT_EQ(window(), nullptr);
}

TEST_F(QueueWindow, ClosesByEscEnterTheCloseButtonAndTheShutdownHook) {
    enum class way { escape, enter, button, close_box, on_quit };
    for (way w : {way::escape, way::enter, way::button, way::close_box, way::on_quit}) {
        SCOPED_TRACE(static_cast<int>(w));
        execute();
        ASSERT_NE(window(), nullptr);
        automation::MoveTo(*window(), {200 + 10 * static_cast<int>(w), 120});
        automation::ResizeTo(*window(), {300, 400});
        switch (w) {
            case way::escape: automation::PressKey(*window(), Keys::Escape); break;
            case way::enter: automation::PressKey(*window(), Keys::Enter); break;
            case way::button: automation::Click(button(u"closeButton")); break;
            case way::close_box: automation::Close(*window()); break;
            case way::on_quit: service<initquit>()->on_quit(); break;
        }
        EXPECT_EQ(window(), nullptr);
        const auto geometry = saved();
        EXPECT_EQ(geometry.position.x, 200 + 10 * static_cast<int>(w));
        EXPECT_EQ(geometry.position.y, 120);
        EXPECT_EQ(geometry.size.x, 300);
        EXPECT_EQ(geometry.size.y, 400);
    }
}

TEST_F(QueueWindow, EnterAndEscCloseWhateverHasTheFocusAndSpacePressesTheFocusedButton) {
    // Three entries, line 1 selected, then the focus moved to `focus`.
    const struct { const char16_t* focus; Keys key; bool open_after; t_size queue_after; } cases[] = {
        {u"queueList", Keys::Enter, false, 3},    {u"queueList", Keys::Escape, false, 3},
        {u"closeButton", Keys::Enter, false, 3},  {u"closeButton", Keys::Escape, false, 3},
        {u"removeButton", Keys::Enter, false, 3}, {u"removeButton", Keys::Escape, false, 3},
        {u"clearButton", Keys::Enter, false, 3},  {u"clearButton", Keys::Escape, false, 3},
        {u"removeButton", Keys::Space, true, 2},  {u"clearButton", Keys::Space, true, 0},
        {u"closeButton", Keys::Space, false, 3},  {u"queueList", Keys::Space, true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(forms::to_utf8(c.focus) + " key " + std::to_string(static_cast<int>(c.key)));
        while (app.queue().size() > 0) app.queue().take_head();
        enqueue({0, 1, 2});
        execute();
        automation::ClickLine(list(), 1);
        ASSERT_TRUE(automation::Find(*window(), c.focus)->Focus());
        automation::PressKey(*window(), c.key);
        EXPECT_EQ(window() != nullptr, c.open_after);
        EXPECT_EQ(app.queue().size(), c.queue_after);
        if (window() != nullptr) automation::Close(*window());
    }
}

TEST_F(QueueWindow, ShutdownHookWithNoWindowDoesNothingAndDoesNotReopen) {
    service<initquit>()->on_quit();
    EXPECT_EQ(window(), nullptr);
    execute();
    service<initquit>()->on_quit();
    EXPECT_EQ(window(), nullptr);
    enqueue({0});
    EXPECT_EQ(window(), nullptr) << "a closed window does not come back on a queue change";
}

TEST_F(QueueWindow, ReopeningBuildsAFreshWindowWithTheSavedGeometry) {
    enqueue({0, 1});
    execute();
    automation::MoveTo(*window(), {40, 30});
    automation::ResizeTo(*window(), {220, 330});
    automation::ClickLine(list(), 1);
    automation::PressKey(*window(), Keys::Escape);
    enqueue({2});
    execute();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->Location(), forms::Point(40, 30));
    EXPECT_EQ(window()->Size(), forms::Size(220, 330));
    EXPECT_EQ(lines().size(), 3u) << "the list is read afresh";
    EXPECT_TRUE(selection().empty());
}

TEST_F(QueueWindow, ServiceNotFoundWhileOpeningReachesTheHostAndLeavesNoWindow) {
    enqueue({0});
    app.services().remove(&app.queue());
    try {
        execute();
        FAIL() << "no error";
    } catch (const exception_service_not_found& e) {
        EXPECT_STREQ(e.what(), "Service not found");
    }
    EXPECT_EQ(window(), nullptr);
    forms::Application::Collect();
    EXPECT_EQ(forms::Application::LiveFormCount(), 0) << "the half-built window is gone";
    EXPECT_EQ(callback.count, 0);

    app.services().add(playlist_manager::class_guid, &app.queue());
    execute();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(lines(), library_lines_of({0}));
}

TEST_F(QueueWindow, HostErrorDuringARebuildPassesOnAndKeepsTheLines) {
    enqueue({0, 1});
    execute();
    app.services().remove(&app.queue());
    EXPECT_THROW(service<playback_queue_callback>()->on_changed(playback_queue_callback::origin_entries_removed),
                 exception_service_not_found);
    EXPECT_EQ(lines().size(), 2u);
    app.services().add(playlist_manager::class_guid, &app.queue());
}

TEST_F(QueueWindow, AnEntryWithoutATrackStillGetsItsLine) {
    std::vector<t_playback_queue_item> items(1);  // no track at all
    items.push_back(app.tracks().queue_item(0));
    app.queue().add(items);
    execute();
    EXPECT_EQ(lines(), (std::vector<std::string>{" - ", library_lines.at(0)}));
    automation::Click(button(u"clearButton"));  // the end-of-test balance counts library tracks only
    EXPECT_TRUE(lines().empty());
}

TEST_F(QueueWindow, OutOfMemoryWhileReadingTheQueueReleasesEverythingAndKeepsTheLines) {
    enqueue({0, 1, 2});
    execute();
    {
        const allocation_failure out_of_memory(1);
        EXPECT_THROW(service<playback_queue_callback>()->on_changed(playback_queue_callback::origin_entries_removed),
                     std::bad_alloc);
    }
    EXPECT_EQ(lines().size(), 3u);
    EXPECT_EQ(app.queue().references(), 1) << "the playlist_manager reference went back";
    EXPECT_EQ(app.tracks().live_references(), 3) << "so did every track the list held";
}

namespace {

// A track that notes how many lines the window shows when its information is unlocked.
class watched_track : public host::track {
public:
    using host::track::track;
    void unlock_info() override {
        if (auto* form = automation::FindForm(u"ManagerWin")) {
            lines_at_unlock.push_back(automation::Get<forms::ListBox>(*form, u"queueList").Items.Count());
        }
        host::track::unlock_info();
    }
    std::vector<int> lines_at_unlock;
};

}  // namespace

TEST_F(QueueWindow, EachLineIsAppendedWhileItsTrackIsLocked) {
    host::track_info info;
    info.add_value("ARTIST", "Watcher");
    auto& watched = static_cast<watched_track&>(
        app.tracks().add(std::make_unique<watched_track>("/music/watched.flac", info)));
    enqueue({0});
    execute();
    app.queue().add(std::vector<t_playback_queue_item>{app.tracks().queue_item(app.tracks().size() - 1)});
    EXPECT_EQ(lines().back(), "Watcher - ");
    EXPECT_EQ(watched.lines_at_unlock, std::vector<int>{2}) << "its line was already there at the unlock";
}
