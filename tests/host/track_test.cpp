#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/track_library.h"

namespace {

host::track_info sample_info() {
    host::track_info info;
    info.add_value("Artist", "First");
    info.add_value("TITLE", "Name");
    info.add_value("ARTIST", "Second");        // same field, other spelling
    info.add_value("comment", "\xFF\xFE raw");  // not UTF-8, kept as given
    return info;
}

// meta_get_ex over a table of names, bounds and value indexes.
struct lookup_case {
    const char* name;
    t_size name_length;
    t_size index;
    const char* expected;  // null: no text
};

class MetaGetEx : public ::testing::TestWithParam<lookup_case> {};

}  // namespace

TEST_P(MetaGetEx, FindsFieldsWithoutRegardToCaseAndValuesByIndex) {
    const lookup_case& c = GetParam();
    const host::track_info info = sample_info();
    const char* got = info.meta_get_ex(c.name, c.name_length, c.index);
    EXPECT_EQ(std::string(got != nullptr ? got : "(null)"), std::string(c.expected != nullptr ? c.expected : "(null)"));
}

INSTANTIATE_TEST_SUITE_P(Table, MetaGetEx,
                         ::testing::Values(lookup_case{"ARTIST", pfc::infinite_size, 0, "First"},
                                           lookup_case{"artist", pfc::infinite_size, 1, "Second"},
                                           lookup_case{"aRtIsT", pfc::infinite_size, 2, nullptr},
                                           lookup_case{"title", pfc::infinite_size, 0, "Name"},
                                           lookup_case{"TITLEX", 5, 0, "Name"},  // the length bounds the name
                                           lookup_case{"TITLE", 4, 0, nullptr},
                                           lookup_case{"TITLE\0X", pfc::infinite_size, 0, "Name"},  // and so does a NUL
                                           lookup_case{"ARTISTS", pfc::infinite_size, 0, nullptr},
                                           lookup_case{"TIT", pfc::infinite_size, 0, nullptr},
                                           lookup_case{"ALBUM", pfc::infinite_size, 0, nullptr},
                                           lookup_case{"COMMENT", pfc::infinite_size, 0, "\xFF\xFE raw"},
                                           lookup_case{"", pfc::infinite_size, 0, nullptr}),
                         [](const auto& p_case) {
                             const lookup_case& c = p_case.param;
                             std::string name = *c.name != '\0' ? c.name : "empty";
                             if (c.name_length != pfc::infinite_size) name += "_first_" + std::to_string(c.name_length);
                             return name + "_value_" + std::to_string(c.index);
                         });

// Names match byte for byte, but for the case of the ASCII letters A-Z: at
// every place of names of every length up to 20, a field named with one byte
// there is found by a name with another byte there exactly when the two are
// the same letter or the same byte (the bytes around the letters' ranges, and
// the same with the top bit set).
TEST(TrackInfo, FoldsTheCaseOfAsciiLettersOnlyAtEveryPlaceOfEveryLength) {
    const int bytes[] = {'0', '@', 'A', 'M', 'Z', '[', '`', 'a', 'm', 'z', '{', 0xC0, 0xC1, 0xDA, 0xDB, 0xE1, 0xFA, 0xFF};
    const auto lower = [](int c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    int mismatches = 0;
    for (std::size_t length = 1; length <= 20; ++length) {
        for (std::size_t place = 0; place < length; ++place) {
            for (int stored : bytes) {
                std::string field(length, 'k');
                field[place] = static_cast<char>(stored);
                host::track_info info;
                info.add_value(field, "v");
                for (int asked : bytes) {
                    std::string name(length, 'K');
                    name[place] = static_cast<char>(asked);
                    const bool found = info.meta_find_field(name.c_str(), pfc::infinite_size) == 0;
                    if (found != (lower(stored) == lower(asked))) ++mismatches;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    // A name asked for ends at its NUL: a field whose name holds one is never found.
    host::track_info info;
    info.add_value(std::string("A\0B", 3), "v");
    EXPECT_EQ(info.meta_find_field("A\0B", 3), file_info::field_not_found);
    EXPECT_EQ(info.meta_find_field("a", pfc::infinite_size), file_info::field_not_found);
}

TEST(Track, CountsReferencesLocksAndMisuse) {
    host::track t("/x.flac", sample_info());
    {
        service_ptr_t<metadb_handle> a(&t);
        service_ptr_t<metadb_handle> b = a;
        EXPECT_EQ(t.references(), 2);
    }
    EXPECT_EQ(t.references(), 0);
    EXPECT_EQ(t.service_release(), 0);
    EXPECT_EQ(t.misuses(), 1u) << "a release without a reference is someone's bug";
    t.lock_info();
    const file_info* info = nullptr;
    EXPECT_TRUE(t.peek_info(info));
    EXPECT_EQ(info, &t.info());
    t.unlock_info();
    t.unlock_info();
    EXPECT_EQ(t.lock_depth(), 0);
    EXPECT_EQ(t.misuses(), 2u);
}

TEST(TrackLibrary, BuiltInSetHasTheCasesAComponentMustHandle) {
    const auto library = host::track_library::builtin();
    EXPECT_GE(library->size(), 20u);
    bool two_artists = false, no_title = false, unreadable = false, non_ascii = false;
    for (t_size i = 0; i < library->size(); ++i) {
        host::track& t = library->at(i);
        const file_info* info = nullptr;
        t.lock_info();
        if (!t.peek_info(info)) {
            unreadable = true;
        } else {
            two_artists |= info->meta_value_count(info->meta_find_field("ARTIST", pfc::infinite_size)) == 2;
            no_title |= info->meta_get_ex("TITLE", pfc::infinite_size, 0) == nullptr;
            for (const char* p = info->meta_get_ex("ARTIST", pfc::infinite_size, 0); *p; ++p) non_ascii |= static_cast<unsigned char>(*p) >= 0x80;
        }
        t.unlock_info();
    }
    EXPECT_TRUE(two_artists && no_title && unreadable && non_ascii);
    {
        t_playback_queue_item item = library->queue_item(3);  // holds one reference
        EXPECT_EQ(item.m_item, 3u);
        EXPECT_EQ(item.m_playlist, 0u);
        EXPECT_EQ(library->at(3).references(), 1);
    }
    EXPECT_EQ(library->live_references(), 0);
    EXPECT_EQ(library->locks_held(), 0);
}

// A track's texts come from the user's files: whatever bytes they hold, the
// host shows a track as one line with nothing the terminal would act on.
TEST(Describe, JoinsArtistsAndShowsControlBytesAsEscapes) {
    struct described {
        std::vector<std::string> artists;
        const char* title;  // null: no TITLE field
        const char* shown;
    };
    const described cases[] = {
        {{"Tove Rask", "Ennio Pallast"}, "Thin Ice", "Tove Rask, Ennio Pallast - Thin Ice"},
        {{}, nullptr, "? - ?"},
        {{"Two\nLines"}, "Bell\a\x1b[2J\tTab\r", "Two\\x0ALines - Bell\\x07\\x1B[2J\tTab\\x0D"},
    };
    for (const described& c : cases) {
        host::track_info info;
        for (const std::string& artist : c.artists) info.add_value("ARTIST", artist);
        if (c.title != nullptr) info.add_value("TITLE", c.title);
        EXPECT_EQ(host::describe(host::track("/x.flac", info)), c.shown);
    }
}
